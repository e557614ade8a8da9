// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlStatement.h"

#include <QStringList>

#include <optional>
#include <string_view>

class ResultSet;
struct sqlite3;

// The rows an export writes: the column names, then row after row of UTF-8
// texts, none for NULL.
class ExportSource {
public:
    virtual ~ExportSource() = default;
    virtual QStringList columns() const = 0;
    virtual qint64 rowCount() const = 0;
    // Moves to the next row, the first at the first call; false past the last.
    virtual bool next() = 0;
    virtual std::optional<std::string_view> cell(int column) const = 0;
};

// The rows of a listing as the list cursor holds them.
class ResultSetRows : public ExportSource {
public:
    explicit ResultSetRows(const ResultSet &result)
        : m_result(result)
    {
    }
    QStringList columns() const override;
    qint64 rowCount() const override;
    bool next() override;
    std::optional<std::string_view> cell(int column) const override;

private:
    const ResultSet &m_result;
    int m_row = -1;
};

// Every row of the register's table `data` in the file at `path`, read as
// they are written out, so that the register is never held whole in
// memory. The rows come through a read-only connection of their own, in
// one read transaction that ends once the last row is read: a write the
// window makes meanwhile goes through the window's connection, never into
// this transaction, and cannot be undone by its end. Throws AppError with
// the engine's text.
class RegisterTableRows : public ExportSource {
public:
    explicit RegisterTableRows(const QString &path);
    ~RegisterTableRows() override;
    RegisterTableRows(const RegisterTableRows &) = delete;
    RegisterTableRows &operator=(const RegisterTableRows &) = delete;

    QStringList columns() const override { return m_columns; }
    qint64 rowCount() const override { return m_rowCount; }
    bool next() override;
    std::optional<std::string_view> cell(int column) const override;

private:
    sqlite3 *m_db = nullptr;
    SqlStatement m_statement;
    QStringList m_columns;
    qint64 m_rowCount = 0;
};
