// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

#include <optional>

struct RegionalFormats;

// A date as landlords type it into a spreadsheet's text cell:
// "2026年11月30日", "2026-11-30", "2026.11.30", "2026/11/30" (blanks and
// full-width forms allowed, a four-digit year first), or the regional
// short date itself. None for anything else, a time of day included.
std::optional<QDate> readWrittenDate(const QString &text, const RegionalFormats &formats);
