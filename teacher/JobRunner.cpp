#include "JobRunner.h"

#include "Commands.h"
#include "Connection.h"
#include "Console.h"

#include <QElapsedTimer>
#include <exception>

// Lives on the runner's thread; its console hands everything to the runner's signals.
class JobRunner::Worker : public QObject, public Console {
public:
    explicit Worker(JobRunner& runner) : m_runner(runner) {}

    void run(const Job& job)
    {
        m_progressTimer.invalidate();
        int status = Commands::Failed;
        // Whatever escapes a job ends it as failed, with the window still working.
        try {
            status = job(*this);
        } catch (const std::exception& error) {
            message(QStringLiteral("%1").arg(QString::fromLocal8Bit(error.what())));
        } catch (...) {
            message(QStringLiteral("an unexpected error stopped the work; nothing was changed"));
        }
        // The connection belongs to this thread: closed here, so that the next job (or the
        // program's end) finds none open.
        Connection::shared().close();
        emit m_runner.finished(status);
    }

    void out(const QString& text) override { emit m_runner.output(text); }
    void err(const QString& text) override { emit m_runner.message(text); }
    void progress(const QString& label, qint64 done, qint64 total) override
    {
        // A few updates a second are enough for a progress bar.
        if (m_progressTimer.isValid() && m_progressTimer.elapsed() < 100 && done != total)
            return;
        m_progressTimer.start();
        emit m_runner.progressed(label, done, total);
    }
    bool cancelRequested() const override { return m_runner.m_cancel; }
    bool drawsProgress() const override { return true; }

private:
    JobRunner& m_runner;
    QElapsedTimer m_progressTimer;
};

JobRunner::JobRunner(QObject* parent) : QObject(parent)
{
    m_worker = new Worker(*this);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(this, &JobRunner::finished, this, [this] { m_busy = false; });
    m_thread.setObjectName(QStringLiteral("companion work"));
    m_thread.start();
}

JobRunner::~JobRunner()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
}

bool JobRunner::start(const Job& job)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_cancel = false;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, job] { worker->run(job); });
    return true;
}

bool JobRunner::startCommand(const QStringList& arguments)
{
    return start([arguments](Console& console) { return Commands::run(arguments, console); });
}

void JobRunner::cancel()
{
    m_cancel = true;
}
