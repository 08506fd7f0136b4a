#pragma once

#include <QString>

// Where the course is kept: a database file (db.mdb), or a database on a PostgreSQL server
// named by a libpq service. Written "server:NAME" for the server and as a path for a file.
struct StoreAddress {
    enum class Kind { File, Server };

    Kind kind = Kind::File;
    // The file, absolute once opened; empty means db.mdb in the folder current at opening.
    QString path;
    // The service name for the server.
    QString service;

    static StoreAddress file(const QString& path = {}) { return {Kind::File, path, {}}; }
    static StoreAddress server(const QString& service) { return {Kind::Server, {}, service}; }
    // "server:NAME" names a server; anything else is a file path.
    static StoreAddress parse(const QString& text);

    bool isServer() const { return kind == Kind::Server; }
    // As parse() reads it back.
    QString text() const;
    bool operator==(const StoreAddress&) const = default;
};
