#pragma once

#include <QString>
#include <QStringList>

// Which folder the program works in, and where the course is kept. Started from a terminal it
// works in the folder it was started in, or in the one given with --course. Started from the
// desktop menu (--default-course) it works in the school's shared course folder, when the
// configuration file names one ("course = /path"), or else in the user's own course folder,
// made on the first start as a writable copy of the installed demo course.
//
// The course is db.mdb in that folder, unless a lab server is named (--server SERVICE, or
// "server = SERVICE" in the configuration file for the menu): then the course is on the server
// and the folder gives the blank page and the help.
namespace CourseFolder {

struct Request {
    enum class Kind { Here, Folder, Default, Help, Invalid };
    Kind kind = Kind::Here;
    QString folder;
    // The libpq service naming the lab server, when given on the command line.
    QString server;
    QString error;
};

Request parse(const QStringList& arguments);
QString usage();

// The folder named by the configuration file's "course" line, or the user's folder when the file
// is missing or names none.
QString defaultFolder(const QString& configFile, const QString& userFolder);
// The service named by the configuration file's "server" line, or an empty text.
QString configuredServer(const QString& configFile);

// When folder has no db.mdb yet, makes it a copy of demo whose files the user may change, with
// the stored paths of the materials that began with one of demoFolders (where the demo course
// was, or was built to be) moved to folder. The copy is made aside and put in place at the end,
// so a failed copy leaves nothing behind. Throws AppError.
void ensureCopy(const QString& demo, const QStringList& demoFolders, const QString& folder);

} // namespace CourseFolder
