#include "GiftFormat.h"

#include "HtmlText.h"
#include "TextLines.h"

#include <variant>

namespace GiftFormat {

namespace {

bool isSpecial(QChar c)
{
    return c == u'~' || c == u'=' || c == u'#' || c == u'{' || c == u'}' || c == u':';
}

// The position of the first of the characters at or after from that is not escaped by a
// backslash, or -1.
qsizetype findUnescaped(QStringView text, qsizetype from, QStringView characters)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (characters.contains(text[i]))
            return i;
    }
    return -1;
}

qsizetype findUnescapedPair(QStringView text, qsizetype from, char16_t c)
{
    for (qsizetype i = from; i + 1 < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text[i] == c && text[i + 1] == c)
            return i;
    }
    return -1;
}

QString unescaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (isSpecial(next) || next == u'\\') {
                out += next;
                ++i;
                continue;
            }
            if (next == u'n') {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out.trimmed();
}

// The length of a "[plain]", "[html]", "[moodle]" or "[markdown]" format tag at the start of
// the text, or 0.
qsizetype formatTagLength(QStringView text)
{
    static const QString kTags[] = {QStringLiteral("[plain]"), QStringLiteral("[html]"),
                                    QStringLiteral("[moodle]"), QStringLiteral("[markdown]")};
    for (const QString& tag : kTags) {
        if (text.startsWith(tag, Qt::CaseInsensitive))
            return tag.size();
    }
    return 0;
}

// A text after its format tag, and whether it is HTML: by its own tag, or else by the format
// it inherits (the answers take the question's).
struct FormattedText {
    QStringView text;
    bool html = false;
};

FormattedText withoutFormatTag(QStringView text, bool inheritedHtml = false)
{
    const QStringView trimmed = text.trimmed();
    const qsizetype length = formatTagLength(trimmed);
    if (length == 0)
        return {trimmed, inheritedHtml};
    return {trimmed.mid(length), trimmed.startsWith(u"[html]", Qt::CaseInsensitive)};
}

// A text as the bank stores it: GIFT's escapes undone and, for HTML, the plain text a student
// reads.
QString storedText(const FormattedText& text)
{
    const QString plain = unescaped(text.text);
    return text.html ? HtmlText::toPlain(plain) : plain;
}

// The length of a weight such as "%50%" or "%-33.3%" at the start of an answer, or 0.
qsizetype weightLength(QStringView answer)
{
    const auto digits = [&](qsizetype from) {
        qsizetype i = from;
        while (i < answer.size() && answer[i] >= u'0' && answer[i] <= u'9')
            ++i;
        return i - from;
    };
    if (!answer.startsWith(u'%'))
        return 0;
    qsizetype i = answer.startsWith(u"%-") ? 2 : 1;
    const qsizetype whole = digits(i);
    if (whole == 0)
        return 0;
    i += whole;
    if (i < answer.size() && answer[i] == u'.') {
        const qsizetype fraction = digits(i + 1);
        if (fraction == 0)
            return 0;
        i += 1 + fraction;
    }
    return i < answer.size() && answer[i] == u'%' ? i + 1 : 0;
}

struct Answer {
    bool right = false;
    QString text;
};

// Parses the answers between the braces into answers, or returns why they are not five
// answers with one right.
QString parseAnswers(QStringView body, bool html, QList<Answer>& answers)
{
    const QStringView trimmed = body.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("an essay question (no answers)");
    if (trimmed.startsWith(u'#'))
        return QStringLiteral("a numerical question");
    static const QString kTrueFalse[] = {QStringLiteral("T"), QStringLiteral("F"),
                                         QStringLiteral("TRUE"), QStringLiteral("FALSE")};
    const QStringView head = trimmed.left(trimmed.indexOf(u'#')).trimmed();
    for (const QString& word : kTrueFalse) {
        if (head.compare(word, Qt::CaseInsensitive) == 0)
            return QStringLiteral("a true/false question");
    }
    if (trimmed[0] != u'=' && trimmed[0] != u'~')
        return QStringLiteral("the answers do not begin with = or ~");

    const QStringView markers = u"=~";
    qsizetype start = 0;
    while (start < trimmed.size()) {
        const qsizetype next = findUnescaped(trimmed, start + 1, markers);
        const qsizetype end = next < 0 ? trimmed.size() : next;
        QStringView answer = trimmed.mid(start + 1, end - start - 1);
        Answer parsed;
        parsed.right = trimmed[start] == u'=';
        // A weight "%50%" at the start gives partial credit; a % that does not open a weight is
        // the answer's text.
        answer = answer.trimmed();
        if (const qsizetype length = weightLength(answer); length > 0) {
            const QStringView number = answer.mid(1, length - 2);
            const double weight = number.toDouble();
            if (weight >= 100)
                parsed.right = true;
            else if (weight > 0 || parsed.right)
                return QStringLiteral("an answer gives partial credit (%1%)").arg(number);
            answer = answer.mid(length);
        }
        const qsizetype feedback = findUnescaped(answer, 0, u"#");
        if (feedback >= 0)
            answer = answer.left(feedback);
        parsed.text = storedText(withoutFormatTag(answer, html));
        answers << parsed;
        start = end;
    }
    qsizetype rights = 0;
    for (const Answer& answer : answers)
        rights += answer.right ? 1 : 0;
    if (rights == qsizetype(answers.size())) {
        for (const Answer& answer : answers) {
            if (answer.text.contains(u"->"))
                return QStringLiteral("a matching question");
        }
        return QStringLiteral("a short-answer question (every answer is right)");
    }
    if (answers.size() != Question::kOptions)
        return QStringLiteral("the question has %1 answers; the bank holds questions with "
                              "exactly 5")
            .arg(answers.size());
    if (rights != 1)
        return QStringLiteral("the question has %1 right answers; the bank holds questions "
                              "with one")
            .arg(rights);
    for (qsizetype i = 0; i < answers.size(); ++i) {
        if (answers[i].text.isEmpty())
            return QStringLiteral("answer %1 has no text").arg(i + 1);
    }
    return {};
}

// One question's lines joined with line breaks; returns the question or why it is refused.
std::variant<Question, QString> parseQuestion(const QString& block)
{
    QStringView rest(block);
    rest = rest.trimmed();
    if (rest.startsWith(u"::")) {
        const qsizetype close = findUnescapedPair(rest, 2, u':');
        if (close < 0)
            return QStringLiteral("the title has no closing ::");
        rest = rest.mid(close + 2);
    }
    const FormattedText formatted = withoutFormatTag(rest);
    rest = formatted.text;
    const qsizetype open = findUnescaped(rest, 0, u"{");
    if (open < 0)
        return QStringLiteral("no answers in { } (a description, not a question)");
    const qsizetype close = findUnescaped(rest, open + 1, u"{}");
    if (close < 0 || rest[close] != u'}')
        return QStringLiteral("the answers are not closed with }");
    if (!rest.mid(close + 1).trimmed().isEmpty())
        return QStringLiteral("text follows the answers (a missing-word question)");

    Question question;
    question.text = storedText({rest.left(open), formatted.html});
    QList<Answer> answers;
    const QString problem =
        parseAnswers(rest.mid(open + 1, close - open - 1), formatted.html, answers);
    if (!problem.isEmpty())
        return problem;
    if (question.text.isEmpty())
        return QStringLiteral("the question has no text");
    for (int i = 0; i < Question::kOptions; ++i) {
        question.options[i] = answers[i].text;
        if (answers[i].right)
            question.right = i + 1;
    }
    return question;
}

} // namespace

ReadResult read(const QString& text)
{
    ReadResult result;
    QStringList block;
    int blockLine = 0;
    const auto flush = [&] {
        if (block.isEmpty())
            return;
        auto parsed = parseQuestion(block.join(QLatin1Char('\n')));
        if (auto* question = std::get_if<Question>(&parsed)) {
            question->line = blockLine;
            result.questions << *question;
        } else {
            result.refusals.append({blockLine, std::get<QString>(parsed)});
        }
        block.clear();
    };
    TextLines::forEach(text, [&](int number, QStringView line) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u"//") || trimmed.startsWith(u"$CATEGORY:"))
            return;
        if (trimmed.isEmpty()) {
            flush();
            return;
        }
        if (block.isEmpty())
            blockLine = number;
        block << line.toString();
    });
    flush();
    return result;
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\n') {
            out += QStringLiteral("\\n");
            continue;
        }
        if (isSpecial(c) || c == u'\\')
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

WrittenBank write(const QList<Question>& questions)
{
    WrittenBank written;
    for (qsizetype q = 0; q < questions.size(); ++q) {
        const Question& question = questions[q];
        const bool hasRight = question.right >= 1 && question.right <= Question::kOptions;
        QStringList problems;
        if (!hasRight) {
            problems << QStringLiteral("its right answer is not 1 to 5, so every answer is "
                                       "written as wrong");
            written.text += QStringLiteral("// question %1: no right answer stored\n").arg(q + 1);
        }
        // A text that begins like a format tag gets a tag of its own before it, which an
        // import drops instead.
        const QString questionText = escaped(question.text);
        const QString tag = formatTagLength(QStringView(questionText).trimmed()) > 0
                                ? QStringLiteral("[plain]")
                                : QString();
        written.text += QStringLiteral("::%1:: %2%3 {").arg(q + 1).arg(tag, questionText);
        for (int i = 0; i < Question::kOptions; ++i) {
            const bool right = i + 1 == question.right;
            written.text += right ? QStringLiteral(" =") : QStringLiteral(" ~");
            // A text that begins like a weight gets a weight of its own before it, and one
            // that begins like a format tag a tag of its own.
            const QString text = escaped(question.options[i]);
            if (text.trimmed().startsWith(QLatin1Char('%')))
                written.text += right ? QStringLiteral("%100%") : QStringLiteral("%0%");
            if (formatTagLength(QStringView(text).trimmed()) > 0)
                written.text += QStringLiteral("[plain]");
            written.text += text;
        }
        written.text += QStringLiteral(" }\n\n");

        const auto check = [&](const QString& text, const QString& what) {
            if (text.isEmpty())
                problems << QStringLiteral("%1 is empty, which an import skips").arg(what);
            else if (text != text.trimmed())
                problems << QStringLiteral("%1 has blanks or line breaks at the start or end, "
                                           "which an import drops")
                                .arg(what);
            else if (text.contains(QChar(u'\0')))
                problems << QStringLiteral("%1 has a NUL character, for which an import refuses "
                                           "the whole file")
                                .arg(what);
        };
        check(question.text, QStringLiteral("the question"));
        for (int i = 0; i < Question::kOptions; ++i)
            check(question.options[i], QStringLiteral("answer %1").arg(i + 1));
        for (const QString& problem : problems)
            written.warnings << QStringLiteral("question %1: %2").arg(q + 1).arg(problem);
    }
    return written;
}

} // namespace GiftFormat
