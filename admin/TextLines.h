#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// Line handling shared by the question readers.
namespace TextLines {

// Hands each line (1-based number, text without its line break) to the callback. Lines end at
// LF; a CR just before the LF (or at the very end) belongs to the line break.
void forEach(const QString& text, const std::function<void(int number, QStringView line)>& onLine);

// The line without the spaces and tabs it begins with.
QStringView withoutLeadingBlanks(QStringView line);

} // namespace TextLines
