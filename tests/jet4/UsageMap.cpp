// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/UsageMap.h"

#include "jet4/PageFormat.h"

namespace jet4::detail {

namespace {

constexpr char inlineMap = 0x00;
constexpr char bitmapPagesMap = 0x01;
constexpr int inlineMapPages = (usageMapRowSize - 5) * 8;
constexpr int bitmapPageHeaderSize = 4;
constexpr quint32 pagesPerBitmapPage = (pageSize - bitmapPageHeaderSize) * 8;
constexpr int maxBitmapPages = (usageMapRowSize - 1) / 4;

void setBit(QByteArray &bytes, int bitmapOffset, quint32 bit)
{
    const int at = bitmapOffset + int(bit / 8);
    bytes[at] = char(bytes[at] | (1 << (bit % 8)));
}

} // namespace

QByteArray usageMapRow(const QList<quint32> &pages, PageFile &file)
{
    QByteArray row(usageMapRowSize, '\0');
    if (pages.isEmpty() || pages.last() - pages.first() < quint32(inlineMapPages)) {
        row[0] = inlineMap;
        const quint32 start = pages.isEmpty() ? 0 : pages.first();
        put32(row, 1, start);
        for (quint32 page : pages)
            setBit(row, 5, page - start);
        return row;
    }

    // Bitmap page n covers the pages from n * pagesPerBitmapPage on.
    row[0] = bitmapPagesMap;
    const quint32 lastBitmap = pages.last() / pagesPerBitmapPage;
    Q_ASSERT(lastBitmap < quint32(maxBitmapPages));  // 2 GiB, the largest Jet 4 file
    qsizetype next = 0;
    for (quint32 bitmap = pages.first() / pagesPerBitmapPage; bitmap <= lastBitmap; ++bitmap) {
        QByteArray bitmapPage(pageSize, '\0');
        bitmapPage[0] = usageBitmapPageType;
        bitmapPage[1] = 0x01;
        bool any = false;
        for (; next < pages.size() && pages[next] / pagesPerBitmapPage == bitmap; ++next) {
            setBit(bitmapPage, bitmapPageHeaderSize, pages[next] % pagesPerBitmapPage);
            any = true;
        }
        if (!any)
            continue;
        const quint32 number = file.allocate();
        file.write(number, bitmapPage);
        put32(row, 1 + 4 * int(bitmap), number);
    }
    return row;
}

} // namespace jet4::detail
