// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class SheetTable;

// The rows an import adds: rows of the sheet as it was read, each with the
// spreadsheet row it came from and the texts of the register's columns
// 姓名 房号 租金 押金 入住日期 到期日期 备注, then of the columns the import
// fills after them, taken from the sheet's columns chosen for them (none
// for a column no sheet column fills, or a cell the row does not have).
// The texts stay in the sheet's table, but for the few the plan replaced
// (an amount made plain, a date in the regional form, a remark with other
// columns merged into it, a formula without a result emptied).
class TenantRows {
public:
    static constexpr int registerColumnCount = 7;
    using Cell = std::optional<std::string_view>;
    using Cells = std::vector<Cell>;
    // Per column of the rows, the sheet column that fills it, or -1.
    using Sources = std::vector<int>;

    TenantRows() = default;
    TenantRows(const SheetTable &table, Sources sources);

    int columnCount() const { return int(m_sources.size()); }

    // Adds the table's row `tableRow`.
    void append(qsizetype tableRow) { m_rows.push_back(std::uint32_t(tableRow)); }
    // Replaces the text the sheet gives row `row` in `column`; none empties it.
    void replace(qsizetype row, int column, std::optional<std::string> text);

    qsizetype size() const { return qsizetype(m_rows.size()); }
    qint64 sourceRow(qsizetype row) const;
    Cell cell(qsizetype row, int column) const;
    // Every column of the row at once, in one walk along its cells. A
    // column that a row has twice (a damaged file) gives its first cell,
    // as the plan takes it.
    void cells(qsizetype row, Cells &out) const;

private:
    Cell replacement(qsizetype index) const;

    const SheetTable *m_table = nullptr;
    Sources m_sources;
    std::vector<int> m_columnOf;  // per sheet column: the rows' column it fills, or -1
    std::vector<std::uint32_t> m_rows;
    std::deque<std::string> m_texts;
    // Per row: its replaced columns with their text's index in m_texts, or
    // -1 for an emptied cell (indices, so that a copy of the rows holds).
    std::unordered_map<qsizetype, std::vector<std::pair<int, qsizetype>>> m_replaced;
};
