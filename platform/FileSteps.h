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

// The hidden temporary name a new file is written under, beside `target`
// (".name.part"), until publishFile() gives it the name `target`.
QString partFilePath(const QString &target);

enum class ExistingFile { Replace, Keep };

// Puts the complete file `temporary` in place as `target`, so that a crash
// or a power cut leaves either the old file or the whole new one there: the
// file's bytes reach the disk, it takes the name `target` (replacing what is
// there, or failing with EEXIST when `existing` is Keep and something is),
// and the folder's entries reach the disk. A failed sync of the folder once
// the name is taken is not reported: it cannot be undone, and the new name
// stands on most file systems anyway. On failure `temporary` is left for the
// caller to remove.
int publishFile(const QString &temporary, const QString &target, ExistingFile existing);

// Writes every byte to an open descriptor, through interrupted and short
// writes.
int writeAllBytes(int descriptor, const char *bytes, qint64 size);

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
