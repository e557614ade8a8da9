// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// libmdb trusts the file it reads, and a damaged one can make it crash.
// From now on, a crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL) writes `line` to
// standard error, removes the unfinished file at `unfinishedPath` and ends
// the process with status 1, as any other failure does.
void reportCrashesAs(const QByteArray &line, const QByteArray &unfinishedPath);
