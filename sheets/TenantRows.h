// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The rows an import adds: for each, the spreadsheet row it came from and
// the texts of the register's columns 姓名 房号 租金 押金 入住日期 到期日期
// 备注 (none for a cell the sheet does not have). Each row is one record of
// UTF-8 texts with their lengths, in blocks that are added as the rows grow
// and never moved.
class TenantRows {
public:
    static constexpr int columnCount = 7;
    using Cells = std::array<std::optional<std::string_view>, columnCount>;

    void append(qint64 sourceRow, const Cells &cells);

    qsizetype size() const { return qsizetype(m_rows.size()); }
    qint64 sourceRow(qsizetype row) const { return m_rows[std::size_t(row)].sourceRow; }
    std::optional<std::string_view> cell(qsizetype row, int column) const;

private:
    struct Row {
        const char *record;
        qint64 sourceRow;
    };
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_free = nullptr;
    std::size_t m_freeSize = 0;
    std::vector<Row> m_rows;
};
