// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// larkhaven-convert --progress SHORTDATE LONGTIME SOURCE TARGET
//
// The conversion child the program starts: reads the Access file SOURCE
// and builds the register at TARGET, where nothing may be yet, with the
// program's regional date and time formats. It reports on standard output
// as ConversionReport describes and exits with 0 when the register is
// built, otherwise 1 (2 for wrong arguments). It leaves nothing at TARGET
// unless it succeeds, and ends when the program that started it ends.
int runConversionChild(const QStringList &arguments);
