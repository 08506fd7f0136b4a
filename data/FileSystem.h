#pragma once

#include <QString>
#include <functional>

// What kind of file system a file lies on, as far as sharing it goes.
namespace FileSystem {

// The name of the network file system the file lies on ("NFS", "SMB/CIFS"), asked of the
// kernel (statfs), or an empty text for a local one. Two computers writing one SQLite file
// there can lose results: its locks are not reliable over these file systems.
QString networkName(const QString& path);

// The name for a file system type as statfs reports it, or an empty text.
QString networkNameOfType(long type);

// Test seam: answers networkName() instead of the kernel while set.
void setProbeForTests(std::function<QString(const QString& path)> probe);

} // namespace FileSystem
