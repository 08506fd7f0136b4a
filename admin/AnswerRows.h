#pragma once

#include "ItemStatistics.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The kept answers of every attempt, one row each, for a spreadsheet's pivot table: the class
// against the questions.
namespace AnswerRows {

struct Row {
    QString login;
    QString group;
    QString attempt; // the Тесты row id
    QString number;  // 1..30
    QString bankRow; // the БДТест row id
    QString question;
    QString chosen; // 1..5
    QString right;  // ОтветПр as stored
    QString mark;   // 1 right, 0 wrong
};

// All of them, or one login's; progress receives the number read so far. Throws AppError, also
// for a course that keeps no answers.
QList<Row> read(const std::optional<QString>& login = std::nullopt,
                const std::function<void(qint64)>& progress = {});

// Whether the course has the table of kept answers.
bool keepsAnswers();

// Which attempts an analysis takes: one group's (the group of the login's first row of users),
// those stored from a moment on, or both.
struct Narrowing {
    std::optional<QString> group;
    std::optional<QDateTime> since;
};

// What analysing a course needs from it.
struct KeptAttempts {
    int attempts = 0;
    int leftOut = 0; // answers whose mark is not 0 or 1, each left out of the figures
};

// Hands every kept attempt's answers to the callback, attempt by attempt in stored order, over
// attempts whose rows of results are still stored; progress receives the answers read so far.
// Throws AppError, also for a course that keeps no answers.
KeptAttempts scanAttempts(const Narrowing& narrowing,
                          const std::function<void(const QList<ItemStatistics::Answer>&)>& attempt,
                          const std::function<void(qint64)>& progress = {});

// The option 1..5 that an answer or a right answer stored as text names, else 0.
int optionNumber(const QString& stored);
// The same as the option's letter A..E, anything else as it is.
QString letter(const QString& stored);

// A bank question as the analysis names it.
struct BankEntry {
    QString text;
    QString right; // ОтветПр as stored
};
QHash<qint64, BankEntry> bankEntries();

// RFC 4180 CSV in UTF-8 with a byte order mark and CRLF line ends: login, group, attempt,
// number, bank row id, question, chosen letter, right letter, right 0/1. A number that is no
// answer letter is written as it is stored.
QByteArray csv(const QList<Row>& rows);

} // namespace AnswerRows
