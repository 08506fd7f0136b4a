#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The encodings question files come in, told apart by their bytes: a byte order mark names
// UTF-8 or UTF-16; without one, text that is valid UTF-8 is UTF-8 and anything else is read as
// Windows-1251 (the Cyrillic code page of older Windows editors). Pure functions over bytes.
namespace TextEncoding {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1251 };

// "utf-8", "utf-16" (little-endian unless a byte order mark says otherwise), "utf-16le",
// "utf-16be", "windows-1251" or "cp1251", in any letter case; nothing for another name.
std::optional<Encoding> fromName(const QString& name);
QString name(Encoding encoding);

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    // Empty when the bytes decoded; otherwise why not, and the line (1-based) where it failed.
    QString error;
    int errorLine = 0;
};

// Decodes the bytes, in the given encoding or the detected one. A byte order mark of the
// encoding is dropped. Fails on bytes that are not text in the encoding, on NUL characters
// (a file in UTF-16 without a byte order mark, most likely) and on UTF-32.
Decoded decode(const QByteArray& bytes, std::optional<Encoding> forced = std::nullopt);

} // namespace TextEncoding
