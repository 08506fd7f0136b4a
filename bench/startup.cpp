// Start-up cost: building every window on a course folder and showing the main window (which
// brings up sign-in), timed over repeated runs in one process, plus the memory in use after.
//   startup [COURSE_DIR] [RUNS]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "Connection.h"
#include "MainWindow.h"
#include "WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString course = args.size() > 1 ? args[1] : QStringLiteral(OKULYK_COURSE_OUT);
    const int runs = std::max(1, args.size() > 2 ? args[2].toInt() : 15);
    if (!QFile::exists(course + QStringLiteral("/db.mdb"))) {
        std::fprintf(stderr, "no db.mdb in %s\n", qPrintable(course));
        return 2;
    }
    QDir::setCurrent(course);

    QList<double> times;
    long firstRss = 0;
    for (int run = 0; run < runs; ++run) {
        Connection::shared().close();
        QElapsedTimer timer;
        timer.start();
        {
            WindowRegistry windows;
            windows.createAll();
            windows.form1()->show();
            QApplication::processEvents();
            times << timer.nsecsElapsed() / 1e6;
            if (run == 0)
                firstRss = residentKilobytes();
        }
        QApplication::processEvents();
    }
    const double first = times.constFirst();
    std::sort(times.begin(), times.end());
    std::printf("start-up over %d runs: first %.1f ms (cold), median %.1f ms, max %.1f ms; "
                "memory after the first: %ld KiB resident\n",
                runs, first, times[times.size() / 2], times.constLast(), firstRss);
    return 0;
}
