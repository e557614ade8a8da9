// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

struct RegionalFormats;

// How the conversion treats a column of an Access table.
enum class AccessColumnType {
    YesNo,
    Integer,   // Byte, Integer, Long Integer, Large Number
    Real,      // Single, Double
    Currency,
    DateTime,
    Text,
    Memo,
    Decimal,
    Guid,      // Replication ID
    Other,     // OLE object, binary, attachment, ...: not carried
};

struct AccessColumn {
    QString name;
    AccessColumnType type = AccessColumnType::Other;  // of a calculated column: its result's
    bool autoNumber = false;
    bool calculated = false;  // Access 2010 and later: a value computed from the row's others
};

// Why an Access table could not be read.
enum class AccessReadFailure {
    None,
    CannotOpen,          // the file cannot be opened for reading
    NotAccess,           // no Access database
    UnsupportedVersion,  // Access 97 and older (Jet 3)
    Encrypted,           // Access 2007 and later, saved with a password
    NoSuchTable,
    Damaged,
};

// What kept a value from being read.
enum class ValueProblem {
    None,
    Damaged,                  // the file's bytes are not a whole value
    CalculatedValueUnusable,  // a calculated column's value is in a form not understood
};

// One table of an Access (Jet 4 or ACE) file, read row by row. The file is
// opened read-only: nothing is ever written to it. This, TableReader and
// their .cpp files are the only place that sees mdbtools' libmdb. libmdb
// trusts the file, so it runs only in the conversion's own process, and the
// reading checks what it can before libmdb sees it: the catalog is read as
// checked as the table itself, the table's definition must hold all its
// columns, every page a map lists must be in the file, every row the
// table's pages hold must be read whole, and no long value may run past the
// file or round in a circle. libmdb's warnings are kept off the terminal
// while a table is open.
class AccessTable {
public:
    // Opens `path` and its table `tableName` (letter case ignored, as Access
    // does). Null with `failure` set when that cannot be done.
    static std::unique_ptr<AccessTable> open(const QString &path, const QString &tableName,
                                             AccessReadFailure *failure);
    ~AccessTable();
    AccessTable(const AccessTable &) = delete;
    AccessTable &operator=(const AccessTable &) = delete;

    // In the table's column order.
    const QList<AccessColumn> &columns() const;

    // The row count the file keeps for the table. Access leaves it stale
    // after a crash until the next compact, and one not closed properly may
    // hold 0 here.
    qint64 declaredRowCount() const;

    enum class Fetch { Row, End, Damaged };
    // Moves to the next row in the file's order (the first after rewind()).
    Fetch fetchRow();
    void rewind();

    // After the last row: whether the rows read are every row the file
    // holds for the table. The usage map must have listed only the table's
    // pages, and no other page of the table may hold a row that is not
    // deleted. When the rows read differ in number from the declared count,
    // this tells a stale count from a damaged map.
    bool everyRowListed();

    // Values of the current row. Null (nullopt) for NULL or when `problem`
    // is set.
    std::optional<QString> text(int column, const RegionalFormats &formats, ValueProblem *problem);
    std::optional<qint64> integer(int column, bool *damaged);

private:
    AccessTable();
    struct Private;
    std::unique_ptr<Private> d;
};
