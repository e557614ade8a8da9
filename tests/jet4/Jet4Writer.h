// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes small Access 2000–2003 (Jet 4) database files for the tests: the
// converter's fixtures are made with it, and mdbtools reads them back.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

namespace jet4 {

enum class ColumnType { Boolean, Long, Double, Currency, DateTime, ExtendedDateTime, Text, Memo, Decimal, Guid, Ole };

struct Column {
    QString name;
    ColumnType type = ColumnType::Text;
    bool autoNumber = false;  // Long only: an AutoNumber column
    // Access 2010: a column computed from the row's others, of the result
    // type `type`; its values are stored wrapped (see RowEncoder.cpp).
    bool calculated = false;
    int scale = 2;  // Decimal: digits after the point
};

// One value per column. A null QVariant is NULL. Boolean: bool; Long: int; Double: double;
// Currency: qlonglong in ten-thousandths of a unit (16000000 = 1600.0000); DateTime and
// ExtendedDateTime (Access 2019's Date/Time Extended): QDateTime (local, no zone); Text and Memo:
// QString; Decimal: QString ("-1234.5"); Guid: QUuid; Ole: QByteArray.
// A NULL Yes/No is written as No (Access has no NULL Yes/No); a NULL AutoNumber
// gets one more than the largest number before it in the table.
struct Table {
    QString name;
    QList<Column> columns;
    QList<QVariantList> rows;
    QList<int> deletedRows;  // indexes into rows: written, then marked deleted as Access does
    int declaredRows = -1;   // the row count the definition claims (stale, as after a crash); -1: the true one
    // The table's properties as Access keeps them in the catalog (its
    // LvProp: "MR2", then blocks), written as they are; none when empty.
    QByteArray properties = {};
};

enum class Format {
    Jet4,  // "Standard Jet DB", Access 2000–2003
    Ace12  // "Standard ACE DB", Access 2007: the same pages under the newer signature
};

// A Text column holds at most this many characters, as in Access.
constexpr int textMaxChars = 255;

// Where a memo's characters go, by its length in UTF-16 code units: up to
// memoInlineMaxChars stay inside the row; up to memoSinglePageMaxChars fill
// one long-value page; longer memos are chained over several long-value
// pages of memoCharsPerChainedPage characters each (the last one less).
constexpr int memoInlineMaxChars = 200;
constexpr int memoSinglePageMaxChars = 2040;
constexpr int memoCharsPerChainedPage = 2038;

// Properties of a table's column (by its name) or of the table itself (no
// name), for Table::properties: whole numbers, stored in one byte when they
// fit (as Access stores a calculated column's ResultType) and in four otherwise.
struct Properties {
    QString object;
    QList<std::pair<QString, qint64>> values;
};

// The catalog's form of `properties` ("MR2", the list of property names,
// then one block of values per object), which mdb-prop reads back.
QByteArray propertiesValue(const QList<Properties> &properties);

// Writes a new Access database holding `tables` at `path` (replacing nothing: fails if the path exists).
bool writeDatabase(const QString &path, const QList<Table> &tables, QString *error = nullptr, Format format = Format::Jet4);

} // namespace jet4
