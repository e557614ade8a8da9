// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

struct RegionalFormats;

// The texts that values of other kinds become in the register, which holds
// every value as text: the same for an Access table and a spreadsheet.

// Numbers in plain form: no grouping, no exponent, no trailing zeros
// ("1600", "1600.5", "-3"); the shortest digits that give the stored value back.
QString plainNumberText(qint64 value);
QString plainNumberText(double value);
QString plainNumberText(float value);

// A date and time value as days since 30 December 1899 (the fraction
// being the time of day): the date in the short date format with a
// four-digit year, and when the time of day is not midnight a blank and the
// long time. Empty for a value that is no date.
std::optional<QString> dateTimeText(double days, const RegionalFormats &formats);

// A Yes/No value.
QString yesNoText(bool value);
