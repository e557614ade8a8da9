// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// When the database file at `databasePath` is an Access database: asks
// whether to convert its tenant records into the program's register and, on
// Yes, converts it with a progress dialog and reports the outcome. Returns
// whether the file is now a register. Anything else is left as it was.
bool OfferAccessConversion(const QString &databasePath);

// How long a conversion runs before its progress dialog shows, in ms.
extern int accessConversionProgressDelayMs;
