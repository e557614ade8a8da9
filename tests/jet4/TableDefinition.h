// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A table's definition page: its row count, next AutoNumber, where its usage
// maps are, and one entry and one name per column. Tables have no indexes.
#include "jet4/TableLayout.h"

#include <optional>

namespace jet4::detail {

struct TableState {
    quint32 rowCount = 0;        // rows not deleted
    qint32 nextAutoNumber = 0;   // 0 without an AutoNumber column
    quint32 usageMap = 0;        // row pointer of the map of the table's pages
    quint32 freeSpaceMap = 0;    // row pointer of the map of pages with room
};

// Fails when the definition does not fit on one page.
std::optional<QByteArray> tableDefinitionPage(const TableLayout &layout, const TableState &state, QString *error);

} // namespace jet4::detail
