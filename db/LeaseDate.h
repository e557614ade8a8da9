// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RegionalFormats.h"

#include <QDate>

#include <optional>
#include <string_view>

struct sqlite3;

// Reads a date text as a calendar day, the way the due-tenant listing reads
// an expiry date: the user's short date format first, then yyyy/M/d,
// yyyy-M-d, yyyy.M.d, yyyy年M月d日 and the ISO forms (yyyy-MM-dd with an
// optional time part, yyyyMMdd). A time of day after a blank is allowed (a date with a time
// is that day); blanks around the text are ignored. A text that reads as no
// date gives nothing.
std::optional<QDate> readLeaseDate(std::string_view utf8, const RegionalFormats &formats);
// The same as the Julian day number, for a walk over many rows: returns
// whether the text reads as a date.
bool readLeaseDay(std::string_view utf8, const RegionalFormats &formats, qint64 &julianDay);

// Whether a date text is empty but for blanks and control characters: no
// date given, which is not a date that cannot be read.
bool isBlankDate(std::string_view utf8);

// How many texts that are not blank lease_day() could not read as a date:
// a listing that reads every row's expiry date once says how many rows it
// left out for that.
struct UnreadableLeaseDays {
    long long count = 0;
};

// Registers the SQL function lease_day(text): the Julian day number of the
// text read by readLeaseDate with the program's regional formats, or NULL.
// Each text it cannot read is counted in `tally`, when given. Returns
// SQLite's result code.
int registerLeaseDayFunction(sqlite3 *db, UnreadableLeaseDays *tally = nullptr);
