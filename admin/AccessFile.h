#pragma once

#include "SourceDatabase.h"

#include <memory>

// A Microsoft Access database (Jet 3, Jet 4 or ACE) read with Debian's mdbtools library: its
// user tables in catalogue order, rows in the order a full scan of the file gives them. Texts
// come decoded to Unicode by the library (Jet 3 in the file's code page). Numbers keep their
// value: whole numbers exactly, single and double floats from their stored bits, currency and
// decimals as numbers when a double holds them exactly (otherwise the read fails rather than
// round them); dates as "yyyy-MM-dd HH:mm:ss" text; OLE objects and binary columns as bytes.
// An empty text reads as null, since the library does not tell the two apart.
class AccessFile : public SourceDatabase {
public:
    // Throws AppError naming the file when it cannot be read as an Access database.
    explicit AccessFile(const QString& path);
    ~AccessFile() override;

    QList<SourceTable> tables() const override;
    void readRows(int table, const std::function<void(const QVariantList& row)>& onRow) override;
    QStringList leftOut() const override;

    // The longest text a value may have, in bytes of UTF-8; a longer one fails the read.
    static constexpr size_t kMaxValueBytes = 16 * 1024 * 1024;

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    QString m_path;
    QList<SourceTable> m_tables;
    QStringList m_leftOut;
};
