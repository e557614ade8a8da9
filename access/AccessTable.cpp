// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/AccessTable.h"

#include "access/JetProperties.h"
#include "access/JetValues.h"
#include "access/TableReader.h"
#include "db/RegisterValueText.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Access 2010 marks a calculated column in the byte after the column's flags.
constexpr unsigned char calculatedColumnFlags = 0xc0;

// Large Number (Access 2016) and Date/Time Extended (Access 2019), unknown
// to this libmdb.
constexpr int largeNumberType = 0x13;
constexpr int extendedDateTimeType = 0x14;

// The catalog is the system table whose definition is on page 2; a table's
// row there holds its definition's page in the low 24 bits of its Id.
constexpr guint32 catalogPage = 2;
constexpr quint32 catalogPageMask = 0x00ffffff;
constexpr int catalogTypeMask = 0x7f;

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
    case extendedDateTimeType:
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
    case extendedDateTimeType:
        return extendedDateTimeSize;
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
    case extendedDateTimeType:
        return extendedDateTimeText(bytes, formats);
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

// Where a table is, as the catalog says.
struct CatalogEntry {
    guint32 definitionPage = 0;
    // Its properties (LvProp) as the catalog's row holds them: the head of
    // a long value; empty when it has none.
    QByteArray properties;
};

enum class CatalogSearch { Found, NotFound, Damaged };

// The column of the catalog named `name`, or -1.
int catalogColumn(const TableReader &catalog, const char *name)
{
    for (int i = 0; i < catalog.columnCount(); ++i) {
        if (std::strcmp(catalog.column(i)->name, name) == 0)
            return i;
    }
    return -1;
}

// Looks up the table `name` (letter case ignored, as Access does) in the
// catalog, which is read whole as any table is: libmdb's own reading of
// it follows its maps and property blocks unchecked. A catalog whose row
// count is stale is whole when every row its pages hold was read.
CatalogSearch findTable(TableReader &catalog, const QString &name, CatalogEntry *found)
{
    const int id = catalogColumn(catalog, "Id");
    const int objectName = catalogColumn(catalog, "Name");
    const int type = catalogColumn(catalog, "Type");
    const int properties = catalogColumn(catalog, "LvProp");
    if (id < 0 || objectName < 0 || type < 0 || properties < 0 || catalog.column(id)->col_type != MDB_LONGINT
        || catalog.column(type)->col_type != MDB_INT || catalog.column(objectName)->col_type != MDB_TEXT)
        return CatalogSearch::Damaged;
    qint64 rows = 0;
    bool matched = false;
    for (;;) {
        const TableReader::Fetch fetched = catalog.fetchRow();
        if (fetched == TableReader::Fetch::Damaged)
            return CatalogSearch::Damaged;
        if (fetched == TableReader::Fetch::End)
            break;
        ++rows;
        if (matched || catalog.isNull(type) || catalog.isNull(objectName) || catalog.isNull(id))
            continue;
        const auto typeBytes = catalog.valueBytes(type);
        const auto nameBytes = catalog.valueBytes(objectName);
        const auto idBytes = catalog.valueBytes(id);
        const auto objectType = typeBytes ? integerValue(MDB_INT, *typeBytes) : std::nullopt;
        const auto definition = idBytes ? integerValue(MDB_LONGINT, *idBytes) : std::nullopt;
        if (!objectType || !nameBytes || !definition)
            return CatalogSearch::Damaged;
        if ((*objectType & catalogTypeMask) != MDB_TABLE
            || jetText(nameBytes->data(), qsizetype(nameBytes->size())).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        matched = true;
        found->definitionPage = guint32(*definition) & catalogPageMask;
        // Read only when a calculated column needs them: damage in what else
        // they hold (captions, formats) keeps no row from being read.
        if (const auto head = catalog.valueBytes(properties); head && !catalog.isNull(properties))
            found->properties = QByteArray(reinterpret_cast<const char *>(head->data()), qsizetype(head->size()));
    }
    if (rows != catalog.declaredRowCount() && !catalog.everyRowListed())
        return CatalogSearch::Damaged;
    return matched ? CatalogSearch::Found : CatalogSearch::NotFound;
}

} // namespace

struct AccessTable::Private {
    // Declared first, so that it outlives every libmdb call below.
    LibraryWarningsSilenced silenced;
    MdbHandle *mdb = nullptr;
    std::unique_ptr<TableReader> table;
    QList<AccessColumn> columns;
    std::vector<int> types;  // per column: the libmdb type its values have

    ~Private()
    {
        table.reset();
        if (mdb)
            mdb_close(mdb);
    }

    bool describeColumns(const QByteArray &propertiesHead);
    std::optional<JetPropertyMaps> readProperties(const QByteArray &head) const;
};

std::optional<JetPropertyMaps> AccessTable::Private::readProperties(const QByteArray &head) const
{
    if (head.isEmpty())
        return JetPropertyMaps();
    QByteArray bytes;
    if (!table->readLongValue(Bytes(reinterpret_cast<const unsigned char *>(head.constData()), size_t(head.size())), &bytes))
        return std::nullopt;
    return readJetProperties(Bytes(reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size())));
}

bool AccessTable::Private::describeColumns(const QByteArray &propertiesHead)
{
    // libmdb does not keep the byte that marks a calculated column: find
    // each column's entry in the definition once more.
    const MdbFormatConstants *fmt = mdb->fmt;
    const int count = table->columnCount();
    QList<bool> matched(count, false);
    QSet<QString> names;
    // Read once, when a calculated column needs them.
    std::optional<JetPropertyMaps> properties;
    bool propertiesRead = false;
    for (int i = 0; i < count; ++i) {
        const MdbColumn *described = table->column(i);
        AccessColumn access;
        access.name = QString::fromUtf8(described->name);
        // Access gives every column a name of its own.
        if (access.name.isEmpty() || names.contains(access.name.toCaseFolded()))
            return false;
        names.insert(access.name.toCaseFolded());
        access.autoNumber = described->col_type == MDB_LONGINT && described->is_long_auto;
        for (int e = 0; e < count; ++e) {
            const unsigned char *entry = table->columnEntry(e);
            if (matched[e] || entry[fmt->col_num_offset] != described->col_num
                || qFromLittleEndian<quint16>(entry + fmt->tab_col_offset_var) != described->var_col_num
                || qFromLittleEndian<quint16>(entry + fmt->tab_row_col_num_offset) != described->row_col_num)
                continue;
            matched[e] = true;
            access.calculated = (entry[fmt->col_flags_offset + 1] & calculatedColumnFlags) == calculatedColumnFlags;
            break;
        }
        int type = described->col_type;
        // The column's definition may name another type than its result's,
        // which Access keeps among the column's properties.
        if (access.calculated) {
            if (!propertiesRead) {
                properties = readProperties(propertiesHead);
                propertiesRead = true;
            }
            if (!properties)
                return false;
            const auto result = jetPropertyInteger(properties->value(access.name).value(QStringLiteral("ResultType")));
            if (result && *result != 0)
                type = int(*result);
            access.autoNumber = false;
        }
        access.type = columnType(type);
        types.push_back(type);
        columns << access;
    }
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
    const qint64 fileSize = QFileInfo(path).size();
    d.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d.mdb)
        return fail(AccessReadFailure::NotAccess);
    // Access 97 keeps text in the code page of the machine that wrote it.
    if (d.mdb->f->jet_version == MDB_VER_JET3)
        return fail(AccessReadFailure::UnsupportedVersion);
    // From Access 2007 on, a database password encrypts every page with a
    // key libmdb does not have; the header then holds a key of its own.
    if (d.mdb->f->jet_version != MDB_VER_JET4 && d.mdb->f->db_key != 0)
        return fail(AccessReadFailure::Encrypted);
    // An Access file is whole pages; anything else was cut short.
    const qint64 pageSize = d.mdb->fmt->pg_size;
    if (fileSize % pageSize != 0 || fileSize / pageSize > std::numeric_limits<guint32>::max())
        return fail(AccessReadFailure::Damaged);
    const auto pageCount = guint32(fileSize / pageSize);

    CatalogEntry entry;
    {
        const std::unique_ptr<TableReader> catalog = TableReader::open(d.mdb, pageCount, catalogPage);
        if (!catalog)
            return fail(AccessReadFailure::Damaged);
        switch (findTable(*catalog, tableName, &entry)) {
        case CatalogSearch::Found:
            break;
        case CatalogSearch::NotFound:
            return fail(AccessReadFailure::NoSuchTable);
        case CatalogSearch::Damaged:
            return fail(AccessReadFailure::Damaged);
        }
    }
    d.table = TableReader::open(d.mdb, pageCount, entry.definitionPage);
    if (!d.table || !d.describeColumns(entry.properties))
        return fail(AccessReadFailure::Damaged);
    return table;
}

const QList<AccessColumn> &AccessTable::columns() const
{
    return d->columns;
}

qint64 AccessTable::declaredRowCount() const
{
    return d->table->declaredRowCount();
}

void AccessTable::rewind()
{
    d->table->rewind();
}

AccessTable::Fetch AccessTable::fetchRow()
{
    switch (d->table->fetchRow()) {
    case TableReader::Fetch::Row:
        return Fetch::Row;
    case TableReader::Fetch::End:
        return Fetch::End;
    case TableReader::Fetch::Damaged:
        break;
    }
    return Fetch::Damaged;
}

bool AccessTable::everyRowListed()
{
    return d->table->everyRowListed();
}

std::optional<qint64> AccessTable::integer(int column, bool *damaged)
{
    const TableReader &table = *d->table;
    if (!table.onRow() || table.isNull(column))
        return std::nullopt;
    const std::optional<Bytes> bytes = table.valueBytes(column);
    std::optional<qint64> value = bytes ? integerValue(d->types[size_t(column)], *bytes) : std::nullopt;
    if (!value)
        *damaged = true;
    return value;
}

std::optional<QString> AccessTable::text(int column, const RegionalFormats &formats, ValueProblem *problem)
{
    const TableReader &table = *d->table;
    const bool calculated = d->columns[column].calculated;
    const int type = d->types[size_t(column)];
    if (!table.onRow())
        return std::nullopt;
    // A Yes/No value lives in the row's NULL marks: set is Yes.
    if (type == MDB_BOOL && !calculated)
        return yesNoText(!table.isNull(column));
    if (table.isNull(column))
        return std::nullopt;

    std::optional<Bytes> bytes = table.valueBytes(column);
    QByteArray memo;
    if (bytes && type == MDB_MEMO) {
        if (table.readLongValue(*bytes, &memo))
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
    std::optional<QString> text = valueText(type, *bytes, table.column(column)->col_prec, false, formats);
    if (!text)
        *problem = ValueProblem::Damaged;
    return text;
}
