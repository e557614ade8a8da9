// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

struct sqlite3;

// A rent or deposit as the totals add it up: a plain whole number, an
// optional sign and up to 15 decimal digits, with blanks and control
// characters around it. "1,600", "¥500", "1600.5" or "0x10" are texts the
// totals cannot add; a blank text is no amount at all. Returns whether the
// text is one, and its value in `amount`.
bool readPlainAmount(std::string_view utf8, long long &amount);
bool isBlankAmount(std::string_view utf8);

// Registers the SQL function unsummable_amount(text): 1 when the text is
// neither blank nor a plain amount, else 0 (NULL too), so that a listing
// finds the rows whose amounts the totals left out.
int registerAmountFunction(sqlite3 *db);
