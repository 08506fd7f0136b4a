#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Stored test results with each user's group, for the school office: a CSV file and a printable
// report. A score is the stored Верно; one that is not a whole number 0..30 is kept as it is
// in the CSV and left out of the report's figures, with a warning either way.
namespace Results {

constexpr int kQuestionsPerTest = 30;

struct Row {
    int position = 0; // 1-based, in stored order
    QString login;
    QString group;
    bool known = false; // the login has a row in Пользователи
    QString stored;     // Верно as stored, as text
    std::optional<int> score;
    QDateTime storedAt; // invalid where the course keeps no time, or has none for the row
};

// The results read, and whether the course keeps the time each was stored.
struct Table {
    QList<Row> rows;
    bool timed = false;
};

// The results in stored order, all of them or one login's; progress receives the number read
// so far. Throws AppError.
QList<Row> read(const std::optional<QString>& login = std::nullopt,
                const std::function<void(qint64)>& progress = {});
// The same with whether the course keeps each result's time.
Table readTable(const std::optional<QString>& login = std::nullopt,
                const std::function<void(qint64)>& progress = {});

// RFC 4180 CSV in UTF-8 with a byte order mark and CRLF line ends: login, group, right answers,
// out of, per cent (rounded to a whole number) and, where the course keeps it, when the result
// was stored (local time, "2026-12-10 14:32"). A text that a spreadsheet would run as a formula
// (beginning with = + - @ or a tab) is written after an apostrophe.
QByteArray csv(const QList<Row>& rows, QStringList& warnings, bool timed = false);

// A one-page HTML report: per group, the attempts, the mean and the median score and a
// histogram of the scores as inline SVG, then the appendix (with its style sheet) where given.
// No script, nothing loaded from elsewhere.
QString report(const QList<Row>& rows, const QString& source, const QDateTime& when,
               QStringList& warnings, const QString& appendix = {},
               const QString& appendixStyle = {});

// A field of a CSV file: quoted where it must be, and written after an apostrophe where a
// spreadsheet would run it as a formula.
QString csvField(QString text);

// The median of the scores (sorted or not); 0 for none.
double median(QList<int> scores);

} // namespace Results
