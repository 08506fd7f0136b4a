#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

// A program of the build run as a child of a test, offscreen, in a given folder, its standard
// output read line by line as it comes. The destructor kills a child still running.
class ChildProcess {
public:
    // The program of the build's bin folder with that name.
    static QString binary(const QString& name);

    ChildProcess(const QString& program, const QStringList& arguments, const QString& folder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The complete lines printed so far.
    const QStringList& lines() const { return m_lines; }
    QStringList linesStartingWith(const QString& prefix) const;
    // Waits up to the time for a line beginning with the prefix; the line, or nullopt when the
    // time runs out or the child ends without printing it.
    std::optional<QString> waitForLine(const QString& prefix, int ms);
    // Reads what arrives for this long (less if the child ends).
    void readFor(int ms);
    void writeLine(const QString& line);

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Waits for the end, reading the output; false when it did not end in time.
    bool waitForExit(int ms);
    // SIGKILL, then the rest of the output.
    void kill();
    // True when the child ended by itself, with its exit status in exitCode().
    bool exitedNormally() const { return m_process.exitStatus() == QProcess::NormalExit; }
    int exitCode() const { return m_process.exitCode(); }
    QString errorOutput() const { return QString::fromUtf8(m_errors); }
    // Time since the start.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

private:
    void take();

    QProcess m_process;
    QByteArray m_pending;
    QByteArray m_errors;
    QStringList m_lines;
    QElapsedTimer m_clock;
};
