// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Which file is at a path and the marks that every change of its bytes
// leaves, read without opening it: the device and inode tell a file put in
// its place by a rename; size, modification time and status-change time
// (in nanoseconds) tell bytes written into the same file, as `cp` does.
struct FileIdentity {
    bool exists = false;
    bool markedWritable = false;  // a write permission bit is set
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;

    // Whether the permission bits mark an existing file as not writable.
    // The program honours them also for a user (root) whom the system would
    // let write anyway.
    bool markedReadOnly() const { return exists && !markedWritable; }
    // The same file, whatever happened to its bytes.
    bool sameFileAs(const FileIdentity &other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    // The same file, and nothing written to it or its status since.
    bool unchangedSince(const FileIdentity &other) const
    {
        return sameFileAs(other) && size == other.size && modifiedNs == other.modifiedNs
            && changedNs == other.changedNs;
    }
    bool operator==(const FileIdentity &) const = default;
};

// The file at `path` now; `exists` is false when nothing can be found there.
FileIdentity fileIdentityOf(const QString &path);
