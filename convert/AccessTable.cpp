#include "convert/AccessTable.h"

#include "convert/JetValues.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>
#include <vector>

#include <mdbtools.h>

namespace {

// A row's place on its page: the low 13 bits of the offset table entry.
constexpr int rowOffsetMask = 0x1fff;

// The 12-byte head of a memo value: length and where the text is.
constexpr int memoHeadSize = 12;
constexpr quint32 memoInline = 0x80000000;
constexpr quint32 memoOnePage = 0x40000000;
constexpr quint32 memoLengthMask = 0x3fffffff;

AccessColumnType columnType(const MdbColumn *column)
{
    switch (column->col_type) {
    case MDB_BOOL:
        return AccessColumnType::YesNo;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
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
        return 8;
    default:
        return 0;
    }
}

template <typename T>
T littleEndian(const unsigned char *bytes)
{
    return qFromLittleEndian<T>(bytes);
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

} // namespace

struct AccessTable::Private {
    MdbHandle *mdb = nullptr;
    MdbTableDef *table = nullptr;
    QList<AccessColumn> columns;
    std::vector<MdbField> fields;
    bool onRow = false;

    ~Private()
    {
        if (table)
            mdb_free_tabledef(table);
        if (mdb)
            mdb_close(mdb);
    }

    MdbColumn *column(int i) const { return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i)); }

    // The bytes of column `i` in the current row, checked to lie on the page.
    const unsigned char *valueBytes(int i, int *size, bool *damaged) const
    {
        const MdbField &field = fields[size_t(i)];
        if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb->fmt->pg_size) {
            *damaged = true;
            return nullptr;
        }
        *size = field.siz;
        return mdb->pg_buf + field.start;
    }

    bool readMemo(const unsigned char *head, int size, QByteArray *bytes) const;
    bool appendLongValueRow(quint32 pageRow, bool chained, QByteArray *bytes, quint32 *next) const;
};

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
        *next = littleEndian<quint32>(row);
        row += 4;
        length -= 4;
    }
    bytes->append(reinterpret_cast<const char *>(row), qsizetype(length));
    return true;
}

bool AccessTable::Private::readMemo(const unsigned char *head, int size, QByteArray *bytes) const
{
    if (size < memoHeadSize)
        return false;
    const quint32 word = littleEndian<quint32>(head);
    const quint32 length = word & memoLengthMask;
    const quint32 pageRow = littleEndian<quint32>(head + 4);
    // The head's length is the memo's; a place that holds less is damaged.
    if (word & memoInline) {
        if (quint32(size - memoHeadSize) < length)
            return false;
        bytes->append(reinterpret_cast<const char *>(head + memoHeadSize), qsizetype(length));
        return true;
    }
    if (word & memoOnePage) {
        quint32 unused = 0;
        if (!appendLongValueRow(pageRow, false, bytes, &unused) || quint32(bytes->size()) < length)
            return false;
        bytes->truncate(length);
        return true;
    }
    // Several long-value rows, each leading with the place of the next.
    bytes->reserve(length);
    quint32 next = pageRow;
    while (next != 0 && quint32(bytes->size()) < length) {
        if (!appendLongValueRow(next, true, bytes, &next))
            return false;
    }
    if (quint32(bytes->size()) < length)
        return false;
    bytes->truncate(length);
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
    d.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d.mdb)
        return fail(AccessReadFailure::NotAccess);
    // Access 97 keeps text in the code page of the machine that wrote it.
    if (d.mdb->f->jet_version == MDB_VER_JET3)
        return fail(AccessReadFailure::UnsupportedVersion);
    // An Access file is whole pages; anything else was cut short.
    if (QFileInfo(path).size() % d.mdb->fmt->pg_size != 0)
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
    if (!d.table || !mdb_read_columns(d.table) || d.table->columns->len != d.table->num_cols)
        return fail(AccessReadFailure::Damaged);

    for (guint i = 0; i < d.table->num_cols; ++i) {
        const MdbColumn *column = d.column(int(i));
        AccessColumn described;
        described.name = QString::fromUtf8(column->name);
        described.type = columnType(column);
        described.autoNumber = column->col_type == MDB_LONGINT && column->is_long_auto;
        d.columns << described;
    }
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
    mdb_rewind_table(d->table);
    d->onRow = false;
}

AccessTable::Fetch AccessTable::fetchRow()
{
    d->onRow = false;
    if (!mdb_fetch_row(d->table))
        return Fetch::End;
    // libmdb hands values out as formatted strings; the raw values and their
    // NULL marks come from taking the row it just read apart once more.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(d->mdb, int(d->table->cur_row) - 1, &start, &size) != 0)
        return Fetch::Damaged;
    start &= rowOffsetMask;
    if (mdb_crack_row(d->table, start, size, d->fields.data()) < 0)
        return Fetch::Damaged;
    d->onRow = true;
    return Fetch::Row;
}

std::optional<qint64> AccessTable::integer(int column, bool *damaged)
{
    const MdbColumn *described = d->column(column);
    if (!d->onRow || d->fields[size_t(column)].is_null)
        return std::nullopt;
    int size = 0;
    const unsigned char *bytes = d->valueBytes(column, &size, damaged);
    if (!bytes || size != fixedSize(described->col_type)) {
        *damaged = true;
        return std::nullopt;
    }
    switch (described->col_type) {
    case MDB_BYTE:
        return qint64(bytes[0]);
    case MDB_INT:
        return qint64(littleEndian<qint16>(bytes));
    case MDB_LONGINT:
        return qint64(littleEndian<qint32>(bytes));
    default:
        *damaged = true;
        return std::nullopt;
    }
}

std::optional<QString> AccessTable::text(int column, const RegionalFormats &formats, bool *damaged)
{
    const MdbColumn *described = d->column(column);
    const MdbField &field = d->fields[size_t(column)];
    if (!d->onRow)
        return std::nullopt;
    // A Yes/No value lives in the row's NULL marks: set is Yes.
    if (described->col_type == MDB_BOOL)
        return yesNoText(!field.is_null);
    if (field.is_null)
        return std::nullopt;

    int size = 0;
    const unsigned char *bytes = d->valueBytes(column, &size, damaged);
    if (!bytes)
        return std::nullopt;
    const int expected = fixedSize(described->col_type);
    if (expected != 0 && size != expected) {
        *damaged = true;
        return std::nullopt;
    }
    switch (described->col_type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return plainNumberText(*integer(column, damaged));
    case MDB_FLOAT:
        return plainNumberText(littleEndian<float>(bytes));
    case MDB_DOUBLE:
        return plainNumberText(littleEndian<double>(bytes));
    case MDB_MONEY:
        return currencyText(littleEndian<qint64>(bytes));
    case MDB_DATETIME:
        if (auto date = dateTimeText(littleEndian<double>(bytes), formats))
            return date;
        *damaged = true;
        return std::nullopt;
    case MDB_TEXT:
        return jetText(bytes, size);
    case MDB_MEMO: {
        QByteArray memo;
        if (!d->readMemo(bytes, size, &memo)) {
            *damaged = true;
            return std::nullopt;
        }
        return jetText(reinterpret_cast<const unsigned char *>(memo.constData()), memo.size());
    }
    default:
        return std::nullopt;
    }
}
