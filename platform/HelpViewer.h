#pragma once

#include <QString>

class QWidget;

namespace HelpViewer {

// Opens the help collection (a Qt Help ".qhc" file, looked up relative to the current folder)
// at its keyword index. The viewer window is built on first use only. Throws AppError when the
// collection is missing or cannot be read.
void openKeywordIndex(const QString& collectionFile);

// The viewer window once it has been built, for tests; null before the first open.
QWidget* window();

} // namespace HelpViewer
