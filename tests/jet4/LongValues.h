// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memo values too long to stay in their row, stored as rows of long-value
// ("LVAL") pages. Several short ones share a page; a long one is cut into
// pieces, each piece a row that begins with the pointer to the next piece.
#include "jet4/DataPage.h"
#include "jet4/PageFile.h"

#include <optional>

namespace jet4::detail {

class LongValueStore {
public:
    explicit LongValueStore(PageFile &file);

    // Store `bytes` as one row; returns its row pointer.
    quint32 storeInOnePage(const QByteArray &bytes);
    // Store `bytes` in pieces of `pieceSize`; returns the first piece's pointer.
    quint32 storeChained(const QByteArray &bytes, int pieceSize);
    // Writes the page being filled.
    void flush();

private:
    quint32 addRow(const QByteArray &row);

    PageFile &file;
    std::optional<DataPage> page;
    quint32 pageNumber = 0;
};

} // namespace jet4::detail
