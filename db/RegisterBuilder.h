// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlStatement.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <span>
#include <string_view>

struct sqlite3;

// The register's columns after ID, in the order a row's texts come.
extern const std::array<QString, 8> tenantColumns;

// A text of a row; nullopt is NULL.
using RowText = std::optional<QString>;

// Writes a new register file (the program's schema) at a path where nothing
// is yet, and fills it with rows in one transaction. Nothing else uses the
// file while it is built, so it is written without a journal; finish()
// checks it and flushes it to disk. Each step throws AppError, in the user's
// words, when it fails.
class RegisterBuilder {
public:
    explicit RegisterBuilder(QString path);
    ~RegisterBuilder();
    RegisterBuilder(const RegisterBuilder &) = delete;
    RegisterBuilder &operator=(const RegisterBuilder &) = delete;

    // Creates the file (never over an existing one) with the empty table,
    // which gets the TEXT columns `extraColumns` after the eight.
    void create(const QStringList &extraColumns = {});

    enum class Insert { Done, KeyTaken };
    // `texts`: the eight tenant columns' in their order, then the extra ones'.
    Insert insert(qint64 id, std::span<const RowText> texts);
    // The same with the texts as UTF-8, bound where they lie (they must
    // outlive the call); nullopt is NULL.
    Insert insertUtf8(qint64 id, std::span<const std::optional<std::string_view>> texts);

    // Commits, checks that the table holds `expectedRows` rows and that the
    // file passes SQLite's integrity check, closes it and syncs it to disk.
    void finish(qint64 expectedRows);

    // Closes the file without keeping anything of what was written.
    void abandon();

    // Whether create() made the file at the path (it may have failed after
    // that): only then is the file the builder's to remove.
    bool madeFile() const { return m_madeFile; }

private:
    [[noreturn]] void failFromEngine();
    void exec(const char *sql);
    template <typename Texts, typename BindText>
    Insert insertRow(qint64 id, const Texts &texts, BindText bindText);
    Insert step();

    QString m_path;
    sqlite3 *m_db = nullptr;
    SqlStatement m_insert;
    int m_columns = 0;  // after ID
    bool m_madeFile = false;
};

// Why the file at `path` is not a whole register of `expectedRows` rows
// (SQLite's integrity check, the row count); empty when it is one.
QString registerCheckFailure(const QString &path, qint64 expectedRows);
