#pragma once

#include <QFont>
#include <QStringList>

// The program's fonts by their Windows names, each followed by a stand-in with the same metrics
// that carries every Kazakh letter (Liberation Sans, Liberation Serif, P052), so that the
// windows' pixel layouts hold where the Windows fonts are missing; DejaVu comes last, for a
// machine that has none of them.
namespace Fonts {

// The first of the families that is installed, looked up once per list: asking the font system
// for a missing family makes it search its fallbacks every time a font is built.
QString installedFamily(const QStringList& families);

inline QFont make(const QStringList& families, int pixelSize, bool bold)
{
    QFont font(installedFamily(families));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

inline QFont palatino(int pixelSize, bool bold = false)
{
    return make({QStringLiteral("Palatino Linotype"), QStringLiteral("P052"),
                 QStringLiteral("DejaVu Serif")},
                pixelSize, bold);
}

inline QFont msSansSerif(int pixelSize, bool bold = false)
{
    return make({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                 QStringLiteral("DejaVu Sans")},
                pixelSize, bold);
}

inline QFont arial(int pixelSize, bool bold = false)
{
    return make(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
        pixelSize, bold);
}

inline QFont timesNewRoman(int pixelSize, bool bold = false)
{
    return make({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                 QStringLiteral("DejaVu Serif")},
                pixelSize, bold);
}

} // namespace Fonts
