// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlValue.h"
#include "platform/LargePageMemory.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How each row of a result is found again in its table: by its rowid, by a
// WITHOUT ROWID table's primary key, or not at all.
enum class RowKeyKind { None, Rowid, PrimaryKey };

// The rows of one opened statement, held whole in memory as UTF-8 text.
// Each row is one record in a block of memory: its rowid (when rows are
// found by rowid), then per column the text's length and bytes, lengths as variable-length integers (one
// byte up to 126 bytes of text), so a row costs its texts and a few bytes.
// Blocks are added as the rows grow and never copied or moved; a row is
// found through one pointer to its record. A NULL is kept apart from an
// empty text, and reads as empty text. The key of each row is no column of
// the result: views of the result never see it.
class ResultSet {
public:
    // One row as the table holds it: a text per column (none for NULL), and
    // its key.
    struct Row {
        std::vector<std::optional<std::string>> cells;
        std::int64_t rowid = 0;
        std::vector<SqlValue> key;
    };

    // A cell's text while a row is added: its bytes, or none for NULL.
    using CellText = std::optional<std::string_view>;

    ResultSet() = default;
    ResultSet(ResultSet &&) noexcept = default;
    ResultSet &operator=(ResultSet &&) noexcept = default;

    // Empties the result for new columns and a new kind of key, keeping the
    // memory it holds, so that loading the list again costs no fresh
    // allocation. `keyParts` is the number of primary key columns.
    void reset(QStringList columns, RowKeyKind keyKind = RowKeyKind::None, int keyParts = 0);

    const QStringList &columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return int(m_rows.size()); }
    int columnIndex(const QString &name) const;  // -1 when absent

    bool isNull(int row, int column) const;
    std::string_view cell(int row, int column) const;  // empty for NULL
    // The texts of several columns of one row, read in one walk along its
    // record: `columns` ascending, where -1 (a column the result lacks)
    // gives an empty text as NULL does.
    void cells(int row, std::span<const int> columns, std::span<std::string_view> texts) const;
    QString text(int row, int column) const;           // empty for NULL

    RowKeyKind keyKind() const { return m_keyKind; }
    int keyParts() const { return m_keyParts; }
    std::int64_t rowid(int row) const;
    const SqlValue &keyValue(int row, int part) const;

    // Adds a row while a statement is read: for a primary key its parts
    // first (appendKeyValue), then the row with its rowid (for a rowid key)
    // and one text per column. The texts are copied.
    void appendKeyValue(SqlValue value) { m_keys.push_back(std::move(value)); }
    void appendRow(std::int64_t rowid, std::span<const CellText> cells);

    // Replaces a row's values and key; throws before changing anything.
    void replaceRow(int row, const Row &values);

    // Adding a row in two steps, so that a view can be told in between:
    // stageRow stores the row and may throw, the result still without it;
    // commitStagedRow makes it the last row and cannot fail.
    void stageRow(Row values);
    void commitStagedRow() noexcept;

    void removeRow(int row) noexcept;

private:
    struct BlockDeleter {
        std::size_t size;
        void operator()(char *bytes) const;
    };
    using BlockBytes = std::unique_ptr<char[], BlockDeleter>;
    struct Block {
        BlockBytes bytes;
        std::size_t size = 0;
    };

    // Writes a record and returns where it starts; a replaced row's old
    // record stays in its block until the result is reset.
    const char *storeRecord(std::int64_t rowid, std::span<const CellText> cells);
    const char *storeRecord(const Row &values);
    // Room for `size` bytes at the end of the blocks in use.
    char *reserveRecord(std::size_t size);
    // The start of `column`'s length in row `row`'s record.
    const char *cellStart(int row, int column) const;

    QStringList m_columns;
    std::size_t m_columnCount = 0;

    std::vector<Block> m_blocks;
    std::size_t m_block = 0;  // the block being written
    std::size_t m_used = 0;   // bytes written into it
    std::vector<const char *, LargePageAllocator<const char *>> m_rows;

    RowKeyKind m_keyKind = RowKeyKind::None;
    int m_keyParts = 0;
    std::vector<SqlValue> m_keys;  // PrimaryKey: keyParts per row

    const char *m_stagedRecord = nullptr;
    Row m_stagedRow;
};
