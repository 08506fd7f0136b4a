#include "Commands.h"

#include "AccessFile.h"
#include "AikenFormat.h"
#include "AnswerRows.h"
#include "AppError.h"
#include "CommandLine.h"
#include "Connection.h"
#include "Console.h"
#include "CourseCopy.h"
#include "CourseSettings.h"
#include "CourseUpgrade.h"
#include "GiftFormat.h"
#include "ItemReport.h"
#include "ItemStatistics.h"
#include "Migration.h"
#include "MoodleXmlFormat.h"
#include "PaperTest.h"
#include "Progress.h"
#include "QuestionFile.h"
#include "QuestionStore.h"
#include "Results.h"
#include "ServerSetup.h"
#include "Store.h"
#include "WordDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <optional>

namespace Commands {

namespace {

constexpr qint64 kMaxInputBytes = qint64(1) << 30;

// "1 question", "2 questions".
QString counted(qsizetype count, const QString& noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(noun,
                                                    count == 1 ? QString() : QStringLiteral("s"));
}

// A wrong command line: the message, then a pointer to the help.
struct UsageError {
    QString message;
};

QString databasePath(const CommandLine& line)
{
    return line.has(QStringLiteral("db")) ? line.value(QStringLiteral("db"))
                                          : QDir::current().absoluteFilePath(Connection::kFileName);
}

// The course a command works on: --db PATH, --server SERVICE, or db.mdb in the current folder.
StoreAddress courseAddress(const CommandLine& line)
{
    if (!line.has(QStringLiteral("server")))
        return StoreAddress::file(databasePath(line));
    if (line.has(QStringLiteral("db")))
        throw UsageError{QStringLiteral("--db and --server name two courses; give one of them")};
    const QString service = line.value(QStringLiteral("server"));
    if (service.trimmed().isEmpty())
        throw UsageError{QStringLiteral("--server names a service of the service file")};
    return StoreAddress::server(service);
}

void openDatabase(const CommandLine& line)
{
    const StoreAddress address = courseAddress(line);
    Connection& connection = Connection::shared();
    if (!address.isServer()) {
        connection.open(address.path);
        return;
    }
    connection.setAddress(address);
    connection.open();
    // The lab's role reads no results, passwords or right answers: every command would work on
    // a course it cannot see whole, and report success.
    if (!connection.store().allowsAdministration())
        throw AppError(QStringLiteral("%1: this is the lab computers' role, which may not read or "
                                      "change the course; run okulyk-admin on the teacher's "
                                      "computer, with its service and password files")
                           .arg(connection.location()));
}

// The options of a command that works on one course.
QSet<QString> withCourse(QSet<QString> options)
{
    return options.unite({QStringLiteral("db"), QStringLiteral("server")});
}

QByteArray readInput(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString()));
    if (file.size() > kMaxInputBytes)
        throw AppError(QStringLiteral("%1: the file is larger than 1 GB").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(
            QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString()));
    return bytes;
}

// Writes the file whole or not at all (a temporary file renamed at the end), never over the
// database itself.
void writeOutput(const QString& path, const QByteArray& bytes, const CommandLine& line)
{
    const QFileInfo output(path);
    const StoreAddress course = courseAddress(line);
    const QFileInfo database(course.path);
    if (!course.isServer() && output.exists() && database.exists() &&
        output.canonicalFilePath() == database.canonicalFilePath())
        throw AppError(QStringLiteral("%1: this is the database; name another file").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(
            QStringLiteral("%1: cannot write the file: %2").arg(path, file.errorString()));
}

// Reads rows from the database with a progress line, for a database of any size.
template <typename Row>
QList<Row>
readWithProgress(Console& console, const QString& label,
                 const std::function<QList<Row>(const std::function<void(qint64)>&)>& read)
{
    Progress progress(console, label, 0);
    return read([&](qint64 done) { progress.step(done); });
}

// Writes an export, then its warnings and a summary naming the database.
int written(const QString& file, const QByteArray& bytes, const CommandLine& line,
            const QStringList& warnings, Console& console, const QString& summary)
{
    writeOutput(file, bytes, line);
    for (const QString& warning : warnings)
        console.message(QStringLiteral("%1: %2").arg(file, warning));
    console.line(
        QStringLiteral("%1: %2 from %3").arg(file, summary, Connection::shared().location()));
    return warnings.isEmpty() ? Done : DoneWithWarnings;
}

QStringList requirePositional(const CommandLine& line, int count, const QString& usage)
{
    if (!line.error().isEmpty())
        throw UsageError{line.error()};
    if (line.positional().size() != count)
        throw UsageError{QStringLiteral("usage: okulyk-admin %1").arg(usage)};
    return line.positional();
}

void printQuestion(Console& console, const QString& file, const Question& question)
{
    static const QChar kLetters[] = {u'A', u'B', u'C', u'D', u'E'};
    console.line(
        QStringLiteral("%1:%2: %3").arg(file, QString::number(question.line), question.text));
    for (int i = 0; i < Question::kOptions; ++i)
        console.line(QStringLiteral("  %1%2) %3")
                         .arg(i + 1 == question.right ? QStringLiteral("*") : QStringLiteral(" "))
                         .arg(kLetters[i])
                         .arg(question.options[i]));
    console.line(QStringLiteral("  ОтветПр = %1").arg(question.right));
}

int importQuestions(const QStringList& arguments, Console& console)
{
    const CommandLine line(
        arguments,
        withCourse({QStringLiteral("format"), QStringLiteral("encoding"), QStringLiteral("seed")}),
        {QStringLiteral("dry-run")});
    const QString file =
        requirePositional(
            line, 1,
            QStringLiteral("import-questions FILE [--format aiken|gift|tags|moodle-xml] "
                           "[--encoding NAME] [--seed N] [--db PATH | --server SERVICE] "
                           "[--dry-run]"))
            .constFirst();
    std::optional<QuestionFile::Format> format;
    if (line.has(QStringLiteral("format"))) {
        format = QuestionFile::formatFromName(line.value(QStringLiteral("format")));
        if (!format)
            throw UsageError{QStringLiteral("--format is aiken, gift, tags or moodle-xml")};
    }
    std::optional<TextEncoding::Encoding> encoding;
    if (line.has(QStringLiteral("encoding"))) {
        encoding = TextEncoding::fromName(line.value(QStringLiteral("encoding")));
        if (!encoding)
            throw UsageError{
                QStringLiteral("--encoding is utf-8, utf-16, utf-16le, utf-16be or windows-1251")};
    }
    quint64 seed = QRandomGenerator::system()->generate64() >> 1;
    const bool seedGiven = line.has(QStringLiteral("seed"));
    if (seedGiven) {
        bool ok = false;
        seed = line.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            throw UsageError{QStringLiteral("--seed is a whole number")};
    }

    QByteArray bytes = readInput(file);
    if (WordDocument::isDoc(bytes)) {
        const WordDocument::Converted converted =
            WordDocument::convertDoc(file, [&console] { return console.cancelRequested(); });
        if (converted.cancelled)
            throw Cancelled{};
        if (!converted.error.isEmpty()) {
            console.message(QStringLiteral("%1: %2").arg(file, converted.error));
            return Failed;
        }
        bytes = converted.docx;
    }
    const QuestionFile::Outcome outcome = QuestionFile::read(bytes, format, encoding);
    if (!outcome.error.isEmpty()) {
        console.message(outcome.errorLine > 0
                            ? QStringLiteral("%1:%2: %3")
                                  .arg(file, QString::number(outcome.errorLine), outcome.error)
                            : QStringLiteral("%1: %2").arg(file, outcome.error));
        return Failed;
    }
    for (const Refusal& refusal : outcome.result.refusals)
        console.message(QStringLiteral("%1:%2: skipped: %3")
                            .arg(file, QString::number(refusal.line), refusal.reason));
    for (const Refusal& note : outcome.result.notes)
        console.message(
            QStringLiteral("%1:%2: note: %3").arg(file, QString::number(note.line), note.reason));

    QList<Question> questions = outcome.result.questions;
    if (*outcome.format == QuestionFile::Format::Tags) {
        QuestionFile::Shuffler shuffler(seed);
        for (Question& question : questions)
            shuffler.shuffle(question);
        if (!seedGiven && !questions.isEmpty())
            console.message(QStringLiteral("%1: options shuffled; --seed %2 gives this order again")
                                .arg(file, QString::number(seed)));
    }
    const qsizetype skipped = outcome.result.refusals.size();
    const bool complete = skipped == 0 && outcome.result.notes.isEmpty();
    if (questions.isEmpty()) {
        console.message(
            QStringLiteral("%1: no question fits the bank; nothing was added").arg(file));
        return Failed;
    }
    const QString what =
        QStringLiteral("%1 (%2, %3)")
            .arg(file, QuestionFile::formatName(*outcome.format),
                 outcome.word ? QStringLiteral("Word") : TextEncoding::name(outcome.encoding));

    if (line.has(QStringLiteral("dry-run"))) {
        for (const Question& question : questions)
            printQuestion(console, file, question);
        console.line(QStringLiteral("%1: %2 would be added, %3 skipped; nothing was stored "
                                    "(--dry-run)")
                         .arg(what, counted(questions.size(), QStringLiteral("question")),
                              QString::number(skipped)));
        return complete ? Done : DoneWithWarnings;
    }

    openDatabase(line);
    {
        Progress progress(console, QStringLiteral("importing"), questions.size());
        QuestionStore::append(questions, [&](qint64 done) { progress.step(done); });
    }
    console.line(QStringLiteral("%1: %2 added to БДТест in %3, %4 skipped")
                     .arg(what, counted(questions.size(), QStringLiteral("question")),
                          Connection::shared().location(), QString::number(skipped)));
    return complete ? Done : DoneWithWarnings;
}

int exportQuestions(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, withCourse({QStringLiteral("format")}), {});
    const QString usage = QStringLiteral("export-questions FILE --format aiken|gift|moodle-xml "
                                         "[--db PATH | --server SERVICE]");
    const QString file = requirePositional(line, 1, usage).constFirst();
    const auto format = QuestionFile::formatFromName(line.value(QStringLiteral("format")));
    if (!format || *format == QuestionFile::Format::Tags)
        throw UsageError{QStringLiteral("usage: okulyk-admin %1").arg(usage)};

    openDatabase(line);
    const QList<Question> questions = readWithProgress<Question>(
        console, QStringLiteral("reading questions"),
        [](const auto& progress) { return QuestionStore::readAll(progress); });
    const WrittenBank bank = *format == QuestionFile::Format::Aiken ? AikenFormat::write(questions)
                             : *format == QuestionFile::Format::Gift
                                 ? GiftFormat::write(questions)
                                 : MoodleXmlFormat::write(questions);
    return written(file, bank.text.toUtf8(), line, bank.warnings, console,
                   counted(questions.size(), QStringLiteral("question")) +
                       QStringLiteral(" written"));
}

int exportResults(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, withCourse({QStringLiteral("user")}),
                           {QStringLiteral("answers")});
    const QString file = requirePositional(line, 1,
                                           QStringLiteral("export-results FILE.csv [--user LOGIN] "
                                                          "[--answers] "
                                                          "[--db PATH | --server SERVICE]"))
                             .constFirst();
    std::optional<QString> user;
    if (line.has(QStringLiteral("user")))
        user = line.value(QStringLiteral("user"));

    openDatabase(line);
    if (line.has(QStringLiteral("answers"))) {
        const QList<AnswerRows::Row> answers = readWithProgress<AnswerRows::Row>(
            console, QStringLiteral("reading answers"),
            [&](const auto& progress) { return AnswerRows::read(user, progress); });
        QStringList warnings;
        if (answers.isEmpty())
            warnings << (user
                             ? QStringLiteral("no answers are kept for the login \"%1\"").arg(*user)
                             : QStringLiteral("no answers are kept yet"));
        return written(file, AnswerRows::csv(answers), line, warnings, console,
                       counted(answers.size(), QStringLiteral("answer")) +
                           QStringLiteral(" written"));
    }
    bool timed = false;
    const QList<Results::Row> rows = readWithProgress<Results::Row>(
        console, QStringLiteral("reading results"), [&](const auto& progress) {
            Results::Table table = Results::readTable(user, progress);
            timed = table.timed;
            return table.rows;
        });
    QStringList warnings;
    const QByteArray csv = Results::csv(rows, warnings, timed);
    if (user && rows.isEmpty())
        warnings << QStringLiteral("no results are stored for the login \"%1\"").arg(*user);
    return written(file, csv, line, warnings, console,
                   counted(rows.size(), QStringLiteral("result")) + QStringLiteral(" written"));
}

// --group and --since: which kept attempts an item analysis takes.
AnswerRows::Narrowing narrowingOf(const CommandLine& line)
{
    AnswerRows::Narrowing narrowing;
    if (line.has(QStringLiteral("group")))
        narrowing.group = line.value(QStringLiteral("group"));
    if (line.has(QStringLiteral("since"))) {
        const QDate day =
            QDate::fromString(line.value(QStringLiteral("since")), QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            throw UsageError{QStringLiteral("--since is a date written YYYY-MM-DD")};
        narrowing.since = day.startOfDay();
    }
    return narrowing;
}

// The narrowing in words, for the report.
QString narrowingText(const AnswerRows::Narrowing& narrowing)
{
    QStringList parts = {QStringLiteral("Жауаптары сақталған әрекеттер бойынша")};
    if (narrowing.group)
        parts << QStringLiteral("топ: %1").arg(
            narrowing.group->isEmpty() ? QStringLiteral("(тобы көрсетілмеген)") : *narrowing.group);
    if (narrowing.since)
        parts << QStringLiteral("%1 бастап")
                     .arg(narrowing.since->toString(QStringLiteral("yyyy-MM-dd")));
    return parts.join(QStringLiteral(" · "));
}

struct ItemAnalysis {
    ItemStatistics::Analysis analysis;
    QList<ItemReport::Item> items;
    QStringList warnings;
};

// Reads the kept answers that the narrowing takes and analyses them.
ItemAnalysis analyseItems(const AnswerRows::Narrowing& narrowing, Console& console)
{
    ItemStatistics::Collector collector;
    AnswerRows::KeptAttempts kept;
    {
        Progress progress(console, QStringLiteral("reading answers"), 0);
        kept = AnswerRows::scanAttempts(
            narrowing,
            [&](const QList<ItemStatistics::Answer>& answers) { collector.add(answers); },
            [&](qint64 done) { progress.step(done); });
    }
    ItemAnalysis result;
    result.analysis = collector.analyse();
    result.items = ItemReport::items(result.analysis, AnswerRows::bankEntries());
    if (kept.leftOut > 0)
        result.warnings << QStringLiteral("%1 whose mark is not 0 or 1 left out")
                               .arg(counted(kept.leftOut, QStringLiteral("answer")));
    return result;
}

int itemStats(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments,
                           withCourse({QStringLiteral("group"), QStringLiteral("since")}), {});
    const QString file = requirePositional(line, 1,
                                           QStringLiteral("item-stats FILE.csv [--group GROUP] "
                                                          "[--since YYYY-MM-DD] "
                                                          "[--db PATH | --server SERVICE]"))
                             .constFirst();
    const AnswerRows::Narrowing narrowing = narrowingOf(line);
    openDatabase(line);
    ItemAnalysis analysed = analyseItems(narrowing, console);
    if (analysed.analysis.test.attempts == 0)
        analysed.warnings << QStringLiteral("no kept answers fit; nothing to analyse");
    console.line(ItemReport::summary(analysed.analysis.test));
    return written(file, ItemReport::csv(analysed.items), line, analysed.warnings, console,
                   counted(analysed.items.size(), QStringLiteral("question")) +
                       QStringLiteral(" analysed"));
}

int report(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments,
                           withCourse({QStringLiteral("group"), QStringLiteral("since")}), {});
    const QString file = requirePositional(line, 1,
                                           QStringLiteral("report FILE.html [--group GROUP] "
                                                          "[--since YYYY-MM-DD] "
                                                          "[--db PATH | --server SERVICE]"))
                             .constFirst();
    const AnswerRows::Narrowing narrowing = narrowingOf(line);
    openDatabase(line);
    const QList<Results::Row> rows = readWithProgress<Results::Row>(
        console, QStringLiteral("reading results"),
        [](const auto& progress) { return Results::read(std::nullopt, progress); });
    QStringList warnings;
    QString section = ItemReport::htmlWithoutAnswers();
    if (AnswerRows::keepsAnswers()) {
        const ItemAnalysis analysed = analyseItems(narrowing, console);
        warnings << analysed.warnings;
        section =
            ItemReport::htmlSection(analysed.analysis, analysed.items, narrowingText(narrowing));
    }
    const QString html =
        Results::report(rows, Connection::shared().location(), QDateTime::currentDateTime(),
                        warnings, section, ItemReport::htmlStyle());
    return written(file, html.toUtf8(), line, warnings, console,
                   QStringLiteral("report of ") + counted(rows.size(), QStringLiteral("result")));
}

int printTest(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments,
                           withCourse({QStringLiteral("variants"), QStringLiteral("seed")}), {});
    const QString file = requirePositional(line, 1,
                                           QStringLiteral("print-test FILE.html --variants N "
                                                          "[--seed S] "
                                                          "[--db PATH | --server SERVICE]"))
                             .constFirst();
    bool ok = false;
    const int variants = line.value(QStringLiteral("variants")).toInt(&ok);
    if (!ok || variants < 1 || variants > PaperTest::kMostVariants)
        throw UsageError{
            QStringLiteral("--variants is a number from 1 to %1").arg(PaperTest::kMostVariants)};
    quint64 seed = QRandomGenerator::system()->generate64() >> 1;
    const bool seedGiven = line.has(QStringLiteral("seed"));
    if (seedGiven) {
        seed = line.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            throw UsageError{QStringLiteral("--seed is a whole number")};
    }
    openDatabase(line);
    const QList<Question> bank = readWithProgress<Question>(
        console, QStringLiteral("reading questions"),
        [](const auto& progress) { return QuestionStore::readAll(progress); });
    if (bank.isEmpty())
        throw AppError(QStringLiteral("%1: the question bank is empty; there is nothing to print")
                           .arg(Connection::shared().location()));
    QStringList warnings;
    const DrawRule::Mode mode =
        CourseSettings::drawModeOf(CourseSettings::value(CourseSettings::kDifferentQuestions));
    const QString html = PaperTest::html(
        bank, PaperTest::draw(variants, int(bank.size()), seed, mode), seed, warnings);
    if (!seedGiven)
        console.line(QStringLiteral("%1: --seed %2 prints these variants again while the bank is "
                                    "unchanged")
                         .arg(file, QString::number(seed)));
    return written(
        file, html.toUtf8(), line, warnings, console,
        counted(variants, QStringLiteral("variant")) +
            QStringLiteral(" of %1 questions with their keys").arg(PaperTest::kQuestions));
}

int migrate(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, {}, {});
    const QStringList files = requirePositional(line, 2, QStringLiteral("migrate OLD.mdb NEW.mdb"));
    AccessFile source(files[0]);
    const Migration::Outcome outcome = Migration::run(source, files[1], console);
    for (const QString& note : outcome.notes)
        console.message(QStringLiteral("%1: note: %2").arg(files[0], note));
    for (const QString& problem : outcome.problems)
        console.message(QStringLiteral("%1: %2").arg(files[1], problem));
    for (const Migration::TableCount& table : outcome.tables)
        console.line(
            QStringLiteral("%1: %2").arg(table.name, counted(table.rows, QStringLiteral("row"))));
    console.line(
        QStringLiteral("%1: %2 migrated from %3")
            .arg(files[1], counted(outcome.tables.size(), QStringLiteral("table")), files[0]));
    return outcome.problems.isEmpty() ? Done : DoneWithWarnings;
}

int upgrade(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, withCourse({}), {});
    requirePositional(line, 0, QStringLiteral("upgrade [--db PATH | --server SERVICE]"));
    openDatabase(line);
    const QString location = Connection::shared().location();
    const QStringList changes = CourseUpgrade::run();
    for (const QString& change : changes)
        console.line(QStringLiteral("%1: %2").arg(location, change));
    if (changes.isEmpty())
        console.line(
            QStringLiteral("%1: the course is up to date; nothing was changed").arg(location));
    return Done;
}

// A setting's name as typed: "different-questions" or "different_questions".
QString settingName(const QString& typed)
{
    return QString(typed).replace(QLatin1Char('-'), QLatin1Char('_'));
}

QString shownName(const QString& stored)
{
    return QString(stored).replace(QLatin1Char('_'), QLatin1Char('-'));
}

int settings(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, withCourse({}), {});
    if (!line.error().isEmpty())
        throw UsageError{line.error()};
    const QStringList given = line.positional();
    if (given.size() != 0 && given.size() != 2)
        throw UsageError{QStringLiteral("usage: okulyk-admin settings [NAME VALUE] "
                                        "[--db PATH | --server SERVICE]")};
    openDatabase(line);
    const QString location = Connection::shared().location();
    if (given.isEmpty()) {
        if (!CourseSettings::present())
            console.message(QStringLiteral("%1: the course has no settings table yet; every "
                                           "setting has its default (okulyk-admin upgrade adds it)")
                                .arg(location));
        for (const auto& [setting, value] : CourseSettings::values()) {
            const QString shown = setting.kind != CourseSettings::Setting::Kind::OnOff
                                      ? (value.isEmpty() ? QStringLiteral("(none)") : value)
                                  : value == CourseSettings::kOn ? QStringLiteral("on")
                                                                 : QStringLiteral("off");
            console.line(QStringLiteral("%1 %2%3").arg(
                shownName(setting.name), shown,
                setting.serverOnly ? QStringLiteral("  (lab server)") : QString()));
        }
        return Done;
    }
    const QString name = settingName(given[0]);
    if (!CourseSettings::find(name)) {
        QStringList names;
        for (const CourseSettings::Setting& setting : CourseSettings::all())
            names << shownName(setting.name);
        throw UsageError{QStringLiteral("there is no setting \"%1\"; the settings are %2")
                             .arg(given[0], names.join(QStringLiteral(", ")))};
    }
    CourseSettings::write(name, given[1]);
    console.line(QStringLiteral("%1: %2 is %3").arg(location, shownName(name), given[1].trimmed()));
    return Done;
}

int serverInit(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments,
                           {QStringLiteral("server"), QStringLiteral("write-config"),
                            QStringLiteral("host"), QStringLiteral("teacher-role"),
                            QStringLiteral("lab-role"), QStringLiteral("database"),
                            QStringLiteral("title")},
                           {});
    const QString usage = QStringLiteral("server-init --server SERVICE --write-config DIR "
                                         "[--database NAME] [--title TEXT] [--host NAME] "
                                         "[--teacher-role NAME] [--lab-role NAME]");
    requirePositional(line, 0, usage);
    if (!line.has(QStringLiteral("server")) || !line.has(QStringLiteral("write-config")))
        throw UsageError{QStringLiteral("usage: okulyk-admin %1").arg(usage)};
    for (const QString& option : {QStringLiteral("teacher-role"), QStringLiteral("lab-role")}) {
        if (line.has(option) && (line.value(option).isEmpty() || line.value(option).size() > 63))
            throw UsageError{
                QStringLiteral("--%1 is a role name of 1 to 63 characters").arg(option)};
    }
    const QString title = line.value(QStringLiteral("title")).simplified();
    if (line.has(QStringLiteral("title")) && (title.isEmpty() || title.size() > 200))
        throw UsageError{QStringLiteral("--title is a text of 1 to 200 characters")};
    const QString service = line.value(QStringLiteral("server"));
    const QString dir = QDir(line.value(QStringLiteral("write-config"))).absolutePath();
    std::optional<ServerSetup::LocalDatabase> local;
    if (line.has(QStringLiteral("database"))) {
        const QString database = line.value(QStringLiteral("database"));
        if (database.isEmpty() || database.size() > 63)
            throw UsageError{QStringLiteral("--database is a database name of 1 to 63 "
                                            "characters")};
        local.emplace(service, database);
        if (local->made())
            console.line(QStringLiteral("%1: the database %2 is made").arg(service, database));
    }
    openDatabase(line);
    const QString location = Connection::shared().location();
    // Every course of the server has roles of its own, named after its database.
    const QString database = ServerSetup::courseDatabase();
    ServerSetup::RoleNames roles = ServerSetup::rolesFor(database);
    if (line.has(QStringLiteral("teacher-role")))
        roles.teacher = line.value(QStringLiteral("teacher-role"));
    if (line.has(QStringLiteral("lab-role")))
        roles.lab = line.value(QStringLiteral("lab-role"));
    const QString shownTitle = title.isEmpty() ? database : title;
    // The settings are written before the course is committed: passwords that could not be
    // written down would lock everyone out.
    ServerSetup::initialise(roles, line.value(QStringLiteral("host")), shownTitle,
                            [&](const ServerSetup::Credentials& credentials) {
                                ServerSetup::writeConfig(dir, service, shownTitle, roles,
                                                         credentials);
                            });
    Connection::shared().close();
    Connection::shared().setAddress(StoreAddress::file());
    console.line(QStringLiteral("%1: the course is set up, with the roles %2 (the teacher's "
                                "computer) and %3 (lab computers)")
                     .arg(location, roles.teacher, roles.lab));
    console.line(QStringLiteral("%1/teacher: pg_service.conf and pgpass for the teacher's "
                                "computer, with the course \"%2\" as service %3")
                     .arg(dir, shownTitle, service));
    console.line(QStringLiteral("%1/lab: pg_service.conf and pgpass for every lab computer, and "
                                "%2, its menu entry; keep both folders from students")
                     .arg(dir, ServerSetup::menuEntryName(service)));
    return Done;
}

int copyCourse(const QStringList& arguments, Console& console)
{
    const CommandLine line(arguments, {}, {});
    const QStringList sides = requirePositional(line, 2,
                                                QStringLiteral("copy-course SOURCE "
                                                               "TARGET"));
    for (const QString& side : sides) {
        if (side.isEmpty() || side == QLatin1String("server:"))
            throw UsageError{QStringLiteral("SOURCE and TARGET are each a db.mdb file or "
                                            "server:SERVICE")};
    }
    StoreAddress source = StoreAddress::parse(sides[0]);
    StoreAddress target = StoreAddress::parse(sides[1]);
    for (StoreAddress* address : {&source, &target}) {
        if (!address->isServer())
            address->path = QDir::current().absoluteFilePath(address->path);
    }
    const CourseCopy::Outcome outcome = CourseCopy::run(source, target, console);
    for (const QString& note : outcome.notes)
        console.message(QStringLiteral("%1: not copied: %2").arg(sides[0], note));
    for (const QString& problem : outcome.problems)
        console.message(QStringLiteral("%1: %2").arg(sides[1], problem));
    for (const Migration::TableCount& table : outcome.tables)
        console.line(
            QStringLiteral("%1: %2").arg(table.name, counted(table.rows, QStringLiteral("row"))));
    console.line(QStringLiteral("%1: the course copied from %2").arg(sides[1], sides[0]));
    return outcome.notes.isEmpty() && outcome.problems.isEmpty() ? Done : DoneWithWarnings;
}

} // namespace

QString helpText()
{
    return QStringLiteral(
        "okulyk-admin — «Электронды окулыгы» бағдарламасының мұғалімге арналған көмекшісі\n"
        "\n"
        "Қолданылуы:\n"
        "  okulyk-admin import-questions ФАЙЛ [--format aiken|gift|tags|moodle-xml]\n"
        "                                [--encoding АТАУЫ] [--seed N]\n"
        "                                [--db ЖОЛ | --server ҚЫЗМЕТ] [--dry-run]\n"
        "      Сұрақтарды файлдан БДТест кестесінің соңына қосады. Пішімі мен кодталуы\n"
        "      (UTF-8, UTF-16, Windows-1251) мазмұнынан анықталады. Тек бес жауабы және бір\n"
        "      дұрыс жауабы бар сұрақтар алынады; қалғандары жол нөмірімен және себебімен\n"
        "      хабарланады. tags пішімінде жауаптар араластырылады (--seed N — қайталанатын\n"
        "      рет). --dry-run ештеңе сақтамай, не сақталатынын көрсетеді.\n"
        "  okulyk-admin export-questions ФАЙЛ --format aiken|gift|moodle-xml\n"
        "                                [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Сұрақтар банкін файлға жазады; оны қайта импорттау сол жолдарды береді.\n"
        "  okulyk-admin export-results ФАЙЛ.csv [--user ЛОГИН] [--answers]\n"
        "                              [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Нәтижелерді CSV (UTF-8) файлына жазады: логин, топ, дұрыс жауап, сұрақ саны, "
        "пайыз.\n"
        "      --answers: оның орнына сақталған әр жауап бір жолдан: логин, топ, тест, нөмір,\n"
        "      сұрақтың rowid-і, сұрақ, таңдалған әріп, дұрыс әріп, дұрыс 0/1.\n"
        "  okulyk-admin report ФАЙЛ.html [--group ТОП] [--since ЖЖЖЖ-АА-КК]\n"
        "                      [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Топтар бойынша басып шығаруға арналған есеп жасайды; жауаптар сақталса,\n"
        "      оған сұрақтарды талдау қосылады (альбомдық A4 бетке 40 сұрақтан).\n"
        "  okulyk-admin item-stats ФАЙЛ.csv [--group ТОП] [--since ЖЖЖЖ-АА-КК]\n"
        "                          [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Әр сұрақтың көрсеткіштерін CSV файлына жазады: rowid, қысқартылған мәтіні,\n"
        "      түсу саны, жеңілдік, SD, ажырату, тиімділік, D27, A–E таңдалу үлесі, дұрыс\n"
        "      әріп, белгілер. --group бір топтың, --since сол күннен бергі әрекеттерін ғана\n"
        "      алады.\n"
        "  okulyk-admin print-test ФАЙЛ.html --variants N [--seed S] [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Қағаздағы тест: бағдарлама ережесімен таңдалған 30 сұрақтан N нұсқа, әрқайсысы\n"
        "      өз бетінде, оқушы аты-жөніне жолмен; соңғы бетте әр нұсқаның жауап кілті. Сол\n"
        "      --seed банк өзгермесе, сол нұсқаларды береді.\n"
        "  okulyk-admin migrate ЕСКІ.mdb ЖАҢА.mdb\n"
        "      Microsoft Access дерекқорын жаңа SQLite файлына көшіреді (бар файлдың үстіне\n"
        "      жазбайды).\n"
        "  okulyk-admin server-init --server ҚЫЗМЕТ --write-config ҚАЛТА [--database АТАУ]\n"
        "                           [--title МӘТІН] [--host АТАУ] [--teacher-role АТАУ]\n"
        "                           [--lab-role АТАУ]\n"
        "      Бос PostgreSQL дерекқорында компьютер сыныбына арналған курсты жасайды:\n"
        "      кестелер, функциялар және екі рөл (мұғалімдікі және сынып компьютерлерінікі,\n"
        "      әдепкісі ДЕРЕКҚОР_teacher пен ДЕРЕКҚОР_lab). ҚАЛТА/teacher және ҚАЛТА/lab\n"
        "      қалталарына pg_service.conf, pgpass және мәзір жазбасын (okulyk-ҚЫЗМЕТ.desktop,\n"
        "      аты --title) жазады; қалтада басқа курстың файлдары болса, осы курс соларға\n"
        "      қосылады. Курсы бар дерекқорда ештеңе өзгертпейді. --database АТАУ: сервердің\n"
        "      өзінде, қызметтер файлынсыз, осы атаулы дерекқорға жергілікті қосылады (жоқ болса,\n"
        "      жасайды).\n"
        "  okulyk-admin upgrade [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Бұрынғы нұсқа жасаған курсқа жетіспейтінін қосады: тесттің әр жауабын сақтайтын\n"
        "      Ответы кестесі, нәтиженің уақыты, баптаулар кестесі, сервердегі курсқа — сынып\n"
        "      компьютерлерінің жаңа функциялары (тестті сервер өзі береді).\n"
        "  okulyk-admin settings [АТАУЫ МӘНІ] [--db ЖОЛ | --server ҚЫЗМЕТ]\n"
        "      Курстың баптаулары. АТАУСЫЗ — барлығын мәнімен көрсетеді.\n"
        "      different-questions on|off: тестте 30 түрлі сұрақ (банкте 30-дан аз болса, әр\n"
        "      сұрақ бір реттен кейін ғана қайталанады); әдепкісі off — сұрақ қайталануы мүмкін.\n"
        "      signin-failures-per-login, -per-computer, -per-server N: сервер бір минутта\n"
        "      қабылдайтын сәтсіз кіру саны (логинге, компьютерге, бүкіл серверге).\n"
        "  okulyk-admin copy-course КӨЗ НЫСАНА\n"
        "      Курсты толығымен көшіреді; әр жағы — db.mdb файлы немесе server:ҚЫЗМЕТ.\n"
        "      Жолдардың реті сақталады. Тек жаңа файлға немесе бос сервер курсына жазады.\n"
        "\n"
        "--db те, --server де берілмесе, ағымдағы қалтадағы db.mdb алынады. --server ҚЫЗМЕТ —\n"
        "libpq қызметтер файлындағы (pg_service.conf) атау; құпия сөз pgpass файлынан алынады.\n"
        "Шығу коды: 0 — орындалды; 1 — қате, ештеңе өзгерген жоқ; 2 — команда жолы қате;\n"
        "3 — орындалды, бірақ кейбір деректер өткізіліп кетті немесе жетіспейді.\n"
        "\n"
        "okulyk-admin — the teacher's companion of the electronic textbook\n"
        "\n"
        "Usage:\n"
        "  okulyk-admin import-questions FILE [--format aiken|gift|tags|moodle-xml]\n"
        "                                [--encoding NAME] [--seed N]\n"
        "                                [--db PATH | --server SERVICE] [--dry-run]\n"
        "      Appends the file's questions to the table БДТест. The format and the encoding\n"
        "      (UTF-8, UTF-16, Windows-1251) are found from the content unless given. Only\n"
        "      questions with five options and one right answer are taken; every other one is\n"
        "      reported with its line and the reason. In the tags format the options are\n"
        "      shuffled (--seed N repeats an order). --dry-run prints what would be stored and\n"
        "      stores nothing.\n"
        "  okulyk-admin export-questions FILE --format aiken|gift|moodle-xml\n"
        "                                [--db PATH | --server SERVICE]\n"
        "      Writes the question bank so that importing the file gives the same rows back.\n"
        "  okulyk-admin export-results FILE.csv [--user LOGIN] [--answers]\n"
        "                              [--db PATH | --server SERVICE]\n"
        "      Writes the results as CSV (UTF-8): login, group, right answers, out of, per cent.\n"
        "      --answers writes every kept answer instead, a row each: login, group, attempt,\n"
        "      number, question row id, question, chosen letter, right letter, right 0/1.\n"
        "  okulyk-admin report FILE.html [--group GROUP] [--since YYYY-MM-DD]\n"
        "                      [--db PATH | --server SERVICE]\n"
        "      Writes a printable report by group; where answers are kept, with the item\n"
        "      analysis after it (40 questions to a landscape A4 page).\n"
        "  okulyk-admin item-stats FILE.csv [--group GROUP] [--since YYYY-MM-DD]\n"
        "                          [--db PATH | --server SERVICE]\n"
        "      Writes each question's figures as CSV: row id, shortened text, drawn, facility,\n"
        "      sd, discrimination, efficiency, d27, the share of each option A-E, right letter,\n"
        "      flags. --group takes one group's attempts, --since those stored from that day on.\n"
        "  okulyk-admin print-test FILE.html --variants N [--seed S] [--db PATH | --server "
        "SERVICE]\n"
        "      Tests on paper: N variants of 30 questions drawn by the program's rule, each on\n"
        "      pages of its own with a line for the student's name, then a page of answer keys.\n"
        "      The same --seed gives the same variants while the bank is unchanged.\n"
        "  okulyk-admin migrate OLD.mdb NEW.mdb\n"
        "      Copies a Microsoft Access database into a new SQLite file (never over an\n"
        "      existing one).\n"
        "  okulyk-admin server-init --server SERVICE --write-config DIR [--database NAME]\n"
        "                           [--title TEXT] [--host NAME] [--teacher-role NAME]\n"
        "                           [--lab-role NAME]\n"
        "      Sets a course up for a computer lab in an empty PostgreSQL database, reached as\n"
        "      its owner: the tables, the functions and two roles (the teacher's and the lab\n"
        "      computers', DATABASE_teacher and DATABASE_lab unless named). Writes DIR/teacher\n"
        "      and DIR/lab, each with a pg_service.conf, a pgpass file and a menu entry\n"
        "      (okulyk-SERVICE.desktop, named by --title); a folder with another course's files\n"
        "      gets this course added to them. A database that holds a course is left as it is.\n"
        "      --database NAME: on the server itself, without a service file, reach the\n"
        "      database of that name locally (made when missing).\n"
        "  okulyk-admin upgrade [--db PATH | --server SERVICE]\n"
        "      Adds what a course made by an earlier version lacks: the table Ответы that\n"
        "      keeps every answer, the time of each result, the settings table and, on a\n"
        "      server course, the lab's current functions (the server deals each attempt).\n"
        "  okulyk-admin settings [NAME VALUE] [--db PATH | --server SERVICE]\n"
        "      The course's settings; without NAME, lists them with their values.\n"
        "      different-questions on|off: an attempt's 30 questions are all different (a\n"
        "      bank of fewer gives each once before any repeats); off by default, when a\n"
        "      question may come up twice. signin-failures-per-login, -per-computer,\n"
        "      -per-server N: failed sign-ins a minute the lab server takes before refusing.\n"
        "  okulyk-admin copy-course SOURCE TARGET\n"
        "      Copies a whole course; each side is a db.mdb file or server:SERVICE. The rows\n"
        "      keep their order. Writes only a new file or an empty server course.\n"
        "\n"
        "Without --db or --server, the course is db.mdb in the current folder. --server\n"
        "SERVICE names a service of libpq's service file (pg_service.conf); the password comes\n"
        "from the pgpass file.\n"
        "Exit status: 0 done; 1 failed, nothing changed; 2 wrong command line;\n"
        "3 done, but some input was skipped or something is missing (see the messages).\n");
}

int run(const QStringList& arguments, Console& console)
{
    const QString command = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    try {
        if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
            command == QLatin1String("help")) {
            console.out(helpText());
            return Done;
        }
        if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"))) {
            console.out(helpText());
            return Done;
        }
        if (command == QLatin1String("import-questions"))
            return importQuestions(rest, console);
        if (command == QLatin1String("export-questions"))
            return exportQuestions(rest, console);
        if (command == QLatin1String("export-results"))
            return exportResults(rest, console);
        if (command == QLatin1String("report"))
            return report(rest, console);
        if (command == QLatin1String("item-stats"))
            return itemStats(rest, console);
        if (command == QLatin1String("print-test"))
            return printTest(rest, console);
        if (command == QLatin1String("migrate"))
            return migrate(rest, console);
        if (command == QLatin1String("server-init"))
            return serverInit(rest, console);
        if (command == QLatin1String("copy-course"))
            return copyCourse(rest, console);
        if (command == QLatin1String("upgrade"))
            return upgrade(rest, console);
        if (command == QLatin1String("settings"))
            return settings(rest, console);
        throw UsageError{command.isEmpty() ? QStringLiteral("no command given")
                                           : QStringLiteral("unknown command \"%1\"").arg(command)};
    } catch (const UsageError& error) {
        console.message(QStringLiteral("okulyk-admin: %1").arg(error.message));
        console.message(QStringLiteral("okulyk-admin --help: the commands and their options"));
        return WrongUsage;
    } catch (const AppError& error) {
        console.message(QStringLiteral("okulyk-admin: %1").arg(error.message()));
        return Failed;
    } catch (const Cancelled&) {
        console.message(QStringLiteral("okulyk-admin: cancelled; nothing was changed"));
        return Stopped;
    }
}

} // namespace Commands
