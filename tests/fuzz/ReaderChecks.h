#pragma once

// Properties every result of a question reader has, whatever the file: each question fits the
// bank, each question and refusal names a line of the file that holds text, they come in file
// order, and a file with any text in it gives at least one of them (nothing is dropped without
// a word).

#include "FuzzSupport.h"
#include "Question.h"
#include "TextLines.h"

#include <QSet>
#include <functional>

namespace Fuzz {

// The numbers of the lines the reader may take text from (lines that are not blank and, for
// GIFT, not comments).
inline QSet<int> textLines(const QString& text, const std::function<bool(QStringView)>& skipped)
{
    QSet<int> lines;
    TextLines::forEach(text, [&](int number, QStringView line) {
        if (!line.trimmed().isEmpty() && !skipped(line.trimmed()))
            lines.insert(number);
    });
    return lines;
}

// manyOnALine: the format may hold several questions on one line (XML).
inline void checkResult(const char* reader, const QString& text, const ReadResult& result,
                        const QSet<int>& lines, bool rightIsFirst, bool manyOnALine = false)
{
    const QString name = QString::fromLatin1(reader);
    int previous = 0;
    for (const Question& question : result.questions) {
        const QString where =
            QStringLiteral("%1, question at line %2").arg(name).arg(question.line);
        FUZZ_CHECK(lines.contains(question.line), where);
        FUZZ_CHECK(question.line > previous || (manyOnALine && question.line == previous),
                   where + QStringLiteral(": out of file order"));
        previous = question.line;
        FUZZ_CHECK(!question.text.isEmpty() && question.text == question.text.trimmed(), where);
        for (const QString& option : question.options)
            FUZZ_CHECK(!option.isEmpty() && option == option.trimmed(), where);
        FUZZ_CHECK(question.right >= 1 && question.right <= Question::kOptions, where);
        FUZZ_CHECK(!rightIsFirst || question.right == 1, where);
    }
    previous = 0;
    for (const Refusal& refusal : result.refusals) {
        const QString where = QStringLiteral("%1, refusal at line %2: %3")
                                  .arg(name)
                                  .arg(refusal.line)
                                  .arg(refusal.reason);
        FUZZ_CHECK(lines.contains(refusal.line), where);
        FUZZ_CHECK(refusal.line >= previous, where + QStringLiteral(": out of file order"));
        previous = refusal.line;
        FUZZ_CHECK(!refusal.reason.isEmpty(), where);
    }
    FUZZ_CHECK(lines.isEmpty() || !result.questions.isEmpty() || !result.refusals.isEmpty(),
               name + QStringLiteral(": the text gave neither a question nor a refusal:\n") + text);
}

// The tag reader puts the right option first unless the file marks another one.
inline bool tagsRightFirst(const QString& text)
{
    return !text.contains(QStringLiteral("<variantright>"), Qt::CaseInsensitive);
}

inline bool isGiftComment(QStringView trimmedLine)
{
    return trimmedLine.startsWith(u"//") || trimmedLine.startsWith(u"$CATEGORY:");
}

} // namespace Fuzz
