// The teacher's window: a question file previewed and imported, an import cancelled that leaves
// the bank as it was, exports and the report through the window, and every control named for a
// screen reader. OKULYK_SHOTS=FOLDER saves a picture of each page there.

#include "Commands.h"
#include "Dialogs.h"
#include "ImportPage.h"
#include "KazakhMessages.h"
#include "QuestionFile.h"
#include "TeacherWindow.h"
#include "TestCourse.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

QString sample(const QString& name)
{
    return TestCourse::testDataDir() + QStringLiteral("/admin/") + name;
}

// Waits for the window's current work to end; its status.
int waitForWork(TeacherWindow& window)
{
    QSignalSpy finished(&window, &TeacherWindow::workFinished);
    if (!window.runner().isBusy())
        return -1;
    if (!finished.wait(60000))
        return -2;
    return finished.constFirst().constFirst().toInt();
}

template <typename T> T* child(const QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

} // namespace

class TeacherTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void previewThenImport();
    void cancelledImportLeavesTheBank();
    void exportsAndReportThroughTheWindow();
    void everyControlIsNamedAndShown();
    void messagesReadInKazakh();

private:
    QStringList m_opened;
};

void TeacherTest::init()
{
    QCoreApplication::setOrganizationName(QStringLiteral("okulyk-tests"));
    TeacherWindow::setOpener([this](const QString& path) { m_opened << path; });
    m_opened.clear();
}

// Nothing is stored by the preview; the import then stores exactly what it showed.
void TeacherTest::previewThenImport()
{
    TestCourse course;
    DialogScript dialogs;
    TeacherWindow window;
    window.openCourse(CourseLocation::file(course.dbPath()));
    QVERIFY(window.windowTitle().contains(course.dbPath()));

    ImportPage& page = *window.importPage();
    page.preview(sample("word-handwritten.docx"));
    QCOMPARE(waitForWork(window), int(Commands::Done));
    QCOMPARE(page.previewedQuestions(), 2);
    QCOMPARE(page.previewedRefusals(), 2);
    auto* preview = child<QTreeWidget>(page, "Preview");
    QCOMPARE(preview->topLevelItemCount(), 2);
    // The right option is marked, in the order the import stores (shuffled by its seed).
    int marked = 0;
    for (int option = 0; option < 5; ++option)
        marked += preview->topLevelItem(1)->child(option)->text(0).startsWith(u'✔') ? 1 : 0;
    QCOMPARE(marked, 1);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")), QStringLiteral("0"));
    const QString shownRight = [&] {
        for (int option = 0; option < 5; ++option) {
            const QString text = preview->topLevelItem(1)->child(option)->text(0);
            if (text.startsWith(u'✔'))
                return text.mid(5);
        }
        return QString();
    }();

    QTest::mouseClick(child<QPushButton>(page, "Import"), Qt::LeftButton);
    QCOMPARE(waitForWork(window), int(Commands::DoneWithWarnings));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")), QStringLiteral("2"));
    QCOMPARE(course.scalar(QStringLiteral("select case ОтветПр when 1 then Ответ1 when 2 then "
                                          "Ответ2 when 3 then Ответ3 when 4 then Ответ4 else "
                                          "Ответ5 end from БДТест where Вопрос like 'Екілік%'")),
             shownRight);
    QVERIFY(child<QLabel>(page, "Summary")->text().contains(QStringLiteral("2 сұрақ банкке")));

    // A file that is no question file: a clear message, nothing to import.
    QFile notes(course.dir() + QStringLiteral("/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("Just some notes.\n");
    notes.close();
    page.preview(notes.fileName());
    QCOMPARE(waitForWork(window), int(Commands::Failed));
    QCOMPARE(dialogs.texts(Dialogs::Kind::Error).size(), 1);
    QVERIFY(dialogs.texts(Dialogs::Kind::Error)[0].contains(QStringLiteral("notes.txt")));
    QVERIFY(!child<QPushButton>(page, "Import")->isEnabled());
}

// Cancel while the import runs: the command stops at its next step and its transaction leaves
// the bank as it was.
void TeacherTest::cancelledImportLeavesTheBank()
{
    TestCourse course;
    DialogScript dialogs;
    QFile file(course.dir() + QStringLiteral("/many.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20000; ++i)
        file.write(QStringLiteral("Сұрақ %1\nA) a\nB) b\nC) c\nD) d\nE) e\nANSWER: B\n\n")
                       .arg(i)
                       .toUtf8());
    file.close();
    TeacherWindow window;
    window.openCourse(CourseLocation::file(course.dbPath()));
    window.importPage()->preview(file.fileName());
    QCOMPARE(waitForWork(window), int(Commands::Done));
    QCOMPARE(window.importPage()->previewedQuestions(), 20000);
    // The list shows the first 2,000 and says how many more the import stores.
    auto* preview = child<QTreeWidget>(*window.importPage(), "Preview");
    QCOMPARE(preview->topLevelItemCount(), 2001);
    QVERIFY(preview->topLevelItem(2000)->text(0).contains(QStringLiteral("18000")));

    QSignalSpy finished(&window, &TeacherWindow::workFinished);
    QTest::mouseClick(child<QPushButton>(*window.importPage(), "Import"), Qt::LeftButton);
    auto* cancel = child<QPushButton>(window, "Cancel");
    QVERIFY(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.constFirst().constFirst().toInt(), int(Commands::Stopped));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")), QStringLiteral("0"));
    QVERIFY(child<QLabel>(window, "Status")->text().startsWith(QStringLiteral("Тоқтатылды")));
    QVERIFY(!cancel->isEnabled());
    QVERIFY(child<QPushButton>(*window.importPage(), "Import")->isEnabled());
}

// The bank out as Moodle XML through the save chooser, and the report written and opened.
void TeacherTest::exportsAndReportThroughTheWindow()
{
    TestCourse course;
    course.seedDemo();
    DialogScript dialogs;
    TeacherWindow window;
    window.openCourse(CourseLocation::file(course.dbPath()));

    const QString xml = course.dir() + QStringLiteral("/bank.xml");
    dialogs.answerFile({true, xml});
    QTest::mouseClick(child<QPushButton>(window, "ExportQuestions"), Qt::LeftButton);
    QCOMPARE(waitForWork(window), int(Commands::Done));
    QFile exported(xml);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const auto back = QuestionFile::read(exported.readAll());
    QCOMPARE(back.format, std::optional(QuestionFile::Format::MoodleXml));
    QCOMPARE(QString::number(back.result.questions.size()),
             course.scalar(QStringLiteral("select count(*) from БДТест")));

    const QString report = course.dir() + QStringLiteral("/esep.html");
    dialogs.answerFile({true, report});
    QTest::mouseClick(child<QPushButton>(window, "Report"), Qt::LeftButton);
    QCOMPARE(waitForWork(window), int(Commands::Done));
    QCOMPARE(m_opened, QStringList{report});

    // The save chooser cancelled: nothing runs.
    QTest::mouseClick(child<QPushButton>(window, "ExportResults"), Qt::LeftButton);
    QVERIFY(!window.runner().isBusy());
}

void TeacherTest::everyControlIsNamedAndShown()
{
    TestCourse course;
    DialogScript dialogs;
    TeacherWindow window;
    window.openCourse(CourseLocation::file(course.dbPath()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* tabs = child<QTabWidget>(window, "Tools");
    const QString shots = qEnvironmentVariable("OKULYK_SHOTS");
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        if (!shots.isEmpty())
            window.grab().save(QStringLiteral("%1/teacher-%2.png").arg(shots).arg(tab + 1));
    }
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window) ||
            widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                 qPrintable(QStringLiteral("%1 (%2) has no accessible name")
                                .arg(widget->objectName(),
                                     QLatin1String(widget->metaObject()->className()))));
    }
}

// Every reason the sample files give for a skipped question, and the commands' own lines, read
// in Kazakh in the window; file names and numbers stay as they are.
void TeacherTest::messagesReadInKazakh()
{
    // English shows in its little words; names (files, formats, types) may stay.
    static const QRegularExpression english(
        QStringLiteral("\\b(the|a|an|is|are|has|have|and|or|not|no|with|which|of|to|in|from|"
                       "for|before|after|skipped|added|written|left|out|cannot|file|question)\\b"));
    const auto checkKazakh = [&](const QString& message) {
        const QString kazakh = KazakhMessages::translate(message);
        const QString withoutNames = QString(kazakh).remove(
            QRegularExpression(QStringLiteral("«[^»]*»|<[^>]*>|\\S*[/.]\\S*")));
        QVERIFY2(!withoutNames.contains(english),
                 qPrintable(message + QStringLiteral(" → ") + kazakh));
    };
    int reasons = 0;
    for (const QFileInfo& file : QDir(sample(QString())).entryInfoList(QDir::Files)) {
        QFile bytes(file.filePath());
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        const QuestionFile::Outcome outcome = QuestionFile::read(bytes.readAll());
        if (!outcome.error.isEmpty()) {
            checkKazakh(outcome.error);
            ++reasons;
        }
        for (const QList<Refusal>* list : {&outcome.result.refusals, &outcome.result.notes}) {
            for (const Refusal& refusal : *list) {
                checkKazakh(refusal.reason);
                ++reasons;
            }
        }
    }
    QVERIFY2(reasons >= 25, qPrintable(QString::number(reasons)));
    for (const char* line :
         {"okulyk-admin: cancelled; nothing was changed",
          "/tmp/x/bank.txt:12: skipped: the question has 4 options; the bank holds questions "
          "with exactly 5",
          "bank.txt (aiken, UTF-8): 3 questions added to БДТест in /tmp/db.mdb, 1 skipped",
          "esep.html: report of 12 results from server:okulyk",
          "120 attempts; score mean 17.20, median 18.00, SD 4.10, skewness -0.30; alpha (KR-20) "
          "0.78, SEM 1.92"})
        checkKazakh(QString::fromUtf8(line));
    // A file name that looks like a placeholder stays as written.
    QCOMPARE(KazakhMessages::translate(QStringLiteral("a%2b.txt:3: skipped: there are no options")),
             QStringLiteral("a%2b.txt, 3-жол: өткізілді: нұсқалар жоқ"));
    QCOMPARE(KazakhMessages::translate(QStringLiteral("Серверге қосылу мүмкін емес")),
             QStringLiteral("Серверге қосылу мүмкін емес"));
}

QTEST_MAIN(TeacherTest)
#include "tst_teacher.moc"
