// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/AccessTable.h"

#include "access/JetValues.h"
#include "db/RegisterValueText.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include <mdbtools.h>

namespace {

// A row's place on its page: the low 13 bits of the offset table entry;
// the bit 0x4000 marks a deleted row.
constexpr int rowOffsetMask = 0x1fff;
constexpr int deletedRowFlag = 0x4000;

// The 12-byte head of a memo value: length and where the text is.
constexpr int memoHeadSize = 12;
constexpr quint32 memoInline = 0x80000000;
constexpr quint32 memoOnePage = 0x40000000;
constexpr quint32 memoLengthMask = 0x3fffffff;

// Access 2010 marks a calculated column in the byte after the column's flags.
constexpr unsigned char calculatedColumnFlags = 0xc0;

// Access allows 255 columns and 32 indexes per table.
constexpr guint maxColumns = 255;
constexpr guint maxIndexes = 64;

// Large Number (Access 2016), unknown to this libmdb.
constexpr int largeNumberType = 0x13;

using Bytes = std::span<const unsigned char>;

AccessColumnType columnType(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
        return AccessColumnType::YesNo;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case largeNumberType:
        return AccessColumnType::Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return AccessColumnType::Real;
    case MDB_MONEY:
        return AccessColumnType::Currency;
    case MDB_DATETIME:
        return AccessColumnType::DateTime;
    case MDB_TEXT:
        return AccessColumnType::Text;
    case MDB_MEMO:
        return AccessColumnType::Memo;
    case MDB_NUMERIC:
        return AccessColumnType::Decimal;
    case MDB_REPID:
        return AccessColumnType::Guid;
    default:
        return AccessColumnType::Other;
    }
}

// The stored size of a fixed-size value, 0 for the others.
int fixedSize(int mdbType)
{
    switch (mdbType) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_DATETIME:
    case largeNumberType:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

// The integer in `bytes`, a value of one of the integer types.
std::optional<qint64> integerValue(int mdbType, Bytes bytes)
{
    if (bytes.size() != size_t(fixedSize(mdbType)))
        return std::nullopt;
    switch (mdbType) {
    case MDB_BYTE:
        return qint64(bytes[0]);
    case MDB_INT:
        return qint64(qFromLittleEndian<qint16>(bytes.data()));
    case MDB_LONGINT:
        return qint64(qFromLittleEndian<qint32>(bytes.data()));
    case largeNumberType:
        return qFromLittleEndian<qint64>(bytes.data());
    default:
        return std::nullopt;
    }
}

// The text of a value stored whole in `bytes` (a memo's characters, not
// its head). A calculated column's Decimal carries its own scale and its
// Yes/No is a byte of its own.
std::optional<QString> valueText(int mdbType, Bytes bytes, int scale, bool calculated, const RegionalFormats &formats)
{
    const int expected = fixedSize(mdbType);
    if (expected != 0 && !(calculated && mdbType == MDB_NUMERIC) && bytes.size() != size_t(expected))
        return std::nullopt;
    switch (mdbType) {
    case MDB_BOOL:
        if (bytes.empty())
            return std::nullopt;
        return yesNoText(bytes[0] != 0);
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case largeNumberType:
        return plainNumberText(*integerValue(mdbType, bytes));
    case MDB_FLOAT:
        return plainNumberText(qFromLittleEndian<float>(bytes.data()));
    case MDB_DOUBLE:
        return plainNumberText(qFromLittleEndian<double>(bytes.data()));
    case MDB_MONEY:
        return currencyText(qFromLittleEndian<qint64>(bytes.data()));
    case MDB_DATETIME:
        return dateTimeText(qFromLittleEndian<double>(bytes.data()), formats);
    case MDB_TEXT:
    case MDB_MEMO:
        return jetText(bytes.data(), qsizetype(bytes.size()));
    case MDB_NUMERIC:
        return calculated ? calculatedDecimalText(bytes) : decimalText(bytes, scale);
    case MDB_REPID:
        return guidText(bytes);
    default:
        return std::nullopt;
    }
}

// Whether the catalog read has every object the file counts: a table that
// is not found in a catalog cut short may still be there.
bool catalogComplete(MdbHandle *mdb, guint found)
{
    // The catalog is the system table whose definition is on page 2.
    MdbCatalogEntry objects {};
    objects.mdb = mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    MdbTableDef *table = mdb_read_table(&objects);
    if (!table)
        return false;
    const guint counted = table->num_rows;
    mdb_free_tabledef(table);
    // A file that was not closed properly may count none.
    return counted == 0 || counted == found;
}

// While it lives, what libmdb prints on stderr goes nowhere: its warnings
// about a damaged file mean nothing to a landlord, who gets one reason
// instead. Writes to the descriptor itself (a sanitizer's report) still
// reach the terminal.
class LibraryWarningsSilenced {
public:
    LibraryWarningsSilenced()
        : m_saved(stderr)
        , m_nowhere(std::fopen("/dev/null", "we"))
    {
        if (m_nowhere)
            stderr = m_nowhere;
    }
    ~LibraryWarningsSilenced()
    {
        stderr = m_saved;
        if (m_nowhere)
            std::fclose(m_nowhere);
    }
    LibraryWarningsSilenced(const LibraryWarningsSilenced &) = delete;
    LibraryWarningsSilenced &operator=(const LibraryWarningsSilenced &) = delete;

private:
    FILE *m_saved;
    FILE *m_nowhere;
};

} // namespace

struct AccessTable::Private {
    // Declared first, so that it outlives every libmdb call below.
    LibraryWarningsSilenced silenced;
    MdbHandle *mdb = nullptr;
    MdbTableDef *table = nullptr;
    qint64 fileSize = 0;
    QList<AccessColumn> columns;
    std::vector<int> types;  // per column: the libmdb type its values have
    std::vector<MdbField> fields;
    guint32 page = 0;        // the data page in pg_buf; 0 before the first
    QSet<guint32> pagesRead;
    bool otherOwnersListed = false;
    int rowsOnPage = 0;
    int nextRow = 0;
    bool onRow = false;

    ~Private()
    {
        if (table)
            mdb_free_tabledef(table);
        if (mdb)
            mdb_close(mdb);
    }

    MdbColumn *column(int i) const { return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i)); }

    // The first `size` bytes of the table's definition; empty when the file
    // does not hold them.
    QByteArray definitionBytes(int size) const;
    bool describeColumns();
    bool nextPage(bool *end);
    // Whether the page in pg_buf is one of the table's data pages.
    bool ownPage() const
    {
        return mdb->pg_buf[0] == MDB_PAGE_DATA && guint32(mdb_get_int32(mdb->pg_buf, 4)) == table->entry->table_pg;
    }
    // The bytes of column `i` in the current row, checked to lie on the page.
    std::optional<Bytes> valueBytes(int i) const
    {
        const MdbField &field = fields[size_t(i)];
        if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb->fmt->pg_size)
            return std::nullopt;
        return Bytes(mdb->pg_buf + field.start, size_t(field.siz));
    }
    bool readMemo(Bytes head, QByteArray *bytes) const;
    bool appendLongValueRow(quint32 pageRow, bool chained, QByteArray *bytes, quint32 *next) const;
};

QByteArray AccessTable::Private::definitionBytes(int size) const
{
    // A definition that outgrows its page goes on at byte 8 of the page
    // whose number its page holds at byte 4.
    QByteArray definition;
    QSet<guint32> read;
    for (guint32 page = table->entry->table_pg; definition.size() < size;) {
        if (read.contains(page) || mdb_read_pg(mdb, page) != mdb->fmt->pg_size)
            return {};
        read.insert(page);
        const int from = definition.isEmpty() ? 0 : 8;
        definition.append(reinterpret_cast<const char *>(mdb->pg_buf) + from, mdb->fmt->pg_size - from);
        page = guint32(mdb_get_int32(mdb->pg_buf, 4));
    }
    return definition;
}

bool AccessTable::Private::describeColumns()
{
    const MdbFormatConstants *fmt = mdb->fmt;
    if (table->num_cols > maxColumns || table->num_real_idxs > maxIndexes)
        return false;
    // libmdb does not keep the byte that marks a calculated column: read the
    // column entries of the definition once more.
    const int entriesStart = fmt->tab_cols_start_offset + int(table->num_real_idxs) * fmt->tab_ridx_entry_size;
    const QByteArray definition = definitionBytes(entriesStart + int(table->num_cols) * fmt->tab_col_entry_size);
    if (definition.isEmpty())
        return false;
    QList<bool> matched(table->num_cols, false);

    for (guint i = 0; i < table->num_cols; ++i) {
        const MdbColumn *described = column(int(i));
        AccessColumn access;
        access.name = QString::fromUtf8(described->name);
        access.autoNumber = described->col_type == MDB_LONGINT && described->is_long_auto;
        for (guint e = 0; e < table->num_cols; ++e) {
            const auto *entry = reinterpret_cast<const unsigned char *>(definition.constData()) + entriesStart
                + int(e) * fmt->tab_col_entry_size;
            if (matched[e] || entry[fmt->col_num_offset] != described->col_num
                || mdb_get_int16(const_cast<unsigned char *>(entry), fmt->tab_col_offset_var) != int(described->var_col_num)
                || mdb_get_int16(const_cast<unsigned char *>(entry), fmt->tab_row_col_num_offset) != described->row_col_num)
                continue;
            matched[e] = true;
            access.calculated = (entry[fmt->col_flags_offset + 1] & calculatedColumnFlags) == calculatedColumnFlags;
            break;
        }
        int type = described->col_type;
        // The column's definition may name another type than its result's,
        // which Access keeps among the column's properties.
        if (access.calculated) {
            bool known = false;
            const int result = QByteArray(mdb_col_get_prop(described, "ResultType")).toInt(&known);
            if (known && result != 0)
                type = result;
            access.autoNumber = false;
        }
        access.type = columnType(type);
        types.push_back(type);
        columns << access;
    }
    return true;
}

bool AccessTable::Private::appendLongValueRow(quint32 pageRow, bool chained, QByteArray *bytes, quint32 *next) const
{
    void *page = nullptr;
    int start = 0;
    size_t length = 0;
    if (mdb_find_pg_row(mdb, int(pageRow), &page, &start, &length) != 0 || !page)
        return false;
    const auto *pageBytes = static_cast<const unsigned char *>(page);
    // A long-value page is a data page marked "LVAL" in place of its table.
    if (pageBytes[0] != MDB_PAGE_DATA || std::memcmp(pageBytes + 4, "LVAL", 4) != 0)
        return false;
    if (start < 0 || size_t(start) + length > size_t(mdb->fmt->pg_size))
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

bool AccessTable::Private::readMemo(Bytes head, QByteArray *bytes) const
{
    if (head.size() < size_t(memoHeadSize))
        return false;
    const quint32 word = qFromLittleEndian<quint32>(head.data());
    const quint32 length = word & memoLengthMask;
    const quint32 pageRow = qFromLittleEndian<quint32>(head.data() + 4);
    // No value is longer than the file that holds it.
    if (length > fileSize)
        return false;
    // The head's length is the memo's; a place that holds less is damaged.
    if (word & memoInline) {
        if (head.size() - memoHeadSize < length)
            return false;
        bytes->append(reinterpret_cast<const char *>(head.data() + memoHeadSize), qsizetype(length));
        return true;
    }
    if (word & memoOnePage) {
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

// Loads the table's next data page as its usage map lists them. A map of
// an unknown kind, or one that lists a page the file does not have, is
// damage: libmdb would guess at pages instead.
bool AccessTable::Private::nextPage(bool *end)
{
    const gint32 next = mdb_map_find_next(mdb, table->usage_map, guint(table->map_sz), page);
    *end = next == 0;
    if (next == 0)
        return true;
    if (next < 0 || guint32(next) <= page || mdb_read_pg(mdb, gulong(next)) != mdb->fmt->pg_size)
        return false;
    page = guint32(next);
    // A page the map lists for another owner holds none of this table's rows.
    if (!ownPage()) {
        otherOwnersListed = true;
        rowsOnPage = 0;
    } else {
        pagesRead.insert(page);
        rowsOnPage = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        if (mdb->fmt->row_count_offset + 2 + 2 * rowsOnPage > mdb->fmt->pg_size)
            return false;
    }
    nextRow = 0;
    return true;
}

AccessTable::AccessTable()
    : d(std::make_unique<Private>())
{
}

AccessTable::~AccessTable() = default;

std::unique_ptr<AccessTable> AccessTable::open(const QString &path, const QString &tableName,
                                               AccessReadFailure *failure)
{
    auto fail = [failure](AccessReadFailure why) {
        *failure = why;
        return nullptr;
    };
    *failure = AccessReadFailure::None;
    if (QFile file(path); !file.open(QIODevice::ReadOnly))
        return fail(AccessReadFailure::CannotOpen);

    std::unique_ptr<AccessTable> table(new AccessTable);
    Private &d = *table->d;
    d.fileSize = QFileInfo(path).size();
    d.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d.mdb)
        return fail(AccessReadFailure::NotAccess);
    // Access 97 keeps text in the code page of the machine that wrote it.
    if (d.mdb->f->jet_version == MDB_VER_JET3)
        return fail(AccessReadFailure::UnsupportedVersion);
    // An Access file is whole pages; anything else was cut short.
    if (d.fileSize % d.mdb->fmt->pg_size != 0)
        return fail(AccessReadFailure::Damaged);

    GPtrArray *catalog = mdb_read_catalog(d.mdb, MDB_ANY);
    if (!catalog || !catalogComplete(d.mdb, catalog->len))
        return fail(AccessReadFailure::Damaged);
    MdbCatalogEntry *entry = nullptr;
    for (guint i = 0; i < catalog->len && !entry; ++i) {
        auto *candidate = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
        if (candidate->object_type == MDB_TABLE
            && QString::fromUtf8(candidate->object_name).compare(tableName, Qt::CaseInsensitive) == 0)
            entry = candidate;
    }
    if (!entry)
        return fail(AccessReadFailure::NoSuchTable);
    d.table = mdb_read_table(entry);
    // A usage map that is not there would be read through a null pointer.
    if (!d.table || !d.table->usage_map || d.table->map_sz < 1)
        return fail(AccessReadFailure::Damaged);
    if (!mdb_read_columns(d.table) || d.table->columns->len != d.table->num_cols || !d.describeColumns())
        return fail(AccessReadFailure::Damaged);
    d.fields.resize(qMax<size_t>(d.table->num_cols, 1));
    table->rewind();
    return table;
}

const QList<AccessColumn> &AccessTable::columns() const
{
    return d->columns;
}

qint64 AccessTable::declaredRowCount() const
{
    return d->table->num_rows;
}

void AccessTable::rewind()
{
    d->page = 0;
    d->pagesRead.clear();
    d->otherOwnersListed = false;
    d->rowsOnPage = 0;
    d->nextRow = 0;
    d->onRow = false;
}

AccessTable::Fetch AccessTable::fetchRow()
{
    d->onRow = false;
    for (;;) {
        if (d->nextRow >= d->rowsOnPage) {
            bool end = false;
            if (!d->nextPage(&end))
                return Fetch::Damaged;
            if (end)
                return Fetch::End;
            continue;
        }
        const int row = d->nextRow++;
        const int offset = mdb_get_int16(d->mdb->pg_buf, d->mdb->fmt->row_count_offset + 2 + 2 * row);
        if (offset & deletedRowFlag)
            continue;
        // Every row that is not deleted must be read whole: the row count the
        // file keeps may be stale, so it cannot tell a row that was skipped.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(d->mdb, row, &start, &size) != 0 || size == 0)
            return Fetch::Damaged;
        start &= rowOffsetMask;
        if (mdb_crack_row(d->table, start, size, d->fields.data()) < 0)
            return Fetch::Damaged;
        d->onRow = true;
        return Fetch::Row;
    }
}

bool AccessTable::everyRowListed()
{
    if (d->otherOwnersListed)
        return false;
    const guint32 pages = guint32(d->fileSize / d->mdb->fmt->pg_size);
    for (guint32 page = 1; page < pages; ++page) {
        if (d->pagesRead.contains(page) || mdb_read_pg(d->mdb, page) != d->mdb->fmt->pg_size || !d->ownPage())
            continue;
        const int rows = mdb_get_int16(d->mdb->pg_buf, d->mdb->fmt->row_count_offset);
        for (int row = 0; row < rows && d->mdb->fmt->row_count_offset + 4 + 2 * row <= d->mdb->fmt->pg_size; ++row) {
            if (!(mdb_get_int16(d->mdb->pg_buf, d->mdb->fmt->row_count_offset + 2 + 2 * row) & deletedRowFlag))
                return false;
        }
    }
    d->onRow = false;
    return true;
}

std::optional<qint64> AccessTable::integer(int column, bool *damaged)
{
    if (!d->onRow || d->fields[size_t(column)].is_null)
        return std::nullopt;
    const std::optional<Bytes> bytes = d->valueBytes(column);
    std::optional<qint64> value = bytes ? integerValue(d->types[size_t(column)], *bytes) : std::nullopt;
    if (!value)
        *damaged = true;
    return value;
}

std::optional<QString> AccessTable::text(int column, const RegionalFormats &formats, ValueProblem *problem)
{
    const MdbColumn *described = d->column(column);
    const MdbField &field = d->fields[size_t(column)];
    const bool calculated = d->columns[column].calculated;
    const int type = d->types[size_t(column)];
    if (!d->onRow)
        return std::nullopt;
    // A Yes/No value lives in the row's NULL marks: set is Yes.
    if (type == MDB_BOOL && !calculated)
        return yesNoText(!field.is_null);
    if (field.is_null)
        return std::nullopt;

    std::optional<Bytes> bytes = d->valueBytes(column);
    QByteArray memo;
    if (bytes && type == MDB_MEMO) {
        if (d->readMemo(*bytes, &memo))
            bytes = Bytes(reinterpret_cast<const unsigned char *>(memo.constData()), size_t(memo.size()));
        else
            bytes.reset();
    }
    if (!bytes) {
        *problem = ValueProblem::Damaged;
        return std::nullopt;
    }
    // A calculated value is wrapped; what is inside is the result's type.
    if (calculated) {
        const auto inner = unwrappedCalculatedValue(*bytes);
        std::optional<QString> text = inner ? valueText(type, *inner, 0, true, formats) : std::nullopt;
        if (!text)
            *problem = ValueProblem::CalculatedValueUnusable;
        return text;
    }
    // libmdb keeps a Decimal's scale under the name of its precision.
    std::optional<QString> text = valueText(type, *bytes, described->col_prec, false, formats);
    if (!text)
        *problem = ValueProblem::Damaged;
    return text;
}
