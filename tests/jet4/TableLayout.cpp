// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/TableLayout.h"

namespace jet4::detail {

namespace {

Kind kindOf(ColumnType type)
{
    switch (type) {
    case ColumnType::Boolean: return Kind::Boolean;
    case ColumnType::Long: return Kind::Long;
    case ColumnType::Double: return Kind::Double;
    case ColumnType::Currency: return Kind::Currency;
    case ColumnType::DateTime: return Kind::DateTime;
    case ColumnType::ExtendedDateTime: return Kind::ExtendedDateTime;
    case ColumnType::Text: return Kind::Text;
    case ColumnType::Memo: return Kind::Memo;
    case ColumnType::Decimal: return Kind::Decimal;
    case ColumnType::Guid: return Kind::Guid;
    case ColumnType::Ole: return Kind::Ole;
    }
    return Kind::Text;
}

} // namespace

int fixedLengthOf(Kind kind)
{
    switch (kind) {
    case Kind::Boolean: return 0;
    case Kind::Integer: return 2;
    case Kind::Long: return 4;
    case Kind::Currency:
    case Kind::Double:
    case Kind::DateTime: return 8;
    case Kind::Guid: return 16;
    case Kind::Decimal: return 17;
    case Kind::ExtendedDateTime: return 42;
    case Kind::Text:
    case Kind::Ole:
    case Kind::Memo: return -1;
    }
    return -1;
}

TableLayout::TableLayout(const QString &name, bool system, const QList<std::pair<QString, Kind>> &columns,
                         const QList<bool> &calculated)
    : name(name)
    , system(system)
{
    for (const auto &[columnName, kind] : columns) {
        StoredColumn column;
        column.name = columnName;
        column.kind = kind;
        column.number = int(this->columns.size());
        column.calculated = calculated.value(column.number);
        const int length = fixedLengthOf(kind);
        // A calculated value is wrapped and stored among the variable ones;
        // Access gives a fixed-size result the length 39.
        column.fixed = length >= 0 && !column.calculated;
        if (column.calculated && length >= 0) {
            column.varIndex = varCount++;
            column.length = 39;
        } else if (column.fixed) {
            column.fixedOffset = fixedSize;
            column.length = length;
            fixedSize += length;
        } else {
            column.varIndex = varCount++;
            column.length = kind == Kind::Text ? 2 * textMaxChars : 0;
        }
        this->columns.append(column);
    }
}

TableLayout::TableLayout(const Table &table)
    : TableLayout(table.name, false, [&table] {
        QList<std::pair<QString, Kind>> columns;
        for (const Column &column : table.columns)
            columns.append({column.name, kindOf(column.type)});
        return columns;
    }(), [&table] {
        QList<bool> calculated;
        for (const Column &column : table.columns)
            calculated.append(column.calculated);
        return calculated;
    }())
{
    for (int i = 0; i < table.columns.size(); ++i) {
        columns[i].autoNumber = table.columns[i].autoNumber;
        columns[i].scale = table.columns[i].scale;
    }
}

int TableLayout::autoNumberColumn() const
{
    for (const StoredColumn &column : columns) {
        if (column.autoNumber)
            return column.number;
    }
    return -1;
}

} // namespace jet4::detail
