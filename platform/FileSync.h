// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Flushing to the disk what a crash-safe file step has written. Each returns
// 0 on success and the system's error number otherwise.

// Flushes a file's bytes, or a directory's entries, to the disk.
int syncFile(const QString &path);
int syncDirectory(const QString &directory);
