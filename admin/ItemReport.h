#pragma once

#include "AnswerRows.h"
#include "ItemStatistics.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Item analysis as a teacher reads it: each bank question's figures with plain verdicts in
// Kazakh, as CSV for a spreadsheet and as a section of the printable report.
namespace ItemReport {

// Fewer draws than this give no verdict.
constexpr int kFewestDraws = 10;

enum class Flag { TooFewAttempts, TooEasy, TooHard, DoesNotDiscriminate, ProbablyMisKeyed };

struct Item {
    ItemStatistics::Question figures;
    bool inBank = false; // false: removed from the bank since it was answered
    QString text;
    QString right; // ОтветПр as stored
    QList<Flag> flags;
};

// The verdicts on one question whose right answer is stored as given.
QList<Flag> flagsOf(const ItemStatistics::Question& question, const QString& right);
QString flagText(Flag flag);

// Every analysed question with its bank text and verdicts, by row id.
QList<Item> items(const ItemStatistics::Analysis& analysis,
                  const QHash<qint64, AnswerRows::BankEntry>& bank);

// The same, worst first: a probable wrong key, then no discrimination, too hard, too easy,
// no verdict needed, and last the questions drawn too seldom to judge.
QList<Item> worstFirst(QList<Item> items);

// RFC 4180 CSV in UTF-8 with a byte order mark and CRLF line ends, a Kazakh header and a row per
// question by row id: rowid, text (on one line, shortened), drawn, facility, sd, discrimination,
// efficiency, d27, A..E (per cent of its answers), right (letter), flags. Per cents with two
// decimals after a full stop; an undefined figure is an empty cell, and so is the efficiency of
// a question drawn fewer than kFewestDraws times (the report leaves it out the same way).
QByteArray csv(const QList<Item>& items);

// The test's figures on one line, for the console.
QString summary(const ItemStatistics::Test& test);

// The report's section: the test's figures and an explanation on one page, then the questions
// worst first, 40 to a landscape A4 page. narrowing says which attempts were taken.
QString htmlSection(const ItemStatistics::Analysis& analysis, const QList<Item>& items,
                    const QString& narrowing);
// Its style sheet, for the report's head.
QString htmlStyle();
// The section for a course that keeps no answers.
QString htmlWithoutAnswers();

} // namespace ItemReport
