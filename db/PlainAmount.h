// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

// A rent or deposit as the totals add it up: a plain whole number, an
// optional sign and up to 15 decimal digits, with blanks and control
// characters around it. "1,600", "¥500", "1600.5" or "0x10" are texts the
// totals cannot add; a blank text is no amount at all. Returns whether the
// text is one, and its value in `amount`.
bool readPlainAmount(std::string_view utf8, long long &amount);
bool isBlankAmount(std::string_view utf8);

// A plain amount written exactly as its value prints ("500", "-3"; not
// " 500", "+5", "0500" or "-0"): a value that can go out as a number and
// come back as the same text.
bool isPlainAmountAsWritten(std::string_view utf8);

// An amount as landlords write it in a spreadsheet: "1,200", "1，200",
// "¥1,500.00", "￥1500", "1600元", "1,600.00 元" (full-width forms too), as
// the plain amount it stands for ("1200"). Grouping commas must group by
// three; cents must be zero. None for anything else, a plain amount
// included, so that the caller keeps such a text as written.
std::optional<std::string> plainAmountOfWritten(std::string_view utf8);

// The register's other rule for amounts is the conversion of the list
// procedures (register/IntegerText.h), which must keep the 32-bit range,
// the hexadecimal forms and the error text of the program's first
// version; it decides nothing about the totals or the export.

// Registers the SQL function unsummable_amount(text): 1 when the text is
// neither blank nor a plain amount, else 0 (NULL too), so that a listing
// finds the rows whose amounts the totals left out.
int registerAmountFunction(sqlite3 *db);
