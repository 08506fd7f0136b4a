#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// One question as the bank stores it: the text, the five answers A..E and the number (1..5) of
// the right one, with the line of the file it was read from.
struct Question {
    static constexpr int kOptions = 5;
    int line = 0;
    QString text;
    std::array<QString, kOptions> options;
    int right = 0;
};

// A question of a file that was not taken, with the line it starts on and why.
struct Refusal {
    int line = 0;
    QString reason;
};

// What a reader made of a file: the questions that fit the bank, in file order, the refusals,
// in file order, and notes on questions taken with something of theirs left out (an image).
struct ReadResult {
    QList<Question> questions;
    QList<Refusal> refusals;
    QList<Refusal> notes;
};

// A bank written for a file: the text, and a warning for each question that the format cannot
// carry exactly (an import would not give the same row back), naming its position (1-based).
struct WrittenBank {
    QString text;
    QStringList warnings;
};
