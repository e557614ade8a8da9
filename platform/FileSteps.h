// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSync.h"

#include <QString>

#include <csignal>

// The file-system steps of a conversion, each of which leaves every file
// whole if the program stops at any point. Functions returning int give 0
// on success and the system's error number otherwise.

// The temporary name a new register is built under, beside `target`.
QString conversionTemporaryPath(const QString &target);

// Gives the file at `from` the additional name `to` without overwriting
// anything at `to`: a hard link, or where the file system has none, a copy
// that is flushed to disk and compared byte for byte before it takes the
// name. EEXIST when something is at `to`.
int keepUnderName(const QString &from, const QString &to);

// Copies `from` to `to` as keepUnderName() does where there are no links:
// the bytes go to a temporary file (`to` + ".copying"), are synced and
// compared, and only then take the name `to`.
int keepByCopy(const QString &from, const QString &to);

// Gives the complete file `from` the name `to` when nothing is there, and
// drops the name `from`. EEXIST when something is at `to`.
int moveWithoutReplacing(const QString &from, const QString &to);

// While it lives, a write past the process's file size limit fails with
// EFBIG and is reported, instead of SIGXFSZ ending the program.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored();
    ~FileSizeSignalIgnored();
    FileSizeSignalIgnored(const FileSizeSignalIgnored &) = delete;
    FileSizeSignalIgnored &operator=(const FileSizeSignalIgnored &) = delete;

private:
    struct sigaction m_previous {};
};

// The user's words for a failed write of a file in `directory`, from the
// system's error number.
QString writeFailureText(int systemError, const QString &directory);
