#include "CourseLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kKind = QStringLiteral("course/kind");
const QString kPlace = QStringLiteral("course/place");

} // namespace

CourseLocation CourseLocation::file(const QString& path)
{
    CourseLocation location;
    location.kind = Kind::File;
    location.path = QFileInfo(path).absoluteFilePath();
    return location;
}

CourseLocation CourseLocation::server(const QString& service)
{
    CourseLocation location;
    location.kind = Kind::Server;
    location.service = service.trimmed();
    return location;
}

QStringList CourseLocation::arguments() const
{
    switch (kind) {
    case Kind::File:
        return {QStringLiteral("--db"), path};
    case Kind::Server:
        return {QStringLiteral("--server"), service};
    case Kind::None:
        break;
    }
    return {};
}

QString CourseLocation::shown() const
{
    switch (kind) {
    case Kind::File:
        return QDir::toNativeSeparators(path);
    case Kind::Server:
        return QStringLiteral("сервер: %1").arg(service);
    case Kind::None:
        break;
    }
    return QStringLiteral("курс таңдалмаған");
}

CourseLocation CourseLocation::remembered()
{
    QSettings settings;
    const QString kind = settings.value(kKind).toString();
    const QString place = settings.value(kPlace).toString();
    if (kind == QLatin1String("server") && !place.isEmpty())
        return server(place);
    if (kind == QLatin1String("file") && QFileInfo::exists(place))
        return file(place);
    if (QFileInfo::exists(QStringLiteral("db.mdb")))
        return file(QStringLiteral("db.mdb"));
    return {};
}

void CourseLocation::remember() const
{
    QSettings settings;
    settings.setValue(kKind, kind == Kind::Server ? QStringLiteral("server")
                             : kind == Kind::File ? QStringLiteral("file")
                                                  : QString());
    settings.setValue(kPlace, kind == Kind::Server ? service : path);
}
