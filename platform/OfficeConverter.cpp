#include "OfficeConverter.h"

#include "AppError.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

const QStringList kSuffixes = {
    QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("odt"), QStringLiteral("rtf"),
    QStringLiteral("ppt"), QStringLiteral("pptx"), QStringLiteral("odp")};

QString cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/documents");
}

// The cache keeps the most recent conversions only.
constexpr int kCacheEntries = 200;

void pruneCache()
{
    QDir folder(cacheFolder());
    const QFileInfoList pdfs =
        folder.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    for (qsizetype i = kCacheEntries; i < pdfs.size(); ++i)
        QFile::remove(pdfs[i].absoluteFilePath());
}

QString cacheName(const QFileInfo& info)
{
    const QByteArray key = info.absoluteFilePath().toUtf8() + '\n' +
                           QByteArray::number(info.size()) + '\n' +
                           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) +
           QStringLiteral(".pdf");
}

// How much of the file's beginning and end is looked at: enough for a ZIP archive's first entry
// and its central directory, which name the document's parts.
constexpr qint64 kLookedAt = 64 * 1024;

// Word, PowerPoint and OpenDocument files of today are ZIP archives naming their parts' types;
// the older ones are OLE2 compound files; RTF, HTML and plain text saved under these names are
// text. Anything else is damage.
bool looksLikeDocument(const QByteArray& head, const QByteArray& tail)
{
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return true;
    if (head.startsWith("PK\x03\x04")) {
        for (const QByteArray& part : {head, tail}) {
            if (part.contains("[Content_Types].xml") ||
                part.contains("application/vnd.oasis.opendocument"))
                return true;
        }
        return false;
    }
    if (head.isEmpty() || head.contains('\0'))
        return false;
    // Text: control characters other than tabs and line ends are rare in any text encoding.
    qsizetype controls = 0;
    for (const char byte : head) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 && code != '\t' && code != '\n' && code != '\r' && code != '\f')
            ++controls;
    }
    return controls * 100 <= head.size();
}

} // namespace

OfficeConverter::OfficeConverter(QObject* parent) : QObject(parent) {}

void OfficeConverter::requireDocument(const QString& path)
{
    QFile file(path);
    QByteArray head;
    QByteArray tail;
    if (file.open(QIODevice::ReadOnly)) {
        head = file.read(kLookedAt);
        if (file.size() > kLookedAt && file.seek(file.size() - kLookedAt))
            tail = file.read(kLookedAt);
    }
    if (!looksLikeDocument(head, tail))
        throw AppError(
            QStringLiteral("Құжатты ашу мүмкін емес, файл бүлінген болуы мүмкін: %1").arg(path));
}

OfficeConverter::~OfficeConverter()
{
    cancel();
}

bool OfficeConverter::handles(const QString& path)
{
    return kSuffixes.contains(QFileInfo(path).suffix().toLower());
}

QString OfficeConverter::cachedPdf(const QString& path)
{
    const QString pdf = cacheFolder() + QLatin1Char('/') + cacheName(QFileInfo(path));
    return QFileInfo(pdf).isFile() && QFileInfo(pdf).size() > 0 ? pdf : QString();
}

QString OfficeConverter::converterProgram()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return program;
    }
    return {};
}

bool OfficeConverter::isBusy() const
{
    return m_process != nullptr;
}

void OfficeConverter::convert(const QString& path)
{
    const QString program = converterProgram();
    if (program.isEmpty())
        throw AppError(QStringLiteral("«%1» құжатын ашу үшін LibreOffice керек, ол орнатылмаған. "
                                      "Орнатыңыз: apt install libreoffice-writer-nogui "
                                      "libreoffice-impress-nogui")
                           .arg(QFileInfo(path).fileName()));
    cancel();
    m_path = path;
    m_output = new QTemporaryDir();
    // A profile of the program's own, kept between conversions (LibreOffice's first start with a
    // new profile takes seconds) and apart from a LibreOffice the user may have open.
    const QString profile = cacheFolder() + QStringLiteral("/libreoffice-profile");
    QDir().mkpath(profile);

    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::finished, this, [this](int exitCode) { finish(exitCode); });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(-1);
    });
    QTimer::singleShot(kTimeoutMs, m_process, [this] {
        const QString path = m_path;
        cancel();
        emit failed(path, QStringLiteral("«%1» құжатын PDF пішініне айналдыру тым ұзаққа созылды")
                              .arg(QFileInfo(path).fileName()));
    });
    m_process->start(program, {QStringLiteral("-env:UserInstallation=") +
                                   QUrl::fromLocalFile(profile).toString(),
                               QStringLiteral("--headless"), QStringLiteral("--norestore"),
                               QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                               QStringLiteral("--outdir"), m_output->path(), path});
}

void OfficeConverter::finish(int exitCode)
{
    if (!m_process)
        return;
    const QString log = QString::fromLocal8Bit(m_process->readAll()).trimmed();
    const QString path = m_path;
    const QString produced = m_output->path() + QLatin1Char('/') +
                             QFileInfo(path).completeBaseName() + QStringLiteral(".pdf");
    const QString target = cacheFolder() + QLatin1Char('/') + cacheName(QFileInfo(path));
    bool ok = exitCode == 0 && QFileInfo(produced).size() > 0;
    if (ok) {
        QDir().mkpath(cacheFolder());
        QFile::remove(target);
        ok = QFile::rename(produced, target) || QFile::copy(produced, target);
        pruneCache();
    }
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    delete m_output;
    m_output = nullptr;
    if (ok)
        emit converted(path, target);
    else
        emit failed(path, QStringLiteral("«%1» құжатын PDF пішініне айналдыру мүмкін болмады%2")
                              .arg(QFileInfo(path).fileName(),
                                   log.isEmpty() ? QString() : QStringLiteral(": ") + log));
}

void OfficeConverter::cancel()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(2000);
        m_process->deleteLater();
        m_process = nullptr;
    }
    delete m_output;
    m_output = nullptr;
}
