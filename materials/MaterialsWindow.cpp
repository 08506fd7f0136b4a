#include "MaterialsWindow.h"

#include "ui_MaterialsWindow.h"

#include "AppError.h"
#include "Dialogs.h"
#include "DocumentPane.h"
#include "Fonts.h"
#include "Guard.h"
#include "LookupList.h"
#include "MaterialKinds.h"
#include "MediaPlayer.h"

#include <QAbstractButton>
#include <QDir>
#include <QToolButton>

TForm7::TForm7(const KindToggles& toggles, QWidget* parent)
    : FormWindow(parent), ui(std::make_unique<Ui::TForm7>()), m_toggles(toggles)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form7"));
    applyFonts();
    chainTabOrder();
    ui->sGroupBox1->hide();

    const std::array<QString, 3> listNames = {QStringLiteral("Дәрістер"),
                                              QStringLiteral("Лабораторлық жұмыстар"),
                                              QStringLiteral("Видео")};
    for (quint8 kind = MaterialKinds::kLectures; kind <= MaterialKinds::kVideos; ++kind)
        list(kind)->setAccessibleName(listNames[kind - 1]);
    ui->sDBLookupListBox2->hide();
    ui->sDBLookupListBox3->hide();
    ui->Panel4->setAccessibleName(QStringLiteral("Бейне"));

    using Handler = void (TForm7::*)();
    const auto wire = [this](auto* sender, auto signal, Handler handler) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    wire(ui->sDBLookupListBox1, &LookupList::rowActivated, &TForm7::sDBLookupListBox1DblClick);
    wire(ui->sDBLookupListBox2, &LookupList::rowActivated, &TForm7::sDBLookupListBox2DblClick);
    wire(ui->sDBLookupListBox3, &LookupList::rowActivated, &TForm7::sDBLookupListBox3DblClick);
    wire(ui->sButton1, &QPushButton::clicked, &TForm7::sButton1Click);
    wire(ui->sButton2, &QPushButton::clicked, &TForm7::sButton2Click);
    wire(ui->sButton3, &QPushButton::clicked, &TForm7::sButton3Click);
    wire(ui->sButton4, &QPushButton::clicked, &TForm7::sButton4Click);

    // The three list queries open with their plain statements as the window is built.
    for (quint8 kind = MaterialKinds::kLectures; kind <= MaterialKinds::kVideos; ++kind) {
        queryOf(kind).setStatement(MaterialKinds::info(kind).all);
        guarded([this, kind] {
            queryOf(kind).open();
            fill(kind);
        });
    }
    guarded([this] { FormCreate(); });
}

TForm7::~TForm7() = default;

void TForm7::applyFonts()
{
    setFont(Fonts::arial(11));
    ui->sPanel1->setFont(Fonts::arial(16, true));
    const QFont listFont = Fonts::arial(16, true);
    for (quint8 kind = MaterialKinds::kLectures; kind <= MaterialKinds::kVideos; ++kind) {
        LookupList* box = list(kind);
        box->setFont(listFont);
        QPalette colours = box->palette();
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::Text, Qt::black);
        box->setPalette(colours);
    }
}

// Keyboard order follows the screen: the command bar, the list, the player, the document.
void TForm7::chainTabOrder()
{
    const QList<QWidget*> order = {ui->sButton3,
                                   ui->sButton4,
                                   ui->sButton1,
                                   ui->sButton2,
                                   ui->sDBLookupListBox1,
                                   ui->sDBLookupListBox2,
                                   ui->sDBLookupListBox3,
                                   ui->MediaPlayer1->playButton(),
                                   ui->MediaPlayer1->stopButton(),
                                   ui->WebBrowser1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QGroupBox* TForm7::editingGroup() const
{
    return ui->sGroupBox1;
}

LookupList* TForm7::list(quint8 kind) const
{
    switch (kind) {
    case MaterialKinds::kLectures:
        return ui->sDBLookupListBox1;
    case MaterialKinds::kLabs:
        return ui->sDBLookupListBox2;
    default:
        return ui->sDBLookupListBox3;
    }
}

Query& TForm7::queryOf(quint8 kind)
{
    return m_lists.at(MaterialKinds::info(kind).kind - 1);
}

const Query& TForm7::listQuery(quint8 kind) const
{
    return m_lists.at(MaterialKinds::info(kind).kind - 1);
}

DocumentPane* TForm7::documentPane() const
{
    return ui->WebBrowser1;
}

MediaPlayer* TForm7::mediaPlayer() const
{
    return ui->MediaPlayer1;
}

QWidget* TForm7::videoPanel() const
{
    return ui->Panel4;
}

QString TForm7::blankPage()
{
    return QDir::currentPath() + QStringLiteral("/Clear.htm");
}

void TForm7::onShowing()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    FormCreate();
}

void TForm7::FormCreate()
{
    ui->Panel4->hide();
    for (quint8 kind = MaterialKinds::kLectures; kind <= MaterialKinds::kVideos; ++kind) {
        const QAbstractButton* toggle = m_toggles[kind - 1];
        if (!toggle || !toggle->isChecked())
            continue;
        for (quint8 other = MaterialKinds::kLectures; other <= MaterialKinds::kVideos; ++other)
            list(other)->setVisible(other == kind);
        setWindowTitle(MaterialKinds::info(kind).caption);
        MaterialKind = kind;
        if (kind == MaterialKinds::kVideos)
            ui->Panel4->show();
        ui->sGroupBox2->show();
        break;
    }
    ui->WebBrowser1->showBlank(blankPage());
    rerunAll();
    ui->MediaPlayer1->hide();
    ui->MediaPlayer1->setDisplay(ui->Panel4);
}

void TForm7::fill(quint8 kind)
{
    const MaterialKindInfo& info = MaterialKinds::info(kind);
    Query& query = queryOf(kind);
    const int rows = query.rowCount();
    const int titleColumn = query.columnIndex(info.titleColumn);
    const int pathColumn = query.columnIndex(info.pathColumn);
    if (rows > 0 && (titleColumn < 0 || pathColumn < 0))
        query.text(0, titleColumn < 0 ? info.titleColumn : info.pathColumn); // names the field
    QStringList titles;
    QStringList keys;
    titles.reserve(rows);
    keys.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        titles << query.text(row, titleColumn);
        keys << query.text(row, pathColumn);
    }
    list(kind)->setRows(titles, keys);
}

void TForm7::rerun(quint8 kind)
{
    list(kind)->clearRows();
    queryOf(kind).reopen();
    fill(kind);
}

void TForm7::rerunAll()
{
    for (quint8 kind = MaterialKinds::kLectures; kind <= MaterialKinds::kVideos; ++kind)
        rerun(kind);
}

// A list without rows has no key to open: a double-click there does nothing.
void TForm7::openDocument(quint8 kind)
{
    const std::optional<QString> key = list(kind)->key();
    if (!key)
        return;
    ui->WebBrowser1->navigate(*key);
}

void TForm7::sDBLookupListBox1DblClick()
{
    openDocument(MaterialKinds::kLectures);
}

void TForm7::sDBLookupListBox2DblClick()
{
    openDocument(MaterialKinds::kLabs);
}

void TForm7::sDBLookupListBox3DblClick()
{
    const std::optional<QString> key = list(MaterialKinds::kVideos)->key();
    if (!key)
        return;
    ui->MediaPlayer1->show();
    ui->MediaPlayer1->open(*key);
    ui->MediaPlayer1->setDisplayRect(QRect(QPoint(0, 0), ui->Panel4->contentsRect().size()));
}

void TForm7::sButton1Click()
{
    if (MaterialKind == 0)
        return;
    const QString text =
        Dialogs::input(QStringLiteral("Найти"), QStringLiteral("Введите имя, искомого файла"), {});
    const MaterialKindInfo& info = MaterialKinds::info(MaterialKind);
    Query& query = queryOf(MaterialKind);
    list(MaterialKind)->clearRows();
    query.setStatement(info.find);
    query.bind(QStringLiteral("a"), QStringLiteral("%") + text + QStringLiteral("%"));
    query.open();
    fill(MaterialKind);
}

void TForm7::sButton2Click()
{
    if (MaterialKind == 0)
        return;
    Query& query = queryOf(MaterialKind);
    list(MaterialKind)->clearRows();
    query.setStatement(MaterialKinds::info(MaterialKind).all);
    query.open();
    fill(MaterialKind);
}

void TForm7::sButton3Click()
{
    if (MaterialKind == 0)
        return;
    const MaterialKindInfo& info = MaterialKinds::info(MaterialKind);
    const Dialogs::FileChoice choice = Dialogs::openFile(info.fileFilter, 1);
    const QString path = choice.accepted ? choice.path : QString();
    if (path.isEmpty()) {
        Dialogs::message(kNoFile);
        return;
    }
    const QString title = Dialogs::input(QStringLiteral("Добавить"),
                                         QStringLiteral("Введите имя, добавляемого файла"), {});
    if (title.isEmpty()) {
        Dialogs::message(kNoTitle);
        return;
    }
    m_work.setStatement(info.add);
    m_work.bind(QStringLiteral("a1"), title);
    m_work.bind(QStringLiteral("a2"), path);
    m_work.execSql();
    rerun(MaterialKind);
}

void TForm7::sButton4Click()
{
    if (MaterialKind == 0)
        return;
    const std::optional<QString> key = list(MaterialKind)->key();
    if (!key || key->isEmpty())
        return;
    m_work.setStatement(MaterialKinds::info(MaterialKind).remove);
    m_work.bind(QStringLiteral("a1"), *key);
    m_work.execSql();
    rerunAll();
}
