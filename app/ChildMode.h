// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The reading children the program starts. Each reports on a descriptor
// of its own: the standard output it was given is moved there at once and
// standard output itself goes to /dev/null, so that nothing a library
// prints can reach the reports. Each runs under the reading limits
// (platform/ReadingLimits.h): a limit reached ends it with
// readingLimits::limitExitStatus, a file that changes under its memory map
// with readingLimits::readFaultExitStatus. Each ends when the program that
// started it ends.

// larkhaven-convert --progress SHORTDATE LONGTIME SOURCE TARGET
//
// Reads the Access file SOURCE and builds the register at TARGET, where
// nothing may be yet, with the program's regional date and time formats.
// It reports as access/ConversionReport.h describes and exits with 0 when
// the register is built, otherwise 1 (2 for wrong arguments). It leaves
// nothing at TARGET unless it succeeds.
int runConversionChild(const QStringList &arguments);

// larkhaven-convert --read-sheet SHORTDATE LONGTIME SHEET SOURCE
//
// Reads sheet number SHEET (0 is the first) of the spreadsheet SOURCE and
// hands its cells to the program as sheets/SheetStream.h describes; exits
// with 0 when the sheet was read whole, otherwise 1 (2 for wrong
// arguments).
int runSheetChild(const QStringList &arguments);
