#include "ToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ToolkitTranslation {

QString install(QCoreApplication& application)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& language : {QStringLiteral("kk"), QStringLiteral("ru")}) {
        // "qt" names the catalogue that loads the toolkit's modules' own ones.
        auto* translator = new QTranslator(&application);
        if (translator->load(QStringLiteral("qt_") + language, folder)) {
            QCoreApplication::installTranslator(translator);
            return language;
        }
        delete translator;
    }
    return {};
}

} // namespace ToolkitTranslation
