#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "Connection.h"
#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "HelpViewer.h"
#include "PictureButton.h"
#include "Process.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>

// The pictures are compiled into the static shell library, which does not register them itself.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

TForm1::TForm1(QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                             Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm1>())
{
    initResources();
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form1"));
    applyFontsAndPictures();

    m_bottomGroup = new QButtonGroup(this);
    m_bottomGroup->setExclusive(true);
    for (QAbstractButton* button :
         {lecturesButton(), labsButton(), videoButton(), testButton(), usersButton()})
        m_bottomGroup->addButton(button);

    connect(ui->lecturesButton, &QToolButton::clicked, this,
            [this] { showTarget(m_targets.materials); });
    connect(ui->labsButton, &QToolButton::clicked, this,
            [this] { showTarget(m_targets.materials); });
    connect(ui->videoButton, &QToolButton::clicked, this,
            [this] { showTarget(m_targets.materials); });
    connect(ui->testButton, &QToolButton::clicked, this, [this] { showTarget(m_targets.testHub); });
    connect(ui->usersButton, &QToolButton::clicked, this, [this] { showTarget(m_targets.users); });
    connect(ui->authorsButton, &QToolButton::clicked, this,
            [this] { showTarget(m_targets.authors); });
    connect(ui->helpButton, &QToolButton::clicked, this,
            [this] { guarded([this] { openHelp(); }); });

    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // The connection belongs to the main window and opens while it is built.
    Connection& connection = Connection::shared();
    connection.open();
    const QString network = connection.networkFileSystem();
    if (!network.isEmpty())
        Dialogs::warning(kSharedFileWarning.arg(connection.location(), network));
}

void TForm1::applyFontsAndPictures()
{
    // Outer size about 812 x 587, centred; no control follows a change of size.
    centreOnScreen();
    ui->background->setPicture(QStringLiteral(":/images/background.jpg"));

    const QFont topFont = Fonts::palatino(12);
    const QFont rowFont = Fonts::palatino(16, true);
    const struct {
        PictureButton* button;
        const char* picture;
        const QFont& font;
    } buttons[] = {
        {ui->helpButton, ":/images/help.png", topFont},
        {ui->authorsButton, ":/images/authors.png", topFont},
        {ui->lecturesButton, ":/images/lectures.png", rowFont},
        {ui->labsButton, ":/images/labs.png", rowFont},
        {ui->videoButton, ":/images/video.png", rowFont},
        {ui->testButton, ":/images/test.png", rowFont},
        {ui->usersButton, ":/images/users.png", rowFont},
    };
    for (const auto& entry : buttons) {
        entry.button->setFont(entry.font);
        entry.button->setPicture(QString::fromLatin1(entry.picture));
        // The pictures are 59 x 59; they are drawn as large as the button's height allows.
        const int side = std::min(59, entry.button->height() - 6);
        entry.button->setIconSize(QSize(side, side));
    }

    ui->sPanel1->setFont(Fonts::arial(21, true));
    ui->sPanel1->setMinimumWidth(ui->sPanel1->width());
    ui->sPanel1->setAccessibleName(ui->sPanel1->text());
}

QString TForm1::currentUser() const
{
    return ui->sPanel1->text();
}

void TForm1::setCurrentUser(const QString& login)
{
    ui->sPanel1->setText(login);
    // The panel is drawn 64 wide, room for about five letters; a longer login widens it rather
    // than being cut off.
    const int needed = ui->sPanel1->fontMetrics().horizontalAdvance(login) + 12;
    ui->sPanel1->resize(std::max(64, needed), ui->sPanel1->height());
    // A screen reader reads the login the panel shows.
    ui->sPanel1->setAccessibleName(login);
}

QLabel* TForm1::currentUserPanel() const
{
    return ui->sPanel1;
}

QAbstractButton* TForm1::lecturesButton() const
{
    return ui->lecturesButton;
}
QAbstractButton* TForm1::labsButton() const
{
    return ui->labsButton;
}
QAbstractButton* TForm1::videoButton() const
{
    return ui->videoButton;
}
QAbstractButton* TForm1::testButton() const
{
    return ui->testButton;
}
QAbstractButton* TForm1::usersButton() const
{
    return ui->usersButton;
}

void TForm1::setAlphaBlend(bool on, int alpha)
{
    const bool conceal = on && alpha <= 0;
    setWindowOpacity(on ? qBound(0, alpha, 255) / 255.0 : 1.0);
    if (conceal == m_concealed)
        return;
    m_concealed = conceal;
    // Nothing of a window out of sight needs drawing.
    setUpdatesEnabled(!conceal);
    // Opacity alone is ignored on desktops without a compositor, so the window is also kept off
    // the screen. Mapping it again goes around the on-show work: this is not a new show.
    setAttribute(Qt::WA_DontShowOnScreen, conceal);
    if (!conceal && isVisible()) {
        QWidget::setVisible(false);
        QWidget::setVisible(true);
        raise();
        activateWindow();
    }
}

void TForm1::onShowing()
{
    if (m_targets.signIn)
        m_targets.signIn->showModeless();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Every window with unwritten work may keep the program running.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<FormWindow*>(widget);
        if (window && !window->readyToEnd()) {
            event->ignore();
            return;
        }
    }
    event->accept();
    Process::terminate(0);
}

namespace {
constexpr Qt::WindowStates kRefusedStates = Qt::WindowMaximized | Qt::WindowFullScreen;
} // namespace

void TForm1::changeEvent(QEvent* event)
{
    FormWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & kRefusedStates)) {
        // Undone once the change has been delivered everywhere, not from inside it.
        QMetaObject::invokeMethod(
            this, [this] { setWindowState(windowState() & ~kRefusedStates); },
            Qt::QueuedConnection);
    }
}

void TForm1::openHelp()
{
    HelpViewer::openKeywordIndex(kHelpFile);
}

void TForm1::showTarget(FormWindow* window)
{
    if (window)
        window->showModeless();
}
