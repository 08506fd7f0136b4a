#include "TextLines.h"

namespace TextLines {

void forEach(const QString& text, const std::function<void(int number, QStringView line)>& onLine)
{
    const QStringView all(text);
    qsizetype start = 0;
    int number = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        const qsizetype next = end < 0 ? all.size() : end + 1;
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        onLine(++number, line);
        start = next;
    }
}

QStringView withoutLeadingBlanks(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    return line.mid(i);
}

} // namespace TextLines
