#pragma once

#include <QFont>
#include <QStringList>

// The program's fonts by their Windows names, each followed by a stand-in with the Kazakh
// letters (DejaVu ships with the program's dependencies) for machines without it.
namespace Fonts {

inline QFont make(const QStringList& families, int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

inline QFont palatino(int pixelSize, bool bold = false)
{
    return make({QStringLiteral("Palatino Linotype"), QStringLiteral("DejaVu Serif")}, pixelSize,
                bold);
}

inline QFont msSansSerif(int pixelSize, bool bold = false)
{
    return make({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")}, pixelSize, bold);
}

inline QFont arial(int pixelSize, bool bold = false)
{
    return make(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
        pixelSize, bold);
}

} // namespace Fonts
