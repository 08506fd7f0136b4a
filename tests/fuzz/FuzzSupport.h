#pragma once

// What the fuzz targets share: turning fuzz bytes into texts rich in the characters that
// matter to the readers, and a check that stops the run with the input saved.

#include <QString>
#include <QStringView>

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

namespace Fuzz {

// The text with control and format characters, surrogates and non-characters written as
// \uXXXX (line breaks stay), so that a report shows what the input held.
inline QString visible(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        const auto category = c.category();
        if (c != u'\n' && (category == QChar::Other_Control || category == QChar::Other_Format ||
                           c.isSurrogate() || c.isNonCharacter() || c.unicode() == 0x2028 ||
                           c.unicode() == 0x2029 || c.unicode() == 0xFEFF))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// A failed property: printed, then abort() so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void fail(const char* property, const QString& detail)
{
    std::fprintf(stderr, "property failed: %s\n%s\n", property, qUtf8Printable(visible(detail)));
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            Fuzz::fail(#condition, (detail));                                                      \
    } while (false)

// ASCII bytes stand for themselves; the others pick a character that the readers treat in a
// way of their own: Kazakh and Russian letters in both cases (the option letters among them),
// letters whose case folding is unusual, a byte order mark, line and paragraph separators,
// right-to-left text, emoji (surrogate pairs) and surrogates standing alone.
inline QString textFrom(const std::string& bytes)
{
    static const char16_t* const kSpecial[] = {
        u"А",      u"Б",      u"В",      u"Г",      u"Д",      u"Е",      u"С",      u"Ж",
        u"а",      u"б",      u"в",      u"с",      u"ә",      u"Ә",      u"ғ",      u"Ғ",
        u"қ",      u"Қ",      u"ң",      u"Ң",      u"ө",      u"Ө",      u"ұ",      u"Ұ",
        u"ү",      u"Ү",      u"һ",      u"Һ",      u"і",      u"І",      u"ё",      u"Ё",
        u"ß",      u"ẞ",      u"ſ",      u"K",      u"İ",      u"ı",      u"Σ",      u"σ",
        u"ς",      u"ﬁ",      u"Ǆ",      u"ǅ",      u"ǆ",      u"\uFEFF", u"\u2028", u"\u2029",
        u"\u200F", u"\u202E", u"ا",      u"ש",      u"\u00A0", u"\u3000", u"😀",      u"𐐀",
        u"𐐨",      u"\xD83D", u"\xDE00", u"\uFFFD", u"\0",     u"\x85",   u"\v",     u"\f"};
    constexpr size_t kCount = sizeof(kSpecial) / sizeof(kSpecial[0]);
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x80)
            text += QChar(value);
        else if (const char16_t* special = kSpecial[(value - 0x80) % kCount]; special[0] == 0)
            text += QChar(u'\0');
        else
            text += QString::fromUtf16(special);
    }
    return text;
}

inline QString consumeText(FuzzedDataProvider& data, size_t maxBytes)
{
    return textFrom(data.ConsumeRandomLengthString(maxBytes));
}

} // namespace Fuzz
