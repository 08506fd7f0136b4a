#include "ChildProcess.h"

#include <QCoreApplication>
#include <QDir>

QString ChildProcess::binary(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(folder);
    m_clock.start();
    m_process.start(program, arguments);
    m_process.waitForStarted();
}

ChildProcess::~ChildProcess()
{
    if (isRunning())
        kill();
}

void ChildProcess::take()
{
    m_pending += m_process.readAllStandardOutput();
    m_errors += m_process.readAllStandardError();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

QStringList ChildProcess::linesStartingWith(const QString& prefix) const
{
    QStringList found;
    for (const QString& line : m_lines) {
        if (line.startsWith(prefix))
            found << line;
    }
    return found;
}

std::optional<QString> ChildProcess::waitForLine(const QString& prefix, int ms)
{
    QElapsedTimer waited;
    waited.start();
    qsizetype checked = 0;
    for (;;) {
        take();
        for (; checked < m_lines.size(); ++checked) {
            if (m_lines[checked].startsWith(prefix))
                return m_lines[checked];
        }
        const qint64 left = ms - waited.elapsed();
        if (left <= 0 || !isRunning())
            return std::nullopt;
        m_process.waitForReadyRead(static_cast<int>(left));
    }
}

void ChildProcess::readFor(int ms)
{
    QElapsedTimer waited;
    waited.start();
    for (qint64 left = ms; left > 0 && isRunning(); left = ms - waited.elapsed()) {
        m_process.waitForReadyRead(static_cast<int>(left));
        take();
    }
    take();
}

void ChildProcess::writeLine(const QString& line)
{
    m_process.write((line + QLatin1Char('\n')).toUtf8());
    m_process.waitForBytesWritten();
}

bool ChildProcess::waitForExit(int ms)
{
    const bool ended = !isRunning() || m_process.waitForFinished(ms);
    take();
    return ended;
}

void ChildProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished();
    take();
}
