#include "db/RowWriteBack.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/RowIdentity.h"

#include <sqlite3.h>

#include <functional>

namespace {

// Owns a prepared statement for the length of one write.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql)
        : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            throwEngineError(db);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return m_statement; }

    // Binds the next parameter; the bytes are copied.
    void bind(const std::function<int(sqlite3_stmt *, int)> &binder)
    {
        if (binder(m_statement, ++m_bound) != SQLITE_OK)
            throwEngineError(m_db);
    }
    void bindText(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        bindUtf8(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    }
    void bindUtf8(std::string_view utf8)
    {
        // A null pointer would bind NULL, not an empty text.
        bind([&](sqlite3_stmt *s, int i) {
            return sqlite3_bind_text64(s, i, utf8.empty() ? "" : utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
        });
    }

    // Steps to the end; the rows it returns go to `row`.
    int run(const std::function<void(sqlite3_stmt *)> &row = {})
    {
        int rc;
        int rows = 0;
        while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
            ++rows;
            if (row)
                row(m_statement);
        }
        if (rc != SQLITE_DONE)
            throwEngineError(m_db);
        return rows;
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
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

void bindRow(Statement &statement, const RowIdentity &identity, const ResultSet &result, int row)
{
    if (identity.keyKind == RowKeyKind::Rowid) {
        const std::int64_t rowid = result.rowid(row);
        statement.bind([rowid](sqlite3_stmt *s, int i) { return sqlite3_bind_int64(s, i, rowid); });
    } else {
        for (int part = 0; part < result.keyParts(); ++part) {
            const SqlValue &value = result.keyValue(row, part);
            statement.bind([&value](sqlite3_stmt *s, int i) { return value.bind(s, i); });
        }
    }
    for (int column = 0; column < identity.columns.size(); ++column) {
        if (result.isNull(row, column))
            statement.bind([](sqlite3_stmt *s, int i) { return sqlite3_bind_null(s, i); });
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

ResultSet::Row readReturnedRow(sqlite3_stmt *statement, const RowIdentity &identity)
{
    ResultSet::Row row;
    const int keys = int(identity.keyNames.size());
    if (identity.keyKind == RowKeyKind::Rowid) {
        row.rowid = sqlite3_column_int64(statement, 0);
    } else {
        for (int part = 0; part < keys; ++part)
            row.key.push_back(SqlValue::fromColumn(statement, part));
    }
    for (int column = keys; column < sqlite3_column_count(statement); ++column) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
        if (text || sqlite3_column_type(statement, column) != SQLITE_NULL)
            row.cells.emplace_back(std::string(text ? text : "", std::size_t(sqlite3_column_bytes(statement, column))));
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
    Statement statement(db, QStringLiteral("UPDATE OR ABORT ") + tableName(identity) + QStringLiteral(" SET ")
                                + assignments.join(QStringLiteral(", ")) + rowCondition(identity)
                                + returnedRow(identity));
    for (const auto &[column, text] : changes)
        statement.bindText(text);
    bindRow(statement, identity, result, row);

    // The key is unique, so one statement changes one row or none.
    ResultSet::Row written;
    const int rows = statement.run([&](sqlite3_stmt *s) { written = readReturnedRow(s, identity); });
    if (rows != 1 || sqlite3_changes(db) != 1)
        throw AppError(rowCannotBeLocated());
    return written;
}

void deleteRow(sqlite3 *db, const RowIdentity &identity, const ResultSet &result, int row)
{
    Statement statement(db, QStringLiteral("DELETE FROM ") + tableName(identity) + rowCondition(identity));
    bindRow(statement, identity, result, row);
    statement.run();
    if (sqlite3_changes(db) != 1)
        throw AppError(rowCannotBeLocated());
}

ResultSet::Row insertRow(sqlite3 *db, const RowIdentity &identity, const std::map<int, QString> &values)
{
    const QStringList columns = assignedColumns(identity, values);
    const QString target = QStringLiteral("INSERT OR ABORT INTO ") + tableName(identity);
    Statement statement(db, columns.isEmpty() ? target + QStringLiteral(" DEFAULT VALUES") + returnedRow(identity)
                                              : target + QStringLiteral(" (") + columns.join(QStringLiteral(", "))
                                                    + QStringLiteral(") VALUES (")
                                                    + QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))
                                                    + QLatin1Char(')') + returnedRow(identity));
    for (const auto &[column, text] : values)
        statement.bindText(text);
    ResultSet::Row written;
    if (statement.run([&](sqlite3_stmt *s) { written = readReturnedRow(s, identity); }) != 1)
        throw AppError(rowCannotBeLocated());
    return written;
}
