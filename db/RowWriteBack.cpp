// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/RowWriteBack.h"

#include "db/AppError.h"
#include "db/RowIdentity.h"
#include "db/SqlStatement.h"

#include <sqlite3.h>

#include <functional>

namespace {

// A write's statement, its parameters bound one after another.
class WriteStatement {
public:
    WriteStatement(sqlite3 *db, const QString &sql) : m_statement(db, sql.toUtf8()) {}

    void bindNull() { check(m_statement.bindNull(++m_bound)); }
    void bindInt64(std::int64_t value) { check(m_statement.bindInt64(++m_bound, value)); }
    void bindText(const QString &text) { check(m_statement.bindText(++m_bound, text)); }
    void bindUtf8(std::string_view utf8) { check(m_statement.bindText(++m_bound, utf8)); }
    void bindValue(const SqlValue &value) { check(m_statement.bindValue(++m_bound, value)); }

    // Steps to the end; the rows it returns go to `row`.
    int run(const std::function<void(const SqlStatement &)> &row = {})
    {
        int rc;
        int rows = 0;
        while ((rc = m_statement.step()) == SQLITE_ROW) {
            ++rows;
            if (row)
                row(m_statement);
        }
        if (rc != SQLITE_DONE)
            m_statement.throwError();
        return rows;
    }

private:
    void check(int rc) const
    {
        if (rc != SQLITE_OK)
            m_statement.throwError();
    }

    SqlStatement m_statement;
    int m_bound = 0;
};

QString tableName(const RowIdentity &identity)
{
    return quotedIdentifier(identity.schema) + QLatin1Char('.') + quotedIdentifier(identity.table);
}

// "WHERE" the key is the row's and every column holds the text read from
// it: NULL apart from empty, compared byte for byte as the cursor read it
// (a number or a blob as its text), whatever the column's collation.
QString rowCondition(const RowIdentity &identity)
{
    QStringList terms;
    for (const QString &key : identity.keyNames)
        terms << quotedIdentifier(key) + QStringLiteral(" = ?");
    for (const QString &column : identity.columns)
        terms << QStringLiteral("CAST(%1 AS TEXT) COLLATE BINARY IS ?").arg(quotedIdentifier(column));
    return QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

void bindRow(WriteStatement &statement, const RowIdentity &identity, const ResultSet &result, int row)
{
    if (identity.keyKind == RowKeyKind::Rowid) {
        statement.bindInt64(result.rowid(row));
    } else {
        for (int part = 0; part < result.keyParts(); ++part)
            statement.bindValue(result.keyValue(row, part));
    }
    for (int column = 0; column < identity.columns.size(); ++column) {
        if (result.isNull(row, column))
            statement.bindNull();
        else
            statement.bindUtf8(result.cell(row, column));
    }
}

// " RETURNING" the key and every column, read as the cursor reads them.
QString returnedRow(const RowIdentity &identity)
{
    QStringList columns;
    for (const QString &key : identity.keyNames)
        columns << quotedIdentifier(key);
    for (const QString &column : identity.columns)
        columns << quotedIdentifier(column);
    return QStringLiteral(" RETURNING ") + columns.join(QStringLiteral(", "));
}

ResultSet::Row readReturnedRow(const SqlStatement &statement, const RowIdentity &identity)
{
    ResultSet::Row row;
    const int keys = int(identity.keyNames.size());
    if (identity.keyKind == RowKeyKind::Rowid) {
        row.rowid = statement.columnInt64(0);
    } else {
        for (int part = 0; part < keys; ++part)
            row.key.push_back(statement.columnValue(part));
    }
    for (int column = keys; column < statement.columnCount(); ++column) {
        if (const std::optional<std::string_view> text = statement.columnText(column))
            row.cells.emplace_back(std::string(*text));
        else
            row.cells.emplace_back(std::nullopt);
    }
    return row;
}

QStringList assignedColumns(const RowIdentity &identity, const std::map<int, QString> &values)
{
    QStringList columns;
    for (const auto &[column, text] : values)
        columns << quotedIdentifier(identity.columns.at(column));
    return columns;
}

} // namespace

QString rowCannotBeLocated()
{
    return QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");
}

ResultSet::Row updateRow(sqlite3 *db, const RowIdentity &identity, const ResultSet &result, int row,
                         const std::map<int, QString> &changes)
{
    // OR ABORT: a REPLACE conflict clause of the table must not delete
    // another row to make room for this one.
    QStringList assignments;
    for (const QString &column : assignedColumns(identity, changes))
        assignments << column + QStringLiteral(" = ?");
    WriteStatement statement(db, QStringLiteral("UPDATE OR ABORT ") + tableName(identity) + QStringLiteral(" SET ")
                                + assignments.join(QStringLiteral(", ")) + rowCondition(identity)
                                + returnedRow(identity));
    for (const auto &[column, text] : changes)
        statement.bindText(text);
    bindRow(statement, identity, result, row);

    // The key is unique, so one statement changes one row or none.
    ResultSet::Row written;
    const int rows = statement.run([&](const SqlStatement &s) { written = readReturnedRow(s, identity); });
    if (rows != 1 || sqlite3_changes(db) != 1)
        throw AppError(rowCannotBeLocated());
    return written;
}

void deleteRow(sqlite3 *db, const RowIdentity &identity, const ResultSet &result, int row)
{
    WriteStatement statement(db, QStringLiteral("DELETE FROM ") + tableName(identity) + rowCondition(identity));
    bindRow(statement, identity, result, row);
    statement.run();
    if (sqlite3_changes(db) != 1)
        throw AppError(rowCannotBeLocated());
}

ResultSet::Row insertRow(sqlite3 *db, const RowIdentity &identity, const std::map<int, QString> &values)
{
    const QStringList columns = assignedColumns(identity, values);
    const QString target = QStringLiteral("INSERT OR ABORT INTO ") + tableName(identity);
    WriteStatement statement(db, columns.isEmpty() ? target + QStringLiteral(" DEFAULT VALUES") + returnedRow(identity)
                                              : target + QStringLiteral(" (") + columns.join(QStringLiteral(", "))
                                                    + QStringLiteral(") VALUES (")
                                                    + QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))
                                                    + QLatin1Char(')') + returnedRow(identity));
    for (const auto &[column, text] : values)
        statement.bindText(text);
    ResultSet::Row written;
    if (statement.run([&](const SqlStatement &s) { written = readReturnedRow(s, identity); }) != 1)
        throw AppError(rowCannotBeLocated());
    return written;
}
