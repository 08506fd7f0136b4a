// Encoding detection and the whole reading of a question file from its bytes: the bytes are
// decoded exactly as the encoding says (or refused at a line that exists), the encoding found
// follows the stated rules, and the file either imports or is refused with a line number.

#include "QuestionFile.h"
#include "ReaderChecks.h"
#include "TextEncoding.h"
#include "WordDocument.h"

using TextEncoding::Encoding;

namespace {

int lineCount(const QByteArray& bytes)
{
    return int(bytes.count('\n')) + 1;
}

void checkDecoded(const QByteArray& bytes, const TextEncoding::Decoded& decoded, const char* how)
{
    const QString where =
        QStringLiteral("%1, %2: %3 at line %4")
            .arg(QString::fromLatin1(how), TextEncoding::name(decoded.encoding), decoded.error)
            .arg(decoded.errorLine);
    if (!decoded.error.isEmpty()) {
        FUZZ_CHECK(decoded.errorLine >= 1 && decoded.errorLine <= lineCount(bytes), where);
        FUZZ_CHECK(decoded.text.isEmpty(), where);
        return;
    }
    FUZZ_CHECK(!decoded.text.contains(QChar(u'\0')), where);
    const QByteArray body =
        bytes.mid(decoded.byteOrderMark ? (decoded.encoding == Encoding::Utf8 ? 3 : 2) : 0);
    switch (decoded.encoding) {
    case Encoding::Utf8:
        FUZZ_CHECK(decoded.text.toUtf8() == body, where);
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QByteArray again;
        for (const QChar c : decoded.text) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xFF);
            if (decoded.encoding == Encoding::Utf16LE)
                again.append(low).append(high);
            else
                again.append(high).append(low);
        }
        FUZZ_CHECK(again == body, where);
        break;
    }
    case Encoding::Windows1251:
        // One character per byte, none of them made up.
        FUZZ_CHECK(decoded.text.size() == bytes.size(), where);
        FUZZ_CHECK(!decoded.text.contains(QChar(0xFFFD)), where);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const TextEncoding::Decoded detected = TextEncoding::decode(bytes);
    checkDecoded(bytes, detected, "detected");
    const bool bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
                     bytes.startsWith("\xFE\xFF");
    if (!bom && !bytes.startsWith(QByteArray("\x00\x00\xFE\xFF", 4))) {
        // Without a byte order mark, valid UTF-8 is UTF-8 and anything else Windows-1251.
        const Encoding expected =
            QByteArrayView(bytes).isValidUtf8() ? Encoding::Utf8 : Encoding::Windows1251;
        FUZZ_CHECK(detected.encoding == expected, TextEncoding::name(detected.encoding));
    }
    for (const Encoding forced :
         {Encoding::Utf8, Encoding::Utf16LE, Encoding::Utf16BE, Encoding::Windows1251})
        checkDecoded(bytes, TextEncoding::decode(bytes, forced), "forced");

    const QuestionFile::Outcome outcome = QuestionFile::read(bytes);
    if (!outcome.error.isEmpty()) {
        // Only the format guess and a Word document fail for the file as a whole, with no line
        // to name.
        FUZZ_CHECK(outcome.errorLine >= 1 || outcome.word ||
                       (!outcome.format && detected.error.isEmpty()),
                   outcome.error);
        FUZZ_CHECK(outcome.result.questions.isEmpty() && outcome.result.refusals.isEmpty(),
                   outcome.error);
        return 0;
    }
    const bool gift = *outcome.format == QuestionFile::Format::Gift;
    const auto skipped = [&](QStringView line) { return gift && Fuzz::isGiftComment(line); };
    const QString text = outcome.word ? WordDocument::textOf(bytes).text : detected.text;
    Fuzz::checkResult("file", text, outcome.result, Fuzz::textLines(text, skipped),
                      *outcome.format == QuestionFile::Format::Tags && Fuzz::tagsRightFirst(text),
                      *outcome.format == QuestionFile::Format::MoodleXml);
    return 0;
}
