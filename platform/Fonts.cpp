#include "Fonts.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>

namespace Fonts {

QString installedFamily(const QStringList& families)
{
    // The installed families are listed once; asking for each missing one would make the font
    // system resolve aliases for it, which costs more than the whole list.
    static const QSet<QString> installed = [] {
        QSet<QString> names;
        // A family offered by several foundries is listed as "Name [foundry]".
        for (const QString& family : QFontDatabase::families())
            names.insert(family.section(QStringLiteral(" ["), 0, 0).toCaseFolded());
        return names;
    }();
    static QHash<QStringList, QString> chosen;
    const auto known = chosen.constFind(families);
    if (known != chosen.constEnd())
        return *known;
    QString family = families.constLast();
    for (const QString& candidate : families) {
        if (installed.contains(candidate.toCaseFolded())) {
            family = candidate;
            break;
        }
    }
    chosen.insert(families, family);
    return family;
}

} // namespace Fonts
