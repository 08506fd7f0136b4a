#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <array>
#include <optional>

// Classical item analysis of the kept answers. Attempts draw their questions at random from the
// bank, so each question's statistics are taken over the attempts that drew it. A mark runs
// from 0 to 1; an attempt's score is the sum of its marks. A question drawn more than once in
// one attempt counts once there, with the mean of its marks, and the rest of that attempt
// leaves out all of its marks. Variances and covariances divide
// by n − 1. A statistic that is undefined for the data (too few attempts, no spread) is empty,
// never NaN.
namespace ItemStatistics {

constexpr int kOptions = 5;

// One answer of an attempt: its number in the attempt, the bank row drawn, the option chosen
// (1..5; any other value is counted under no option) and its mark.
struct Answer {
    int number = 0;
    qint64 question = 0;
    int chosen = 0;
    double mark = 0;
};

struct OptionUse {
    int chosen = 0;                  // answers that chose it
    std::optional<double> meanScore; // the mean score of the attempts that chose it
};

// Per cents, except the option counts and mean scores.
struct Question {
    qint64 id = 0;
    int drawn = 0;                        // attempts that drew it
    int answers = 0;                      // its answers (twice for an attempt that drew it twice)
    std::optional<double> facility;       // 100 · mean(x)
    std::optional<double> sd;             // 100 · SD(x)
    std::optional<double> discrimination; // 100 · correlation of x with the rest of the score
    std::optional<double> efficiency;     // 100 · Cov(x, X − x) / its largest possible value
    std::optional<double> d27; // 100 · (facility of the top 27 % − of the bottom 27 %)
    std::array<OptionUse, kOptions> options;
};

// The test as a whole, over the attempts' scores; the items of the reliability figure are the
// numbered places of an attempt (each a randomly drawn question).
struct Test {
    int attempts = 0;
    int places = 0; // distinct answer numbers
    std::optional<double> mean;
    std::optional<double> median;
    std::optional<double> sd;
    std::optional<double> skewness;
    std::optional<double> alpha; // Cronbach's alpha (KR-20 for marks 0 and 1)
    std::optional<double> sem;   // the standard error of measurement, SD · √(1 − alpha)
};

struct Analysis {
    Test test;
    QList<Question> questions; // by bank row id
};

// Takes the attempts one at a time, keeping only what the figures need: a mark and a score per
// question drawn, and running sums per answer number.
class Collector {
public:
    void add(const QList<Answer>& attempt);
    Analysis analyse() const;
    int attempts() const { return static_cast<int>(m_scores.size()); }

private:
    struct Draw {
        double mark;  // the mean of the question's marks in the attempt
        double rest;  // the score without any of them
        double score; // the whole score
    };
    struct Drawn {
        QList<Draw> draws;
        int answers = 0;
        std::array<int, kOptions> chosen{};
        std::array<int, kOptions> choosers{};
        std::array<double, kOptions> choosersScore{};
    };
    struct Place {
        int count = 0;
        double sum = 0;
        double squares = 0;
    };

    Question questionFigures(qint64 id, const Drawn& drawn) const;

    QHash<qint64, Drawn> m_questions;
    QMap<int, Place> m_places;
    QList<double> m_scores;
};

} // namespace ItemStatistics
