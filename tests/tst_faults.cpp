// Faulty files: the database missing, unreadable, read-only, of another kind, truncated, short
// of a table or a column or with columns of its own; documents, videos, the blank page and the
// help file missing, empty or corrupt. Each gives the described error or a clear one, the
// program goes on running, and no file that must not change is changed by a single byte.

#include "AppError.h"
#include "Connection.h"
#include "Dialogs.h"
#include "DocumentPane.h"
#include "HelpViewer.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialKinds.h"
#include "MaterialsWindow.h"
#include "MediaPlayer.h"
#include "Process.h"
#include "QuestionEditorWindow.h"
#include "RecordNavigator.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "UsersModel.h"
#include "UsersWindow.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_faultsTried = 0;

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// Every file under a folder with its content's hash: compared before and after, it shows that
// nothing was written, created or removed there.
QMap<QString, QByteArray> folderState(const QString& folder)
{
    QMap<QString, QByteArray> state;
    QDirIterator it(folder,
                    QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        state.insert(path, info.isFile() ? hashOf(path) : QByteArray("-"));
    }
    return state;
}

QByteArray noise(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    quint32 state = 2166136261u ^ quint32(seed);
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

// The bytes of a demo database (the schema and the demo rows), made in a folder of its own.
QByteArray demoDatabase()
{
    static const QByteArray bytes = [] {
        TestCourse course;
        course.seedDemo();
        QFile file(course.dbPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    return bytes;
}

const QString kSchemaUsers = QStringLiteral("Пользователи");

// The program on a course folder: the windows built, the main window shown behind the sign-in.
struct Program {
    explicit Program(TestCourse& course) : course(course)
    {
        Process::setTerminateHook([this](int status) { exits << status; });
        windows.createAll();
        windows.form1()->show();
    }
    ~Program() { Process::setTerminateHook({}); }

    bool signIn(const QString& login, const QString& password)
    {
        TForm3* form = windows.form3();
        form->findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(login);
        form->findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
        return !form->isVisible();
    }
    // Takes the test and submits it as drawn.
    void submitTest()
    {
        QTest::mouseClick(windows.form1()->testButton(), Qt::LeftButton);
        QTest::mouseClick(windows.form8()->takeTestButton(), Qt::LeftButton);
        QTest::mouseClick(
            windows.form2()->findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
            Qt::LeftButton);
    }
    // Adds a user through the users window.
    void addUser(const QString& login)
    {
        TForm5* users = windows.form5();
        users->showModeless();
        users->findChild<QLineEdit*>(QStringLiteral("loginField"))->setText(login);
        users->findChild<QLineEdit*>(QStringLiteral("passwordField"))->setText(login);
        QTest::mouseClick(users->findChild<QAbstractButton*>(QStringLiteral("sBitBtn1")),
                          Qt::LeftButton);
    }
    bool running() const { return exits.isEmpty(); }

    TestCourse& course;
    DialogScript dialogs;
    WindowRegistry windows;
    QList<int> exits;
};

QString joined(const QStringList& texts)
{
    QStringList shortened;
    for (const QString& text : texts)
        shortened << text.left(160);
    return shortened.join(QLatin1Char('\n'));
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase();

    void faultyDatabaseIsReportedAndTheProgramGoesOn_data();
    void faultyDatabaseIsReportedAndTheProgramGoesOn();
    void fileWithoutReadPermission();
    void readOnlyDatabaseRefusesEveryChange();
    void missingTableIsNamedAndTheRestWorks_data();
    void missingTableIsNamedAndTheRestWorks();
    void missingColumnIsNamed_data();
    void missingColumnIsNamed();
    void extraColumnsAreKeptAndEverythingWorks();
    void extraColumnThatMustBeFilledIsReported();
    void faultyDocumentsAreRefusedClearly_data();
    void faultyDocumentsAreRefusedClearly();
    void largeDocumentsAreRefusedQuickly();
    void faultyVideosAreRefusedClearly_data();
    void faultyVideosAreRefusedClearly();
    void blankPageFaultsLeaveThePaneBlank_data();
    void blankPageFaultsLeaveThePaneBlank();
    void helpFileFaultsGiveAClearMessage_data();
    void helpFileFaultsGiveAClearMessage();
};

void FaultsTest::cleanupTestCase()
{
    qInfo("faulty files: %d faults tried, each reported with the program still running",
          g_faultsTried);
}

void FaultsTest::faultyDatabaseIsReportedAndTheProgramGoesOn_data()
{
    using Setup = std::function<void(const QString& path)>;
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("expected");
    const QString access = TestCourse::testDataDir() + QStringLiteral("/access-jet4-cyrillic.mdb");
    const QString nwind = TestCourse::testDataDir() + QStringLiteral("/nwind.mdb");
    QTest::newRow("missing") << Setup([](const QString&) {}) << QStringLiteral("does not exist");
    QTest::newRow("dangling link")
        << Setup([](const QString& path) { QFile::link(path + QStringLiteral(".gone"), path); })
        << QStringLiteral("does not exist");
    QTest::newRow("folder") << Setup([](const QString& path) { QDir().mkdir(path); })
                            << QStringLiteral("it is not a file");
    QTest::newRow("named pipe") << Setup([](const QString& path) {
        mkfifo(QFile::encodeName(path).constData(), 0644);
    }) << QStringLiteral("it is not a file");
    QTest::newRow("random bytes") << Setup([](const QString& path) {
        writeFile(path, noise(64 * 1024, 1));
    }) << QStringLiteral("file is not a database");
    QTest::newRow("text file") << Setup([](const QString& path) {
        writeFile(path, "Логин;Пароль\nChief;pw\n");
    }) << QStringLiteral("file is not a database");
    QTest::newRow("Access, Jet 4")
        << Setup([access](const QString& path) { QFile::copy(access, path); })
        << QStringLiteral("Microsoft Access");
    QTest::newRow("Access, Jet 3")
        << Setup([nwind](const QString& path) { QFile::copy(nwind, path); })
        << QStringLiteral("Microsoft Access");
    QTest::newRow("SQLite header only")
        << Setup([](const QString& path) { writeFile(path, demoDatabase().left(100)); })
        << QStringLiteral("malformed");
    QTest::newRow("first page only")
        << Setup([](const QString& path) { writeFile(path, demoDatabase().left(4096)); })
        << QStringLiteral("malformed");
    QTest::newRow("half of the file") << Setup([](const QString& path) {
        writeFile(path, demoDatabase().left(demoDatabase().size() / 2));
    }) << QStringLiteral("malformed");
    QTest::newRow("pages overwritten") << Setup([](const QString& path) {
        QByteArray bytes = demoDatabase();
        bytes.replace(4096, 8192, noise(8192, 2));
        writeFile(path, bytes);
    }) << QStringLiteral("malformed");
}

// Start-up reports each failure and comes up behind the sign-in window; signing in reports the
// failure again (or refuses); nothing is created or written in the course folder.
void FaultsTest::faultyDatabaseIsReportedAndTheProgramGoesOn()
{
    using Setup = std::function<void(const QString& path)>;
    QFETCH(Setup, setup);
    QFETCH(QString, expected);
    ++g_faultsTried;
    TestCourse course(TestCourse::Database::None);
    setup(course.dbPath());
    const auto before = folderState(course.dir());
    QElapsedTimer timer;
    timer.start();
    {
        Program program(course);
        const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
        QVERIFY2(!errors.isEmpty(), "start-up reported nothing");
        QVERIFY2(errors[0].contains(expected), qPrintable(joined(errors)));
        QVERIFY(program.windows.form3()->isVisible());
        program.dialogs.clear();
        QVERIFY(!program.signIn(QStringLiteral("Chief"), QStringLiteral("pw")));
        QVERIFY2(!program.dialogs.shown().isEmpty(), "signing in reported nothing");
        QVERIFY(program.running());
    }
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(folderState(course.dir()) == before);
}

// The permission bits are honoured where the system honours them; the superuser reads the file
// anyway, and then it works and is left as it was.
void FaultsTest::fileWithoutReadPermission()
{
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    QVERIFY(QFile::setPermissions(course.dbPath(), {}));
    const auto before = folderState(course.dir());
    {
        Program program(course);
        if (geteuid() == 0) {
            QVERIFY2(program.dialogs.shown().isEmpty(),
                     qPrintable(joined(program.dialogs.texts())));
            QVERIFY(program.signIn(QStringLiteral("Chief"), QStringLiteral("admin123")));
        } else {
            const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
            QVERIFY(!errors.isEmpty());
            QVERIFY2(errors[0].contains(QStringLiteral("db.mdb")), qPrintable(errors[0]));
        }
        QVERIFY(program.running());
    }
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(folderState(course.dir()) == before);
}

// A database without write permission opens for reading: everyone signs in and reads, and each
// change is refused with the store's reason instead of being lost silently.
void FaultsTest::readOnlyDatabaseRefusesEveryChange()
{
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    QVERIFY(QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                       QFileDevice::ReadOther));
    const auto before = folderState(course.dir());
    {
        Program program(course);
        QVERIFY2(program.dialogs.shown().isEmpty(), qPrintable(joined(program.dialogs.texts())));
        QVERIFY(program.signIn(QStringLiteral("Chief"), QStringLiteral("admin123")));
        QVERIFY(program.windows.form7()->editingGroup()->isVisibleTo(program.windows.form7()));

        program.submitTest();
        QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("readonly")), qPrintable(errors[0]));
        QVERIFY(program.windows.form2()->isVisible()); // the attempt stays for a retry

        program.dialogs.clear();
        program.addUser(QStringLiteral("жаңа"));
        errors = program.dialogs.texts(Dialogs::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("readonly")), qPrintable(errors[0]));
        QCOMPARE(
            program.windows.form5()->findChild<QLineEdit*>(QStringLiteral("loginField"))->text(),
            QStringLiteral("жаңа"));
        QVERIFY(program.running());
    }
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(folderState(course.dir()) == before);
}

void FaultsTest::missingTableIsNamedAndTheRestWorks_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("reports"); // boxes at start-up: one per data set built over it
    QTest::newRow("question bank") << QStringLiteral("БДТест") << 7 + 1 + 1;
    QTest::newRow("users") << kSchemaUsers << 2 + 1 + 1;
    QTest::newRow("results") << QStringLiteral("Тесты") << 1;
    QTest::newRow("lectures") << QStringLiteral("Лекции") << 1 + 1;
    QTest::newRow("laboratory works") << QStringLiteral("Лабы") << 1 + 1;
    QTest::newRow("videos") << QStringLiteral("Видео") << 1 + 1;
}

// Every box names the missing table; whatever does not need it works.
void FaultsTest::missingTableIsNamedAndTheRestWorks()
{
    QFETCH(QString, table);
    QFETCH(int, reports);
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    course.exec(QStringLiteral("drop table \"%1\"").arg(table));
    Program program(course);
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors, QStringList(reports, QStringLiteral("no such table: %1.").arg(table)));
    program.dialogs.clear();
    const bool signedIn = program.signIn(QStringLiteral("Chief"), QStringLiteral("admin123"));
    QCOMPARE(signedIn, table != kSchemaUsers);
    if (!signedIn) {
        // The login list never opened, as the start-up boxes said.
        const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("closed dataset")), qPrintable(errors[0]));
        QVERIFY(program.windows.form3()->isVisible());
        return;
    }
    // A result is stored unless its own table is missing.
    const QString results =
        course.scalar(QStringLiteral("select count(*) from sqlite_master where name='Тесты'")) ==
                QStringLiteral("1")
            ? course.scalar(QStringLiteral("select count(*) from Тесты"))
            : QString();
    program.submitTest();
    if (table == QStringLiteral("Тесты") || table == QStringLiteral("БДТест")) {
        QVERIFY(!program.dialogs.texts(Dialogs::Kind::Error).isEmpty());
    } else {
        QVERIFY2(program.dialogs.texts(Dialogs::Kind::Error).isEmpty(),
                 qPrintable(joined(program.dialogs.texts())));
        QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")).toInt(),
                 results.toInt() + 1);
    }
    QVERIFY(program.running());
}

void FaultsTest::missingColumnIsNamed_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("question") << QStringLiteral("БДТест") << QStringLiteral("Вопрос");
    QTest::newRow("answer E") << QStringLiteral("БДТест") << QStringLiteral("Ответ5");
    QTest::newRow("right answer") << QStringLiteral("БДТест") << QStringLiteral("ОтветПр");
    QTest::newRow("password") << kSchemaUsers << QStringLiteral("Пароль");
    QTest::newRow("group") << kSchemaUsers << QStringLiteral("Группа");
    QTest::newRow("score") << QStringLiteral("Тесты") << QStringLiteral("Верно");
    QTest::newRow("lecture path") << QStringLiteral("Лекции") << QStringLiteral("АдресЛекции");
    QTest::newRow("video title") << QStringLiteral("Видео") << QStringLiteral("НазваниеВидео");
}

// Each box that the missing column causes names it, at start-up or at the first action that
// needs it; the program goes on, and the file keeps its rows.
void FaultsTest::missingColumnIsNamed()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    course.exec(QStringLiteral("alter table \"%1\" drop column \"%2\"").arg(table, column));
    const auto before = course.contents();
    Program program(course);
    if (table != kSchemaUsers || column == QStringLiteral("Группа"))
        program.signIn(QStringLiteral("Chief"), QStringLiteral("admin123"));
    // The actions that read or write the table.
    QTest::mouseClick(program.windows.form1()->testButton(), Qt::LeftButton);
    QTest::mouseClick(program.windows.form8()->resultsButton(), Qt::LeftButton);
    program.windows.form4()->showModeless();
    QTest::mouseClick(program.windows.form1()->videoButton(), Qt::LeftButton);
    QTest::mouseClick(program.windows.form1()->lecturesButton(), Qt::LeftButton);
    program.windows.form7()->close();
    QTest::mouseClick(program.windows.form1()->lecturesButton(), Qt::LeftButton);
    if (table == QStringLiteral("Тесты"))
        program.submitTest();
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
    QVERIFY2(!errors.isEmpty(), "nothing reported the missing column");
    for (const QString& error : errors)
        QVERIFY2(error.contains(column) || error.contains(QStringLiteral("no such column")) ||
                     error.contains(QStringLiteral("has no column")),
                 qPrintable(joined(errors)));
    QVERIFY(program.running());
    QVERIFY(course.contents() == before || table == QStringLiteral("Тесты"));
}

// A database made by another tool may carry columns of its own: they are kept with their
// values, and every window reads and writes the columns it knows.
void FaultsTest::extraColumnsAreKeptAndEverythingWorks()
{
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    for (const char* table : {"БДТест", "Пользователи", "Тесты", "Лекции", "Лабы", "Видео"})
        course.exec(QStringLiteral("alter table \"%1\" add column Ескерту TEXT default 'қосымша'")
                        .arg(QString::fromUtf8(table)));
    const QString bank = course.scalar(QStringLiteral("select count(*) from БДТест"));
    Program program(course);
    QVERIFY2(program.dialogs.shown().isEmpty(), qPrintable(joined(program.dialogs.texts())));
    QVERIFY(program.signIn(QStringLiteral("Chief"), QStringLiteral("admin123")));
    program.submitTest();
    program.addUser(QStringLiteral("жаңа"));
    QTest::mouseClick(program.windows.form1()->testButton(), Qt::LeftButton);
    QTest::mouseClick(program.windows.form8()->resultsButton(), Qt::LeftButton);
    TForm4* editor = program.windows.form4();
    editor->showModeless();
    auto* question = qobject_cast<QPlainTextEdit*>(editor->field(QuestionBankModel::Question));
    question->selectAll();
    question->insertPlainText(QStringLiteral("Өзгертілген сұрақ"));
    QTest::mouseClick(editor->navigator()->button(RecordNavigator::Post), Qt::LeftButton);
    QVERIFY2(program.dialogs.texts(Dialogs::Kind::Error).isEmpty(),
             qPrintable(joined(program.dialogs.texts())));
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Message).size(), 1); // the score

    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")), bank);
    QCOMPARE(course.scalar(QStringLiteral("select Ескерту from БДТест where Вопрос="
                                          "'Өзгертілген сұрақ'")),
             QStringLiteral("қосымша"));
    QCOMPARE(course.scalar(QStringLiteral("select Ескерту||Пользователь from Тесты order by "
                                          "rowid desc limit 1")),
             QStringLiteral("қосымшаChief"));
    QCOMPARE(course.scalar(QStringLiteral("select Ескерту from Пользователи where Логин='жаңа'")),
             QStringLiteral("қосымша"));
    // The results grid shows every column of its query, the extra one too (and the time).
    QCOMPARE(program.windows.form6()->model()->columnCount(), 4);
    QVERIFY(program.running());
}

void FaultsTest::extraColumnThatMustBeFilledIsReported()
{
    ++g_faultsTried;
    TestCourse course;
    course.seedDemo();
    course.exec(QStringLiteral("create table t as select * from Тесты; drop table Тесты;"
                               "create table Тесты(Пользователь TEXT, Верно INTEGER,"
                               " Время INTEGER, Күні TEXT NOT NULL);"
                               "insert into Тесты select *, 'x' from t;"
                               "drop table t;"));
    const auto before = course.contents();
    Program program(course);
    QVERIFY(program.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    program.submitTest();
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("NOT NULL")) &&
                 errors[0].contains(QStringLiteral("Күні")),
             qPrintable(errors[0]));
    QVERIFY(course.contents() == before);
    QVERIFY(program.running());
}

namespace {

// The materials browser over one lecture whose path is the document under test.
struct Browser {
    explicit Browser(TestCourse& course, const QString& path)
    {
        MaterialKind = 0;
        course.insert(QStringLiteral("Лекции"),
                      {QStringLiteral("НазваниеЛекции"), QStringLiteral("АдресЛекции")},
                      {QStringLiteral("Құжат"), path});
        for (QToolButton* toggle : toggles) {
            toggle->setCheckable(true);
            group.addButton(toggle);
        }
        form = std::make_unique<TForm7>(TForm7::KindToggles{toggles[0], toggles[1], toggles[2]});
    }
    ~Browser()
    {
        form.reset();
        qDeleteAll(toggles);
    }
    void show(quint8 kind)
    {
        toggles[kind - 1]->setChecked(true);
        form->showModeless();
    }
    // Double-clicks the first row of the kind's list.
    void open(quint8 kind)
    {
        LookupList* list = form->list(kind);
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    DialogScript dialogs;
    QButtonGroup group;
    std::array<QToolButton*, 3> toggles{new QToolButton, new QToolButton, new QToolButton};
    std::unique_ptr<TForm7> form;
};

QByteArray minimalPdf()
{
    return QByteArray("%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                      "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                      "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
                      "trailer<</Root 1 0 R>>\n%%EOF\n");
}

} // namespace

void FaultsTest::faultyDocumentsAreRefusedClearly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected"); // empty: shown without a message
    const QByteArray none("<missing>");
    QTest::newRow("missing") << QStringLiteral("жоқ.html") << none
                             << QStringLiteral("Құжат табылмады");
    QTest::newRow("folder") << QStringLiteral("бума.html") << QByteArray("<folder>")
                            << QStringLiteral("бума");
    QTest::newRow("empty HTML") << QStringLiteral("бос.html") << QByteArray() << QString();
    QTest::newRow("empty text") << QStringLiteral("бос.txt") << QByteArray() << QString();
    QTest::newRow("HTML of random bytes")
        << QStringLiteral("шу.html") << noise(200000, 3) << QString();
    QTest::newRow("empty PDF") << QStringLiteral("бос.pdf") << QByteArray()
                               << QStringLiteral("PDF");
    QTest::newRow("PDF of random bytes")
        << QStringLiteral("шу.pdf") << noise(50000, 4) << QStringLiteral("PDF");
    QTest::newRow("PDF cut short")
        << QStringLiteral("қысқа.pdf") << minimalPdf().left(60) << QStringLiteral("PDF");
    QTest::newRow("PDF header only")
        << QStringLiteral("тақырып.pdf") << QByteArray("%PDF-1.7\n") << QStringLiteral("PDF");
    QTest::newRow("picture of random bytes") << QStringLiteral("сурет.png") << noise(3000, 5)
                                             << QStringLiteral("Суретті оқу мүмкін емес");
    QTest::newRow("unknown kind") << QStringLiteral("мәлімет.xyz") << QByteArray("x")
                                  << QStringLiteral("Бұл түрдегі құжатты");
    QTest::newRow("no name") << QString() << none << QStringLiteral("Құжат табылмады");
}

// A double-click on a faulty document shows a clear message (or an empty page for an empty
// one); the document is left as it was and the browser goes on working.
void FaultsTest::faultyDocumentsAreRefusedClearly()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    ++g_faultsTried;
    TestCourse course;
    const QString path = name.isEmpty() ? QString() : course.dir() + QStringLiteral("/") + name;
    if (content == "<folder>")
        QDir().mkdir(path);
    else if (content != "<missing>")
        writeFile(path, content);
    writeFile(course.dir() + QStringLiteral("/Clear.htm"), "<p>blank</p>");
    Browser browser(course, path);
    const auto before = folderState(course.dir());
    browser.show(MaterialKinds::kLectures);
    browser.open(MaterialKinds::kLectures);
    const QStringList errors = browser.dialogs.texts(Dialogs::Kind::Error);
    if (expected.isEmpty()) {
        QVERIFY2(errors.isEmpty(), qPrintable(joined(errors)));
        QCOMPARE(browser.form->documentPane()->currentPath(), path);
    } else {
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(expected), qPrintable(errors[0]));
        QCOMPARE(browser.form->documentPane()->currentPath(), TForm7::blankPage());
    }
    QVERIFY(browser.form->isVisible());
    QVERIFY(folderState(course.dir()) == before);
}

// The pane refuses an HTML document over its limit at once, before reading it; one just under
// it opens and is drawn (the time it takes is in the benchmarks).
void FaultsTest::largeDocumentsAreRefusedQuickly()
{
    ++g_faultsTried;
    TestCourse course;
    const QString big = course.dir() + QStringLiteral("/үлкен.html");
    QByteArray paragraph("<p>Алгоритм дегеніміз есептің шешу жолының нақты сипаттамасы.</p>\n");
    QByteArray body;
    while (body.size() < 50 * 1024 * 1024)
        body += paragraph;
    writeFile(big, "<html><body>" + body + "</body></html>");
    const qint64 justUnder = DocumentPane::kMaxTextBytes - 1024;
    const QString under = course.dir() + QStringLiteral("/шектеу.html");
    writeFile(under, "<html><body>" + body.left(justUnder) + "</body></html>");
    const QByteArray bigHash = hashOf(big);

    DialogScript dialogs;
    DocumentPane pane;
    pane.resize(800, 600);
    pane.show();
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(AppError, pane.navigate(big));
    const qint64 refusal = timer.elapsed();
    QVERIFY2(refusal < 200, qPrintable(QString::number(refusal)));

    timer.restart();
    pane.navigate(under);
    const qint64 opened = timer.elapsed();
    QCOMPARE(pane.content(), DocumentPane::Content::Html);
    pane.grab();
    const qint64 drawn = timer.elapsed();
    qInfo("HTML of 50 MB refused in %lld ms; %lld MB opened in %lld ms, drawn after %lld ms",
          refusal, justUnder / (1024 * 1024), opened, drawn);
    QCOMPARE(hashOf(big), bigHash);
}

void FaultsTest::faultyVideosAreRefusedClearly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QStringLiteral("жоқ.avi") << QByteArray("<missing>");
    QTest::newRow("empty") << QStringLiteral("бос.mpg") << QByteArray();
    QTest::newRow("random bytes") << QStringLiteral("шу.avi") << noise(100000, 6);
    QTest::newRow("text named as video")
        << QStringLiteral("мәтін.wmv") << QByteArray("бұл бейне емес\n").repeated(100);
}

// Opening a faulty video reports the media system's text; nothing is open or plays, and the file
// is left alone.
void FaultsTest::faultyVideosAreRefusedClearly()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    ++g_faultsTried;
    TestCourse course;
    const QString path = course.dir() + QStringLiteral("/") + name;
    if (content != "<missing>")
        writeFile(path, content);
    course.insert(QStringLiteral("Видео"),
                  {QStringLiteral("НазваниеВидео"), QStringLiteral("АдресВидео")},
                  {QStringLiteral("Бейне"), path});
    Browser browser(course, QStringLiteral("/l/1.html"));
    const auto before = folderState(course.dir());
    browser.show(MaterialKinds::kVideos);
    browser.open(MaterialKinds::kVideos);
    const QStringList errors = browser.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].size() > 10 && !errors[0].startsWith(QStringLiteral("Unknown")),
             qPrintable(errors[0]));
    QVERIFY(!browser.form->mediaPlayer()->isOpen());
    QVERIFY(!browser.form->mediaPlayer()->isPlaying());
    QVERIFY(browser.form->isVisible());
    QVERIFY(folderState(course.dir()) == before);
}

void FaultsTest::blankPageFaultsLeaveThePaneBlank_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray("<missing>");
    QTest::newRow("folder") << QByteArray("<folder>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("random bytes") << noise(10000, 7);
    QTest::newRow("over the size limit") << QByteArray(DocumentPane::kMaxTextBytes + 1, ' ');
}

// Every show blanks the pane: a faulty blank page leaves it empty, with no message at each show.
void FaultsTest::blankPageFaultsLeaveThePaneBlank()
{
    QFETCH(QByteArray, content);
    ++g_faultsTried;
    TestCourse course;
    const QString blank = course.dir() + QStringLiteral("/Clear.htm");
    if (content == "<folder>")
        QDir().mkdir(blank);
    else if (content != "<missing>")
        writeFile(blank, content);
    const QString lecture = course.dir() + QStringLiteral("/дәріс.html");
    writeFile(lecture, "<p>Дәріс мәтіні</p>");
    Browser browser(course, lecture);
    const auto before = folderState(course.dir());
    for (int show = 0; show < 2; ++show) {
        browser.show(MaterialKinds::kLectures);
        QVERIFY(browser.form->documentPane()->shownText().trimmed().isEmpty() ||
                content == QByteArray() || !content.startsWith('<'));
        QVERIFY(!browser.form->documentPane()->shownText().contains(QStringLiteral("Дәріс")));
        browser.open(MaterialKinds::kLectures);
        QVERIFY(browser.form->documentPane()->shownText().contains(QStringLiteral("Дәріс")));
        browser.form->close();
    }
    QVERIFY2(browser.dialogs.shown().isEmpty(), qPrintable(joined(browser.dialogs.texts())));
    QVERIFY(folderState(course.dir()) == before);
}

void FaultsTest::helpFileFaultsGiveAClearMessage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("табылмады");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("табылмады");
    QTest::newRow("empty") << QStringLiteral("empty") << QStringLiteral("оқу мүмкін емес");
    QTest::newRow("random bytes") << QStringLiteral("noise") << QStringLiteral("оқу мүмкін емес");
    QTest::newRow("documentation missing")
        << QStringLiteral("no qch") << QStringLiteral("оқу мүмкін емес");
    QTest::newRow("documentation corrupt")
        << QStringLiteral("bad qch") << QStringLiteral("оқу мүмкін емес");
}

// The help button reports a faulty help file clearly, and the help files stay as they were.
void FaultsTest::helpFileFaultsGiveAClearMessage()
{
    QFETCH(QString, fault);
    QFETCH(QString, expected);
    ++g_faultsTried;
    TestCourse course;
    const QString demo = QStringLiteral(OKULYK_COURSE_OUT);
    const QString collection = course.dir() + QStringLiteral("/") + TForm1::kHelpFile;
    const QString documentation = course.dir() + QStringLiteral("/help.qch");
    if (fault == QLatin1String("folder"))
        QDir().mkdir(collection);
    else if (fault == QLatin1String("empty"))
        writeFile(collection, {});
    else if (fault == QLatin1String("noise"))
        writeFile(collection, noise(20000, 8));
    else if (fault != QLatin1String("missing"))
        QVERIFY(QFile::copy(demo + QStringLiteral("/help.qhc"), collection));
    if (fault == QLatin1String("bad qch"))
        writeFile(documentation, noise(20000, 9));
    const auto before = folderState(course.dir());

    DialogScript dialogs;
    TForm1 main;
    QTest::mouseClick(main.findChild<QAbstractButton*>(QStringLiteral("helpButton")),
                      Qt::LeftButton);
    const QStringList errors = dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(expected), qPrintable(errors[0]));
    QVERIFY(folderState(course.dir()) == before);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
