// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/TableReader.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr unsigned char dataPageType = 0x01;
constexpr unsigned char definitionPageType = 0x02;
constexpr unsigned char usageBitmapPageType = 0x05;

// Where a continued definition page points on, and where its bytes start.
constexpr int nextDefinitionPageOffset = 4;
constexpr int continuedDefinitionStart = 8;
// The definition's length in bytes, its pages joined. With 255 columns
// and 64 indexes, all names at their longest, it stays far below 1 MiB.
constexpr int definitionLengthOffset = 8;
constexpr qint64 maxDefinitionLength = 1 << 20;

// A row's place on its page: the low 13 bits of the offset table entry;
// the bit 0x4000 marks a deleted row.
constexpr int rowOffsetMask = 0x1fff;
constexpr int deletedRowFlag = 0x4000;

// A usage map: its kind, then a start page and a bitmap, or the numbers of
// the bitmap pages that cover the whole file.
constexpr unsigned char inlineMap = 0x00;
constexpr unsigned char bitmapPagesMap = 0x01;
constexpr guint minimumMapSize = 5;

// Access allows 255 columns, 32 indexes per table and names of 64 characters.
constexpr guint maxColumns = 255;
constexpr guint maxIndexes = 64;
constexpr int maxNameBytes = 64 * 2;

// The 12-byte head of a long value (memo, OLE object): length and where
// the bytes are.
constexpr int longValueHeadSize = 12;
constexpr quint32 longValueInline = 0x80000000;
constexpr quint32 longValueOnePage = 0x40000000;
constexpr quint32 longValueLengthMask = 0x3fffffff;

quint16 u16(const unsigned char *bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes + at);
}

quint32 u32(const unsigned char *bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes + at);
}

} // namespace

TableReader::TableReader(MdbHandle *mdb, guint32 pageCount)
    : m_mdb(mdb)
    , m_pageCount(pageCount)
{
}

TableReader::~TableReader()
{
    if (m_table)
        mdb_free_tabledef(m_table);
}

std::unique_ptr<TableReader> TableReader::open(MdbHandle *mdb, guint32 pageCount, guint32 definitionPage)
{
    std::unique_ptr<TableReader> reader(new TableReader(mdb, pageCount));
    if (!reader->readDefinition(definitionPage))
        return nullptr;
    const MdbFormatConstants *fmt = mdb->fmt;
    const auto *definition = reinterpret_cast<const unsigned char *>(reader->m_definition.constData());
    if (!reader->rowPointerValid(u32(definition, fmt->tab_usage_map_offset))
        || !reader->rowPointerValid(u32(definition, fmt->tab_free_map_offset)))
        return nullptr;

    MdbCatalogEntry &entry = reader->m_entry;
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = definitionPage;
    reader->m_table = mdb_read_table(&entry);
    MdbTableDef *table = reader->m_table;
    if (!table || !mdb_read_columns(table) || table->columns->len != table->num_cols || !reader->usageMapValid())
        return nullptr;
    reader->m_fields.resize(table->num_cols);
    reader->rewind();
    return reader;
}

bool TableReader::readDefinition(guint32 definitionPage)
{
    // A definition that outgrows its page goes on at byte 8 of the page
    // whose number its page holds at byte 4, up to the length it states.
    const MdbFormatConstants *fmt = m_mdb->fmt;
    const unsigned char *page = m_mdb->alt_pg_buf;
    QSet<guint32> read;
    qint64 length = -1;
    for (guint32 number = definitionPage; length < 0 || m_definition.size() < length;) {
        if (number == 0 || number >= m_pageCount || read.contains(number)
            || mdb_read_alt_pg(m_mdb, number) != fmt->pg_size || page[0] != definitionPageType)
            return false;
        read.insert(number);
        const int from = m_definition.isEmpty() ? 0 : continuedDefinitionStart;
        m_definition.append(reinterpret_cast<const char *>(page) + from, fmt->pg_size - from);
        if (length < 0)
            length = u32(page, definitionLengthOffset);
        if (length < fmt->tab_cols_start_offset || length > maxDefinitionLength)
            return false;
        number = u32(page, nextDefinitionPageOffset);
    }

    // Every column entry and name must lie within the stated length: a
    // column count that is off would otherwise read names from whatever
    // follows.
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_definition.constData());
    const guint columns = u16(bytes, fmt->tab_num_cols_offset);
    const guint indexes = u32(bytes, fmt->tab_num_ridxs_offset);
    if (columns == 0 || columns > maxColumns || indexes > maxIndexes)
        return false;
    m_columnEntries = fmt->tab_cols_start_offset + int(indexes) * fmt->tab_ridx_entry_size;
    qint64 at = m_columnEntries + qint64(columns) * fmt->tab_col_entry_size;
    for (guint i = 0; i < columns; ++i) {
        if (at + 2 > length)
            return false;
        const int nameBytes = u16(bytes, int(at));
        at += 2 + nameBytes;
        if (nameBytes == 0 || nameBytes > maxNameBytes || at > length)
            return false;
    }
    return true;
}

bool TableReader::rowPointerValid(quint32 pointer)
{
    // A page number above the row's number on that page.
    const guint32 number = pointer >> 8;
    const int row = int(pointer & 0xff);
    const unsigned char *page = m_mdb->alt_pg_buf;
    return number != 0 && number < m_pageCount && mdb_read_alt_pg(m_mdb, number) == m_mdb->fmt->pg_size
        && page[0] == dataPageType && row < u16(page, m_mdb->fmt->row_count_offset);
}

bool TableReader::usageMapValid()
{
    // libmdb would walk a map of another kind, or a missing one, regardless.
    const unsigned char *map = m_table->usage_map;
    if (!map || m_table->map_sz < minimumMapSize)
        return false;
    if (map[0] == inlineMap)
        return true;  // the pages it lists are checked as they are read
    if (map[0] != bitmapPagesMap)
        return false;
    for (size_t i = 0; i < (m_table->map_sz - 1) / 4; ++i) {
        const guint32 bitmapPage = u32(map, int(1 + 4 * i));
        if (bitmapPage != 0
            && (bitmapPage >= m_pageCount || mdb_read_alt_pg(m_mdb, bitmapPage) != m_mdb->fmt->pg_size
                || m_mdb->alt_pg_buf[0] != usageBitmapPageType))
            return false;
    }
    return true;
}

const unsigned char *TableReader::columnEntry(int i) const
{
    return reinterpret_cast<const unsigned char *>(m_definition.constData()) + m_columnEntries
        + i * m_mdb->fmt->tab_col_entry_size;
}

bool TableReader::ownPage() const
{
    return m_mdb->pg_buf[0] == dataPageType && u32(m_mdb->pg_buf, 4) == m_entry.table_pg;
}

// Loads the table's next data page as its usage map lists them. A page the
// file does not have is damage: libmdb would read it as zeros.
bool TableReader::nextPage(bool *end)
{
    const gint32 next = mdb_map_find_next(m_mdb, m_table->usage_map, guint(m_table->map_sz), m_page);
    *end = next == 0;
    if (next == 0)
        return true;
    if (next < 0 || guint32(next) <= m_page || guint32(next) >= m_pageCount
        || mdb_read_pg(m_mdb, gulong(next)) != m_mdb->fmt->pg_size)
        return false;
    m_page = guint32(next);
    m_nextRow = 0;
    // A page the map lists for another owner holds none of this table's rows.
    if (!ownPage()) {
        m_otherOwnersListed = true;
        m_rowsOnPage = 0;
        return true;
    }
    m_pagesRead.insert(m_page);
    m_rowsOnPage = u16(m_mdb->pg_buf, m_mdb->fmt->row_count_offset);
    return m_mdb->fmt->row_count_offset + 2 + 2 * m_rowsOnPage <= m_mdb->fmt->pg_size;
}

void TableReader::rewind()
{
    m_page = 0;
    m_pagesRead.clear();
    m_otherOwnersListed = false;
    m_rowsOnPage = 0;
    m_nextRow = 0;
    m_onRow = false;
}

TableReader::Fetch TableReader::fetchRow()
{
    m_onRow = false;
    for (;;) {
        if (m_nextRow >= m_rowsOnPage) {
            bool end = false;
            if (!nextPage(&end))
                return Fetch::Damaged;
            if (end)
                return Fetch::End;
            continue;
        }
        const int row = m_nextRow++;
        const int offset = u16(m_mdb->pg_buf, m_mdb->fmt->row_count_offset + 2 + 2 * row);
        if (offset & deletedRowFlag)
            continue;
        // Every row that is not deleted must be read whole: the row count the
        // file keeps may be stale, so it cannot tell a row that was skipped.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(m_mdb, row, &start, &size) != 0 || size == 0)
            return Fetch::Damaged;
        start &= rowOffsetMask;
        if (mdb_crack_row(m_table, start, size, m_fields.data()) < 0)
            return Fetch::Damaged;
        m_onRow = true;
        return Fetch::Row;
    }
}

bool TableReader::everyRowListed()
{
    m_onRow = false;
    if (m_otherOwnersListed)
        return false;
    const MdbFormatConstants *fmt = m_mdb->fmt;
    for (guint32 page = 1; page < m_pageCount; ++page) {
        if (m_pagesRead.contains(page) || mdb_read_pg(m_mdb, page) != fmt->pg_size || !ownPage())
            continue;
        const int rows = u16(m_mdb->pg_buf, fmt->row_count_offset);
        for (int row = 0; row < rows && fmt->row_count_offset + 4 + 2 * row <= fmt->pg_size; ++row) {
            if (!(u16(m_mdb->pg_buf, fmt->row_count_offset + 2 + 2 * row) & deletedRowFlag))
                return false;
        }
    }
    return true;
}

std::optional<Bytes> TableReader::valueBytes(int column) const
{
    const MdbField &field = m_fields[size_t(column)];
    if (!m_onRow || field.start < 0 || field.siz < 0 || field.start + field.siz > m_mdb->fmt->pg_size)
        return std::nullopt;
    return Bytes(m_mdb->pg_buf + field.start, size_t(field.siz));
}

bool TableReader::appendLongValueRow(quint32 pageRow, bool chained, QByteArray *bytes, quint32 *next) const
{
    if ((pageRow >> 8) == 0 || (pageRow >> 8) >= m_pageCount)
        return false;
    void *page = nullptr;
    int start = 0;
    size_t length = 0;
    if (mdb_find_pg_row(m_mdb, int(pageRow), &page, &start, &length) != 0 || !page)
        return false;
    const auto *pageBytes = static_cast<const unsigned char *>(page);
    // A long-value page is a data page marked "LVAL" in place of its table.
    if (pageBytes[0] != dataPageType || std::memcmp(pageBytes + 4, "LVAL", 4) != 0
        || int(pageRow & 0xff) >= u16(pageBytes, m_mdb->fmt->row_count_offset))
        return false;
    if (start < 0 || size_t(start) + length > size_t(m_mdb->fmt->pg_size))
        return false;
    const unsigned char *row = pageBytes + start;
    if (chained) {
        if (length < 4)
            return false;
        *next = qFromLittleEndian<quint32>(row);
        row += 4;
        length -= 4;
    }
    bytes->append(reinterpret_cast<const char *>(row), qsizetype(length));
    return true;
}

bool TableReader::readLongValue(Bytes head, QByteArray *bytes) const
{
    if (head.size() < size_t(longValueHeadSize))
        return false;
    const quint32 word = qFromLittleEndian<quint32>(head.data());
    const quint32 length = word & longValueLengthMask;
    const quint32 pageRow = qFromLittleEndian<quint32>(head.data() + 4);
    // No value is longer than the file that holds it.
    if (qint64(length) > qint64(m_pageCount) * m_mdb->fmt->pg_size)
        return false;
    // The head's length is the value's; a place that holds less is damaged.
    if (word & longValueInline) {
        if (head.size() - longValueHeadSize < length)
            return false;
        bytes->append(reinterpret_cast<const char *>(head.data() + longValueHeadSize), qsizetype(length));
        return true;
    }
    if (word & longValueOnePage) {
        quint32 unused = 0;
        if (!appendLongValueRow(pageRow, false, bytes, &unused) || quint32(bytes->size()) < length)
            return false;
        bytes->truncate(length);
        return true;
    }
    // Several long-value rows, each leading with the place of the next. A
    // chain that comes back to a row it passed would never end.
    bytes->reserve(length);
    QSet<quint32> visited;
    quint32 next = pageRow;
    while (next != 0 && quint32(bytes->size()) < length) {
        if (visited.contains(next))
            return false;
        visited.insert(next);
        if (!appendLongValueRow(next, true, bytes, &next))
            return false;
    }
    if (quint32(bytes->size()) < length)
        return false;
    bytes->truncate(length);
    return true;
}
