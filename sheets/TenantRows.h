// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

class SheetTable;

// The rows an import adds: rows of the sheet as it was read, each with the
// spreadsheet row it came from and the texts of the register's columns
// 姓名 房号 租金 押金 入住日期 到期日期 备注, taken from the sheet's columns
// matched to them (none for a column the sheet does not have, or a cell
// the row does not have). The texts stay in the sheet's table.
class TenantRows {
public:
    static constexpr int columnCount = 7;
    using Cells = std::array<std::optional<std::string_view>, columnCount>;
    // Per register column, the sheet column that fills it, or -1.
    using Sources = std::array<int, columnCount>;

    TenantRows() = default;
    TenantRows(const SheetTable &table, const Sources &sources);

    // Adds the table's row `tableRow`.
    void append(qsizetype tableRow) { m_rows.push_back(std::uint32_t(tableRow)); }

    qsizetype size() const { return qsizetype(m_rows.size()); }
    qint64 sourceRow(qsizetype row) const;
    std::optional<std::string_view> cell(qsizetype row, int column) const;
    // Every column of the row at once, in one walk along its cells. A
    // column that a row has twice (a damaged file) gives its first cell,
    // as the plan takes it.
    Cells cells(qsizetype row) const { return tableCells(qsizetype(m_rows[std::size_t(row)])); }

private:
    Cells tableCells(qsizetype tableRow) const;

    const SheetTable *m_table = nullptr;
    Sources m_sources{};
    std::vector<std::uint32_t> m_rows;
};
