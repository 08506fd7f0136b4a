#pragma once

#include <QByteArray>
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

// RFC 4180 CSV in UTF-8 with a byte order mark and CRLF line ends: login, group, attempt,
// number, bank row id, question, chosen letter, right letter, right 0/1. A number that is no
// answer letter is written as it is stored.
QByteArray csv(const QList<Row>& rows);

} // namespace AnswerRows
