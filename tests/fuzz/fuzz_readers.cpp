// The Aiken, GIFT, tag and Moodle XML readers and the format guess on any decoded text: no crash,
// no hang, and every question either taken whole or refused at a line of the file.

#include "AikenFormat.h"
#include "GiftFormat.h"
#include "MoodleXmlFormat.h"
#include "QuestionFile.h"
#include "ReaderChecks.h"
#include "TagFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QString text = Fuzz::textFrom(std::string(reinterpret_cast<const char*>(bytes), size));
    const auto never = [](QStringView) { return false; };
    const QSet<int> lines = Fuzz::textLines(text, never);

    Fuzz::checkResult("Aiken", text, AikenFormat::read(text), lines, false);
    Fuzz::checkResult("tags", text, TagFormat::read(text), lines, Fuzz::tagsRightFirst(text));
    Fuzz::checkResult("Moodle XML", text, MoodleXmlFormat::read(text), lines, false, true);
    Fuzz::checkResult("GIFT", text, GiftFormat::read(text),
                      Fuzz::textLines(text, Fuzz::isGiftComment), false);

    // The guess names a format only when the text has what that format is told by.
    if (const auto format = QuestionFile::guess(text)) {
        if (*format == QuestionFile::Format::Gift)
            FUZZ_CHECK(text.contains(u'{') && text.contains(u'}'), text);
    }
    return 0;
}
