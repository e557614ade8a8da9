// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One data page being filled: rows are stored from the end of the page
// towards its header, their offsets listed after the header.
#include "jet4/PageFormat.h"

namespace jet4::detail {

class DataPage {
public:
    // A page of a table's rows, owned by the table's definition page, or (0)
    // a page of usage maps.
    explicit DataPage(quint32 owner);
    // A page of memo pieces.
    static DataPage longValues();

    // The largest row that fits on an empty page.
    static constexpr int maxRowSize = pageSize - dataPageHeaderSize - 2;
    // A row pointer has one byte for the row number.
    static constexpr int maxRows = 255;

    bool fits(int rowSize) const;
    // Returns the new row's number on this page.
    int add(const QByteArray &row);
    // Deleted rows keep their bytes; both high bits of the row's offset are
    // set, the deleted mark that every reader honours.
    void markDeleted(int row);
    int rowCount() const { return rows; }
    const QByteArray &bytes() const { return page; }

private:
    QByteArray page;
    int rows = 0;
    int rowsStart = pageSize;  // where the lowest row begins
};

} // namespace jet4::detail
