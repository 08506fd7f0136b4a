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

QList<Entry> catalogue()
{
    QList<Entry> entries;
    for (const QString& column : questionColumns)
        entries.append({column, {column}});
    entries.append({QStringLiteral("selectLogins"), selectLogins});
    entries.append({QStringLiteral("selectPasswords"), selectPasswords});
    entries.append({QStringLiteral("tableKind"), tableKind});
    entries.append({QStringLiteral("tableColumns"), tableColumns});
    entries.append({QStringLiteral("insertTestResult"), insertTestResult});
    entries.append({QStringLiteral("allResults"), allResults});
    entries.append({QStringLiteral("resultsOfUser"), resultsOfUser});
    entries.append({QStringLiteral("questionRowIds"), questionRowIds});
    entries.append({QStringLiteral("dataVersion"), dataVersion});
    entries.append({QStringLiteral("connectionChanges"), connectionChanges});
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
    return entries;
}

} // namespace Statements
