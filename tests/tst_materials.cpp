// The materials browser driven through its real widgets against a real database: kinds, lists
// and their keys, search, add and remove, the document pane and the player on the real media
// system.

#include "Dialogs.h"
#include "DocumentPane.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialKinds.h"
#include "MaterialsWindow.h"
#include "MediaPlayer.h"
#include "OfficeConverter.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "WindowRegistry.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QString demoCourse()
{
    return QStringLiteral(OKULYK_COURSE_OUT);
}

// The browser with stand-ins for the main window's three kind toggles, on a scratch course.
struct Browser {
    explicit Browser(const QString& rows = {})
    {
        MaterialKind = 0;
        if (!rows.isEmpty())
            course.exec(rows);
        writeFile(course.dir() + QStringLiteral("/Clear.htm"), "<html><body>blank</body></html>");
        for (QToolButton* toggle : toggles) {
            toggle->setCheckable(true);
            group.addButton(toggle);
        }
        form = std::make_unique<TForm7>(TForm7::KindToggles{toggles[0], toggles[1], toggles[2]});
    }

    // Presses the main window's toggle for the kind and shows the browser as its button does.
    void open(quint8 kind)
    {
        toggles[kind - 1]->setChecked(true);
        form->showModeless();
    }
    void reopen(quint8 kind)
    {
        form->close();
        open(kind);
    }
    void press(const char* button)
    {
        QTest::mouseClick(form->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    QStringList titles(quint8 kind) const { return form->list(kind)->titles(); }
    std::optional<QString> key(quint8 kind) const { return form->list(kind)->key(); }
    // Picks a row by clicking it, as a user would.
    void pick(quint8 kind, int row)
    {
        LookupList* list = form->list(kind);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    void doubleClick(quint8 kind, int row)
    {
        LookupList* list = form->list(kind);
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    TestCourse course;
    DialogScript dialogs;
    QButtonGroup group;
    std::array<QToolButton*, 3> toggles{new QToolButton, new QToolButton, new QToolButton};
    std::unique_ptr<TForm7> form;
    ~Browser()
    {
        form.reset();
        for (QToolButton* toggle : toggles)
            delete toggle;
    }
};

const QString kRows = QStringLiteral(
    "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Дәріс ҚАЗАҚ тілі','/l/1.html');"
    "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Алгоритмдер','/l/2.html');"
    "insert into Лекции(НазваниеЛекции,АдресЛекции) values('100% дайын_тақырып','/l/3.html');"
    "insert into Лекции(НазваниеЛекции,АдресЛекции) values(null,'/l/4.html');"
    "insert into Лабы(НазваниеЛабы,АдресЛабы) values('Зертхана 1','/b/1.html');"
    "insert into Лабы(НазваниеЛабы,АдресЛабы) values('Зертхана 2','/b/2.html');"
    "insert into Видео(НазваниеВидео,АдресВидео) values('Кіріспе','/v/1.avi');");

QString lectureRows(const TestCourse& course)
{
    return course
        .column(QStringLiteral("select ifnull(НазваниеЛекции,'<null>')||'='||АдресЛекции "
                               "from Лекции order by rowid"))
        .join(QLatin1Char('|'));
}

} // namespace

class MaterialsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void eachShowFollowsTheToggleAndBlanksThePane_data();
    void eachShowFollowsTheToggleAndBlanksThePane();
    void showingWhileVisibleKeepsTheKind();
    void searchFiltersOneKindAndSurvives();
    void searchPatterns_data();
    void searchPatterns();
    void addAsksForFileThenTitle_data();
    void addAsksForFileThenTitle();
    void addToFilteredListAndAwkwardTexts();
    void removeByPickedPath();
    void keysBelongToTheirListAndSurviveReruns();
    void documentsOpenInThePane();
    void officeDocumentConvertsOnceThenOpensFromCache();
    void damagedOfficeDocumentsAreReported();
    void officeDocumentWithoutLibreOffice();
    void videosOpenOnTheRealMediaSystem();
    void brokenVideosReportTheMediaSystemsText_data();
    void brokenVideosReportTheMediaSystemsText();
    void realChooserKeepsTheWorkingFolder();
    void keyboardReachesEveryControl();
    void mainWindowOpensItAndSignInDecidesEditing();
};

void MaterialsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void MaterialsTest::eachShowFollowsTheToggleAndBlanksThePane_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("lectures") << 1 << QStringLiteral("Даристер");
    QTest::newRow("laboratory works") << 2 << QStringLiteral("Лабораторлык жумыс");
    QTest::newRow("videos") << 3 << QStringLiteral("Видео");
}

void MaterialsTest::eachShowFollowsTheToggleAndBlanksThePane()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    Browser browser(kRows);
    // Built at start-up with no toggle down: nothing chosen, nothing on screen.
    QCOMPARE(MaterialKind, 0);
    QVERIFY(!browser.form->isVisible());
    QVERIFY(!browser.form->editingGroup()->isVisibleTo(browser.form.get()));

    browser.open(MaterialKinds::kLectures);
    browser.doubleClick(MaterialKinds::kLectures, 0); // a missing file: one error box
    browser.dialogs.clear();
    browser.reopen(static_cast<quint8>(kind));
    QCOMPARE(browser.form->windowTitle(), caption);
    QCOMPARE(MaterialKind, kind);
    QVERIFY(browser.form->windowState() & Qt::WindowMaximized);
    for (quint8 other = 1; other <= 3; ++other)
        QCOMPARE(browser.form->list(other)->isVisible(), other == kind);
    QCOMPARE(browser.form->videoPanel()->isVisible(), kind == MaterialKinds::kVideos);
    QVERIFY(!browser.form->mediaPlayer()->isVisible());
    // Every show blanks the pane with the blank page of the working folder.
    QCOMPARE(browser.form->documentPane()->currentPath(), TForm7::blankPage());
    QCOMPARE(browser.form->documentPane()->shownText(), QStringLiteral("blank"));
    QVERIFY(browser.dialogs.shown().isEmpty());
}

void MaterialsTest::showingWhileVisibleKeepsTheKind()
{
    Browser browser(kRows);
    browser.open(MaterialKinds::kLectures);
    browser.open(MaterialKinds::kVideos); // only brought to the front
    QCOMPARE(browser.form->windowTitle(), QStringLiteral("Даристер"));
    QCOMPARE(MaterialKind, MaterialKinds::kLectures);
    QVERIFY(browser.form->list(MaterialKinds::kLectures)->isVisible());
    browser.reopen(MaterialKinds::kVideos);
    QCOMPARE(MaterialKind, MaterialKinds::kVideos);

    // A missing blank page leaves the pane empty rather than failing every show.
    QFile::remove(TForm7::blankPage());
    browser.reopen(MaterialKinds::kLabs);
    QCOMPARE(browser.form->documentPane()->content(), DocumentPane::Content::Empty);
    QCOMPARE(browser.titles(MaterialKinds::kLabs).size(), 2);
    QVERIFY(browser.dialogs.shown().isEmpty());
}

void MaterialsTest::searchFiltersOneKindAndSurvives()
{
    Browser browser(kRows);
    browser.open(MaterialKinds::kLectures);
    browser.dialogs.answerInput(QStringLiteral("қазақ"));
    browser.press("sButton1");
    QCOMPARE(browser.dialogs.shown().size(), 1);
    QCOMPARE(browser.dialogs.shown()[0].title, QStringLiteral("Найти"));
    QCOMPARE(browser.dialogs.shown()[0].text, QStringLiteral("Введите имя, искомого файла"));
    const QStringList filtered = {QStringLiteral("Дәріс ҚАЗАҚ тілі")};
    QCOMPARE(browser.titles(MaterialKinds::kLectures), filtered);
    QCOMPARE(browser.form->listQuery(MaterialKinds::kLectures).sqlText(),
             QStringLiteral("select * from Лекции\nwhere НазваниеЛекции  Like :a "));

    // The filter stays through hiding, other kinds and their searches, and new rows.
    browser.reopen(MaterialKinds::kLabs);
    browser.dialogs.answerInput(QStringLiteral("2"));
    browser.press("sButton1");
    QCOMPARE(browser.titles(MaterialKinds::kLabs), QStringList{QStringLiteral("Зертхана 2")});
    browser.course.exec(QStringLiteral(
        "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Жаңа','/l/5.html')"));
    browser.reopen(MaterialKinds::kLectures);
    QCOMPARE(browser.titles(MaterialKinds::kLectures), filtered);
    QCOMPARE(browser.titles(MaterialKinds::kLabs), QStringList{QStringLiteral("Зертхана 2")});

    // Only "Барлық жазба" in the kind lifts it, and only for that kind.
    browser.press("sButton2");
    QCOMPARE(browser.titles(MaterialKinds::kLectures).size(), 5);
    QCOMPARE(browser.titles(MaterialKinds::kLabs).size(), 1);
    QCOMPARE(browser.form->listQuery(MaterialKinds::kLectures).sqlText(),
             QStringLiteral("select * from Лекции"));
}

void MaterialsTest::searchPatterns_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QStringList>("found");
    const QStringList titled = {QStringLiteral("Дәріс ҚАЗАҚ тілі"), QStringLiteral("Алгоритмдер"),
                                QStringLiteral("100% дайын_тақырып")};
    QTest::newRow("cancelled") << std::optional<QString>() << titled;
    QTest::newRow("empty") << std::optional<QString>(QString()) << titled;
    QTest::newRow("percent is a wildcard")
        << std::optional<QString>(QStringLiteral("с%тіл")) << QStringList{titled[0]};
    QTest::newRow("underscore is a wildcard")
        << std::optional<QString>(QStringLiteral("алгори_мдер")) << QStringList{titled[1]};
    QTest::newRow("Russian capitals find Kazakh small letters")
        << std::optional<QString>(QStringLiteral("ДӘРІС")) << QStringList{titled[0]};
    QTest::newRow("blanks are kept")
        << std::optional<QString>(QStringLiteral(" Алгоритмдер")) << QStringList{};
    QTest::newRow("quote") << std::optional<QString>(QStringLiteral("'")) << QStringList{};
}

void MaterialsTest::searchPatterns()
{
    QFETCH(std::optional<QString>, answer);
    QFETCH(QStringList, found);
    Browser browser(kRows);
    browser.open(MaterialKinds::kLectures);
    browser.dialogs.answerInput(answer);
    browser.press("sButton1");
    QCOMPARE(browser.titles(MaterialKinds::kLectures), found);
    QVERIFY(browser.dialogs.texts(Dialogs::Kind::Error).isEmpty());
}

void MaterialsTest::addAsksForFileThenTitle_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<std::optional<QString>>("title");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("chooser cancelled") << 1 << false << std::optional<QString>() << TForm7::kNoFile;
    QTest::newRow("title cancelled") << 2 << true << std::optional<QString>() << TForm7::kNoTitle;
    QTest::newRow("title empty") << 3 << true << std::optional<QString>(QString())
                                 << TForm7::kNoTitle;
    QTest::newRow("blanks are a title")
        << 3 << true << std::optional<QString>(QStringLiteral("  ")) << QString();
    QTest::newRow("lecture") << 1 << true << std::optional<QString>(QStringLiteral("Жаңа дәріс"))
                             << QString();
}

void MaterialsTest::addAsksForFileThenTitle()
{
    QFETCH(int, kind);
    QFETCH(bool, chosen);
    QFETCH(std::optional<QString>, title);
    QFETCH(QString, refusal);
    Browser browser(kRows);
    browser.form->editingGroup()->show();
    browser.open(static_cast<quint8>(kind));
    const MaterialKindInfo& info = MaterialKinds::info(static_cast<quint8>(kind));
    const QString table = info.all.constFirst().section(QLatin1Char(' '), 3);
    const QString countSql = QStringLiteral("select count(*) from ") + table;
    const QString before = browser.course.scalar(countSql);
    const int listed = static_cast<int>(browser.titles(static_cast<quint8>(kind)).size());

    const QString path = QStringLiteral("/курс/файл 'бір'.avi");
    browser.dialogs.answerFile({chosen, chosen ? path : QString()});
    browser.dialogs.answerInput(title);
    browser.press("sButton3");

    const QList<Dialogs::Shown> shown = browser.dialogs.shown();
    QCOMPARE(shown[0].kind, Dialogs::Kind::OpenFile);
    QCOMPARE(shown[0].text, info.fileFilter);
    if (chosen) {
        QCOMPARE(shown[1].title, QStringLiteral("Добавить"));
        QCOMPARE(shown[1].text, QStringLiteral("Введите имя, добавляемого файла"));
    }
    if (!refusal.isEmpty()) {
        QCOMPARE(shown.size(), chosen ? 3 : 2); // the title is asked for only after a file
        QCOMPARE(shown.last().kind, Dialogs::Kind::Message);
        QCOMPARE(shown.last().text, refusal);
        QVERIFY(refusal.contains(QStringLiteral("!\r\nФайл не добавлен")));
        QCOMPARE(browser.course.scalar(countSql), before);
        return;
    }
    QCOMPARE(shown.size(), 2);
    QCOMPARE(browser.course.scalar(countSql).toInt(), before.toInt() + 1);
    QCOMPARE(browser.course.scalar(QStringLiteral("select %1||'='||%2 from %3 order by rowid "
                                                  "desc limit 1")
                                       .arg(info.titleColumn, info.pathColumn, table)),
             *title + QLatin1Char('=') + path);
    QCOMPARE(browser.titles(static_cast<quint8>(kind)).size(), listed + 1);
}

void MaterialsTest::addToFilteredListAndAwkwardTexts()
{
    Browser browser(kRows);
    browser.open(MaterialKinds::kLectures);
    browser.dialogs.answerInput(QStringLiteral("алго"));
    browser.press("sButton1");
    browser.course.exec(QStringLiteral(
        "insert into Лабы(НазваниеЛабы,АдресЛабы) values('Зертхана 3','/b/3.html')"));

    // A new row is listed only when it matches the filter; only this kind's list is re-run.
    const QString awkward = QStringLiteral("Алгоритм \"100%\" it's_\nжаңа жол");
    for (const QString& title : {QStringLiteral("Желілер"), awkward}) {
        browser.dialogs.answerFile({true, QStringLiteral("/l/") + title});
        browser.dialogs.answerInput(title);
        browser.press("sButton3");
    }
    QCOMPARE(browser.titles(MaterialKinds::kLectures),
             QStringList({QStringLiteral("Алгоритмдер"), awkward}));
    QCOMPARE(browser.titles(MaterialKinds::kLabs).size(), 2);
    QVERIFY(lectureRows(browser.course)
                .endsWith(QStringLiteral("|Желілер=/l/Желілер|") + awkward +
                          QStringLiteral("=/l/") + awkward));
    QVERIFY(browser.dialogs.texts(Dialogs::Kind::Message).isEmpty());
}

void MaterialsTest::removeByPickedPath()
{
    Browser browser(
        kRows +
        QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) "
                       "values('Сол файл тағы','/l/2.html');"
                       "insert into Лабы(НазваниеЛабы,АдресЛабы) values('X','/l/2.html');"));
    browser.open(MaterialKinds::kLectures);
    const QString before = lectureRows(browser.course);

    // Nothing picked since start-up: no statement runs and no list is re-run.
    browser.course.exec(QStringLiteral(
        "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Кейін','/l/9.html')"));
    browser.press("sButton4");
    QCOMPARE(browser.titles(MaterialKinds::kLectures).size(), 5);
    QVERIFY(browser.dialogs.shown().isEmpty());

    // Every row of this kind with the picked path goes; the other kinds' rows stay.
    browser.pick(MaterialKinds::kLectures, 1);
    QCOMPARE(browser.key(MaterialKinds::kLectures), QStringLiteral("/l/2.html"));
    browser.press("sButton4");
    QCOMPARE(browser.course.scalar(
                 QStringLiteral("select count(*) from Лекции where АдресЛекции='/l/2.html'")),
             QStringLiteral("0"));
    QCOMPARE(browser.course.scalar(QStringLiteral("select count(*) from Лабы")),
             QStringLiteral("3"));
    QCOMPARE(browser.titles(MaterialKinds::kLectures).size(), 4);
    QVERIFY(before != lectureRows(browser.course));

    // The key still holds the removed path: removing again runs the same delete, which removes
    // nothing, and re-runs the lists.
    QCOMPARE(browser.key(MaterialKinds::kLectures), QStringLiteral("/l/2.html"));
    browser.course.exec(
        QStringLiteral("insert into Лабы(НазваниеЛабы,АдресЛабы) values('Жаңа','/b/9.html')"));
    browser.press("sButton4");
    QCOMPARE(browser.titles(MaterialKinds::kLabs).size(), 4);
    QCOMPARE(browser.titles(MaterialKinds::kLectures).size(), 4);
    QVERIFY(browser.dialogs.shown().isEmpty());
}

void MaterialsTest::keysBelongToTheirListAndSurviveReruns()
{
    Browser browser(kRows);
    browser.open(MaterialKinds::kLectures);
    QCOMPARE(browser.key(MaterialKinds::kLectures), std::nullopt);
    // Focus alone picks nothing; the arrow keys and typing a title's beginning do.
    browser.form->list(MaterialKinds::kLectures)->setFocus();
    QCOMPARE(browser.key(MaterialKinds::kLectures), std::nullopt);
    QTest::keyClick(browser.form->list(MaterialKinds::kLectures), Qt::Key_Down);
    QVERIFY(browser.key(MaterialKinds::kLectures).has_value());
    QTest::keyClicks(browser.form->list(MaterialKinds::kLectures), "100");
    QCOMPARE(browser.key(MaterialKinds::kLectures), QStringLiteral("/l/3.html"));

    // A search that hides the row keeps the key; the row shows picked when it comes back.
    browser.dialogs.answerInput(QStringLiteral("Алго"));
    browser.press("sButton1");
    QCOMPARE(browser.key(MaterialKinds::kLectures), QStringLiteral("/l/3.html"));
    browser.press("sButton2");
    const LookupList* list = browser.form->list(MaterialKinds::kLectures);
    QCOMPARE(list->selectionModel()->selectedIndexes().value(0).row(), 2);
    QCOMPARE(browser.key(MaterialKinds::kLabs), std::nullopt);

    // A click in a list without rows makes its key null, and a double-click there does nothing.
    browser.dialogs.answerInput(QStringLiteral("жоқ"));
    browser.press("sButton1");
    QCOMPARE(list->rows(), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(browser.key(MaterialKinds::kLectures), std::nullopt);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    browser.press("sButton4");
    QVERIFY(browser.dialogs.texts(Dialogs::Kind::Error).isEmpty());
    QCOMPARE(browser.course.scalar(QStringLiteral("select count(*) from Лекции")),
             QStringLiteral("4"));
}

void MaterialsTest::documentsOpenInThePane()
{
    Browser browser;
    const QString dir = browser.course.dir();
    writeFile(dir + QStringLiteral("/дәріс.html"),
              "<html><head><meta charset=\"utf-8\"><link rel=\"stylesheet\" href=\"s.css\"></head>"
              "<body><h1>Бірінші дәріс</h1><img src=\"p.png\"></body></html>");
    writeFile(dir + QStringLiteral("/s.css"), "h1 { color: #aa0000; }");
    writeFile(dir + QStringLiteral("/жазба.txt"), "Қарапайым мәтін\nекінші жол");
    writeFile(dir + QStringLiteral("/бос.pdf"), QByteArray());
    writeFile(dir + QStringLiteral("/бүлінген.pdf"), QByteArray("%PDF-1.4\n garbage"));
    const QString pdf = demoCourse() + QStringLiteral("/lectures/lecture5.pdf");
    browser.course.exec(
        QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) values('HTML','%1');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('TXT','%2');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('PDF','%3');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Жоқ','%4');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Бос','%5');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Бүлінген','%6');"
                       "insert into Лабы(НазваниеЛабы,АдресЛабы) values('Зертхана','%2');")
            .arg(dir + QStringLiteral("/дәріс.html"), dir + QStringLiteral("/жазба.txt"), pdf,
                 dir + QStringLiteral("/жоқ.html"), dir + QStringLiteral("/бос.pdf"),
                 dir + QStringLiteral("/бүлінген.pdf")));
    browser.open(MaterialKinds::kLectures);
    DocumentPane* pane = browser.form->documentPane();

    browser.doubleClick(MaterialKinds::kLectures, 0);
    QCOMPARE(pane->content(), DocumentPane::Content::Html);
    QVERIFY(pane->shownText().startsWith(QStringLiteral("Бірінші дәріс")));
    // Enter does what a double-click does.
    browser.pick(MaterialKinds::kLectures, 1);
    QTest::keyClick(browser.form->list(MaterialKinds::kLectures), Qt::Key_Return);
    QCOMPARE(pane->content(), DocumentPane::Content::Text);
    QCOMPARE(pane->shownText(), QStringLiteral("Қарапайым мәтін\nекінші жол"));
    browser.doubleClick(MaterialKinds::kLectures, 2);
    QCOMPARE(pane->content(), DocumentPane::Content::Pdf);
    QVERIFY(pane->pdfPageCount() >= 1);
    QVERIFY(browser.dialogs.shown().isEmpty());

    // A missing, empty or broken file is reported; the pane keeps what it showed.
    for (int row : {3, 4, 5}) {
        browser.dialogs.clear();
        browser.doubleClick(MaterialKinds::kLectures, row);
        const QStringList errors = browser.dialogs.texts(Dialogs::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(browser.form->list(MaterialKinds::kLectures)->keys()[row]),
                 qPrintable(errors[0]));
        QCOMPARE(pane->currentPath(), pdf);
    }

    // The other list opens its own rows.
    browser.reopen(MaterialKinds::kLabs);
    browser.doubleClick(MaterialKinds::kLabs, 0);
    QCOMPARE(pane->content(), DocumentPane::Content::Text);
}

void MaterialsTest::officeDocumentConvertsOnceThenOpensFromCache()
{
    if (OfficeConverter::converterProgram().isEmpty())
        QSKIP("LibreOffice is not installed (scripts/deps installs it)");
    Browser browser;
    // A copy of the demo lecture made now has its own cache entry, so the first opening
    // converts whatever ran before.
    const QString docx = browser.course.dir() + QStringLiteral("/дәріс.docx");
    QVERIFY(QFile::copy(demoCourse() + QStringLiteral("/lectures/lecture6.docx"), docx));
    browser.course.exec(
        QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) values('Word','%1')")
            .arg(docx));
    browser.open(MaterialKinds::kLectures);
    DocumentPane* pane = browser.form->documentPane();
    QVERIFY(OfficeConverter::cachedPdf(docx).isEmpty());

    browser.doubleClick(MaterialKinds::kLectures, 0);
    QCOMPARE(pane->content(), DocumentPane::Content::Converting);
    QTRY_COMPARE_WITH_TIMEOUT(pane->content(), DocumentPane::Content::Pdf, 90000);
    QVERIFY(pane->pdfPageCount() >= 1);
    QVERIFY(!OfficeConverter::cachedPdf(docx).isEmpty());

    // The second opening needs no conversion; a changed document is converted again.
    browser.reopen(MaterialKinds::kLectures);
    browser.doubleClick(MaterialKinds::kLectures, 0);
    QCOMPARE(pane->content(), DocumentPane::Content::Pdf);
    QFile file(docx);
    QVERIFY(file.open(QIODevice::Append));
    file.write(QByteArray(16, '\0'));
    file.close();
    QVERIFY(OfficeConverter::cachedPdf(docx).isEmpty());
    QVERIFY(browser.dialogs.shown().isEmpty());
}

// A damaged Word or PowerPoint file is reported as a damaged PDF is, never converted into a page
// of its bytes; the pane keeps what it showed.
void MaterialsTest::damagedOfficeDocumentsAreReported()
{
    Browser browser;
    const QString dir = browser.course.dir();
    QByteArray noise(40000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 256);
    writeFile(dir + QStringLiteral("/шу.docx"), noise);
    writeFile(dir + QStringLiteral("/zip.pptx"), "PK\x03\x04" + noise);
    writeFile(dir + QStringLiteral("/кесілген.doc"), QByteArray("\xD0\xCF\x11").append(noise));
    writeFile(dir + QStringLiteral("/бос.odt"), QByteArray());
    QStringList names = {QStringLiteral("шу.docx"), QStringLiteral("zip.pptx"),
                         QStringLiteral("кесілген.doc"), QStringLiteral("бос.odt")};
    for (const QString& name : std::as_const(names))
        browser.course.exec(
            QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) values('%1','%2')")
                .arg(name, dir + QLatin1Char('/') + name));
    browser.open(MaterialKinds::kLectures);
    DocumentPane* pane = browser.form->documentPane();
    for (int row = 0; row < names.size(); ++row) {
        browser.dialogs.clear();
        browser.doubleClick(MaterialKinds::kLectures, row);
        QCOMPARE(browser.dialogs.texts(Dialogs::Kind::Error),
                 QStringList{QStringLiteral("Құжатты ашу мүмкін емес, файл бүлінген болуы мүмкін: "
                                            "%1.")
                                 .arg(dir + QLatin1Char('/') + names[row])});
        QVERIFY(pane->content() != DocumentPane::Content::Converting);
        QCOMPARE(pane->currentPath(), TForm7::blankPage());
    }
}

void MaterialsTest::officeDocumentWithoutLibreOffice()
{
    Browser browser;
    const QString docx = browser.course.dir() + QStringLiteral("/жаңа.odt");
    writeFile(docx, "not really a document");
    browser.course.exec(
        QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) values('ODT','%1')")
            .arg(docx));
    browser.open(MaterialKinds::kLectures);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    browser.doubleClick(MaterialKinds::kLectures, 0);
    qputenv("PATH", path);
    const QStringList errors = browser.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("LibreOffice")) &&
                 errors[0].contains(QStringLiteral("libreoffice-writer-nogui")),
             qPrintable(errors[0]));
    QCOMPARE(browser.form->documentPane()->currentPath(), TForm7::blankPage());
}

void MaterialsTest::videosOpenOnTheRealMediaSystem()
{
    Browser browser;
    const QString videos = demoCourse() + QStringLiteral("/videos/");
    browser.course.exec(
        QStringLiteral(
            "insert into Видео(НазваниеВидео,АдресВидео) values('AVI','%1intro.avi');"
            "insert into Видео(НазваниеВидео,АдресВидео) values('MPG','%1algorithms.mpg');"
            "insert into Видео(НазваниеВидео,АдресВидео) values('WMV','%1network.wmv');")
            .arg(videos));
    browser.open(MaterialKinds::kVideos);
    MediaPlayer* player = browser.form->mediaPlayer();
    QVERIFY(browser.form->videoPanel()->isVisible());
    QVERIFY(!player->isVisible());

    for (int row = 0; row < 3; ++row) {
        browser.doubleClick(MaterialKinds::kVideos, row);
        QVERIFY2(browser.dialogs.shown().isEmpty(),
                 qPrintable(browser.dialogs.texts().join(QLatin1Char('\n'))));
        QVERIFY(player->isVisible());
        QCOMPARE(player->fileName(), browser.form->list(MaterialKinds::kVideos)->keys()[row]);
        // Opened, not started; the picture fills the panel.
        QVERIFY(!player->isPlaying());
        QVERIFY(player->playButton()->isEnabled() && !player->stopButton()->isEnabled());
        QCOMPARE(player->videoWidget()->geometry().size(),
                 browser.form->videoPanel()->contentsRect().size());
    }
    QTest::mouseClick(player->playButton(), Qt::LeftButton);
    QTRY_VERIFY(player->isPlaying());
    QVERIFY(!player->playButton()->isEnabled() && player->stopButton()->isEnabled());
    QTRY_VERIFY(player->position() > 0);
    QTest::mouseClick(player->stopButton(), Qt::LeftButton);
    QTRY_VERIFY(!player->isPlaying());
    const qint64 stoppedAt = player->position();
    QVERIFY(stoppedAt > 0); // Stop halts where it is
    QVERIFY(player->playButton()->isEnabled() && !player->stopButton()->isEnabled());

    // Another kind hides the panel over the pane; the video stays open.
    browser.reopen(MaterialKinds::kLectures);
    QVERIFY(!browser.form->videoPanel()->isVisible());
    QCOMPARE(player->fileName(), videos + QStringLiteral("network.wmv"));
}

void MaterialsTest::brokenVideosReportTheMediaSystemsText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("табылмады");
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    QTest::newRow("corrupt") << noise << QString();
    QTest::newRow("empty") << QByteArray("") << QString();
}

void MaterialsTest::brokenVideosReportTheMediaSystemsText()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    Browser browser;
    const QString path = browser.course.dir() + QStringLiteral("/бейне.avi");
    if (QTest::currentDataTag() != QLatin1String("missing"))
        writeFile(path, content);
    browser.course.exec(
        QStringLiteral("insert into Видео(НазваниеВидео,АдресВидео) values('V','%1')").arg(path));
    browser.open(MaterialKinds::kVideos);
    browser.doubleClick(MaterialKinds::kVideos, 0);
    const QStringList errors = browser.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    // The path, then the media system's own words.
    QVERIFY2(errors[0].startsWith(path) || errors[0].contains(expected), qPrintable(errors[0]));
    if (!expected.isEmpty())
        QVERIFY2(errors[0].contains(expected), qPrintable(errors[0]));
    else
        QVERIFY2(errors[0].size() > path.size() + 4, qPrintable(errors[0]));
    MediaPlayer* player = browser.form->mediaPlayer();
    QVERIFY(player->isVisible()); // shown before the open failed, and stays
    QVERIFY(!player->isOpen());
    QVERIFY(!player->playButton()->isEnabled() && !player->stopButton()->isEnabled());
}

// The real chooser, not the seam: the one filter of the kind is preselected, and choosing a file
// in another folder leaves the program's working folder alone.
void MaterialsTest::realChooserKeepsTheWorkingFolder()
{
    Browser browser;
    browser.form->editingGroup()->show();
    browser.open(MaterialKinds::kVideos);
    QTemporaryDir other;
    const QString chosen = other.filePath(QStringLiteral("сабақ.avi"));
    writeFile(chosen, "x");
    const QString working = QDir::currentPath();

    QString selectedFilter;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        QFileDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* candidate = qobject_cast<QFileDialog*>(widget);
                candidate && candidate->isVisible())
                dialog = candidate;
        if (!dialog)
            return;
        poll.stop();
        selectedFilter = dialog->selectedNameFilter();
        // Typed into the chooser's name field, as a user may.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    poll.start(20);
    // A chooser that never came up for the poll is closed, so the test fails instead of hanging.
    QTimer::singleShot(10000, this, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(widget))
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    // Only the chooser is real: the seam answers the title prompt.
    browser.dialogs.useRealFileChooser(true);
    browser.dialogs.answerInput(QStringLiteral("Сабақ"));
    browser.press("sButton3");
    QVERIFY2(selectedFilter.startsWith(QStringLiteral("Видео (*.avi,*.wmv,*.mpg)")),
             qPrintable(selectedFilter));
    QCOMPARE(QDir::currentPath(), working);
    QCOMPARE(browser.course.scalar(QStringLiteral("select АдресВидео from Видео")), chosen);
}

void MaterialsTest::keyboardReachesEveryControl()
{
    Browser browser(kRows);
    browser.form->editingGroup()->show();
    browser.open(MaterialKinds::kLectures);
    browser.form->activateWindow();
    QWidget* start = browser.form->findChild<QPushButton*>(QStringLiteral("sButton3"));
    QWidget* widget = start;
    QStringList reached;
    do {
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus)) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
            const QString name = face ? face->text(QAccessible::Name) : QString();
            QVERIFY2(!name.isEmpty(), qPrintable(widget->objectName()));
            reached << name;
        }
        widget = widget->nextInFocusChain();
    } while (widget != start);
    for (const char* name : {"Қосу", "Өшіру", "Табу", "Барлық жазба", "Дәрістер", "Құжат"})
        QVERIFY2(reached.contains(QString::fromUtf8(name)), name);
    QVERIFY(reached.indexOf(QStringLiteral("Қосу")) < reached.indexOf(QStringLiteral("Табу")));
    QVERIFY(reached.indexOf(QStringLiteral("Табу")) < reached.indexOf(QStringLiteral("Дәрістер")));
}

void MaterialsTest::mainWindowOpensItAndSignInDecidesEditing()
{
    for (const bool administrator : {true, false}) {
        MaterialKind = 0;
        TestCourse course;
        course.exec(QStringLiteral(
            "insert into Пользователи(Логин,Пароль) values('Chief','pw');"
            "insert into Пользователи(Логин,Пароль) values('aigerim','12345');"
            "insert into Лабы(НазваниеЛабы,АдресЛабы) values('Зертхана','/b/1.html');"));
        DialogScript dialogs;
        WindowRegistry windows;
        windows.createAll();
        windows.form1()->show();
        TForm3* signIn = windows.form3();
        signIn->findChild<QLineEdit*>(QStringLiteral("UserName"))
            ->setText(administrator ? QStringLiteral("Chief") : QStringLiteral("aigerim"));
        signIn->findChild<QLineEdit*>(QStringLiteral("Password"))
            ->setText(administrator ? QStringLiteral("pw") : QStringLiteral("12345"));
        QTest::mouseClick(signIn->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
        QTest::mouseClick(windows.form1()->labsButton(), Qt::LeftButton);
        TForm7* browser = windows.form7();
        QVERIFY(browser->isVisible());
        QCOMPARE(browser->windowTitle(), QStringLiteral("Лабораторлык жумыс"));
        QCOMPARE(browser->list(MaterialKinds::kLabs)->titles(),
                 QStringList{QStringLiteral("Зертхана")});
        QCOMPARE(browser->editingGroup()->isVisible(), administrator);
        QVERIFY(dialogs.shown().isEmpty());
    }
}

QTEST_MAIN(MaterialsTest)
#include "tst_materials.moc"
