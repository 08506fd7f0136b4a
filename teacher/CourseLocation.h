#pragma once

#include <QString>
#include <QStringList>

// The course the teacher's tools work on: a db.mdb file, or a course on the lab server named by
// its libpq service. Remembered between runs.
struct CourseLocation {
    enum class Kind { None, File, Server };
    Kind kind = Kind::None;
    QString path;    // Kind::File
    QString service; // Kind::Server

    static CourseLocation file(const QString& path);
    static CourseLocation server(const QString& service);

    // The companion's options that name it.
    QStringList arguments() const;
    // As the title bar shows it.
    QString shown() const;

    // The one used last, else db.mdb in the current folder when there is one.
    static CourseLocation remembered();
    void remember() const;
};
