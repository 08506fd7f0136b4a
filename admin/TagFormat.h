#pragma once

#include "Question.h"

#include <QString>

// The tag format of many Kazakh colleges' testing systems: a line holding "<question>" opens a
// question and holds its text; each "<variant>" line after it is one option. The variant written
// "<variantright>" is the right one where a file marks it so, else the first variant. Whatever
// stands before a tag on its line (a number, "1)", blanks) is left out; lines without a tag go
// on the text before them. Tags are read in any letter case; a closing "</question>",
// "</variant>" or "</variantright>" at the end of a line is dropped.
namespace TagFormat {

// Reads a decoded file. Never throws; every question that does not fit the bank is a refusal.
// The options come in file order with the right one numbered (the first, unless another is
// marked): the caller shuffles.
ReadResult read(const QString& text);

// Whether a line opens a question (the tag anywhere on it).
bool isQuestionLine(QStringView line);
// Whether a line begins with the question tag, after blanks and perhaps a number ("1.", "1)"):
// a surer sign of the format than the tag further on, which a text in another format may hold.
bool opensWithQuestionTag(QStringView line);

} // namespace TagFormat
