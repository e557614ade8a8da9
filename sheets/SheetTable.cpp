// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetTable.h"

#include "platform/Utf8Text.h"
#include "sheets/CellRecord.h"
#include "sheets/SheetLimits.h"
#include "sheets/SheetReading.h"

namespace {

constexpr std::size_t blockSize = 1 << 20;

[[noreturn]] void damaged(const QString &detail)
{
    throw AppError(QStringLiteral("文件已损坏（%1）").arg(detail));
}

} // namespace

SheetTable::Cells::Iterator::Iterator(const char *at, const char *end)
    : m_at(at)
    , m_next(at)
    , m_end(end)
{
    read();
}

void SheetTable::Cells::Iterator::read()
{
    // Records were checked when they were written.
    if (m_at < m_end)
        m_next = cellRecord::decode(m_at, m_end, m_cell);
}

SheetTable::Cells::Iterator &SheetTable::Cells::Iterator::operator++()
{
    m_at = m_next;
    read();
    return *this;
}

SheetTable::Cells SheetTable::cells(qsizetype row) const
{
    const Row &entry = m_rows[std::size_t(row)];
    return {entry.record, entry.record + entry.size};
}

std::optional<SheetCell> SheetTable::cell(qsizetype row, int column) const
{
    for (const SheetCell &cell : cells(row)) {
        if (cell.column == column)
            return cell;
    }
    return std::nullopt;
}

QString sheetTooLargeText()
{
    return QStringLiteral("文件太大：工作表的内容超过了一次导入所能容纳的 %1 个单元格、%2 MB 文字")
        .arg(sheetLimits::tableCells)
        .arg(sheetLimits::tableBytes / (1024 * 1024));
}

SheetTableBuilder::SheetTableBuilder(bool textsChecked)
    : m_textsChecked(textsChecked)
{
}

void SheetTableBuilder::reserve(std::size_t bytes)
{
    if (bytes <= m_freeSize)
        return;
    // The open row moves along to the new block: a record is never split.
    const std::size_t open = m_rowOpen ? std::size_t(m_free - m_rowStart) : 0;
    const std::size_t size = std::max(blockSize, open + bytes);
    auto block = std::make_unique_for_overwrite<char[]>(size);
    if (open)
        std::memcpy(block.get(), m_rowStart, open);
    m_rowStart = block.get();
    m_free = block.get() + open;
    m_freeSize = size - open;
    m_table.m_blocks.push_back(std::move(block));
}

void SheetTableBuilder::beginRow(qint64 rowNumber)
{
    closeRow();
    if (rowNumber < 1 || rowNumber > sheetLimits::rows)
        damaged(QStringLiteral("行号 %1 超出了表格的 %2 行").arg(rowNumber).arg(sheetLimits::rows));
    m_rowNumber = std::uint32_t(rowNumber);
    m_rowStart = m_free;
    m_rowOpen = true;
}

void SheetTableBuilder::cell(const SheetCell &cell)
{
    if (!m_rowOpen)
        damaged(QStringLiteral("单元格不在任何一行中"));
    if (cell.column < 0 || cell.column >= sheetLimits::columns)
        damaged(QStringLiteral("第 %1 行的单元格在第 %2 列，超出了表格的 %3 列")
                    .arg(m_rowNumber)
                    .arg(qint64(cell.column) + 1)
                    .arg(sheetLimits::columns));
    if ((cell.kind == CellKind::NoResult && !cell.formula) || (!m_textsChecked && !isUtf8(cell.text)))
        damaged(QStringLiteral("第 %1 行有无法识别的单元格").arg(m_rowNumber));
    m_cost += sheetCellCost(qint64(cell.text.size()));
    if (++m_table.m_cells > sheetLimits::tableCells || m_cost > sheetLimits::tableBytes)
        throw AppError(sheetTooLargeText());
    reserve(cellRecord::headerBytes + cell.text.size());
    char *end = cellRecord::encode(m_free, cell);
    m_freeSize -= std::size_t(end - m_free);
    m_free = end;
    m_table.m_columnCount = std::max(m_table.m_columnCount, cell.column + 1);
    if (!cell.text.empty()) {
        if (std::size_t(cell.column) >= m_table.m_lastTextRow.size())
            m_table.m_lastTextRow.resize(std::size_t(cell.column) + 1);
        m_table.m_lastTextRow[std::size_t(cell.column)] = std::uint32_t(m_table.m_rows.size() + 1);
    }
}

void SheetTableBuilder::endRow()
{
    closeRow();
}

void SheetTableBuilder::closeRow()
{
    if (!m_rowOpen)
        return;
    // A row without cells takes no room.
    if (m_free != m_rowStart)
        m_table.m_rows.push_back({m_rowStart, std::uint32_t(m_free - m_rowStart), m_rowNumber});
    m_rowOpen = false;
}

SheetTable SheetTableBuilder::take(const WorkbookFacts &facts, int sheetIndex)
{
    closeRow();
    m_table.facts = facts;
    m_table.sheetIndex = sheetIndex;
    return std::move(m_table);
}
