// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/TableWriter.h"

#include "jet4/DataPage.h"
#include "jet4/LongValues.h"
#include "jet4/RowEncoder.h"
#include "jet4/TableDefinition.h"
#include "jet4/UsageMap.h"

#include <QSet>

namespace jet4::detail {

namespace {

// A NULL AutoNumber is numbered on from the largest number so far.
QVariantList withAutoNumber(QVariantList row, int column, qint64 *largest)
{
    if (column < 0 || column >= row.size())
        return row;
    if (row[column].isNull())
        row[column] = int(*largest + 1);
    *largest = qMax(*largest, row[column].toLongLong());
    return row;
}

} // namespace

bool writeTable(PageFile &file, quint32 definitionPage, const TableLayout &layout,
                const QList<QVariantList> &rows, const QList<int> &deletedRows, int declaredRows, QString *error)
{
    const QSet<int> deleted(deletedRows.cbegin(), deletedRows.cend());
    const int autoNumberColumn = layout.autoNumberColumn();
    qint64 largestAutoNumber = 0;
    LongValueStore longValues(file);
    QList<quint32> dataPages;
    DataPage page(definitionPage);
    TableState state;
    // The maps go before the data pages, as Access places them.
    const quint32 mapsPage = file.allocate();

    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QVariantList values = withAutoNumber(rows[i], autoNumberColumn, &largestAutoNumber);
        QString rowError;
        const std::optional<QByteArray> row = encodeRow(layout, values, longValues, &rowError);
        if (row && row->size() > DataPage::maxRowSize)
            rowError = QStringLiteral("%1 bytes, more than a page holds").arg(row->size());
        if (!rowError.isEmpty()) {
            *error = QStringLiteral("table %1, row %2: %3").arg(layout.name).arg(i).arg(rowError);
            return false;
        }
        if (dataPages.isEmpty() || !page.fits(int(row->size()))) {
            if (!dataPages.isEmpty())
                file.write(dataPages.last(), page.bytes());
            page = DataPage(definitionPage);
            dataPages.append(file.allocate());
        }
        const int rowNumber = page.add(*row);
        if (deleted.contains(int(i)))
            page.markDeleted(rowNumber);
        else
            ++state.rowCount;
    }
    if (!dataPages.isEmpty())
        file.write(dataPages.last(), page.bytes());
    longValues.flush();

    if (declaredRows >= 0)
        state.rowCount = quint32(declaredRows);
    if (autoNumberColumn >= 0)
        state.nextAutoNumber = qint32(largestAutoNumber + 1);
    DataPage maps(0);
    const QByteArray usageMap = usageMapRow(dataPages, file);
    // No page is listed as having room: a program adding rows starts a new page.
    const QByteArray freeSpaceMap = usageMapRow({}, file);
    state.usageMap = rowPointer(mapsPage, maps.add(usageMap));
    state.freeSpaceMap = rowPointer(mapsPage, maps.add(freeSpaceMap));
    file.write(mapsPage, maps.bytes());

    const std::optional<QByteArray> definition = tableDefinitionPage(layout, state, error);
    if (!definition)
        return false;
    file.write(definitionPage, *definition);
    return true;
}

} // namespace jet4::detail
