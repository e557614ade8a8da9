// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A process that reads a file from outside (an Access database, a
// spreadsheet) runs under limits on its memory and its processor time, so
// that a file made to exhaust the machine ends that process only. Measured
// on files of 1,000,000 tenants (a 2-core machine), reading one takes at
// most 1.2 GB of address space (the 1.17 GB content.xml of LibreOffice's
// .ods, mapped), under 20 MB of heap, and under 10 s of processor time
// (5 s for .xlsx and Access, 1 s for .csv).
namespace readingLimits {

// Address space: the largest part of a package the readers accept
// (2047 MiB, sheets/SheetLimits.h) is mapped whole, with the libraries and
// the heap beside it.
constexpr qint64 addressSpaceBytes = 4LL * 1024 * 1024 * 1024;
// The heap and other private memory, where a runaway allocation grows;
// mapped files do not count.
constexpr qint64 dataBytes = 1024LL * 1024 * 1024;
// Processor time, in seconds: SIGXCPU at the soft limit, SIGKILL a few
// seconds later should the process not end. Thirty times the slowest
// reading measured, for slower machines.
constexpr int cpuSeconds = 300;
constexpr int cpuSecondsHard = cpuSeconds + 5;

// The exit status of a reading child that hit a limit (ran out of memory,
// was stopped at its processor time, aborted), and of one whose file
// changed or vanished under its memory map (SIGBUS).
constexpr int limitExitStatus = 3;
constexpr int readFaultExitStatus = 4;

} // namespace readingLimits

// Sets the limits on this process, and no core files. Under
// AddressSanitizer, which reserves terabytes of address space for its own
// bookkeeping, memory is left unlimited.
void limitReadingProcess();

// The reason given when a reading hit a limit or crashed, in the
// landlord's words.
QString tooLargeOrDamagedText();

// The reason given when the file changed or vanished while it was read.
QString fileChangedWhileReadingText();
