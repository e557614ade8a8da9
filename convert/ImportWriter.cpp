#include "convert/ImportWriter.h"

#include "convert/ImportPlan.h"
#include "convert/TenantRows.h"

#include <sqlite3.h>

namespace {

std::string_view columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? std::string_view(text, std::size_t(sqlite3_column_bytes(statement, column))) : std::string_view();
}

} // namespace

ImportWriter::ImportWriter(sqlite3 *db, const TenantRows &rows, QString editTime)
    : m_db(db)
    , m_rows(rows)
    , m_editTime(editTime.toUtf8())
{
}

ImportWriter::~ImportWriter()
{
    rollback();
}

bool ImportWriter::fail(const QString &text)
{
    m_failure = text;
    rollback();
    return false;
}

bool ImportWriter::failFromEngine()
{
    return fail(QStringLiteral("写入数据库时出错（%1）").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
}

qint64 ImportWriter::rowCount()
{
    sqlite3_stmt *statement = nullptr;
    qint64 count = -1;
    if (sqlite3_prepare_v2(m_db, "select count(*) from data", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

bool ImportWriter::begin()
{
    // IMMEDIATE: no other writer can come in between the check and the rows.
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failFromEngine();
    m_inTransaction = true;

    NameSet names;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "select 姓名 from data", -1, &statement, nullptr) != SQLITE_OK)
        return failFromEngine();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        names.emplace(columnText(statement, 0));
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        return failFromEngine();
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (names.contains(*m_rows.cell(row, 0)))
            return fail(QStringLiteral("预览之后，登记表中已有了“%1”（表格第 %2 行）；请重新导入")
                            .arg(QString::fromUtf8(m_rows.cell(row, 0)->data(), qsizetype(m_rows.cell(row, 0)->size())))
                            .arg(m_rows.sourceRow(row)));
    }

    m_countBefore = rowCount();
    const char *insert = "insert into data (姓名,房号,租金,押金,入住日期,到期日期,备注,编辑时间) "
                         "values (?1,?2,?3,?4,?5,?6,?7,?8)";
    if (m_countBefore < 0 || sqlite3_prepare_v2(m_db, insert, -1, &m_insert, nullptr) != SQLITE_OK)
        return failFromEngine();
    return true;
}

bool ImportWriter::writeSome(qsizetype count)
{
    const qsizetype end = std::min(m_rows.size(), m_written + count);
    for (; m_written < end; ++m_written) {
        for (int column = 0; column < TenantRows::columnCount; ++column) {
            const auto text = m_rows.cell(m_written, column);
            // A null pointer would bind NULL; an empty text stays an empty text.
            if (text)
                sqlite3_bind_text(m_insert, column + 1, text->empty() ? "" : text->data(), int(text->size()),
                                  SQLITE_STATIC);
            else
                sqlite3_bind_null(m_insert, column + 1);
        }
        sqlite3_bind_text(m_insert, 8, m_editTime.constData(), int(m_editTime.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
        if (rc != SQLITE_DONE || sqlite3_changes(m_db) != 1)
            return failFromEngine();
    }
    return true;
}

bool ImportWriter::allWritten() const
{
    return m_written == m_rows.size();
}

bool ImportWriter::commit()
{
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    const qint64 count = rowCount();
    if (!allWritten() || count != m_countBefore + m_rows.size())
        return fail(QStringLiteral("写入后核对不符（%1 个记录，应为 %2 个）").arg(count).arg(m_countBefore + m_rows.size()));
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failFromEngine();
    m_inTransaction = false;
    return true;
}

void ImportWriter::rollback()
{
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (m_inTransaction) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
    }
}
