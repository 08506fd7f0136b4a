// Time to the first page of a document in the document pane: an HTML lecture, a PDF and an
// office document (first opening, converted, and second opening, from the cache), each beside
// the time it takes just to read the same file's bytes. Medians over repeated runs.
//   open_document HTML PDF OFFICE [RUNS]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "DocumentPane.h"
#include "OfficeConverter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPdfDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

double timeOnce(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double readBytes(const QString& path)
{
    return timeOnce([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        volatile qsizetype size = file.readAll().size();
        (void)size;
    });
}

// The pane's PDF view draws pages as a renderer delivers them, after the paint: the first page's
// picture, rendered at the pane's width, is what a reader waits for.
double renderFirstPdfPage(const QString& path, int width)
{
    return timeOnce([&] {
        QPdfDocument document;
        document.load(path);
        const QSizeF points = document.pagePointSize(0);
        const QSize size(width, int(width * points.height() / std::max(1.0, points.width())));
        volatile bool rendered = !document.render(0, size).isNull();
        (void)rendered;
    });
}

// Navigates and waits until the pane has the document on screen and has painted it once.
double firstPage(DocumentPane& pane, const QString& path)
{
    return timeOnce([&] {
        QEventLoop wait;
        const auto shown = QObject::connect(&pane, &DocumentPane::shown, &wait, &QEventLoop::quit);
        QTimer::singleShot(120000, &wait, &QEventLoop::quit);
        pane.navigate(path);
        if (pane.content() == DocumentPane::Content::Converting)
            wait.exec();
        QObject::disconnect(shown);
        pane.grab();
    });
}

void report(const char* what, double ms, double baseline)
{
    std::printf("%-34s %9.1f ms   read %7.2f ms   over the read %+9.1f ms\n", what, ms, baseline,
                ms - baseline);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: open_document HTML PDF OFFICE [RUNS]\n");
        return 2;
    }
    const int runs = std::max(1, args.size() > 4 ? args[4].toInt() : 11);
    // A cache of its own, so the first office opening converts.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());

    DocumentPane pane;
    pane.resize(1000, 800);
    pane.show();
    for (const int index : {1, 2}) {
        QList<double> times;
        QList<double> reads;
        for (int run = 0; run < runs; ++run) {
            reads << readBytes(args[index]);
            times << firstPage(pane, args[index]);
            pane.showBlank(QString());
        }
        report(index == 1 ? "HTML lecture, first page" : "PDF lecture, shown", median(times),
               median(reads));
    }
    QList<double> renders;
    QList<double> pdfReads;
    for (int run = 0; run < runs; ++run) {
        pdfReads << readBytes(args[2]);
        renders << renderFirstPdfPage(args[2], pane.width());
    }
    report("PDF lecture, first page rendered", median(renders), median(pdfReads));
    // The first opening of an office document happens once per cache entry: one run of it.
    const double read = readBytes(args[3]);
    report("office document, first opening", firstPage(pane, args[3]), read);
    QList<double> again;
    QList<double> reads;
    for (int run = 0; run < runs; ++run) {
        pane.showBlank(QString());
        reads << readBytes(args[3]);
        again << firstPage(pane, args[3]);
    }
    report("office document, second opening", median(again), median(reads));
    return 0;
}
