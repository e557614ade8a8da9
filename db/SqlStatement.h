// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlValue.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalised with its owner: the program's one
// way to prepare, bind, step and read a statement. Parameters count from 1,
// columns from 0; bound texts are copied.
class SqlStatement {
public:
    SqlStatement() = default;
    // Prepares `sql` on `db`, or throws AppError with the engine's text.
    SqlStatement(sqlite3 *db, QByteArrayView sql);
    ~SqlStatement();
    SqlStatement(SqlStatement &&other) noexcept;
    SqlStatement &operator=(SqlStatement &&other) noexcept;

    // Prepares `sql` on `db` without throwing; on failure holds no statement
    // and errorText() says why.
    bool tryPrepare(sqlite3 *db, QByteArrayView sql);
    bool isPrepared() const { return m_statement != nullptr; }
    // For the engine's questions about the statement itself (where its
    // columns come from).
    sqlite3_stmt *handle() const { return m_statement; }

    // Each returns SQLite's result code. An empty text is bound as a text,
    // not as NULL.
    int bindNull(int parameter);
    int bindInt64(int parameter, std::int64_t value);
    int bindText(int parameter, std::string_view utf8);
    int bindText(int parameter, const QString &text);
    // Binds the bytes where they lie, uncopied: they must outlive the
    // statement's next step.
    int bindTextInPlace(int parameter, std::string_view utf8);
    int bindValue(int parameter, const SqlValue &value);

    // One step: SQLITE_ROW, SQLITE_DONE or the failure's result code.
    int step();
    // Steps through every row to the end; throws the engine's error.
    void run();
    // Back to before the first step; the bound values stay.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The column's value as UTF-8 text, valid until the next step; none for
    // NULL. Read a column's key value (columnValue, columnInt64) first:
    // reading it as text may change its type.
    std::optional<std::string_view> columnText(int column) const;
    // The same as a string, NULL as an empty one.
    QString columnString(int column) const;
    std::int64_t columnInt64(int column) const;
    // The value with its storage class, to be bound again as it is.
    SqlValue columnValue(int column) const;

    // The engine's text for the last failure on the statement's connection.
    QString errorText() const;
    [[noreturn]] void throwError() const;

private:
    void finalize();

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};

// Runs `sql`, one statement or several, reading no rows. Returns SQLite's
// result code.
int executeSql(sqlite3 *db, const char *sql);

// The engine's text for the last failure on `db`, or for a result code.
QString engineErrorText(sqlite3 *db);
QString engineErrorText(int resultCode);

// The same as an AppError.
[[noreturn]] void throwEngineError(sqlite3 *db);
[[noreturn]] void throwEngineError(int resultCode);
