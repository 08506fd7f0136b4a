#pragma once

#include <QString>

// Text as the store holds it (UTF-8) made into a QString. Well-formed text of one- and two-byte
// letters, which is what Kazakh and Russian texts are, is decoded in one tight pass; anything
// else goes to Qt's full decoder, which also replaces malformed bytes.
QString utf8ToString(const char* data, qsizetype size);

// The tight pass alone: false, with text undefined, when the bytes hold anything but
// well-formed one- and two-byte sequences.
bool decodeShortLetters(const char* data, qsizetype size, QString& text);

// The same into a buffer the caller keeps, for texts that are looked at once and dropped.
QStringView utf8ToView(const char* data, qsizetype size, QString& buffer);

// A QString as UTF-8, for the store: letters below U+0800 (Latin, Cyrillic with the Kazakh
// letters) are encoded in one pass; anything else goes to Qt's encoder.
QByteArray stringToUtf8(QStringView text);
