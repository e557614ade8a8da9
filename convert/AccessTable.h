#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

struct RegionalFormats;

// How the conversion treats a column of an Access table.
enum class AccessColumnType {
    YesNo,
    Integer,   // Byte, Integer, Long Integer
    Real,      // Single, Double
    Currency,
    DateTime,
    Text,
    Memo,
    Other,     // OLE object, binary, decimal, replication ID, ...: not carried
};

struct AccessColumn {
    QString name;
    AccessColumnType type = AccessColumnType::Other;
    bool autoNumber = false;
};

// Why an Access table could not be read.
enum class AccessReadFailure {
    None,
    CannotOpen,          // the file cannot be opened for reading
    NotAccess,           // no Access database
    UnsupportedVersion,  // Access 97 and older (Jet 3)
    NoSuchTable,
    Damaged,
};

// One table of an Access (Jet 4 or ACE) file, read row by row. The file is
// opened read-only: nothing is ever written to it. This and its .cpp are the
// only place that sees mdbtools' libmdb.
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

    // The row count the file keeps for the table. An Access file that was not
    // closed properly may hold 0 here.
    qint64 declaredRowCount() const;

    enum class Fetch { Row, End, Damaged };
    // Moves to the next row in the file's order (the first after rewind()).
    Fetch fetchRow();
    void rewind();

    // Values of the current row. Null (nullopt) for NULL; `damaged` is set
    // when the value cannot be read whole.
    std::optional<QString> text(int column, const RegionalFormats &formats, bool *damaged);
    std::optional<qint64> integer(int column, bool *damaged);

private:
    AccessTable();
    struct Private;
    std::unique_ptr<Private> d;
};
