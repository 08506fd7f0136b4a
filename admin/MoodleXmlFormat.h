#pragma once

#include "Question.h"

#include <QString>

// The question bank XML of the leading learning platform: a <quiz> of <question> elements. Only
// single-answer "multichoice" questions with exactly five answers, one of them worth 100 % and
// none of the others worth anything, fit the bank; every other question is refused with the
// reason, and categories are passed over. A text in HTML (the platform's default) is stored as
// the plain text a student reads: tags dropped, entities decoded, each paragraph and <br> ending
// a line, no blank lines; an image in it is reported as left out.
namespace MoodleXmlFormat {

// Whether a decoded text is such a file: XML whose root is <quiz>.
bool isMoodleXml(const QString& text);

// Reads a decoded file. Never throws; a file that is not well-formed XML gives one refusal at
// the line of the fault, after the questions read before it.
ReadResult read(const QString& text);

// The bank as such a file: plain-text multichoice questions in stored order, not shuffled, each
// answer worth 100 or 0; a warning for each question an import would not give back exactly.
WrittenBank write(const QList<Question>& questions);

} // namespace MoodleXmlFormat
