#pragma once

#include <QString>

class QCoreApplication;

// The toolkit's own texts (the file chooser, standard buttons, context menus) in Kazakh where the
// system has them, else in Russian, which every user of this program reads; in English only when
// neither is installed (Debian: qt6-translations-l10n).
namespace ToolkitTranslation {

// Installs the first translation found on the application; returns its language ("kk", "ru"),
// or an empty text when none is installed.
QString install(QCoreApplication& application);

} // namespace ToolkitTranslation
