#pragma once

#include "platform/RegionalFormats.h"

#include <QDate>

#include <optional>
#include <string_view>

struct sqlite3;

// Reads a date text as a calendar day, the way the due-tenant listing reads
// an expiry date: the user's short date format first, then yyyy/M/d,
// yyyy-M-d, yyyy.M.d and the ISO forms (yyyy-MM-dd with an optional time
// part, yyyyMMdd). A time of day after a blank is allowed (a date with a time
// is that day); blanks around the text are ignored. A text that reads as no
// date gives nothing.
std::optional<QDate> readLeaseDate(std::string_view utf8, const RegionalFormats &formats);

// Registers the SQL function lease_day(text): the Julian day number of the
// text read by readLeaseDate with the program's regional formats, or NULL.
// Returns SQLite's result code.
int registerLeaseDayFunction(sqlite3 *db);
