// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ImportWriter.h"

#include "db/AppError.h"
#include "platform/Utf8Text.h"
#include "sheets/ImportPlan.h"
#include "sheets/SheetCells.h"
#include "sheets/TenantRows.h"

#include "db/RowIdentity.h"

#include <sqlite3.h>

ImportWriter::ImportWriter(sqlite3 *db, const ImportPlan &plan, QString editTime)
    : m_db(db)
    , m_rows(plan.rows)
    , m_extraColumns(plan.extraColumns)
    , m_addedColumns(plan.addedColumns)
    , m_editTime(editTime.toUtf8())
{
}

ImportWriter::~ImportWriter()
{
    rollback();
}

void ImportWriter::fail(const QString &text)
{
    rollback();
    throw AppError(text);
}

void ImportWriter::failFromEngine()
{
    fail(QStringLiteral("写入数据库时出错（%1）").arg(engineErrorText(m_db)));
}

qint64 ImportWriter::rowCount()
{
    SqlStatement statement;
    if (statement.tryPrepare(m_db, "select count(*) from data") && statement.step() == SQLITE_ROW)
        return statement.columnInt64(0);
    return -1;
}

void ImportWriter::begin()
{
    // IMMEDIATE: no other writer can come in between the check and the rows.
    if (executeSql(m_db, "BEGIN IMMEDIATE") != SQLITE_OK)
        failFromEngine();
    m_inTransaction = true;

    NameSet names;
    int rc = SQLITE_OK;
    if (SqlStatement statement; statement.tryPrepare(m_db, "select 姓名 from data")) {
        while ((rc = statement.step()) == SQLITE_ROW)
            names.emplace(statement.columnText(0).value_or(std::string_view()));
    }
    if (rc != SQLITE_DONE)
        failFromEngine();
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        const std::string_view name = m_rows.cell(row, 0).value_or(std::string_view());
        if (names.contains(name))
            fail(QStringLiteral("预览之后，登记表中已有了“%1”（表格第 %2 行）；请重新导入")
                            .arg(fromUtf8(name))
                            .arg(m_rows.sourceRow(row)));
    }

    // A column that came into the table since the preview fails the
    // statement, and with it the import.
    for (const QString &column : m_addedColumns) {
        const QString add = QStringLiteral("alter table data add column %1 TEXT").arg(quotedIdentifier(column));
        if (executeSql(m_db, add.toUtf8().constData()) != SQLITE_OK)
            failFromEngine();
    }

    m_countBefore = rowCount();
    QString columns = QStringLiteral("姓名,房号,租金,押金,入住日期,到期日期,备注");
    for (const QString &column : m_extraColumns)
        columns += QLatin1Char(',') + quotedIdentifier(column);
    QString values;
    for (int i = 1; i <= m_rows.columnCount() + 1; ++i)
        values += QStringLiteral("%1?%2").arg(i > 1 ? QStringLiteral(",") : QString()).arg(i);
    const QByteArray insert = QStringLiteral("insert into data (%1,编辑时间) values (%2)").arg(columns, values).toUtf8();
    if (m_countBefore < 0 || !m_insert.tryPrepare(m_db, insert.constData()))
        failFromEngine();
}

void ImportWriter::writeSome(qsizetype count)
{
    const qsizetype end = std::min(m_rows.size(), m_written + count);
    for (; m_written < end; ++m_written) {
        m_rows.cells(m_written, m_cells);
        // A value SQLite refuses (too long, say) fails the import: it must
        // not become NULL.
        int rc = SQLITE_OK;
        const int count = m_rows.columnCount();
        for (int column = 0; column < count && rc == SQLITE_OK; ++column) {
            const auto &text = m_cells[std::size_t(column)];
            rc = text ? m_insert.bindTextInPlace(column + 1, *text) : m_insert.bindNull(column + 1);
        }
        if (rc == SQLITE_OK)
            rc = m_insert.bindTextInPlace(count + 1,
                                          std::string_view(m_editTime.constData(), std::size_t(m_editTime.size())));
        if (rc == SQLITE_OK)
            rc = m_insert.step();
        if (rc != SQLITE_DONE || sqlite3_changes(m_db) != 1) {
            const QString failure = QStringLiteral("写入表格第 %1 行时出错（%2）")
                                        .arg(m_rows.sourceRow(m_written))
                                        .arg(engineErrorText(m_db));
            m_insert.reset();
            fail(failure);
        }
        m_insert.reset();
    }
}

bool ImportWriter::allWritten() const
{
    return m_written == m_rows.size();
}

void ImportWriter::commit()
{
    m_insert = SqlStatement();
    const qint64 count = rowCount();
    if (!allWritten() || count != m_countBefore + m_rows.size())
        fail(QStringLiteral("写入后核对不符（%1 个记录，应为 %2 个）").arg(count).arg(m_countBefore + m_rows.size()));
    if (executeSql(m_db, "COMMIT") != SQLITE_OK)
        failFromEngine();
    m_inTransaction = false;
}

void ImportWriter::rollback()
{
    m_insert = SqlStatement();
    if (m_inTransaction) {
        executeSql(m_db, "ROLLBACK");
        m_inTransaction = false;
    }
}
