#include "MoodleXmlFormat.h"

#include "HtmlText.h"
#include "TextLines.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <optional>

namespace MoodleXmlFormat {

namespace {

// A text element (<questiontext>, <answer>) as the file holds it.
struct FormattedText {
    QString format;
    QString text;
    double fraction = 0;
};

// The text child of the element the reader is on, with the element's format; anything else in
// it (feedback, embedded files) is passed over.
FormattedText readFormattedText(QXmlStreamReader& xml)
{
    FormattedText read;
    read.format = xml.attributes().value(QStringLiteral("format")).toString();
    read.fraction = xml.attributes().value(QStringLiteral("fraction")).toDouble();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("text"))
            read.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            xml.skipCurrentElement();
    }
    return read;
}

bool isPlainFormat(const QString& format)
{
    return format == QLatin1String("plain_text") || format == QLatin1String("markdown");
}

// The text a student reads. HTML (the platform's default) as plain text, a line per paragraph
// or <br>, no blank lines; a plain text as it is. Blanks at either end are dropped, as every
// question format does.
QString studentText(const FormattedText& source, bool& hadImage)
{
    if (isPlainFormat(source.format))
        return source.text.trimmed();
    static const QRegularExpression image(QStringLiteral("<img\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    hadImage = hadImage || source.text.contains(image);
    QStringList lines = HtmlText::toPlain(source.text).split(QLatin1Char('\n'));
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    for (QString& line : lines)
        line = line.trimmed();
    return lines.join(QLatin1Char('\n'));
}

struct Multichoice {
    int line = 0;
    std::optional<FormattedText> text;
    QList<FormattedText> answers;
    bool single = true;
};

// Why the question cannot be stored, or nothing; fills the question when it can.
QString takeMultichoice(const Multichoice& read, Question& question, QStringList& leftOut)
{
    if (!read.single)
        return QStringLiteral("a multiple-answer question (several answers may be chosen); the "
                              "bank holds questions with one right answer");
    if (read.answers.size() != Question::kOptions)
        return QStringLiteral("the question has %1 answers; the bank holds questions with "
                              "exactly 5")
            .arg(read.answers.size());
    QList<int> full;
    for (int i = 0; i < Question::kOptions; ++i) {
        const double fraction = read.answers[i].fraction;
        if (fraction >= 99.99)
            full << i;
        else if (fraction > 0)
            return QStringLiteral("answer %1 is worth %2 %, which the bank cannot hold (an answer "
                                  "is right or wrong)")
                .arg(i + 1)
                .arg(fraction);
    }
    if (full.isEmpty())
        return QStringLiteral("no answer is worth 100 %");
    if (full.size() > 1)
        return QStringLiteral("%1 answers are worth 100 %; the bank holds questions with one "
                              "right answer")
            .arg(full.size());
    bool image = false;
    question.line = read.line;
    question.text = read.text ? studentText(*read.text, image) : QString();
    if (image)
        leftOut << QStringLiteral("the question's image");
    if (question.text.isEmpty())
        return QStringLiteral("the question has no text");
    for (int i = 0; i < Question::kOptions; ++i) {
        bool answerImage = false;
        question.options[i] = studentText(read.answers[i], answerImage);
        if (answerImage)
            leftOut << QStringLiteral("the image of answer %1").arg(i + 1);
        if (question.options[i].isEmpty())
            return QStringLiteral("answer %1 has no text").arg(i + 1);
    }
    question.right = full.constFirst() + 1;
    return {};
}

// The lines of a file that hold text, to name a line the way the other formats count them: the
// parser counts a lone carriage return as a line break too, and reports a file cut short at its
// last, perhaps empty, line.
class TextLineIndex {
public:
    explicit TextLineIndex(const QString& text)
    {
        TextLines::forEach(text, [&](int number, QStringView line) {
            if (!line.trimmed().isEmpty())
                m_lines << number;
        });
    }
    // The line, or the nearest one before it that holds text (else the first); 0 for none.
    int near(qint64 line) const
    {
        const auto after = std::upper_bound(m_lines.cbegin(), m_lines.cend(), line);
        if (after != m_lines.cbegin())
            return *(after - 1);
        return m_lines.isEmpty() ? 0 : m_lines.constFirst();
    }

private:
    QList<int> m_lines;
};

// A question element, read whole whatever its type.
void readQuestion(QXmlStreamReader& xml, int line, ReadResult& result)
{
    const QString type = xml.attributes().value(QStringLiteral("type")).toString();
    if (type != QLatin1String("multichoice")) {
        xml.skipCurrentElement();
        if (type != QLatin1String("category") && !xml.hasError())
            result.refusals.append(
                {line, type.isEmpty()
                           ? QStringLiteral("a question without a type")
                           : QStringLiteral("a \"%1\" question; the bank holds single-answer "
                                            "multiple choice")
                                 .arg(type)});
        return;
    }
    Multichoice read;
    read.line = line;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("questiontext"))
            read.text = readFormattedText(xml);
        else if (name == QLatin1String("answer"))
            read.answers << readFormattedText(xml);
        else if (name == QLatin1String("single")) {
            const QString single = xml.readElementText().trimmed().toLower();
            read.single = single != QLatin1String("false") && single != QLatin1String("0");
        } else
            xml.skipCurrentElement();
    }
    if (xml.hasError())
        return;
    Question question;
    QStringList leftOut;
    const QString problem = takeMultichoice(read, question, leftOut);
    if (!problem.isEmpty()) {
        result.refusals.append({line, problem});
        return;
    }
    for (const QString& what : leftOut)
        result.notes.append({line, QStringLiteral("%1 is left out").arg(what)});
    result.questions << question;
}

// Characters that XML 1.0 cannot hold at all.
bool xmlCanHold(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Writes a text exactly: a carriage return (which a parser reads as a line break) and a zero
// width no-break space (which the writer drops) as character references, a character XML
// cannot hold left out. Returns whether one was.
bool writeExactText(QXmlStreamWriter& xml, const QString& text)
{
    bool droppedAny = false;
    QString run;
    for (const char32_t c : text.toUcs4()) {
        if (c == 0xD || c == 0xFEFF) {
            xml.writeCharacters(run);
            run.clear();
            xml.writeEntityReference(QStringLiteral("#%1").arg(quint32(c)));
        } else if (xmlCanHold(c)) {
            run += QString::fromUcs4(&c, 1);
        } else {
            droppedAny = true;
        }
    }
    xml.writeCharacters(run);
    return droppedAny;
}

// <NAME ATTRIBUTES format="plain_text"><text>TEXT</text></NAME>; whether a character was left
// out.
bool writeTextElement(QXmlStreamWriter& xml, const QString& name, const QString& text,
                      const QXmlStreamAttributes& attributes = {})
{
    xml.writeStartElement(name);
    xml.writeAttributes(attributes);
    xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
    xml.writeStartElement(QStringLiteral("text"));
    const bool dropped = writeExactText(xml, text);
    xml.writeEndElement();
    xml.writeEndElement();
    return dropped;
}

// The platform lists questions by name: the text's first line, shortened.
QString questionName(const Question& question, qsizetype position)
{
    QString name = question.text.section(QLatin1Char('\n'), 0, 0).simplified();
    if (name.size() > 60)
        name = name.left(59) + QChar(u'…');
    return name.isEmpty() ? QStringLiteral("Сұрақ %1").arg(position) : name;
}

} // namespace

bool isMoodleXml(const QString& text)
{
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            return xml.name() == QLatin1String("quiz");
    }
    return false;
}

ReadResult read(const QString& text)
{
    ReadResult result;
    const TextLineIndex lines(text);
    QXmlStreamReader xml(text);
    int questions = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("question")) {
            ++questions;
            readQuestion(xml, lines.near(xml.lineNumber()), result);
        }
    }
    // A file of blanks alone holds nothing to refuse.
    if (xml.hasError() && lines.near(1) > 0) {
        result.refusals.append({lines.near(xml.lineNumber()),
                                QStringLiteral("the file is not well-formed XML (%1); the rest of "
                                               "it is left out")
                                    .arg(xml.errorString())});
    } else if (questions == 0 && lines.near(1) > 0) {
        result.refusals.append({lines.near(1), QStringLiteral("the file holds no <question>")});
    }
    return result;
}

WrittenBank write(const QList<Question>& questions)
{
    WrittenBank written;
    QXmlStreamWriter xml(&written.text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("quiz"));
    for (qsizetype q = 0; q < questions.size(); ++q) {
        const Question& question = questions[q];
        QStringList problems;
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        xml.writeStartElement(QStringLiteral("name"));
        xml.writeStartElement(QStringLiteral("text"));
        writeExactText(xml, questionName(question, q + 1));
        xml.writeEndElement();
        xml.writeEndElement();
        if (writeTextElement(xml, QStringLiteral("questiontext"), question.text))
            problems << QStringLiteral("the question has control characters that XML cannot "
                                       "hold; they are left out");
        xml.writeTextElement(QStringLiteral("defaultgrade"), QStringLiteral("1"));
        xml.writeTextElement(QStringLiteral("penalty"), QStringLiteral("0"));
        xml.writeTextElement(QStringLiteral("hidden"), QStringLiteral("0"));
        xml.writeTextElement(QStringLiteral("single"), QStringLiteral("true"));
        // The stored order is the order the bank shows; the platform keeps it.
        xml.writeTextElement(QStringLiteral("shuffleanswers"), QStringLiteral("false"));
        xml.writeTextElement(QStringLiteral("answernumbering"), QStringLiteral("ABCD"));
        if (question.right < 1 || question.right > Question::kOptions)
            problems << QStringLiteral("its right answer is not 1 to 5, so every answer is "
                                       "written as wrong");
        for (int i = 0; i < Question::kOptions; ++i) {
            QXmlStreamAttributes fraction;
            fraction.append(QStringLiteral("fraction"),
                            i + 1 == question.right ? QStringLiteral("100") : QStringLiteral("0"));
            if (writeTextElement(xml, QStringLiteral("answer"), question.options[i], fraction))
                problems << QStringLiteral("answer %1 has control characters that XML cannot "
                                           "hold; they are left out")
                                .arg(i + 1);
        }
        xml.writeEndElement();
        const auto check = [&](const QString& text, const QString& what) {
            if (text.trimmed().isEmpty())
                problems << QStringLiteral("%1 is empty, which an import skips").arg(what);
            else if (text != text.trimmed())
                problems << QStringLiteral("%1 has blanks or line breaks at the start or end, "
                                           "which an import drops")
                                .arg(what);
        };
        check(question.text, QStringLiteral("the question"));
        for (int i = 0; i < Question::kOptions; ++i)
            check(question.options[i], QStringLiteral("answer %1").arg(i + 1));
        for (const QString& problem : problems)
            written.warnings << QStringLiteral("question %1: %2").arg(q + 1).arg(problem);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return written;
}

} // namespace MoodleXmlFormat
