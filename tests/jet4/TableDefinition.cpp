// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/TableDefinition.h"

#include "jet4/PageFormat.h"

namespace jet4::detail {

namespace {

constexpr char userTable = 0x4E;
constexpr char systemTable = 0x53;
constexpr quint8 fixedLengthFlag = 0x01;
constexpr quint8 updatableFlag = 0x02;
constexpr quint8 autoNumberFlag = 0x04;
constexpr quint8 calculatedFlags = 0xC0;  // in the byte after the flags
constexpr quint8 decimalPrecision = 28;
constexpr quint16 generalSortOrder = 0x0409;
constexpr quint16 noMoreColumns = 0xFFFF;

QByteArray columnEntry(const StoredColumn &column)
{
    QByteArray entry(25, '\0');
    entry[0] = char(column.kind);
    put16(entry, 5, quint16(column.number));
    put16(entry, 7, quint16(column.fixed ? 0 : column.varIndex));
    put16(entry, 9, quint16(column.number));
    if (column.kind == Kind::Text || column.kind == Kind::Memo)
        put16(entry, 11, generalSortOrder);
    if (column.kind == Kind::Decimal) {
        entry[11] = char(decimalPrecision);
        entry[12] = char(column.scale);
    }
    if (column.calculated)
        entry[16] = char(calculatedFlags);
    quint8 flags = column.autoNumber ? autoNumberFlag : updatableFlag;
    if (column.fixed)
        flags |= fixedLengthFlag;
    entry[15] = char(flags);
    put16(entry, 21, quint16(column.fixed ? column.fixedOffset : 0));
    put16(entry, 23, quint16(column.length));
    return entry;
}

} // namespace

std::optional<QByteArray> tableDefinitionPage(const TableLayout &layout, const TableState &state, QString *error)
{
    QByteArray page(63, '\0');
    page[0] = tableDefinitionPageType;
    page[1] = 0x01;
    put32(page, 16, state.rowCount);
    put32(page, 20, quint32(state.nextAutoNumber));
    page[24] = char(layout.autoNumberColumn() >= 0 ? 1 : 0);
    page[40] = layout.system ? systemTable : userTable;
    const auto columnCount = quint16(layout.columns.size());
    put16(page, 41, columnCount);
    put16(page, 43, quint16(layout.varCount));
    put16(page, 45, columnCount);
    put32(page, 55, state.usageMap);
    put32(page, 59, state.freeSpaceMap);

    for (const StoredColumn &column : layout.columns)
        page += columnEntry(column);
    for (const StoredColumn &column : layout.columns) {
        const QByteArray name = utf16le(column.name);
        append16(page, quint16(name.size()));
        page += name;
    }
    append16(page, noMoreColumns);  // no long-value column keeps maps of its own

    if (page.size() > pageSize) {
        *error = QStringLiteral("table %1: its definition does not fit on one page").arg(layout.name);
        return std::nullopt;
    }
    put32(page, 8, quint32(page.size()));  // the definition's length, this head included
    put16(page, 2, quint16(qMax(0, pageSize - int(page.size()) - 8)));
    page.resize(pageSize, '\0');
    return page;
}

} // namespace jet4::detail
