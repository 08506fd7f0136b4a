// Lays out the demo course in a folder: the database built from the schema and the seed data
// (with the course folder written into the stored paths), the documents, the PDF lectures
// rendered from HTML, and the blank page. An existing db.mdb is kept, so re-running the setup
// never loses what users stored; --reset-db builds it anew. With --db-only --paths PREFIX only
// db.mdb is written, with PREFIX as the course folder in its stored paths: the database of the
// course as it will be installed.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>
#include <sqlite3.h>

namespace {

bool fail(const QString& message)
{
    std::fprintf(stderr, "coursetool: %s\n", qPrintable(message));
    return false;
}

bool readText(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(path));
    text = QString::fromUtf8(file.readAll());
    return true;
}

bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(source, target))
            return fail(QStringLiteral("cannot copy %1 to %2").arg(source, target));
    }
    return true;
}

bool runScript(sqlite3* db, const QString& script, const QString& what)
{
    char* error = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : "unknown error");
        sqlite3_free(error);
        return fail(QStringLiteral("%1: %2").arg(what, message));
    }
    return true;
}

bool buildDatabase(const QString& source, const QString& out, const QString& prefix, bool reset)
{
    const QString dbPath = out + QStringLiteral("/db.mdb");
    if (QFile::exists(dbPath) && !reset)
        return true;
    QString schema;
    QString seed;
    if (!readText(source + QStringLiteral("/schema.sql"), schema) ||
        !readText(source + QStringLiteral("/seed.sql"), seed))
        return false;
    seed.replace(QStringLiteral("@COURSE_DIR@"), prefix);

    const QString temporary = dbPath + QStringLiteral(".new");
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    if (sqlite3_open(temporary.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return fail(QStringLiteral("cannot create %1").arg(temporary));
    }
    const bool ok = runScript(db, QStringLiteral("BEGIN;"), QStringLiteral("begin")) &&
                    runScript(db, schema, QStringLiteral("schema.sql")) &&
                    runScript(db, seed, QStringLiteral("seed.sql")) &&
                    runScript(db, QStringLiteral("COMMIT;"), QStringLiteral("commit"));
    sqlite3_close(db);
    if (!ok)
        return false;
    QFile::remove(dbPath);
    return QFile::rename(temporary, dbPath) || fail(QStringLiteral("cannot write %1").arg(dbPath));
}

bool renderPdfs(const QString& source, const QString& out)
{
    const QDir pdfSources(source + QStringLiteral("/pdf"));
    const QStringList pages = pdfSources.entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString& page : pages) {
        QString html;
        if (!readText(pdfSources.filePath(page), html))
            return false;
        const QString target = out + QStringLiteral("/lectures/") +
                               QFileInfo(page).completeBaseName() + QStringLiteral(".pdf");
        QDir().mkpath(QFileInfo(target).path());
        QPdfWriter writer(target);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        writer.setTitle(QFileInfo(page).completeBaseName());
        QTextDocument document;
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPointSize(11);
        document.setDefaultFont(font);
        document.setBaseUrl(QUrl::fromLocalFile(pdfSources.absolutePath() + QLatin1Char('/')));
        document.setHtml(html);
        document.print(&writer);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    const bool reset = args.removeAll(QStringLiteral("--reset-db")) > 0;
    const bool dbOnly = args.removeAll(QStringLiteral("--db-only")) > 0;
    QString prefix;
    if (const qsizetype at = args.indexOf(QStringLiteral("--paths"));
        at >= 0 && at + 1 < args.size()) {
        prefix = args[at + 1];
        args.remove(at, 2);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: coursetool [--reset-db] [--db-only --paths PREFIX] "
                             "SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    const QString source = QDir(args[0]).absolutePath();
    const QString out = QDir(args[1]).absolutePath();
    QDir().mkpath(out);
    if (prefix.isEmpty())
        prefix = out;
    if (dbOnly)
        return buildDatabase(source, out, prefix, true) ? 0 : 1;

    bool ok = copyTree(source + QStringLiteral("/lectures"), out + QStringLiteral("/lectures")) &&
              copyTree(source + QStringLiteral("/labs"), out + QStringLiteral("/labs"));
    for (const QString& name : {QStringLiteral("Clear.htm"), QStringLiteral("course.css")}) {
        QFile::remove(out + QLatin1Char('/') + name);
        ok = ok && QFile::copy(source + QLatin1Char('/') + name, out + QLatin1Char('/') + name);
    }
    ok = ok && renderPdfs(source, out) && buildDatabase(source, out, prefix, reset);
    return ok ? 0 : 1;
}
