#include "Utf8Text.h"

bool decodeShortLetters(const char* data, qsizetype size, QString& text)
{
    text = QString(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    qsizetype n = 0;
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = in[i];
        if (lead < 0x80) {
            out[n++] = lead;
            ++i;
        } else if (lead >= 0xC2 && lead < 0xE0 && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
            out[n++] = char16_t(((lead & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
        } else {
            return false;
        }
    }
    text.truncate(n);
    return true;
}

QString utf8ToString(const char* data, qsizetype size)
{
    if (size <= 0)
        return QString(QLatin1String(""));
    QString text;
    if (!decodeShortLetters(data, size, text))
        return QString::fromUtf8(data, size);
    return text;
}

QStringView utf8ToView(const char* data, qsizetype size, QString& buffer)
{
    if (size <= 0)
        return {};
    // The buffer keeps its capacity from text to text.
    if (!decodeShortLetters(data, size, buffer))
        buffer = QString::fromUtf8(data, size);
    return buffer;
}

QByteArray stringToUtf8(QStringView text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    qsizetype n = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            out[n++] = static_cast<unsigned char>(unit);
        } else if (unit < 0x800) {
            out[n++] = static_cast<unsigned char>(0xC0 | (unit >> 6));
            out[n++] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else {
            return text.toUtf8();
        }
    }
    bytes.truncate(n);
    return bytes;
}
