#include "Statements.h"

namespace Statements {

namespace {

QString quotedName(QString name)
{
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// "update <table> set <column>= :a1, ... where rowid= :a" for the named columns.
QStringList updateRow(const QString& table, const QStringList& columns)
{
    QStringList assignments;
    for (int i = 0; i < columns.size(); ++i)
        assignments
            << QStringLiteral("%1= :a%2").arg(quotedName(columns[i]), QString::number(i + 1));
    return {QStringLiteral("update %1 set ").arg(table) + assignments.join(QStringLiteral(", ")),
            QStringLiteral("where rowid= :a")};
}

} // namespace

QStringList updateResult(const QStringList& columns)
{
    return updateRow(QStringLiteral("Тесты"), columns);
}

QStringList updateQuestion(const QStringList& columns)
{
    return updateRow(QStringLiteral("БДТест"), columns);
}

QStringList createTable(const QString& table, const QList<ColumnDefinition>& columns)
{
    QStringList definitions;
    for (const ColumnDefinition& column : columns) {
        QString definition = quotedName(column.name);
        if (column.rowIdKey)
            definition += QStringLiteral(" INTEGER PRIMARY KEY");
        else if (!column.type.isEmpty())
            definition += QLatin1Char(' ') + column.type;
        definitions << definition;
    }
    return {QStringLiteral("create table %1 (").arg(quotedName(table)),
            definitions.join(QStringLiteral(", ")) + QLatin1Char(')')};
}

QStringList insertRow(const QString& table, const QStringList& columns)
{
    QStringList names;
    QStringList parameters;
    for (int i = 0; i < columns.size(); ++i) {
        names << quotedName(columns[i]);
        parameters << QStringLiteral(":a%1").arg(i + 1);
    }
    return {
        QStringLiteral("insert into %1(%2)").arg(quotedName(table), names.join(QLatin1Char(','))),
        QStringLiteral("values(%1)").arg(parameters.join(QLatin1Char(',')))};
}

QStringList createIndex(const QString& index, const QString& table, const QString& column)
{
    return {QStringLiteral("create index %1 on %2(%3)")
                .arg(quotedName(index), quotedName(table), quotedName(column))};
}

QList<Entry> catalogue()
{
    QList<Entry> entries;
    for (const QString& column : questionColumns)
        entries.append({column, {column}});
    entries.append({QStringLiteral("selectLogins"), selectLogins});
    entries.append({QStringLiteral("selectPasswords"), selectPasswords});
    entries.append({QStringLiteral("tableKind"), tableKind, true});
    entries.append({QStringLiteral("tableColumns"), tableColumns, true});
    entries.append({QStringLiteral("insertTestResult"), insertTestResult});
    entries.append({QStringLiteral("insertTimedTestResult"), insertTimedTestResult});
    entries.append({QStringLiteral("resultsTimePresent"), resultsTimePresent, true});
    entries.append({QStringLiteral("settingsTablePresent"), settingsTablePresent, true});
    entries.append({QStringLiteral("settingValue"), settingValue});
    entries.append({QStringLiteral("allSettings"), allSettings});
    entries.append({QStringLiteral("writeSetting"), writeSetting});
    entries.append({QStringLiteral("allResults"), allResults});
    entries.append({QStringLiteral("resultsOfUser"), resultsOfUser});
    entries.append({QStringLiteral("questionRowIds"), questionRowIds});
    entries.append({QStringLiteral("dataVersion"), dataVersion, true});
    entries.append({QStringLiteral("connectionChanges"), connectionChanges, true});
    entries.append({QStringLiteral("questionById"), questionById});
    entries.append({QStringLiteral("resultsLastRowId"), resultsLastRowId});
    entries.append({QStringLiteral("resultsPage"), resultsPage});
    entries.append({QStringLiteral("resultsOfUserPage"), resultsOfUserPage});
    entries.append({QStringLiteral("addBlankResult"), addBlankResult});
    entries.append({QStringLiteral("removeResult"), removeResult});
    entries.append({QStringLiteral("updateResult"),
                    updateResult({QStringLiteral("Пользователь"), QStringLiteral("Верно")})});
    entries.append({QStringLiteral("allQuestions"), allQuestions});
    entries.append({QStringLiteral("findQuestions"), findQuestions});
    entries.append({QStringLiteral("allLectures"), allLectures});
    entries.append({QStringLiteral("allLabs"), allLabs});
    entries.append({QStringLiteral("allVideos"), allVideos});
    entries.append({QStringLiteral("findLectures"), findLectures});
    entries.append({QStringLiteral("findLabs"), findLabs});
    entries.append({QStringLiteral("findVideos"), findVideos});
    entries.append({QStringLiteral("addLecture"), addLecture});
    entries.append({QStringLiteral("addLab"), addLab});
    entries.append({QStringLiteral("addVideo"), addVideo});
    entries.append({QStringLiteral("removeLecture"), removeLecture});
    entries.append({QStringLiteral("removeLab"), removeLab});
    entries.append({QStringLiteral("removeVideo"), removeVideo});
    entries.append({QStringLiteral("addUser"), addUser});
    entries.append({QStringLiteral("removeUser"), removeUser});
    entries.append({QStringLiteral("moveLecturePaths"), moveLecturePaths});
    entries.append({QStringLiteral("moveLabPaths"), moveLabPaths});
    entries.append({QStringLiteral("moveVideoPaths"), moveVideoPaths});

    entries.append({QStringLiteral("findQuestionRowIds"), findQuestionRowIds});
    entries.append({QStringLiteral("questionRow"), questionRow});
    entries.append({QStringLiteral("addBlankQuestion"), addBlankQuestion});
    entries.append({QStringLiteral("removeQuestion"), removeQuestion});
    entries.append({QStringLiteral("updateQuestion"),
                    updateQuestion({QStringLiteral("Вопрос"), QStringLiteral("ОтветПр")})});
    entries.append({QStringLiteral("usersGrid"), usersGrid});
    entries.append({QStringLiteral("usersGridOfLogin"), usersGridOfLogin});
    entries.append({QStringLiteral("exactLoginRows"), exactLoginRows});
    entries.append({QStringLiteral("appendQuestion"), appendQuestion});
    entries.append({QStringLiteral("bankInRowOrder"), bankInRowOrder});
    entries.append({QStringLiteral("resultsWithGroups"), resultsWithGroups(false, false)});
    entries.append({QStringLiteral("resultsOfUserWithGroups"), resultsWithGroups(true, false)});
    entries.append({QStringLiteral("timedResultsWithGroups"), resultsWithGroups(false, true)});
    // A migrated table as the migration writes it, in the order it runs the statements.
    const QString sample = QStringLiteral("Көшірме \"1\"");
    entries.append({QStringLiteral("createTable"),
                    createTable(sample, {{QStringLiteral("Код"), QStringLiteral("INTEGER"), true},
                                         {QStringLiteral("Мәтін"), QStringLiteral("TEXT")},
                                         {QStringLiteral("Сурет"), QStringLiteral("BLOB")}}),
                    true});
    entries.append({QStringLiteral("insertRow"),
                    insertRow(sample, {QStringLiteral("Мәтін"), QStringLiteral("Сурет")}), true});
    entries.append({QStringLiteral("createIndex"),
                    createIndex(QStringLiteral("КөшірмеКод"), sample, QStringLiteral("Код")),
                    true});

    entries.append({QStringLiteral("insertAnswer"), insertAnswer});
    entries.append({QStringLiteral("answersWithResults"), answersWithResults});
    entries.append({QStringLiteral("answersOfUserWithResults"), answersOfUserWithResults});
    entries.append({QStringLiteral("answersTablePresent"), answersTablePresent, true});
    entries.append({QStringLiteral("answersTimePresent"), answersTimePresent, true});
    entries.append({QStringLiteral("attemptMarks"), attemptMarks(true, true)});
    entries.append({QStringLiteral("bankTextsAndKeys"), bankTextsAndKeys});
    entries.append({QStringLiteral("rowsWithIds"), rowsWithIds(QStringLiteral("Тесты"))});
    entries.append({QStringLiteral("rowCount"), rowCount(QStringLiteral("Лекции"))});
    entries.append({QStringLiteral("beginWriting"), beginWriting, true});
    return entries;
}

QStringList resultsWithGroups(bool ofUser, bool timed)
{
    QStringList statement = {
        QStringLiteral("select t.Пользователь, (select coalesce(u.Группа, '') from Пользователи u "
                       "where u.Логин = t.Пользователь "
                       "order by u.rowid limit 1), t.Верно%1 from Тесты t")
            .arg(timed ? QStringLiteral(", t.Время") : QString())};
    if (ofUser)
        statement << QStringLiteral("where t.Пользователь= :a");
    return statement << QStringLiteral("order by t.rowid");
}

QStringList attemptMarks(bool ofGroup, bool since)
{
    QStringList statement = {
        QStringLiteral("select a.ТестИд, a.Номер, a.ВопросИд, a.Ответ, a.Верно "
                       "from Ответы a join Тесты t on t.rowid = a.ТестИд"),
        QStringLiteral("where a.ТестИд is not null")};
    if (ofGroup)
        statement << QStringLiteral(
            "and (select coalesce(u.Группа, '') from Пользователи u "
            "where u.Логин = t.Пользователь order by u.rowid limit 1) = :g");
    if (since)
        statement << QStringLiteral("and a.Время >= :s");
    statement << QStringLiteral("order by a.ТестИд, a.Номер");
    return statement;
}

QStringList rowsWithIds(const QString& table)
{
    return {QStringLiteral("select rowid, * from %1 order by rowid").arg(quotedName(table))};
}

QStringList rowCount(const QString& table)
{
    return {QStringLiteral("select count(*) from %1").arg(quotedName(table))};
}

QStringList Server::copyRow(const QString& table, const QStringList& columns)
{
    QStringList statement = insertRow(table, columns);
    statement.insert(1, QStringLiteral("overriding system value"));
    return statement;
}

QStringList Server::foldsKazakh(const QString& quotedCollation)
{
    return {QStringLiteral("select 'ӘҒҚҢӨҰҮҺІ АБВЁЯ' collate %1 ilike 'әғқңөұүһі абвёя'")
                .arg(quotedCollation)};
}

QList<Entry> serverCatalogue()
{
    return {
        {QStringLiteral("tableRowId"), Server::tableRowId},
        {QStringLiteral("mayReadPasswords"), Server::mayReadPasswords},
        {QStringLiteral("databaseEncoding"), Server::databaseEncoding},
        {QStringLiteral("searchedCollations"), Server::searchedCollations},
        {QStringLiteral("foldsKazakh"), Server::foldsKazakh(QStringLiteral("\"default\""))},
        {QStringLiteral("countQuestions"), Server::countQuestions},
        {QStringLiteral("questionsAt"), Server::questionsAt},
        {QStringLiteral("signIn"), Server::signIn},
        {QStringLiteral("signInVerdict"), Server::signInVerdict},
        {QStringLiteral("resumeSession"), Server::resumeSession},
        {QStringLiteral("dealAttempt"), Server::dealAttempt},
        {QStringLiteral("submitAttempt"), Server::submitAttempt},
        {QStringLiteral("attemptScore"), Server::attemptScore},
        {QStringLiteral("labLesson"), Server::labLesson},
        {QStringLiteral("labFailures"), Server::labFailures},
        {QStringLiteral("markAttempt"), Server::markAttempt},
        {QStringLiteral("courseTablesPresent"), Server::courseTablesPresent},
        {QStringLiteral("rolesPresent"), Server::rolesPresent},
        {QStringLiteral("answersTablePresentOnServer"), Server::answersTablePresent},
        {QStringLiteral("answersTimePresentOnServer"), Server::answersTimePresent},
        {QStringLiteral("resultsTimePresentOnServer"), Server::resultsTimePresent},
        {QStringLiteral("settingsTablePresentOnServer"), Server::settingsTablePresent},
        {QStringLiteral("labFunctionsCurrent"), Server::labFunctionsCurrent},
        {QStringLiteral("ownsCourse"), Server::ownsCourse},
        {QStringLiteral("teacherRoles"), Server::teacherRoles},
        {QStringLiteral("labRoles"), Server::labRoles},
        {QStringLiteral("serverPort"), Server::serverPort},
        {QStringLiteral("tableColumnNames"), Server::tableColumnNames},
        {QStringLiteral("currentDatabase"), Server::currentDatabase},
        {QStringLiteral("copyRow"),
         Server::copyRow(QStringLiteral("Видео"),
                         {QStringLiteral("НазваниеВидео"), QStringLiteral("rowid")})},
        {QStringLiteral("continueRowIds"), Server::continueRowIds},
    };
}

} // namespace Statements
