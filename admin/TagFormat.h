#pragma once

#include "Question.h"

#include <QString>

// The tag format of many Kazakh colleges' testing systems: a line beginning "<question>" opens a
// question and holds its text; each "<variant>" line after it is one option, and the first
// variant is the right one. Lines without a tag go on the text before them. Tags are read in
// any letter case; a closing "</question>" or "</variant>" at the end of a line is dropped.
namespace TagFormat {

// Reads a decoded file. Never throws; every question that does not fit the bank is a refusal.
// Every question comes back with the right answer first (right = 1): the caller shuffles.
ReadResult read(const QString& text);

// Whether a line opens a question.
bool isQuestionLine(QStringView line);

} // namespace TagFormat
