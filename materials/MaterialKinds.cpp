#include "MaterialKinds.h"

#include "AppError.h"
#include "Statements.h"

#include <array>

namespace MaterialKinds {

const MaterialKindInfo& info(quint8 kind)
{
    static const std::array<MaterialKindInfo, 3> kinds = {{
        {kLectures, QStringLiteral("Даристер"), QStringLiteral("ADOQuery2"),
         QStringLiteral("НазваниеЛекции"), QStringLiteral("АдресЛекции"), Statements::allLectures,
         Statements::findLectures, Statements::addLecture, Statements::removeLecture,
         QStringLiteral("Все файлы |*.*")},
        {kLabs, QStringLiteral("Лабораторлык жумыс"), QStringLiteral("ADOQuery3"),
         QStringLiteral("НазваниеЛабы"), QStringLiteral("АдресЛабы"), Statements::allLabs,
         Statements::findLabs, Statements::addLab, Statements::removeLab,
         QStringLiteral("Все файлы |*.*")},
        {kVideos, QStringLiteral("Видео"), QStringLiteral("ADOQuery4"),
         QStringLiteral("НазваниеВидео"), QStringLiteral("АдресВидео"), Statements::allVideos,
         Statements::findVideos, Statements::addVideo, Statements::removeVideo,
         QStringLiteral("Видео (*.avi,*.wmv,*.mpg)|*.avi;*.wmv;*.mpg")},
    }};
    if (kind < kLectures || kind > kVideos)
        throw AppError(QStringLiteral("No material kind %1").arg(kind));
    return kinds[kind - 1];
}

} // namespace MaterialKinds
