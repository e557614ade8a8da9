// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/DataPage.h"

namespace jet4::detail {

namespace {

constexpr quint16 deletedRowFlags = 0xC000;

} // namespace

DataPage::DataPage(quint32 owner)
    : page(pageSize, '\0')
{
    page[0] = dataPageType;
    page[1] = 0x01;
    put16(page, 2, pageSize - dataPageHeaderSize);
    put32(page, 4, owner);
}

DataPage DataPage::longValues()
{
    DataPage lval(0);
    lval.page.replace(4, 4, "LVAL");
    return lval;
}

bool DataPage::fits(int rowSize) const
{
    const int freeSpace = rowsStart - (dataPageHeaderSize + 2 * rows);
    return rows < maxRows && rowSize + 2 <= freeSpace;
}

int DataPage::add(const QByteArray &row)
{
    Q_ASSERT(fits(int(row.size())));
    rowsStart -= int(row.size());
    page.replace(rowsStart, row.size(), row);
    put16(page, dataPageHeaderSize + 2 * rows, quint16(rowsStart));
    ++rows;
    put16(page, rowCountOffset, quint16(rows));
    put16(page, 2, quint16(rowsStart - (dataPageHeaderSize + 2 * rows)));
    return rows - 1;
}

void DataPage::markDeleted(int row)
{
    const int at = dataPageHeaderSize + 2 * row;
    put16(page, at, qFromLittleEndian<quint16>(page.constData() + at) | deletedRowFlags);
}

} // namespace jet4::detail
