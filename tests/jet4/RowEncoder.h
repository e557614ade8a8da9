// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes of one row: the column count, the fixed-size values, the
// variable-size values, their offset table (last column first) and the null
// mask, in which a Yes/No column keeps its value.
#include "jet4/LongValues.h"
#include "jet4/TableLayout.h"

#include <optional>

namespace jet4::detail {

// `values` holds one value per column of `layout`, checked against the
// column's type; a memo too long for the row goes to `longValues`.
std::optional<QByteArray> encodeRow(const TableLayout &layout, const QVariantList &values,
                                    LongValueStore &longValues, QString *error);

// Access keeps a date and time as days since 1899-12-30, the time of day as
// the fraction; before that day the fraction still counts forward in time.
double accessDateTime(const QDateTime &dateTime);

} // namespace jet4::detail
