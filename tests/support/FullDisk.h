// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

// Ways to make a test's writes run out of room, as a full disk does.

// A tmpfs of `bytes` bytes mounted at a directory of its own and unmounted
// when the object goes. Mounting needs root (CAP_SYS_ADMIN); where it
// fails, path() is empty and failure() says why.
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();

    QString path() const { return m_mounted ? m_directory.path() + QLatin1Char('/') : QString(); }
    const QString &failure() const { return m_failure; }

private:
    QTemporaryDir m_directory;
    bool m_mounted = false;
    QString m_failure;
};

// While it lives, a write past `bytes` into any file of the process fails
// with EFBIG (RLIMIT_FSIZE, with SIGXFSZ ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();

private:
    struct rlimit m_previous {};
    struct sigaction m_previousSignal {};
};
