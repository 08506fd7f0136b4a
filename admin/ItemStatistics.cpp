#include "ItemStatistics.h"

#include <algorithm>
#include <cmath>

namespace ItemStatistics {

namespace {

// Below this a variance or covariance is rounding, not spread.
constexpr double kNoSpread = 1e-12;

double mean(const QList<double>& values)
{
    double sum = 0;
    for (double value : values)
        sum += value;
    return sum / values.size();
}

// The covariance of two columns of equal length (n − 1), with their means given.
double covariance(const QList<double>& a, double meanA, const QList<double>& b, double meanB)
{
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum += (a[i] - meanA) * (b[i] - meanB);
    return sum / (a.size() - 1);
}

std::optional<double> median(QList<double> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

void Collector::add(const QList<Answer>& attempt)
{
    double score = 0;
    for (const Answer& answer : attempt)
        score += answer.mark;

    // A question drawn more than once counts once, with the mean of its marks; so does a
    // number that appears more than once.
    QHash<qint64, std::pair<double, int>> questionMarks;
    QMap<int, std::pair<double, int>> placeMarks;
    for (const Answer& answer : attempt) {
        auto& question = questionMarks[answer.question];
        question.first += answer.mark;
        ++question.second;
        auto& place = placeMarks[answer.number];
        place.first += answer.mark;
        ++place.second;
    }
    for (auto it = questionMarks.cbegin(); it != questionMarks.cend(); ++it)
        m_questions[it.key()].draws.append({it->first / it->second, score - it->first, score});
    for (auto it = placeMarks.cbegin(); it != placeMarks.cend(); ++it) {
        const double mark = it->first / it->second;
        Place& place = m_places[it.key()];
        ++place.count;
        place.sum += mark;
        place.squares += mark * mark;
    }

    QHash<qint64, std::array<bool, kOptions>> chose;
    for (const Answer& answer : attempt) {
        Drawn& drawn = m_questions[answer.question];
        ++drawn.answers;
        if (answer.chosen < 1 || answer.chosen > kOptions)
            continue;
        const int option = answer.chosen - 1;
        ++drawn.chosen[option];
        bool& counted = chose[answer.question][option];
        if (!counted) {
            counted = true;
            ++drawn.choosers[option];
            drawn.choosersScore[option] += score;
        }
    }
    m_scores.append(score);
}

Question Collector::questionFigures(qint64 id, const Drawn& drawn) const
{
    Question question;
    question.id = id;
    question.drawn = static_cast<int>(drawn.draws.size());
    question.answers = drawn.answers;
    for (int option = 0; option < kOptions; ++option) {
        question.options[option].chosen = drawn.chosen[option];
        if (drawn.choosers[option] > 0)
            question.options[option].meanScore =
                drawn.choosersScore[option] / drawn.choosers[option];
    }
    const qsizetype n = drawn.draws.size();
    if (n == 0)
        return question;

    QList<double> marks;
    QList<double> rest; // the score of the rest of the attempt
    marks.reserve(n);
    rest.reserve(n);
    for (const Draw& draw : drawn.draws) {
        marks.append(draw.mark);
        rest.append(draw.rest);
    }
    const double meanMark = mean(marks);
    question.facility = 100 * meanMark;
    if (n < 2)
        return question;

    const double meanRest = mean(rest);
    const double markVariance = covariance(marks, meanMark, marks, meanMark);
    const double restVariance = covariance(rest, meanRest, rest, meanRest);
    const double together = covariance(marks, meanMark, rest, meanRest);
    question.sd = 100 * std::sqrt(std::max(markVariance, 0.0));
    if (markVariance > kNoSpread && restVariance > kNoSpread)
        question.discrimination = 100 * together / std::sqrt(markVariance * restVariance);

    std::sort(marks.begin(), marks.end());
    std::sort(rest.begin(), rest.end());
    const double largest = covariance(marks, meanMark, rest, meanRest);
    if (largest > kNoSpread)
        question.efficiency = 100 * together / largest;

    // The top and the bottom 27 % of the attempts that drew it, by score; ties keep the
    // attempts' stored order.
    QList<Draw> byScore = drawn.draws;
    std::stable_sort(byScore.begin(), byScore.end(),
                     [](const Draw& a, const Draw& b) { return a.score < b.score; });
    const qsizetype group = std::max<qsizetype>(1, std::llround(0.27 * double(n)));
    double bottom = 0;
    double top = 0;
    for (qsizetype i = 0; i < group; ++i) {
        bottom += byScore[i].mark;
        top += byScore[n - 1 - i].mark;
    }
    question.d27 = 100 * (top - bottom) / double(group);
    return question;
}

Analysis Collector::analyse() const
{
    Analysis analysis;
    QList<qint64> ids = m_questions.keys();
    std::sort(ids.begin(), ids.end());
    for (qint64 id : ids)
        analysis.questions.append(questionFigures(id, m_questions.value(id)));

    Test& test = analysis.test;
    const qsizetype n = m_scores.size();
    test.attempts = static_cast<int>(n);
    test.places = static_cast<int>(m_places.size());
    if (n == 0)
        return analysis;
    const double meanScore = mean(m_scores);
    test.mean = meanScore;
    test.median = median(m_scores);
    if (n < 2)
        return analysis;
    const double variance = covariance(m_scores, meanScore, m_scores, meanScore);
    const double sd = std::sqrt(std::max(variance, 0.0));
    test.sd = sd;
    if (variance <= kNoSpread)
        return analysis;
    if (n >= 3) {
        double cubes = 0;
        for (double score : m_scores)
            cubes += std::pow(score - meanScore, 3);
        test.skewness = double(n) * cubes / (double(n - 1) * double(n - 2) * std::pow(sd, 3));
    }
    const qsizetype places = m_places.size();
    if (places >= 2) {
        double placeVariances = 0;
        for (const Place& place : m_places) {
            if (place.count < 2)
                continue;
            placeVariances +=
                (place.squares - place.sum * place.sum / place.count) / (place.count - 1);
        }
        const double alpha = double(places) / double(places - 1) * (1 - placeVariances / variance);
        test.alpha = alpha;
        test.sem = sd * std::sqrt(std::max(1 - alpha, 0.0));
    }
    return analysis;
}

} // namespace ItemStatistics
