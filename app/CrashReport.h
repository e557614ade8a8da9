// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// A file that a reader trusts too far can make it crash, and one made to
// exhaust it makes it hit the process's limits (platform/ReadingLimits.h).
// From now on, a crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL) writes
// `crashLine` to standard error, and the end of the processor time
// (SIGXCPU) or an abort (SIGABRT: memory ran out where nothing could
// report it) writes `limitLine`; either removes the unfinished file at
// `unfinishedPath` and ends the process with status 1, as any other
// failure does.
void reportCrashesAs(const QByteArray &crashLine, const QByteArray &limitLine, const QByteArray &unfinishedPath);
