// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/TenantRows.h"

#include "sheets/SheetTable.h"

TenantRows::TenantRows(const SheetTable &table, const Sources &sources)
    : m_table(&table)
    , m_sources(sources)
{
}

qint64 TenantRows::sourceRow(qsizetype row) const
{
    return m_table->sourceRow(qsizetype(m_rows[std::size_t(row)]));
}

std::optional<std::string_view> TenantRows::cell(qsizetype row, int column) const
{
    const int source = m_sources[std::size_t(column)];
    if (source < 0)
        return std::nullopt;
    if (const std::optional<SheetCell> found = m_table->cell(qsizetype(m_rows[std::size_t(row)]), source))
        return found->text;
    return std::nullopt;
}

TenantRows::Cells TenantRows::tableCells(qsizetype tableRow) const
{
    Cells cells;
    for (const SheetCell &cell : m_table->cells(tableRow)) {
        for (int column = 0; column < columnCount; ++column) {
            if (m_sources[std::size_t(column)] == cell.column && !cells[std::size_t(column)])
                cells[std::size_t(column)] = cell.text;
        }
    }
    return cells;
}
