// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Copies the file `from` to `to`, replacing what is at `to` only once the new
// copy is complete: the bytes go to the file `temporary`, are flushed to
// disk and checked to be as long as the source, and `temporary` is then put
// in place as `to` by publishFile(), the folder synced. A symbolic link at
// `to` is replaced, never written through. A file already at `temporary`
// (left by a copy that was cut short) is removed first. On failure `to` is
// left as it was and `temporary` is gone. Returns whether the copy is at
// `to`.
bool copyFileReplacing(const QString &from, const QString &to, const QString &temporary);

// Writes a copy of `from` as a new file at `to`, where nothing may be (a
// link there is not followed), flushed to disk and checked to be as long
// as the source. On failure nothing is left at `to`.
bool copyToNewFile(const QString &from, const QString &to);

// Whether the two files hold the same bytes.
bool sameFileBytes(const QString &first, const QString &second);
