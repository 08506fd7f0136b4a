#include "TestHubWindow.h"

#include "ui_TestHubWindow.h"

#include "Fonts.h"
#include "Guard.h"
#include "PictureButton.h"
#include "ResultsWindow.h"
#include "Roles.h"

#include <QButtonGroup>

TForm8::TForm8(std::function<QString()> currentUser, FormWindow* testWindow, TForm6* results,
               QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm8>()), m_currentUser(std::move(currentUser)),
      m_testWindow(testWindow), m_results(results)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form8"));
    setFixedSize(528, 449);
    applyFontsAndPictures();

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (QAbstractButton* button : {takeTestButton(), resultsButton(), editTestButton()})
        m_group->addButton(button);

    connect(ui->takeTestButton, &QToolButton::clicked, this,
            [this] { guarded([this] { takeTestButtonClick(); }); });
    connect(ui->resultsButton, &QToolButton::clicked, this,
            [this] { guarded([this] { resultsButtonClick(); }); });
    connect(ui->editTestButton, &QToolButton::clicked, this,
            [this] { guarded([this] { editTestButtonClick(); }); });

    guarded([this] { FormCreate(); });
}

TForm8::~TForm8() = default;

void TForm8::applyFontsAndPictures()
{
    const QFont font = Fonts::palatino(21, true);
    const struct {
        PictureButton* button;
        const char* picture;
    } buttons[] = {
        {ui->takeTestButton, ":/images/test.png"},
        {ui->resultsButton, ":/images/users.png"},
        {ui->editTestButton, ":/images/labs.png"},
    };
    for (const auto& entry : buttons) {
        entry.button->setFont(font);
        entry.button->setPicture(QString::fromLatin1(entry.picture));
        entry.button->setIconSize(QSize(59, 59));
    }
    ui->sPanel1->setFont(font);
}

void TForm8::onShowing()
{
    centreOnScreen();
    FormCreate();
}

void TForm8::FormCreate()
{
    ui->sPanel1->setText(m_currentUser ? m_currentUser() : QString());
    ui->sPanel1->setAccessibleName(ui->sPanel1->text());
    ui->editTestButton->setVisible(administersHere(userCopy()));
}

void TForm8::takeTestButtonClick()
{
    if (m_testWindow)
        m_testWindow->showModeless();
}

// The filter follows the hub's copy of the login, taken when the hub was last shown.
void TForm8::resultsButtonClick()
{
    if (!m_results)
        return;
    m_results->openResults(userCopy());
    m_results->showModeless();
}

void TForm8::editTestButtonClick()
{
    if (m_questionEditor)
        m_questionEditor->showModeless();
}

QString TForm8::userCopy() const
{
    return ui->sPanel1->text();
}

QAbstractButton* TForm8::takeTestButton() const
{
    return ui->takeTestButton;
}
QAbstractButton* TForm8::resultsButton() const
{
    return ui->resultsButton;
}
QAbstractButton* TForm8::editTestButton() const
{
    return ui->editTestButton;
}
