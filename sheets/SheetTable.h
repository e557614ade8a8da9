// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/SheetCells.h"

#include <QString>

#include <iterator>
#include <memory>
#include <optional>
#include <vector>

// One sheet as it was read, every column of every row that has a cell, so
// that the import can be planned and planned again (another header, other
// columns) without reading the file a second time. Each row is one record
// of its cells (kind, column, text) in blocks that are added as the rows
// grow and never moved, so texts stay where they are for as long as the
// table lives.
class SheetTable {
public:
    SheetTable() = default;
    SheetTable(const SheetTable &) = delete;
    SheetTable &operator=(const SheetTable &) = delete;
    SheetTable(SheetTable &&) = default;
    SheetTable &operator=(SheetTable &&) = default;

    // The rows that have cells, in the file's order.
    qsizetype rowCount() const { return qsizetype(m_rows.size()); }
    // The row's number in the spreadsheet, from 1.
    qint64 sourceRow(qsizetype row) const { return m_rows[std::size_t(row)].sourceRow; }
    // One more than the largest column that has a cell.
    int columnCount() const { return m_columnCount; }

    // A row's cells in the order the file gave them.
    class Cells {
    public:
        class Iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = SheetCell;
            using difference_type = std::ptrdiff_t;
            using pointer = const SheetCell *;
            using reference = const SheetCell &;

            Iterator() = default;
            Iterator(const char *at, const char *end);
            const SheetCell &operator*() const { return m_cell; }
            const SheetCell *operator->() const { return &m_cell; }
            Iterator &operator++();
            Iterator operator++(int)
            {
                Iterator before = *this;
                ++*this;
                return before;
            }
            bool operator==(const Iterator &other) const { return m_at == other.m_at; }

        private:
            void read();
            const char *m_at = nullptr;
            const char *m_next = nullptr;
            const char *m_end = nullptr;
            SheetCell m_cell;
        };
        Iterator begin() const { return {m_begin, m_end}; }
        Iterator end() const { return {m_end, m_end}; }

    private:
        friend class SheetTable;
        Cells(const char *begin, const char *end)
            : m_begin(begin)
            , m_end(end)
        {
        }
        const char *m_begin;
        const char *m_end;
    };
    Cells cells(qsizetype row) const;
    // The cell of `row` in `column`, if it has one.
    std::optional<SheetCell> cell(qsizetype row, int column) const;
    // The last row with a text in `column`, or -1: whether a column holds
    // anything below its header without a walk through every row.
    qsizetype lastRowWithText(int column) const
    {
        return column < qsizetype(m_lastTextRow.size()) ? qsizetype(m_lastTextRow[std::size_t(column)]) - 1 : -1;
    }

    // What the workbook says besides the cells, and which sheet this is.
    WorkbookFacts facts;
    int sheetIndex = 0;
    qint64 cellCount() const { return m_cells; }

private:
    friend class SheetTableBuilder;
    struct Row {
        const char *record;
        std::uint32_t size;
        std::uint32_t sourceRow;
    };
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<Row> m_rows;
    std::vector<std::uint32_t> m_lastTextRow;  // per column: the row's index + 1, 0 for none
    int m_columnCount = 0;
    qint64 m_cells = 0;
};

// Fills a SheetTable from a reading, here or in the reading child, and
// checks what it is given: the places within a sheet's bounds, the texts
// well-formed UTF-8, the whole within the sizes of sheets/SheetLimits.h.
// Throws AppError for anything else.
class SheetTableBuilder : public SheetCellSink {
public:
    // `textsChecked`: the cells come from this process's own reading,
    // whose texts were made well-formed UTF-8 already.
    explicit SheetTableBuilder(bool textsChecked = false);
    void beginRow(qint64 rowNumber) override;
    void cell(const SheetCell &cell) override;
    void endRow() override;
    // The table, once every row is in.
    SheetTable take(const WorkbookFacts &facts, int sheetIndex);

private:
    void reserve(std::size_t bytes);
    void closeRow();

    SheetTable m_table;
    char *m_free = nullptr;
    std::size_t m_freeSize = 0;
    char *m_rowStart = nullptr;  // the open row's record
    bool m_rowOpen = false;
    const bool m_textsChecked;
    std::uint32_t m_rowNumber = 0;
    qint64 m_cost = 0;
};

// What a cell costs the table: its text and room for its kind and place.
constexpr qint64 sheetCellCost(qint64 textBytes)
{
    return textBytes + 8;
}

// The reason a sheet is refused for its size, in the landlord's words.
QString sheetTooLargeText();

struct ReadControl;
struct RegionalFormats;

// Reads sheet `sheetIndex` of the spreadsheet at `path` into a table, in
// this process (the command line does; the program has its reading child
// do it). Throws AppError, or ReadCancelled when `control` asks.
SheetTable readSheetTable(const QString &path, int sheetIndex, const RegionalFormats &formats, ReadControl &control);
