// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/TenantRows.h"

#include "sheets/SheetTable.h"

TenantRows::TenantRows(const SheetTable &table, Sources sources)
    : m_table(&table)
    , m_sources(std::move(sources))
    , m_columnOf(std::size_t(table.columnCount()), -1)
{
    for (std::size_t column = 0; column < m_sources.size(); ++column) {
        const int source = m_sources[column];
        if (source >= 0 && source < table.columnCount())
            m_columnOf[std::size_t(source)] = int(column);
    }
}

void TenantRows::replace(qsizetype row, int column, std::optional<std::string> text)
{
    qsizetype index = -1;
    if (text) {
        index = qsizetype(m_texts.size());
        m_texts.push_back(std::move(*text));
    }
    auto &replaced = m_replaced[row];
    for (auto &[at, existing] : replaced) {
        if (at == column) {
            existing = index;
            return;
        }
    }
    replaced.emplace_back(column, index);
}

TenantRows::Cell TenantRows::replacement(qsizetype index) const
{
    if (index < 0)
        return std::nullopt;
    return std::string_view(m_texts[std::size_t(index)]);
}

qint64 TenantRows::sourceRow(qsizetype row) const
{
    return m_table->sourceRow(qsizetype(m_rows[std::size_t(row)]));
}

TenantRows::Cell TenantRows::cell(qsizetype row, int column) const
{
    if (const auto found = m_replaced.find(row); found != m_replaced.end()) {
        for (const auto &[at, index] : found->second) {
            if (at == column)
                return replacement(index);
        }
    }
    const int source = m_sources[std::size_t(column)];
    if (source < 0)
        return std::nullopt;
    if (const std::optional<SheetCell> found = m_table->cell(qsizetype(m_rows[std::size_t(row)]), source))
        return found->text;
    return std::nullopt;
}

void TenantRows::cells(qsizetype row, Cells &out) const
{
    out.assign(m_sources.size(), std::nullopt);
    for (const SheetCell &cell : m_table->cells(qsizetype(m_rows[std::size_t(row)]))) {
        if (cell.column >= qsizetype(m_columnOf.size()))
            continue;
        const int column = m_columnOf[std::size_t(cell.column)];
        if (column >= 0 && !out[std::size_t(column)])
            out[std::size_t(column)] = cell.text;
    }
    if (m_replaced.empty())
        return;
    if (const auto found = m_replaced.find(row); found != m_replaced.end()) {
        for (const auto &[column, index] : found->second)
            out[std::size_t(column)] = replacement(index);
    }
}
