#include "db/ResultSet.h"

#include "db/AppError.h"

#include <limits>

int ResultSet::columnIndex(const QString &name) const
{
    // The exact name first: the rent walk asks for one column per row.
    if (const qsizetype exact = m_columns.indexOf(name); exact >= 0)
        return int(exact);
    // Column names compare as the engine compares identifiers: case ignored.
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::string_view ResultSet::cell(int row, int column) const
{
    const Cell &c = m_cells[std::size_t(row) * m_columnCount + std::size_t(column)];
    return std::string_view(m_text.data() + c.offset, c.length);
}

QString ResultSet::text(int row, int column) const
{
    const std::string_view v = cell(row, column);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

void ResultSet::appendCell(const char *utf8, std::size_t length)
{
    if (m_text.size() + length > std::numeric_limits<std::uint32_t>::max())
        throw AppError(QStringLiteral("out of memory"));
    m_cells.push_back(Cell{std::uint32_t(m_text.size()), std::uint32_t(length)});
    m_text.append(utf8, length);
}

void ResultSet::setCell(int row, int column, std::string_view utf8)
{
    // The old text stays in the buffer; edits are rare and the buffer is
    // dropped with the result.
    if (m_text.size() + utf8.size() > std::numeric_limits<std::uint32_t>::max())
        throw AppError(QStringLiteral("out of memory"));
    Cell &c = m_cells[std::size_t(row) * m_columnCount + std::size_t(column)];
    c = Cell{std::uint32_t(m_text.size()), std::uint32_t(utf8.size())};
    m_text.append(utf8);
}

void ResultSet::appendEmptyRow()
{
    for (std::size_t i = 0; i < m_columnCount; ++i)
        m_cells.push_back(Cell{0, 0});
}

void ResultSet::removeRow(int row)
{
    const auto first = m_cells.begin() + std::ptrdiff_t(std::size_t(row) * m_columnCount);
    m_cells.erase(first, first + std::ptrdiff_t(m_columnCount));
}

void ResultSet::reset(QStringList columns)
{
    m_columns = std::move(columns);
    m_columnCount = std::size_t(m_columns.size());
    m_text.clear();
    m_cells.clear();
}
