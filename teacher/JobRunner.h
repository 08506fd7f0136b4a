#pragma once

#include <QObject>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <functional>

class Console;

// Runs the companion's work off the interface thread, one job at a time, on one thread of its
// own: the course's database connection is opened and used there only. The job's messages,
// output and progress arrive as signals on the interface thread; cancel() stops it at its next
// step, and the job's transaction leaves everything as it was.
class JobRunner : public QObject {
    Q_OBJECT
public:
    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override;

    // A job: work on the runner's thread with a console that reports to this runner; returns a
    // status of Commands.
    using Job = std::function<int(Console& console)>;
    // False while another job runs.
    bool start(const Job& job);
    // One okulyk-admin command line.
    bool startCommand(const QStringList& arguments);
    void cancel();
    bool isBusy() const { return m_busy; }

signals:
    void message(const QString& text);
    void output(const QString& text);
    void progressed(const QString& label, qint64 done, qint64 total);
    void finished(int status);

private:
    class Worker;
    QThread m_thread;
    Worker* m_worker = nullptr;
    std::atomic_bool m_cancel = false;
    bool m_busy = false;
};
