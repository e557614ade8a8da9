#pragma once

#include "db/SqlValue.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How each row of a result is found again in its table: by its rowid, by a
// WITHOUT ROWID table's primary key, or not at all.
enum class RowKeyKind { None, Rowid, PrimaryKey };

// The rows of one opened statement, held whole in memory as UTF-8 text.
// All cell texts share one buffer; a cell is an (offset, length) pair into
// it, so a result of 100,000 rows costs a few allocations, not a million.
// A NULL is kept apart from an empty text, and reads as empty text.
// Beside its cells each row holds its key, which is no column of the
// result: views of the result never see it.
class ResultSet {
public:
    // One row as the table holds it: a text per column (none for NULL), and
    // its key.
    struct Row {
        std::vector<std::optional<std::string>> cells;
        std::int64_t rowid = 0;
        std::vector<SqlValue> key;
    };

    ResultSet() = default;

    // Empties the result for new columns and a new kind of key, keeping the
    // memory it holds, so that loading the list again costs no fresh
    // allocation. `keyParts` is the number of primary key columns.
    void reset(QStringList columns, RowKeyKind keyKind = RowKeyKind::None, int keyParts = 0);

    const QStringList &columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return m_columnCount == 0 ? 0 : int(m_cells.size() / m_columnCount); }
    int columnIndex(const QString &name) const;  // -1 when absent

    bool isNull(int row, int column) const;
    std::string_view cell(int row, int column) const;  // empty for NULL
    QString text(int row, int column) const;           // empty for NULL

    RowKeyKind keyKind() const { return m_keyKind; }
    int keyParts() const { return m_keyParts; }
    std::int64_t rowid(int row) const { return m_rowids[std::size_t(row)]; }
    const SqlValue &keyValue(int row, int part) const;

    // Building a row while reading a statement: one appendCell or appendNull
    // per column, in order, then its key.
    void appendCell(const char *utf8, std::size_t length);
    void appendNull();
    void appendRowid(std::int64_t rowid) { m_rowids.push_back(rowid); }
    void appendKeyValue(SqlValue value) { m_keys.push_back(std::move(value)); }

    // Replaces a row's values and key; throws before changing anything.
    void replaceRow(int row, const Row &values);

    // Adding a row in two steps, so that a view can be told in between:
    // stageRow stores the row and may throw, the result still without it;
    // commitStagedRow makes it the last row and cannot fail.
    void stageRow(Row values);
    void commitStagedRow() noexcept;

    void removeRow(int row) noexcept;

private:
    struct Cell {
        std::uint32_t offset;
        std::uint32_t length;
    };
    static constexpr std::uint32_t nullOffset = UINT32_MAX;

    const Cell &at(int row, int column) const { return m_cells[std::size_t(row) * m_columnCount + std::size_t(column)]; }
    // Stores the texts of `values` in the buffer and gives their cells.
    std::vector<Cell> storeTexts(const Row &values);

    QStringList m_columns;
    std::size_t m_columnCount = 0;
    std::string m_text;
    std::vector<Cell> m_cells;

    RowKeyKind m_keyKind = RowKeyKind::None;
    int m_keyParts = 0;
    std::vector<std::int64_t> m_rowids;  // Rowid: one per row
    std::vector<SqlValue> m_keys;        // PrimaryKey: keyParts per row

    std::vector<Cell> m_stagedCells;
    Row m_stagedRow;
};
