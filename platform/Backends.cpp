#include "Backends.h"

#include "AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

template <typename Backend> Backend* create(const char* module, const char* factory)
{
    // Next to the program (the build folder), or in its library folder once installed.
    const QString name = QString::fromLatin1(module);
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        here + QLatin1Char('/') + name,
        QDir::cleanPath(here + QStringLiteral("/" OKULYK_BIN_TO_MODULES "/") + name)};
    QStringList problems;
    for (const QString& file : candidates) {
        QLibrary library(file);
        if (!library.load()) {
            problems << library.errorString();
            continue;
        }
        using Factory = Backend* (*)();
        if (auto make = reinterpret_cast<Factory>(library.resolve(factory)))
            return make();
        problems << library.errorString();
    }
    throw AppError(QStringLiteral("Бағдарламаның «%1» модулі жүктелмеді (%2)")
                       .arg(name, problems.join(QStringLiteral("; "))));
}

} // namespace

namespace Backends {

PdfBackend* createPdf()
{
    return create<PdfBackend>("okulyk-pdf", "okulyk_create_pdf_backend");
}

MediaBackend* createMedia()
{
    return create<MediaBackend>("okulyk-media", "okulyk_create_media_backend");
}

} // namespace Backends
