#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Which material list the browser shows: 0 before it is first shown, then 1 lectures, 2
// laboratory works, 3 videos. Written when the browser is prepared for showing, read by its
// search, show-all, add and remove.
inline quint8 MaterialKind = 0;

// Everything that differs between the three kinds.
struct MaterialKindInfo {
    quint8 kind;
    QString caption;  // the browser's caption
    QString listName; // the list query's name
    QString titleColumn;
    QString pathColumn;
    QStringList all;  // the plain list statement
    QStringList find; // the title search
    QStringList add;
    QStringList remove;
    QString fileFilter; // the chooser's one filter
};

namespace MaterialKinds {

constexpr quint8 kLectures = 1;
constexpr quint8 kLabs = 2;
constexpr quint8 kVideos = 3;

// The kind 1..3; throws AppError for any other value.
const MaterialKindInfo& info(quint8 kind);

} // namespace MaterialKinds
