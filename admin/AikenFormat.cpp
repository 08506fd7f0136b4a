#include "AikenFormat.h"

#include "OptionLetters.h"
#include "TagFormat.h"
#include "TextLines.h"

#include <optional>

namespace AikenFormat {

namespace {

struct OptionLine {
    QChar letter;
    QString text;
};

std::optional<OptionLine> optionLine(QStringView line)
{
    const QStringView rest = TextLines::withoutLeadingBlanks(line);
    if (rest.size() < 2 || !OptionLetters::isOptionLetter(rest[0]) ||
        (rest[1] != u')' && rest[1] != u'.'))
        return std::nullopt;
    if (rest.size() > 2 && rest[2] != u' ' && rest[2] != u'\t')
        return std::nullopt;
    return OptionLine{rest[0], rest.mid(2).toString()};
}

// "ANSWER:" in any letter case, then what follows, trimmed.
std::optional<QString> answerLine(QStringView line)
{
    static const QString kAnswer = QStringLiteral("ANSWER");
    const QStringView rest = TextLines::withoutLeadingBlanks(line);
    // Most lines are told apart by their first two letters ("A) ..." is an option).
    if (rest.size() < kAnswer.size() || (rest[0] != u'A' && rest[0] != u'a') ||
        (rest[1] != u'N' && rest[1] != u'n') || !rest.startsWith(kAnswer, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView afterWord = TextLines::withoutLeadingBlanks(rest.mid(kAnswer.size()));
    if (!afterWord.startsWith(u':'))
        return std::nullopt;
    return afterWord.mid(1).trimmed().toString();
}

struct PendingOption {
    QChar letter;
    QStringList lines;
    int line = 0;
    int continuationLine = 0; // the first line after the option's own, if any
};

struct Pending {
    int line = 0;
    QStringList text;
    QList<PendingOption> options;

    bool isEmpty() const { return line == 0; }
};

class Reader {
public:
    ReadResult result;

    void take(int lineNumber, QStringView line)
    {
        if (line.trimmed().isEmpty())
            return; // blank lines only separate questions
        if (const auto answer = answerLine(line)) {
            if (m_pending.isEmpty())
                refuse(lineNumber, QStringLiteral("an ANSWER: line with no question before it"));
            else
                finish(*answer);
            return;
        }
        if (m_pending.isEmpty()) {
            m_pending.line = lineNumber;
            m_pending.text << line.toString();
            return;
        }
        if (const auto option = optionLine(line)) {
            if (!m_pending.options.isEmpty() &&
                option->letter == m_pending.options.constFirst().letter)
                restartAfterMissingAnswer(lineNumber, option->letter);
            m_pending.options.append({option->letter, {option->text}, lineNumber, 0});
            return;
        }
        if (m_pending.options.isEmpty()) {
            m_pending.text << line.toString();
            return;
        }
        PendingOption& last = m_pending.options.last();
        if (last.continuationLine == 0)
            last.continuationLine = lineNumber;
        last.lines << line.toString();
    }

    void end()
    {
        if (!m_pending.isEmpty())
            refuse(m_pending.line, QStringLiteral("the file ends before this question's "
                                                  "ANSWER: line"));
    }

private:
    void refuse(int line, const QString& reason)
    {
        result.refusals.append({line, reason});
        m_pending = {};
    }

    // The first option letter again means the question before had no ANSWER: line. The lines
    // that followed its last option are most likely the next question's text, so they start
    // the next question.
    void restartAfterMissingAnswer(int lineNumber, QChar letter)
    {
        const PendingOption last = m_pending.options.constLast();
        refuse(m_pending.line,
               QStringLiteral("no ANSWER: line before line %1, where the option letter %2 comes "
                              "again")
                   .arg(lineNumber)
                   .arg(letter));
        m_pending.line = last.continuationLine != 0 ? last.continuationLine : lineNumber;
        m_pending.text = last.lines.mid(1);
    }

    void finish(const QString& answer)
    {
        const Pending pending = m_pending;
        const QString text = pending.text.join(QLatin1Char('\n')).trimmed();
        if (text.isEmpty())
            return refuse(pending.line, QStringLiteral("the question has no text"));
        if (pending.options.size() != Question::kOptions)
            return refuse(pending.line, QStringLiteral("the question has %1 options; the bank "
                                                       "holds questions with exactly 5")
                                            .arg(pending.options.size()));
        QList<QChar> letters;
        for (const PendingOption& option : pending.options)
            letters << option.letter;
        const OptionLetters::Decision decision = OptionLetters::decide(letters);
        if (!decision.set)
            return refuse(pending.line, decision.problem);
        if (answer.isEmpty())
            return refuse(pending.line, QStringLiteral("the ANSWER: line names no letter"));
        if (answer.size() != 1)
            return refuse(pending.line,
                          QStringLiteral("the answer \"%1\" is not one letter; the bank holds "
                                         "questions with one right answer")
                              .arg(answer));
        const int right = OptionLetters::number(*decision.set, answer[0].toUpper());
        if (right == 0)
            return refuse(pending.line, OptionLetters::foreignAnswer(*decision.set, answer[0]));
        Question question;
        question.line = pending.line;
        question.text = text;
        for (int i = 0; i < Question::kOptions; ++i) {
            question.options[i] = pending.options[i].lines.join(QLatin1Char('\n')).trimmed();
            if (question.options[i].isEmpty())
                return refuse(pending.line,
                              QStringLiteral("option %1 has no text").arg(letters[i]));
        }
        question.right = right;
        result.questions << question;
        m_pending = {};
    }

    Pending m_pending;
};

const QChar kLatinLetters[] = {u'A', u'B', u'C', u'D', u'E'};

// Why the text cannot stand in an Aiken file exactly as it is, or an empty text.
QString obstacle(const QString& text, bool isQuestion)
{
    if (text.isEmpty())
        return QStringLiteral("an empty text, which an import skips");
    if (text != text.trimmed())
        return QStringLiteral("blanks or line breaks at the start or end");
    if (text.contains(QLatin1Char('\r')))
        return QStringLiteral("a carriage return");
    if (text.contains(QChar(u'\0')))
        return QStringLiteral("a NUL character, for which an import refuses the whole file");
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty())
            return QStringLiteral("a blank line");
        if (isAnswerLine(line) && (i > 0 || isQuestion))
            return QStringLiteral("a line that reads as an ANSWER: line");
        if (i > 0 && isOptionLine(line))
            return QStringLiteral("a line that reads as an option");
        if (TagFormat::opensWithQuestionTag(line))
            return QStringLiteral("a line that begins with <question>, so that an import "
                                  "without --format aiken takes the file for the tag format");
    }
    return {};
}

} // namespace

bool isAnswerLine(QStringView line)
{
    return answerLine(line).has_value();
}

bool isOptionLine(QStringView line)
{
    return optionLine(line).has_value();
}

ReadResult read(const QString& text)
{
    Reader reader;
    TextLines::forEach(text, [&](int number, QStringView line) { reader.take(number, line); });
    reader.end();
    return reader.result;
}

WrittenBank write(const QList<Question>& questions)
{
    WrittenBank written;
    QString& out = written.text;
    for (qsizetype q = 0; q < questions.size(); ++q) {
        const Question& question = questions[q];
        QStringList problems;
        if (const QString why = obstacle(question.text, true); !why.isEmpty())
            problems << QStringLiteral("the question has %1").arg(why);
        // At the very start of the file it would be read as the byte order mark.
        if (q == 0 && question.text.startsWith(QChar(0xFEFF)))
            problems << QStringLiteral("the question begins with a byte order mark");
        out += question.text + QLatin1Char('\n');
        for (int i = 0; i < Question::kOptions; ++i) {
            if (const QString why = obstacle(question.options[i], false); !why.isEmpty())
                problems << QStringLiteral("answer %1 has %2").arg(kLatinLetters[i]).arg(why);
            out +=
                kLatinLetters[i] + QStringLiteral(") ") + question.options[i] + QLatin1Char('\n');
        }
        if (question.right >= 1 && question.right <= Question::kOptions) {
            out += QStringLiteral("ANSWER: ") + kLatinLetters[question.right - 1];
        } else {
            problems << QStringLiteral("its right answer is not 1 to 5, so no letter is given");
            out += QStringLiteral("ANSWER: ?");
        }
        out += QStringLiteral("\n\n");
        for (const QString& problem : problems)
            written.warnings << QStringLiteral("question %1: %2").arg(q + 1).arg(problem);
    }
    return written;
}

} // namespace AikenFormat
