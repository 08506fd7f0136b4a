#include "CourseFolder.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "Statements.h"
#include "Transaction.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace CourseFolder {

Request parse(const QStringList& arguments)
{
    Request request;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            request.kind = Request::Kind::Help;
            return request;
        }
        if (argument == QLatin1String("--server") && i + 1 < arguments.size()) {
            request.server = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--server="))) {
            request.server = argument.mid(9);
        } else if (argument == QLatin1String("--default-course")) {
            request.kind = Request::Kind::Default;
        } else if (argument == QLatin1String("--course") && i + 1 < arguments.size()) {
            request.kind = Request::Kind::Folder;
            request.folder = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--course="))) {
            request.kind = Request::Kind::Folder;
            request.folder = argument.mid(9);
        } else {
            request.kind = Request::Kind::Invalid;
            request.error = argument == QLatin1String("--course")
                                ? QStringLiteral("--course needs a folder")
                            : argument == QLatin1String("--server")
                                ? QStringLiteral("--server needs a service name")
                                : QStringLiteral("unknown option: %1").arg(argument);
            return request;
        }
    }
    return request;
}

QString usage()
{
    return QStringLiteral(
        "Usage: okulyk [--course DIR | --default-course] [--server SERVICE]\n"
        "Қолданылуы: okulyk [--course БУМА | --default-course] [--server ҚЫЗМЕТ]\n\n"
        "  (none)             work in the current folder, which holds db.mdb\n"
        "                     ағымдағы бумада жұмыс істеу (онда db.mdb болуы керек)\n"
        "  --course DIR       work in DIR / БУМА ішінде жұмыс істеу\n"
        "  --default-course   the course named in okulyk.conf, or the user's own copy of the\n"
        "                     demo course / okulyk.conf көрсеткен курс немесе пайдаланушының\n"
        "                     демо-курс көшірмесі\n"
        "  --server SERVICE   the course on a lab server, named by a libpq service\n"
        "                     (pg_service.conf; the password in ~/.pgpass) / курс\n"
        "                     сыныптың серверінде, libpq қызметінің атымен\n"
        "  --help             this text / осы мәтін\n");
}

namespace {

// The value of the configuration file's first "key = value" line for the key, or an empty text.
QString configValue(const QString& configFile, const QString& key)
{
    QFile file(configFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != key)
            continue;
        const QString value = line.mid(equals + 1).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

QString defaultFolder(const QString& configFile, const QString& userFolder)
{
    const QString folder = configValue(configFile, QStringLiteral("course"));
    return folder.isEmpty() ? userFolder : QDir::cleanPath(folder);
}

QString configuredServer(const QString& configFile)
{
    return configValue(configFile, QStringLiteral("server"));
}

namespace {

void copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(source, target))
            throw AppError(
                QStringLiteral("Курсты көшіру мүмкін емес: %1 → %2").arg(source, target));
        // The installed course is read-only; its copy is the user's to change.
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
}

void movePaths(const QStringList& demoFolders, const QString& folder)
{
    Connection::shared().open();
    {
        Transaction transaction;
        for (const QStringList& statement :
             {Statements::moveLecturePaths, Statements::moveLabPaths, Statements::moveVideoPaths}) {
            for (const QString& demo : demoFolders) {
                Query move(QStringLiteral("ADOQuery1"));
                move.setStatement(statement);
                move.bind(QStringLiteral("a1"), folder);
                move.bind(QStringLiteral("a2"), demo);
                move.execSql();
            }
        }
        transaction.commit();
    }
    Connection::shared().close();
}

} // namespace

void ensureCopy(const QString& demo, const QStringList& demoFolders, const QString& folder)
{
    if (QFileInfo::exists(folder + QStringLiteral("/db.mdb")))
        return;
    if (!QFileInfo::exists(demo + QStringLiteral("/db.mdb")))
        throw AppError(QStringLiteral("Демо-курс табылмады: %1").arg(demo));
    const QString aside = folder + QStringLiteral(".new");
    QDir(aside).removeRecursively();
    const QString previous = QDir::currentPath();
    try {
        copyTree(demo, aside);
        QDir::setCurrent(aside);
        movePaths(demoFolders, QDir::cleanPath(folder));
        QDir::setCurrent(previous);
        // An empty folder gives way to the copy; one with files of its own is never touched.
        if (QFileInfo::exists(folder) && !QDir().rmdir(folder))
            throw AppError(QStringLiteral("Бумада db.mdb жоқ, бірақ басқа файлдар бар, сондықтан "
                                          "оған демо-курс көшірілмеді: %1")
                               .arg(folder));
        QDir().mkpath(QFileInfo(folder).path());
        if (!QDir().rename(aside, folder))
            throw AppError(QStringLiteral("Курс бумасын жасау мүмкін емес: %1").arg(folder));
    } catch (...) {
        Connection::shared().close();
        QDir::setCurrent(previous);
        QDir(aside).removeRecursively();
        throw;
    }
}

} // namespace CourseFolder
