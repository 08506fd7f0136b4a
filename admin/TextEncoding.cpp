#include "TextEncoding.h"

#include "Utf8Text.h"

#include <QByteArrayView>

#include <array>

namespace TextEncoding {

namespace {

// Windows-1251 from 0x80 to 0xBF; 0x98 is unassigned. From 0xC0 on, А..я follow in order.
constexpr std::array<char16_t, 64> kWindows1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LEBom("\xFF\xFE", 2);
const QByteArray kUtf16BEBom("\xFE\xFF", 2);
const QByteArray kUtf32LEBom("\xFF\xFE\x00\x00", 4);
const QByteArray kUtf32BEBom("\x00\x00\xFE\xFF", 4);

int lineAt(const QByteArray& bytes, qsizetype end, int unitSize = 1, bool bigEndian = false)
{
    int line = 1;
    for (qsizetype i = 0; i + unitSize <= end; i += unitSize) {
        const char low = unitSize == 1 ? bytes[i] : bigEndian ? bytes[i + 1] : bytes[i];
        const char high = unitSize == 1 ? '\0' : bigEndian ? bytes[i] : bytes[i + 1];
        if (low == '\n' && high == '\0')
            ++line;
    }
    return line;
}

// The offset of the first byte that breaks UTF-8 (overlong forms, surrogates and values past
// U+10FFFF included), or -1 when all of it is valid.
qsizetype firstInvalidUtf8(const QByteArray& bytes, qsizetype from)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = from;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t minimum = 0;
        char32_t value = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
            value = lead & 0x07;
        } else {
            return i;
        }
        if (size - i < length)
            return i;
        for (int k = 1; k < length; ++k) {
            const unsigned char next = data[i + k];
            if ((next & 0xC0) != 0x80)
                return i;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

Decoded failure(Decoded decoded, const QString& error, int line)
{
    decoded.text.clear();
    decoded.error = error;
    decoded.errorLine = line;
    return decoded;
}

// Text of one- and two-byte letters (Kazakh, Russian, Latin), well formed, decoded in one pass;
// false for anything else, which the full check and Qt's decoder then handle.
bool decodeShortLetters(const QByteArray& bytes, qsizetype start, QString& text)
{
    if (::decodeShortLetters(bytes.constData() + start, bytes.size() - start, text))
        return true;
    text.clear();
    return false;
}

Decoded decodeUtf8(const QByteArray& bytes, qsizetype start, Decoded decoded)
{
    if (decodeShortLetters(bytes, start, decoded.text))
        return decoded;
    // Qt's own check is many times faster; the byte-wise scan finds where a bad file goes wrong.
    const bool valid = QByteArrayView(bytes).sliced(start).isValidUtf8();
    const qsizetype bad = valid ? -1 : firstInvalidUtf8(bytes, start);
    if (bad >= 0)
        return failure(decoded,
                       QStringLiteral("byte 0x%1 is not valid UTF-8")
                           .arg(static_cast<unsigned char>(bytes[bad]), 2, 16, QLatin1Char('0')),
                       lineAt(bytes, bad));
    decoded.text = QString::fromUtf8(bytes.constData() + start, bytes.size() - start);
    return decoded;
}

Decoded decodeUtf16(const QByteArray& bytes, qsizetype start, bool bigEndian, Decoded decoded)
{
    const qsizetype units = (bytes.size() - start) / 2;
    if ((bytes.size() - start) % 2 != 0)
        return failure(decoded, QStringLiteral("the file ends in the middle of a UTF-16 character"),
                       lineAt(bytes, bytes.size() - 1, 2, bigEndian));
    QString text(units, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData() + start);
    for (qsizetype i = 0; i < units; ++i) {
        const unsigned char first = data[2 * i];
        const unsigned char second = data[2 * i + 1];
        out[i] = bigEndian ? char16_t((first << 8) | second) : char16_t((second << 8) | first);
    }
    // Surrogates must come in pairs, high then low.
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = out[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        const bool paired = high && i + 1 < units && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF;
        if (low || (high && !paired))
            return failure(decoded, QStringLiteral("a UTF-16 surrogate stands unpaired"),
                           lineAt(bytes, start + 2 * i, 2, bigEndian));
        if (paired)
            ++i;
    }
    decoded.text = text;
    return decoded;
}

Decoded decodeWindows1251(const QByteArray& bytes, Decoded decoded)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        char16_t unit = byte;
        if (byte >= 0xC0)
            unit = char16_t(0x0410 + (byte - 0xC0));
        else if (byte >= 0x80)
            unit = kWindows1251High[byte - 0x80];
        if (unit == 0 && byte != 0)
            return failure(
                decoded,
                QStringLiteral("byte 0x%1 is not a Windows-1251 character").arg(byte, 2, 16),
                lineAt(bytes, i));
        out[i] = unit;
    }
    decoded.text = text;
    return decoded;
}

} // namespace

std::optional<Encoding> fromName(const QString& name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("utf-8") || key == QLatin1String("utf8"))
        return Encoding::Utf8;
    if (key == QLatin1String("utf-16") || key == QLatin1String("utf-16le") ||
        key == QLatin1String("utf16") || key == QLatin1String("utf16le"))
        return Encoding::Utf16LE;
    if (key == QLatin1String("utf-16be") || key == QLatin1String("utf16be"))
        return Encoding::Utf16BE;
    if (key == QLatin1String("windows-1251") || key == QLatin1String("cp1251") ||
        key == QLatin1String("win1251"))
        return Encoding::Windows1251;
    return std::nullopt;
}

QString name(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Encoding::Windows1251:
        return QStringLiteral("Windows-1251");
    }
    return {};
}

Decoded decode(const QByteArray& bytes, std::optional<Encoding> forced)
{
    Decoded decoded;
    if (!forced && (bytes.startsWith(kUtf32LEBom) || bytes.startsWith(kUtf32BEBom)))
        return failure(decoded, QStringLiteral("the file is in UTF-32; save it as UTF-8 or UTF-16"),
                       1);

    Encoding encoding = Encoding::Utf8;
    qsizetype start = 0;
    if (bytes.startsWith(kUtf8Bom) && (!forced || *forced == Encoding::Utf8)) {
        start = kUtf8Bom.size();
    } else if (bytes.startsWith(kUtf16LEBom) &&
               (!forced || *forced == Encoding::Utf16LE || *forced == Encoding::Utf16BE)) {
        encoding = Encoding::Utf16LE;
        start = 2;
    } else if (bytes.startsWith(kUtf16BEBom) &&
               (!forced || *forced == Encoding::Utf16LE || *forced == Encoding::Utf16BE)) {
        encoding = Encoding::Utf16BE;
        start = 2;
    } else if (forced) {
        encoding = *forced;
    } else if (decodeShortLetters(bytes, 0, decoded.text)) {
        encoding = Encoding::Utf8; // well formed, and decoded already
    } else if (firstInvalidUtf8(bytes, 0) >= 0) {
        encoding = Encoding::Windows1251;
    }
    const bool decodedAlready = !decoded.text.isEmpty() || bytes.isEmpty();
    decoded.encoding = encoding;
    decoded.byteOrderMark = start > 0;

    switch (encoding) {
    case Encoding::Utf8:
        if (!decodedAlready)
            decoded = decodeUtf8(bytes, start, decoded);
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        decoded = decodeUtf16(bytes, start, encoding == Encoding::Utf16BE, decoded);
        break;
    case Encoding::Windows1251:
        decoded = decodeWindows1251(bytes, decoded);
        break;
    }
    if (decoded.error.isEmpty()) {
        const qsizetype nul = decoded.text.indexOf(QChar(u'\0'));
        if (nul >= 0) {
            const int line = static_cast<int>(QStringView(decoded.text).left(nul).count(u'\n')) + 1;
            const bool utf16 = encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE;
            return failure(decoded,
                           utf16 ? QStringLiteral("the text holds NUL characters")
                                 : QStringLiteral("the text holds NUL bytes; if the file is UTF-16 "
                                                  "without a byte order mark, give --encoding "
                                                  "utf-16le or utf-16be"),
                           line);
        }
    }
    return decoded;
}

} // namespace TextEncoding
