// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlStatement.h"

#include <QByteArray>
#include <QString>

#include "sheets/TenantRows.h"

#include <QStringList>

struct sqlite3;
struct ImportPlan;

// Adds an import's rows to the register on `db` in one transaction, a few
// at a time so that the caller can keep its window alive in between:
// begin(), writeSome() until it reports all written, then commit(). Every
// row becomes one record with 编辑时间 `editTime`. The columns the plan adds
// come first, as TEXT columns after the table's own (ALTER TABLE ... ADD
// COLUMN, the only change to the table), in the same transaction. The rows are added only
// if they still are exactly what was planned: begin() fails when a name to
// add has come into the register since, and commit() when the table did
// not grow by exactly the rows. A step that fails rolls back and throws
// AppError with the reason in the user's words; so does anything short of a
// commit, so the register is either unchanged or holds every row.
class ImportWriter {
public:
    ImportWriter(sqlite3 *db, const ImportPlan &plan, QString editTime);
    ~ImportWriter();
    ImportWriter(const ImportWriter &) = delete;
    ImportWriter &operator=(const ImportWriter &) = delete;

    void begin();
    // Writes up to `count` more rows.
    void writeSome(qsizetype count);
    bool allWritten() const;
    qsizetype written() const { return m_written; }
    void commit();
    void rollback();

private:
    [[noreturn]] void fail(const QString &text);
    [[noreturn]] void failFromEngine();
    qint64 rowCount();

    sqlite3 *m_db;
    const TenantRows &m_rows;
    QStringList m_extraColumns;
    QStringList m_addedColumns;
    TenantRows::Cells m_cells;
    QByteArray m_editTime;
    SqlStatement m_insert;
    bool m_inTransaction = false;
    qint64 m_countBefore = 0;
    qsizetype m_written = 0;
};
