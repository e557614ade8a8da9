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

bool ResultSet::isNull(int row, int column) const
{
    return at(row, column).offset == nullOffset;
}

std::string_view ResultSet::cell(int row, int column) const
{
    const Cell &c = at(row, column);
    if (c.offset == nullOffset)
        return {};
    return std::string_view(m_text.data() + c.offset, c.length);
}

QString ResultSet::text(int row, int column) const
{
    const std::string_view v = cell(row, column);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

const SqlValue &ResultSet::keyValue(int row, int part) const
{
    return m_keys[std::size_t(row) * std::size_t(m_keyParts) + std::size_t(part)];
}

void ResultSet::appendCell(const char *utf8, std::size_t length)
{
    // The last offset is the mark of a NULL.
    if (m_text.size() + length >= nullOffset)
        throw AppError(QStringLiteral("out of memory"));
    m_cells.push_back(Cell{std::uint32_t(m_text.size()), std::uint32_t(length)});
    m_text.append(utf8, length);
}

void ResultSet::appendNull()
{
    m_cells.push_back(Cell{nullOffset, 0});
}

std::vector<ResultSet::Cell> ResultSet::storeTexts(const Row &values)
{
    // The old texts of a replaced row stay in the buffer; writes are rare
    // and the buffer is dropped with the result.
    std::size_t length = 0;
    for (const auto &text : values.cells)
        length += text ? text->size() : 0;
    if (m_text.size() + length >= nullOffset)
        throw AppError(QStringLiteral("out of memory"));
    std::vector<Cell> cells;
    cells.reserve(m_columnCount);
    m_text.reserve(m_text.size() + length);
    for (std::size_t column = 0; column < m_columnCount; ++column) {
        const std::optional<std::string> &text = values.cells.at(column);
        if (!text) {
            cells.push_back(Cell{nullOffset, 0});
            continue;
        }
        cells.push_back(Cell{std::uint32_t(m_text.size()), std::uint32_t(text->size())});
        m_text.append(*text);
    }
    return cells;
}

void ResultSet::replaceRow(int row, const Row &values)
{
    std::vector<SqlValue> key = values.key;
    const std::vector<Cell> cells = storeTexts(values);
    std::copy(cells.begin(), cells.end(), m_cells.begin() + std::ptrdiff_t(std::size_t(row) * m_columnCount));
    if (m_keyKind == RowKeyKind::Rowid)
        m_rowids[std::size_t(row)] = values.rowid;
    else if (m_keyKind == RowKeyKind::PrimaryKey)
        std::move(key.begin(), key.end(), m_keys.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(m_keyParts)));
}

void ResultSet::stageRow(Row values)
{
    m_stagedCells = storeTexts(values);
    m_cells.reserve(m_cells.size() + m_columnCount);
    if (m_keyKind == RowKeyKind::Rowid)
        m_rowids.reserve(m_rowids.size() + 1);
    else if (m_keyKind == RowKeyKind::PrimaryKey)
        m_keys.reserve(m_keys.size() + std::size_t(m_keyParts));
    m_stagedRow = std::move(values);
}

void ResultSet::commitStagedRow() noexcept
{
    // Every container has room reserved by stageRow: nothing allocates.
    m_cells.insert(m_cells.end(), m_stagedCells.begin(), m_stagedCells.end());
    m_stagedCells.clear();
    if (m_keyKind == RowKeyKind::Rowid)
        m_rowids.push_back(m_stagedRow.rowid);
    else if (m_keyKind == RowKeyKind::PrimaryKey)
        std::move(m_stagedRow.key.begin(), m_stagedRow.key.end(), std::back_inserter(m_keys));
    m_stagedRow.key.clear();
}

void ResultSet::removeRow(int row) noexcept
{
    const auto first = m_cells.begin() + std::ptrdiff_t(std::size_t(row) * m_columnCount);
    m_cells.erase(first, first + std::ptrdiff_t(m_columnCount));
    if (m_keyKind == RowKeyKind::Rowid) {
        m_rowids.erase(m_rowids.begin() + row);
    } else if (m_keyKind == RowKeyKind::PrimaryKey) {
        const auto key = m_keys.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(m_keyParts));
        m_keys.erase(key, key + m_keyParts);
    }
}

void ResultSet::reset(QStringList columns, RowKeyKind keyKind, int keyParts)
{
    m_columns = std::move(columns);
    m_columnCount = std::size_t(m_columns.size());
    m_text.clear();
    m_cells.clear();
    m_keyKind = keyKind;
    m_keyParts = keyKind == RowKeyKind::PrimaryKey ? keyParts : 0;
    m_rowids.clear();
    m_keys.clear();
    m_stagedCells.clear();
    m_stagedRow = Row();
}
