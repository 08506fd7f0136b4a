#include "QuestionFile.h"

#include "AikenFormat.h"
#include "GiftFormat.h"
#include "MoodleXmlFormat.h"
#include "TagFormat.h"
#include "TextLines.h"
#include "WordDocument.h"

#include <utility>

namespace QuestionFile {

std::optional<Format> formatFromName(const QString& name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("aiken"))
        return Format::Aiken;
    if (key == QLatin1String("gift"))
        return Format::Gift;
    if (key == QLatin1String("tags") || key == QLatin1String("tag"))
        return Format::Tags;
    if (key == QLatin1String("moodle-xml") || key == QLatin1String("moodle") ||
        key == QLatin1String("xml"))
        return Format::MoodleXml;
    return std::nullopt;
}

QString formatName(Format format)
{
    switch (format) {
    case Format::Aiken:
        return QStringLiteral("aiken");
    case Format::Gift:
        return QStringLiteral("gift");
    case Format::MoodleXml:
        return QStringLiteral("moodle-xml");
    case Format::Tags:
        break;
    }
    return QStringLiteral("tags");
}

std::optional<Format> guess(const QString& text)
{
    if (text.contains(QLatin1String("<quiz")) && MoodleXmlFormat::isMoodleXml(text))
        return Format::MoodleXml;
    bool tags = false;
    bool tagsFurtherOn = false;
    bool aiken = false;
    TextLines::forEach(text, [&](int, QStringView line) {
        tags = tags || TagFormat::opensWithQuestionTag(line);
        tagsFurtherOn = tagsFurtherOn || TagFormat::isQuestionLine(line);
        aiken = aiken || AikenFormat::isAnswerLine(line);
    });
    if (tags)
        return Format::Tags;
    if (aiken)
        return Format::Aiken;
    const qsizetype open = text.indexOf(QLatin1Char('{'));
    if (open >= 0 && text.indexOf(QLatin1Char('}'), open) > open)
        return Format::Gift;
    if (tagsFurtherOn)
        return Format::Tags;
    return std::nullopt;
}

Outcome read(const QByteArray& bytes, std::optional<Format> format,
             std::optional<TextEncoding::Encoding> encoding)
{
    Outcome outcome;
    TextEncoding::Decoded decoded;
    if (WordDocument::isDocx(bytes)) {
        // A Word document's text, a line per paragraph; its XML says its own encoding.
        outcome.word = true;
        const WordDocument::Text document = WordDocument::textOf(bytes);
        decoded.text = document.text;
        decoded.error = document.error;
    } else {
        decoded = TextEncoding::decode(bytes, encoding);
    }
    outcome.encoding = decoded.encoding;
    if (!decoded.error.isEmpty()) {
        outcome.error = decoded.error;
        outcome.errorLine = decoded.errorLine;
        return outcome;
    }
    outcome.format = format ? format : guess(decoded.text);
    if (!outcome.format) {
        outcome.error = QStringLiteral("cannot tell the format: no <question> lines, no ANSWER: "
                                       "lines, no { } answer lists and no <quiz> XML; give "
                                       "--format");
        return outcome;
    }
    switch (*outcome.format) {
    case Format::Aiken:
        outcome.result = AikenFormat::read(decoded.text);
        break;
    case Format::Gift:
        outcome.result = GiftFormat::read(decoded.text);
        break;
    case Format::Tags:
        outcome.result = TagFormat::read(decoded.text);
        break;
    case Format::MoodleXml:
        outcome.result = MoodleXmlFormat::read(decoded.text);
        break;
    }
    return outcome;
}

quint64 Shuffler::next()
{
    // splitmix64: small, fast and defined to the bit, so a seed means the same order anywhere.
    quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

quint64 Shuffler::below(quint64 bound)
{
    // Rejection keeps every value equally likely.
    const quint64 limit = ~quint64(0) - (~quint64(0) % bound);
    quint64 value = next();
    while (value >= limit)
        value = next();
    return value % bound;
}

void Shuffler::shuffle(Question& question)
{
    int right = question.right - 1;
    for (int i = Question::kOptions - 1; i > 0; --i) {
        const int j = static_cast<int>(below(quint64(i) + 1));
        std::swap(question.options[i], question.options[j]);
        if (right == i)
            right = j;
        else if (right == j)
            right = i;
    }
    question.right = right + 1;
}

} // namespace QuestionFile
