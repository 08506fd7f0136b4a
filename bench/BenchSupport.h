#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

// What the benchmarks share: scratch course databases built with the raw sqlite3 C API (kept
// between runs, they take long to make), medians of repeated runs, the process's memory, and the
// rows of the table the benchmark script prints.
namespace Bench {

struct CourseSize {
    int questions = 0;
    int users = 0;
    int lectures = 0;
    int results = 0;
};

// A course database of that size in the benchmark data folder, made once: Kazakh texts of a
// realistic length, Chief among the users. Returns its path.
QString course(const CourseSize& size);
QString dataFolder();

// The same question texts the generated bank holds, as (question, five answers, right answer).
struct QuestionTexts {
    QByteArray question;
    QByteArray answers[5];
    int right = 1;
};
QuestionTexts questionTexts(int index);

double median(QList<double> values);
// Median milliseconds of runs of work, each after setup (not timed).
double time(int runs, const std::function<void()>& work, const std::function<void()>& setup = {});
double timeOnce(const std::function<void()>& work);
// Medians of a and b run in turn, for figures that the machine's own noise (the disk's flushes)
// would otherwise tilt one way: {a, b}.
std::pair<double, double> alternate(int runs, const std::function<void()>& a,
                                    const std::function<void()>& b,
                                    const std::function<void()>& setupA = {});

long residentKilobytes();

// One row of the printed table: "ROW|id|what|measured|baseline|ratio|target|met".
void row(const QString& id, const QString& what, const QString& measured, const QString& baseline,
         double ratio, const QString& target, bool met);
QString ms(double value);

} // namespace Bench
