#include "Statements.h"

namespace Statements {

QList<Entry> catalogue()
{
    QList<Entry> entries;
    for (const QString& column : questionColumns)
        entries.append({column, {column}});
    entries.append({QStringLiteral("selectLogins"), selectLogins});
    entries.append({QStringLiteral("selectPasswords"), selectPasswords});
    entries.append({QStringLiteral("insertTestResult"), insertTestResult});
    entries.append({QStringLiteral("allResults"), allResults});
    entries.append({QStringLiteral("resultsOfUser"), resultsOfUser});
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
    return entries;
}

} // namespace Statements
