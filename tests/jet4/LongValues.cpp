// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/LongValues.h"

namespace jet4::detail {

LongValueStore::LongValueStore(PageFile &file)
    : file(file)
{
}

quint32 LongValueStore::storeInOnePage(const QByteArray &bytes)
{
    return addRow(bytes);
}

quint32 LongValueStore::storeChained(const QByteArray &bytes, int pieceSize)
{
    // The last piece is stored first, so that each piece knows where its
    // successor is; the last one points nowhere (0).
    const qsizetype pieces = (bytes.size() + pieceSize - 1) / pieceSize;
    quint32 next = 0;
    for (qsizetype piece = pieces - 1; piece >= 0; --piece) {
        QByteArray row;
        append32(row, next);
        row += bytes.mid(piece * pieceSize, pieceSize);
        next = addRow(row);
    }
    return next;
}

void LongValueStore::flush()
{
    if (page) {
        file.write(pageNumber, page->bytes());
        page.reset();
    }
}

quint32 LongValueStore::addRow(const QByteArray &row)
{
    if (page && !page->fits(int(row.size())))
        flush();
    if (!page) {
        page = DataPage::longValues();
        pageNumber = file.allocate();
    }
    return rowPointer(pageNumber, page->add(row));
}

} // namespace jet4::detail
