// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/ResultSet.h"

#include "platform/LargePageMemory.h"
#include "platform/Utf8Text.h"

#include <algorithm>
#include <cstring>

namespace {

// Blocks start small, for the few rows of a check, and double up to a size
// at which adding one costs nothing against filling it.
constexpr std::size_t firstBlockSize = std::size_t(64) << 10;
constexpr std::size_t largestBlockSize = std::size_t(4) << 20;

// Unsigned LEB128: seven bits a byte, the high bit set on all but the last.
std::size_t varintSize(std::uint64_t value)
{
    std::size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

char *writeVarint(char *out, std::uint64_t value)
{
    while (value >= 0x80) {
        *out++ = char(std::uint8_t(value) | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
    return out;
}

const char *readVarint(const char *in, std::uint64_t *value)
{
    std::uint64_t result = 0;
    int shift = 0;
    std::uint8_t byte;
    do {
        byte = std::uint8_t(*in++);
        result |= std::uint64_t(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    *value = result;
    return in;
}

// A rowid may be negative: zigzag keeps small magnitudes short.
std::uint64_t zigzag(std::int64_t value)
{
    return (std::uint64_t(value) << 1) ^ std::uint64_t(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value)
{
    return std::int64_t(value >> 1) ^ -std::int64_t(value & 1);
}

// A cell's length field: 0 for NULL, else the text's length plus one.
std::uint64_t lengthField(const ResultSet::CellText &text)
{
    return text ? std::uint64_t(text->size()) + 1 : 0;
}

} // namespace

void ResultSet::BlockDeleter::operator()(char *bytes) const
{
    freeLargePageMemory(bytes, size);
}

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

const char *ResultSet::cellStart(int row, int column) const
{
    const char *p = m_rows[std::size_t(row)];
    std::uint64_t field;
    if (m_keyKind == RowKeyKind::Rowid)
        p = readVarint(p, &field);
    for (int c = 0; c < column; ++c) {
        p = readVarint(p, &field);
        if (field > 0)
            p += field - 1;
    }
    return p;
}

bool ResultSet::isNull(int row, int column) const
{
    return *cellStart(row, column) == 0;
}

std::string_view ResultSet::cell(int row, int column) const
{
    std::uint64_t field;
    const char *text = readVarint(cellStart(row, column), &field);
    if (field == 0)
        return {};
    return std::string_view(text, std::size_t(field - 1));
}

void ResultSet::cells(int row, std::span<const int> columns, std::span<std::string_view> texts) const
{
    const char *p = m_rows[std::size_t(row)];
    std::uint64_t field;
    if (m_keyKind == RowKeyKind::Rowid)
        p = readVarint(p, &field);
    int column = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        texts[i] = {};
        if (columns[i] < 0)
            continue;
        for (; column <= columns[i]; ++column) {
            const char *text = readVarint(p, &field);
            p = field > 0 ? text + (field - 1) : text;
            if (column == columns[i] && field > 0)
                texts[i] = std::string_view(text, std::size_t(field - 1));
        }
    }
}

QString ResultSet::text(int row, int column) const
{
    const std::string_view v = cell(row, column);
    return fromUtf8(v);
}

std::int64_t ResultSet::rowid(int row) const
{
    std::uint64_t field = 0;
    readVarint(m_rows[std::size_t(row)], &field);
    return unzigzag(field);
}

const SqlValue &ResultSet::keyValue(int row, int part) const
{
    return m_keys[std::size_t(row) * std::size_t(m_keyParts) + std::size_t(part)];
}

char *ResultSet::reserveRecord(std::size_t size)
{
    if (!m_blocks.empty() && m_blocks[m_block].size - m_used >= size)
        return m_blocks[m_block].bytes.get() + m_used;
    // The blocks after the one in use hold no rows (they are kept from
    // before a reset): the next one is used if the record fits, otherwise
    // a new block goes in its place.
    const std::size_t next = m_blocks.empty() ? 0 : m_block + 1;
    if (next >= m_blocks.size() || m_blocks[next].size < size) {
        const std::size_t previous = m_blocks.empty() ? 0 : m_blocks[m_block].size;
        const std::size_t blockSize =
            largePageMemorySize(std::max(size, std::clamp(previous * 2, firstBlockSize, largestBlockSize)));
        Block block{BlockBytes(static_cast<char *>(allocateLargePageMemory(blockSize)), BlockDeleter{blockSize}),
                    blockSize};
        m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(next), std::move(block));
    }
    m_block = next;
    m_used = 0;
    return m_blocks[m_block].bytes.get();
}

const char *ResultSet::storeRecord(std::int64_t rowid, std::span<const CellText> cells)
{
    const bool withRowid = m_keyKind == RowKeyKind::Rowid;
    std::size_t size = withRowid ? varintSize(zigzag(rowid)) : 0;
    for (const CellText &text : cells)
        size += varintSize(lengthField(text)) + (text ? text->size() : 0);

    char *const record = reserveRecord(size);
    char *out = record;
    if (withRowid)
        out = writeVarint(out, zigzag(rowid));
    for (const CellText &text : cells) {
        out = writeVarint(out, lengthField(text));
        if (text && !text->empty()) {
            std::memcpy(out, text->data(), text->size());
            out += text->size();
        }
    }
    m_used += size;
    return record;
}

const char *ResultSet::storeRecord(const Row &values)
{
    std::vector<CellText> cells;
    cells.reserve(m_columnCount);
    for (std::size_t column = 0; column < m_columnCount; ++column) {
        const std::optional<std::string> &text = values.cells.at(column);
        cells.push_back(text ? CellText(*text) : std::nullopt);
    }
    return storeRecord(values.rowid, cells);
}

void ResultSet::appendRow(std::int64_t rowid, std::span<const CellText> cells)
{
    m_rows.push_back(storeRecord(rowid, cells));
}

void ResultSet::replaceRow(int row, const Row &values)
{
    std::vector<SqlValue> key = values.key;
    m_rows[std::size_t(row)] = storeRecord(values);
    if (m_keyKind == RowKeyKind::PrimaryKey)
        std::move(key.begin(), key.end(), m_keys.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(m_keyParts)));
}

void ResultSet::stageRow(Row values)
{
    m_stagedRecord = storeRecord(values);
    m_rows.reserve(m_rows.size() + 1);
    if (m_keyKind == RowKeyKind::PrimaryKey)
        m_keys.reserve(m_keys.size() + std::size_t(m_keyParts));
    m_stagedRow = std::move(values);
}

void ResultSet::commitStagedRow() noexcept
{
    // Every container has room reserved by stageRow: nothing allocates.
    m_rows.push_back(m_stagedRecord);
    m_stagedRecord = nullptr;
    if (m_keyKind == RowKeyKind::PrimaryKey)
        std::move(m_stagedRow.key.begin(), m_stagedRow.key.end(), std::back_inserter(m_keys));
    m_stagedRow.key.clear();
}

void ResultSet::removeRow(int row) noexcept
{
    m_rows.erase(m_rows.begin() + row);
    if (m_keyKind == RowKeyKind::PrimaryKey) {
        const auto key = m_keys.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(m_keyParts));
        m_keys.erase(key, key + m_keyParts);
    }
}

void ResultSet::reset(QStringList columns, RowKeyKind keyKind, int keyParts)
{
    m_columns = std::move(columns);
    m_columnCount = std::size_t(m_columns.size());
    m_block = 0;
    m_used = 0;
    m_rows.clear();
    m_keyKind = keyKind;
    m_keyParts = keyKind == RowKeyKind::PrimaryKey ? keyParts : 0;
    m_keys.clear();
    m_stagedRecord = nullptr;
    m_stagedRow = Row();
}
