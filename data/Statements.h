#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Every statement text of the program, exactly as the program runs it (lines joined with a line
// break; trailing blanks are part of the text). Values are only ever bound to the named
// parameters :a, :a1, :a2, :a3.
namespace Statements {

// Single-column statements of the question bank, in list order: question, answers A..E, right
// answer.
inline const QStringList questionColumns = {
    QStringLiteral("select Вопрос from БДТест"),  QStringLiteral("select Ответ1 from БДТест"),
    QStringLiteral("select Ответ2 from БДТест"),  QStringLiteral("select Ответ3 from БДТест"),
    QStringLiteral("select Ответ4 from БДТест"),  QStringLiteral("select Ответ5 from БДТест"),
    QStringLiteral("select ОтветПр from БДТест"),
};
// The sign-in lists pair logins and passwords by position, so both come out in stored row order
// whatever indexes the table has (an index on the login would otherwise give sorted order).
inline const QStringList selectLogins = {
    QStringLiteral("select Логин from Пользователи order by rowid")};
inline const QStringList selectPasswords = {
    QStringLiteral("select Пароль from Пользователи order by rowid")};
// What kind of table a name is ("table", "view", "virtual"...) and whether it is declared
// WITHOUT ROWID (wr = 1), and the names of its columns: a table must have a stored row order
// before lists read from it are paired by position.
inline const QStringList tableKind = {QStringLiteral("select type, wr from pragma_table_list(:a)")};
inline const QStringList tableColumns = {QStringLiteral("select name from pragma_table_xinfo(:a)")};

inline const QStringList insertTestResult = {
    QStringLiteral("Insert into Тесты(Пользователь,Верно)"), QStringLiteral("values(:a1,:a2)")};
// Every answer of an attempt, beside its row of results (:a1 that row's id), where the course
// has the table; the table as a course gets it.
inline const QStringList insertAnswer = {
    QStringLiteral("insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно,Время)"),
    QStringLiteral("values(:a1,:a2,:a3,:a4,:a5,:a6)")};
inline const QStringList answersTablePresent = {
    QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = 'Ответы'")};
// Whether the table has the time of each answer (a table made by an earlier build has not).
inline const QStringList answersTimePresent = {
    QStringLiteral("select count(*) from pragma_table_info('Ответы') where name = 'Время'")};
inline const QString addAnswersTime = QStringLiteral("alter table Ответы add column Время INTEGER");
inline const QString createAnswersTable =
    QStringLiteral("create table Ответы (ТестИд INTEGER, Номер INTEGER, ВопросИд INTEGER, "
                   "Ответ INTEGER, Верно INTEGER, Время INTEGER)");
// Whether results carry the time they were stored (a course made by an earlier version has
// not), the column as upgrade adds it, and a result stored with its time (:a3, seconds since
// 1970-01-01 UTC).
inline const QStringList resultsTimePresent = {
    QStringLiteral("select count(*) from pragma_table_info('Тесты') where name = 'Время'")};
inline const QString addResultsTime = QStringLiteral("alter table Тесты add column Время INTEGER");
inline const QStringList insertTimedTestResult = {
    QStringLiteral("Insert into Тесты(Пользователь,Верно,Время)"),
    QStringLiteral("values(:a1,:a2,:a3)")};
// The course's settings, a row each (a course made by an earlier version has no table until it
// is upgraded); a setting without a row has its default. :a names the setting, :a1 its value.
inline const QStringList settingsTablePresent = {QStringLiteral(
    "select count(*) from sqlite_master where type = 'table' and name = 'Настройки'")};
inline const QString createSettingsTable =
    QStringLiteral("create table Настройки (Имя TEXT PRIMARY KEY, Значение TEXT)");
inline const QStringList settingValue = {
    QStringLiteral("select Значение from Настройки where Имя= :a")};
inline const QStringList allSettings = {
    QStringLiteral("select Имя, Значение from Настройки order by Имя")};
inline const QStringList writeSetting = {
    QStringLiteral("insert into Настройки(Имя, Значение) values(:a, :a1)"),
    QStringLiteral("on conflict(Имя) do update set Значение = excluded.Значение")};
inline const QStringList allResults = {QStringLiteral("select * from Тесты")};
inline const QStringList resultsOfUser = {QStringLiteral("select * from Тесты"),
                                          QStringLiteral("where Пользователь= :a")};

// An attempt reads only the questions it draws: the row ids in row order give the number of
// questions and the row at each position, then each drawn row is read by its id. The order is
// spelt out because an index on the table would otherwise give its own order; for the plain
// table it costs nothing, being the order of a full scan.
inline const QStringList questionRowIds = {
    QStringLiteral("select rowid from БДТест order by rowid")};
// Whether the database changed since the ids were listed: the data version moves when another
// connection commits a change, the change count when this connection changes rows.
inline const QStringList dataVersion = {QStringLiteral("pragma data_version")};
inline const QStringList connectionChanges = {QStringLiteral("select total_changes()")};
inline const QStringList questionById = {
    QStringLiteral("select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр from БДТест"),
    QStringLiteral("where rowid= :a")};

// The results grid reads "select * from Тесты" (all rows, or one user's) a page at a time, in
// row order, after the row id that identifies each row for edits; :a1 is the last id read. The
// grid shows the rows as they were when it was opened: :a2 is the last row id at that moment,
// and rows stored later (which get higher ids) are not read.
inline constexpr int resultsPageSize = 256;
inline const QStringList resultsLastRowId = {QStringLiteral("select max(rowid) from Тесты")};
inline const QString resultsPageEnd =
    QStringLiteral("order by rowid limit ") + QString::number(resultsPageSize);
inline const QStringList resultsPage = {QStringLiteral("select rowid, * from Тесты"),
                                        QStringLiteral("where rowid > :a1 and rowid <= :a2"),
                                        resultsPageEnd};
inline const QStringList resultsOfUserPage = {
    QStringLiteral("select rowid, * from Тесты"),
    QStringLiteral("where Пользователь= :a and rowid > :a1 and rowid <= :a2"), resultsPageEnd};
// A row added in the grid is stored empty and then written like an edited row.
inline const QStringList addBlankResult = {QStringLiteral("insert into Тесты default values")};
inline const QStringList removeResult = {QStringLiteral("delete from Тесты"),
                                         QStringLiteral("where rowid= :a")};
// Writes the named columns of one result row: :a1, :a2... take the columns' values in order and
// :a the row id. The names are the table's own, as the results query reports them, quoted.
QStringList updateResult(const QStringList& columns);

inline const QStringList allQuestions = {QStringLiteral("select * from БДТест")};
inline const QStringList findQuestions = {QStringLiteral("select * from БДТест"),
                                          QStringLiteral("where Вопрос  Like :a ")};

inline const QStringList allLectures = {QStringLiteral("select * from Лекции")};
inline const QStringList allLabs = {QStringLiteral("select * from Лабы")};
inline const QStringList allVideos = {QStringLiteral("select * from Видео")};
inline const QStringList findLectures = {QStringLiteral("select * from Лекции"),
                                         QStringLiteral("where НазваниеЛекции  Like :a ")};
inline const QStringList findLabs = {QStringLiteral("select * from Лабы"),
                                     QStringLiteral("where НазваниеЛабы Like :a ")};
inline const QStringList findVideos = {QStringLiteral("select * from Видео"),
                                       QStringLiteral("where НазваниеВидео Like :a ")};
inline const QStringList addLecture = {
    QStringLiteral("Insert into Лекции(НазваниеЛекции,АдресЛекции)"),
    QStringLiteral("values(:a1,:a2)")};
inline const QStringList addLab = {QStringLiteral("Insert into Лабы(НазваниеЛабы,АдресЛабы)"),
                                   QStringLiteral("values(:a1,:a2)")};
inline const QStringList addVideo = {QStringLiteral("Insert into Видео(НазваниеВидео,АдресВидео)"),
                                     QStringLiteral("values(:a1,:a2)")};
inline const QStringList removeLecture = {QStringLiteral("delete from Лекции "),
                                          QStringLiteral("where АдресЛекции=:a1")};
inline const QStringList removeLab = {QStringLiteral("delete from Лабы "),
                                      QStringLiteral("where АдресЛабы=:a1")};
inline const QStringList removeVideo = {QStringLiteral("delete from Видео "),
                                        QStringLiteral("where АдресВидео=:a1")};

inline const QStringList addUser = {
    QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (:a1,:a2,:a3 )")};
inline const QStringList removeUser = {QStringLiteral("delete from Пользователи "),
                                       QStringLiteral("where Логин= :a1 and Пароль= :a2 ")};

// A course folder copied elsewhere: every stored path of a material that begins with the old
// folder (:a2) begins with the new one (:a1) instead.
inline const QStringList moveLecturePaths = {
    QStringLiteral("update Лекции set АдресЛекции= :a1 || substr(АдресЛекции, length(:a2) + 1)"),
    QStringLiteral("where substr(АдресЛекции, 1, length(:a2))= :a2")};
inline const QStringList moveLabPaths = {
    QStringLiteral("update Лабы set АдресЛабы= :a1 || substr(АдресЛабы, length(:a2) + 1)"),
    QStringLiteral("where substr(АдресЛабы, 1, length(:a2))= :a2")};
inline const QStringList moveVideoPaths = {
    QStringLiteral("update Видео set АдресВидео= :a1 || substr(АдресВидео, length(:a2) + 1)"),
    QStringLiteral("where substr(АдресВидео, 1, length(:a2))= :a2")};

// The question bank editor edits "select * from БДТест", or its rows found by "where Вопрос
// Like :a ", without reading every question's text: it lists the row ids of the result in row
// order and reads the row it shows by its id. Rows it adds are stored empty and then written
// like edited ones; :a is the row id, :a1, :a2... the values of the named columns in order.
inline const QStringList findQuestionRowIds = {QStringLiteral("select rowid from БДТест"),
                                               QStringLiteral("where Вопрос  Like :a "),
                                               QStringLiteral("order by rowid")};
inline const QStringList questionRow = {QStringLiteral("select rowid, * from БДТест"),
                                        QStringLiteral("where rowid= :a")};
inline const QStringList addBlankQuestion = {QStringLiteral("insert into БДТест default values")};
inline const QStringList removeQuestion = {QStringLiteral("delete from БДТест"),
                                           QStringLiteral("where rowid= :a")};
QStringList updateQuestion(const QStringList& columns);

// User administration. The users grid reads the three columns it shows in stored row order:
// every row, or the rows whose login equals :a under the store's comparison rules (the search
// filter, bound as a value and never pasted into the text).
inline const QStringList usersGrid = {
    QStringLiteral("select Логин, Пароль, Группа from Пользователи"),
    QStringLiteral("order by rowid")};
inline const QStringList usersGridOfLogin = {
    QStringLiteral("select Логин, Пароль, Группа from Пользователи"),
    QStringLiteral("where Логин= :a"), QStringLiteral("order by rowid")};
// The rows whose login is exactly :a, letter case included, whatever collation the column is
// declared with: a change that lowers this count for RootLogin removed the administrator's row.
inline const QStringList exactLoginRows = {QStringLiteral("select count(*) from Пользователи"),
                                           QStringLiteral("where Логин= :a collate binary")};

// The teacher's companion (okulyk-admin): questions appended to the bank and read back in row
// order, results with each user's group, and the tables of a migrated database.
inline const QStringList appendQuestion = {
    QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр)"),
    QStringLiteral("values(:a1,:a2,:a3,:a4,:a5,:a6,:a7)")};
inline const QStringList bankInRowOrder = {
    QStringLiteral("select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр from БДТест"),
    QStringLiteral("order by rowid")};
// Results in stored order, all or one login's (:a), with each login's group: the one of its first
// row in Пользователи (a null group as empty text; a result whose login has no row there has a
// null group), and, where the course keeps it, the time each was stored.
QStringList resultsWithGroups(bool ofUser, bool timed);
// Every kept answer with its attempt's login and group, its question's text and right answer,
// attempt by attempt in stored order and by number within one.
inline const QString answersWithResultsSelect =
    QStringLiteral("select t.Пользователь, (select coalesce(u.Группа, '') from Пользователи u "
                   "where u.Логин = t.Пользователь order by u.rowid limit 1), a.ТестИд, a.Номер, "
                   "a.ВопросИд, q.Вопрос, a.Ответ, q.ОтветПр, a.Верно "
                   "from Ответы a join Тесты t on t.rowid = a.ТестИд "
                   "left join БДТест q on q.rowid = a.ВопросИд");
inline const QStringList answersWithResults = {answersWithResultsSelect,
                                               QStringLiteral("order by t.rowid, a.Номер")};
inline const QStringList answersOfUserWithResults = {answersWithResultsSelect,
                                                     QStringLiteral("where t.Пользователь= :a"),
                                                     QStringLiteral("order by t.rowid, a.Номер")};
// The kept answers of the attempts whose rows of results are stored, attempt by attempt, for
// item analysis; narrowed to one group (:g) or to attempts stored from a time on (:s, seconds
// since 1970 UTC) where asked.
QStringList attemptMarks(bool ofGroup, bool since);
// The bank's row ids with each question's text and right answer, for naming analysed questions.
inline const QStringList bankTextsAndKeys = {
    QStringLiteral("select rowid, Вопрос, ОтветПр from БДТест order by rowid")};

// A migrated table: its columns in order, each with its declared type; a column marked as key
// becomes the table's row id (INTEGER PRIMARY KEY). Names are quoted, so any name the old
// database allowed is kept as it is.
struct ColumnDefinition {
    QString name;
    QString type;
    bool rowIdKey = false;
};
QStringList createTable(const QString& table, const QList<ColumnDefinition>& columns);
// Appends one row: :a1, :a2... take the columns' values in order.
QStringList insertRow(const QString& table, const QStringList& columns);
QStringList createIndex(const QString& index, const QString& table, const QString& column);

// A transaction of a step that reads before it writes takes the write lock at once, so that it
// waits for another program's write instead of failing when its read lock cannot be raised.
inline const QStringList beginWriting = {QStringLiteral("begin immediate")};

// Copying a course: a table's rows with their row ids, first to last (on the server the row id
// comes twice, first and as the table's own last column), and how many rows a table holds.
QStringList rowsWithIds(const QString& table);
QStringList rowCount(const QString& table);

// The course on a PostgreSQL server. The statements above run there too, as the server
// dialect reads them (ILIKE for the program's LIKE); these are the server's own.
namespace Server {

// The server's transactions: one state of the database for every read of a step. Paired
// single-column reads need it: under the server's default isolation a row deleted between them
// would shift one list against the other.
inline const QString beginReading =
    QStringLiteral("begin isolation level repeatable read read only");
inline const QString beginWriting = QStringLiteral("begin isolation level repeatable read");
// The kind, whether it has a column rowid, and whether that column holds one value per row (a
// primary key or a unique index on it alone, no nulls): "order by rowid" then gives one order.
inline const QStringList tableRowId = {
    QStringLiteral("select c.relkind, exists(select 1 from pg_attribute a where a.attrelid = "
                   "c.oid and a.attname = 'rowid' and a.attnum > 0 and not a.attisdropped),"),
    QStringLiteral("exists(select 1 from pg_index i join pg_attribute a on a.attrelid = "
                   "i.indrelid and a.attnum = i.indkey[0] where i.indrelid = c.oid and "
                   "i.indisunique and i.indnkeyatts = 1 and i.indpred is null and a.attname = "
                   "'rowid' and a.attnotnull)"),
    QStringLiteral("from pg_class c where c.oid = to_regclass(:a)")};
// Whether this connection may read passwords: a lab computer's role may not.
inline const QStringList mayReadPasswords = {
    QStringLiteral("select coalesce((select has_column_privilege(a.attrelid, a.attnum, 'SELECT') "
                   "from pg_attribute a where a.attrelid = to_regclass('Пользователи') "
                   "and a.attname = 'Пароль' and not a.attisdropped), true)")};
inline const QStringList databaseEncoding = {QStringLiteral(
    "select pg_encoding_to_char(encoding) from pg_database where datname = current_database()")};
// The collations of the searched titles, each checked on its own for folding Kazakh letters.
inline const QStringList searchedCollations = {
    QStringLiteral("select distinct n.nspname, o.collname from pg_attribute a"),
    QStringLiteral("join pg_collation o on o.oid = a.attcollation"),
    QStringLiteral("join pg_namespace n on n.oid = o.collnamespace"),
    QStringLiteral("where (a.attrelid, a.attname) in ((to_regclass('БДТест'), 'Вопрос'), "
                   "(to_regclass('Лекции'), 'НазваниеЛекции'), (to_regclass('Лабы'), "
                   "'НазваниеЛабы'), (to_regclass('Видео'), 'НазваниеВидео'))")};
// Folds every Kazakh letter in the collation named (its name quoted by the program).
QStringList foldsKazakh(const QString& quotedCollation);

// An attempt's questions without the bank: its size, then the rows at the drawn positions of
// its row order (:a, as an array "{0,5,17}"), with the right answers.
inline const QStringList countQuestions = {QStringLiteral("select count(*) from БДТест")};
inline const QStringList questionsAt = {
    QStringLiteral("select p.pos, q.rowid, q.Вопрос, q.Ответ1, q.Ответ2, q.Ответ3, q.Ответ4, "
                   "q.Ответ5, q.ОтветПр"),
    QStringLiteral("from (select rowid, row_number() over (order by rowid) - 1 as pos "
                   "from БДТест) p"),
    QStringLiteral("join БДТест q on q.rowid = p.rowid where p.pos = any(cast(:a as bigint[]))")};

// A lab computer's sign-in, attempt and scoring, done by the server: a sign-in for a login, a
// password and the computer's name, then in a transaction of its own its verdict ("accepted",
// "none", "wrong") and the session the connection then works in; the session taken up again
// on a new connection (true while it lasts); an attempt dealt by the server, a row per question
// number (its name, the number, the question's position in the bank's row order and its row,
// the bank's size, the texts without the right answer); a dealt attempt (:a1) submitted with its
// 30 answers (:a2, "{1,5,...}"), then in a transaction of its own its stored score.
inline const QStringList signIn = {QStringLiteral("select okulyk_sign_in(:a1, :a2, :a3)")};
inline const QStringList signInVerdict = {
    QStringLiteral("select verdict, token from okulyk_sign_in_verdict()")};
inline const QStringList resumeSession = {QStringLiteral("select okulyk_resume(:a)")};
inline const QStringList dealAttempt = {
    QStringLiteral("select drawn_attempt, q_number, q_position, q_row, bank_size, q_text, a1, "
                   "a2, a3, a4, a5 from okulyk_draw()")};
inline const QStringList submitAttempt = {
    QStringLiteral("select okulyk_submit(:a1, cast(:a2 as integer[]))")};
inline const QStringList attemptScore = {QStringLiteral("select okulyk_score(:a1)")};
// The teacher's live view of the lab since a moment (:a, "2026-12-10T09:00:00Z"): a row per
// login signed in now or busy since then (login, group, computer, signed in at, attempt open
// since, results stored, the last score, when it was stored); failed sign-ins per computer.
inline const QStringList labLesson = {
    QStringLiteral("select login, grp, computer, signed_in, working_since, results, score, "
                   "stored_at"),
    QStringLiteral("from okulyk_lab_lesson(cast(:a as timestamptz))"),
    QStringLiteral("order by grp, login")};
inline const QStringList labFailures = {
    QStringLiteral("select computer, failures, last_at from okulyk_lab_failures(cast(:a as "
                   "timestamptz))")};
// What the live view listens to: the server notifies it of every sign-in, attempt and result.
inline const QString labChannel = QStringLiteral("okulyk_lab");
// An attempt scored on the teacher's computer is marked first: when the commit of an earlier
// press was lost with the connection, the mark is there and the row is not stored again.
inline const QStringList markAttempt = {
    QStringLiteral("insert into okulyk_attempts(attempt, login, score) values(:a1, :a2, :a3)"),
    QStringLiteral("on conflict do nothing")};

// Setting a lab server up: whether the database already holds a course (any of its tables),
// and whether roles of the given names (:a1, :a2) exist.
inline const QStringList courseTablesPresent = {
    QStringLiteral("select count(*) from pg_class c join pg_namespace n on n.oid = c.relnamespace"),
    QStringLiteral("where n.nspname = current_schema() and c.relname in ('БДТест', "
                   "'Пользователи', 'Тесты', 'Лекции', 'Лабы', 'Видео', 'okulyk_sessions', "
                   "'okulyk_signin_failures', 'okulyk_attempts', 'okulyk_drawn', 'Настройки')")};
inline const QStringList rolesPresent = {
    QStringLiteral("select count(*) from pg_roles where rolname in (:a1, :a2)")};
// Where the server listens, for the lab computers' settings.
inline const QStringList answersTablePresent = {
    QStringLiteral("select to_regclass('Ответы') is not null")};
inline const QStringList answersTimePresent = {
    QStringLiteral("select count(*) from information_schema.columns where table_schema = "
                   "current_schema() and table_name = 'Ответы' and column_name = 'Время'")};
inline const QStringList resultsTimePresent = {
    QStringLiteral("select count(*) from information_schema.columns where table_schema = "
                   "current_schema() and table_name = 'Тесты' and column_name = 'Время'")};
inline const QStringList settingsTablePresent = {
    QStringLiteral("select count(*) from pg_class where oid = to_regclass('Настройки')")};
// Whether the connection's role owns the course's tables (or is a superuser), as changing them
// needs.
inline const QStringList ownsCourse = {
    QStringLiteral("select coalesce((select pg_has_role(current_user, c.relowner, 'USAGE') from "
                   "pg_class c where c.oid = to_regclass('БДТест')), false)")};
// Whether the lab's functions are those of this version (the server deals each attempt).
inline const QStringList labFunctionsCurrent = {
    QStringLiteral("select to_regprocedure('okulyk_lab_failures(timestamptz)') is not null and "
                   "to_regprocedure('okulyk_submit(text, bigint[], integer[])') is null")};
// A course's roles by their rights, for an upgrade: the teacher's changes the bank, the lab's
// signs in and may not; neither owns the tables nor is a superuser.
inline const QStringList teacherRoles = {
    QStringLiteral("select r.rolname from pg_roles r where r.rolcanlogin and not r.rolsuper"),
    QStringLiteral(
        "and r.oid <> (select relowner from pg_class where oid = to_regclass('БДТест'))"),
    QStringLiteral("and has_table_privilege(r.oid, to_regclass('БДТест'), 'INSERT')"),
    QStringLiteral("order by r.rolname")};
inline const QStringList labRoles = {
    QStringLiteral("select r.rolname from pg_roles r where r.rolcanlogin and not r.rolsuper"),
    QStringLiteral(
        "and r.oid <> (select relowner from pg_class where oid = to_regclass('БДТест'))"),
    QStringLiteral("and exists(select 1 from pg_proc p where p.proname = 'okulyk_sign_in' and "
                   "has_function_privilege(r.oid, p.oid, 'EXECUTE'))"),
    QStringLiteral("and not has_table_privilege(r.oid, to_regclass('БДТест'), 'INSERT')"),
    QStringLiteral("order by r.rolname")};
inline const QStringList serverPort = {QStringLiteral("select current_setting('port')")};
// The columns a table of the course has (:a its name).
inline const QStringList tableColumnNames = {
    QStringLiteral("select column_name from information_schema.columns where table_schema = "
                   "current_schema() and table_name = :a order by ordinal_position")};
inline const QStringList currentDatabase = {QStringLiteral("select current_database()")};

// Copying a course to the server: a row written with the row id it had (the server otherwise
// numbers rows itself), and the table's row numbering (:a1, a quoted table name) moved on past
// the copied ids (:a2).
QStringList copyRow(const QString& table, const QStringList& columns);
inline const QStringList continueRowIds = {
    QStringLiteral("select setval(pg_get_serial_sequence(:a1, 'rowid'), :a2)")};

} // namespace Server

struct Entry {
    QString name;
    QStringList lines;
    // SQLite's own: its catalogue tables, its transaction, and the tables a migration writes
    // (a migration makes a file).
    bool fileOnly = false;
};

// The whole catalogue, for checks that every text runs against the schema.
QList<Entry> catalogue();
// The server's own statements, with sample values where the text is built.
QList<Entry> serverCatalogue();

} // namespace Statements
