#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The rows of one opened statement, held whole in memory as UTF-8 text.
// All cell texts share one buffer; a cell is an (offset, length) pair into
// it, so a result of 100,000 rows costs two allocations, not a million.
// A NULL is stored as an empty text: the program reads NULL as empty.
class ResultSet {
public:
    ResultSet() = default;

    // Empties the result for new columns, keeping the memory it holds, so
    // that loading the list again costs no fresh allocation.
    void reset(QStringList columns);

    const QStringList &columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return m_columnCount == 0 ? 0 : int(m_cells.size() / m_columnCount); }
    int columnIndex(const QString &name) const;  // -1 when absent

    std::string_view cell(int row, int column) const;
    QString text(int row, int column) const;

    // Building a row: one appendCell per column, in order.
    void appendCell(const char *utf8, std::size_t length);
    void setCell(int row, int column, std::string_view utf8);
    void appendEmptyRow();
    void removeRow(int row);

private:
    struct Cell {
        std::uint32_t offset;
        std::uint32_t length;
    };
    QStringList m_columns;
    std::size_t m_columnCount = 0;
    std::string m_text;
    std::vector<Cell> m_cells;
};
