// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/RegisterBuilder.h"

#include "db/AppError.h"
#include "platform/FileSteps.h"
#include "db/RegisterFile.h"
#include "db/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

const std::array<QString, 8> tenantColumns{
    QStringLiteral("姓名"),     QStringLiteral("房号"),     QStringLiteral("租金"), QStringLiteral("押金"),
    QStringLiteral("入住日期"), QStringLiteral("到期日期"), QStringLiteral("备注"), QStringLiteral("编辑时间"),
};

namespace {

QString quotedIdentifier(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The integrity check's verdict and the table's row count on an open file.
QString checkFailure(sqlite3 *db, qint64 expectedRows)
{
    qint64 stored = -1;
    if (SqlStatement count; count.tryPrepare(db, "select count(*) from data") && count.step() == SQLITE_ROW)
        stored = count.columnInt64(0);
    bool whole = false;
    if (SqlStatement check; check.tryPrepare(db, "PRAGMA integrity_check") && check.step() == SQLITE_ROW)
        whole = check.columnText(0) == "ok";
    if (stored != expectedRows || !whole)
        return QStringLiteral("新数据库写好后核对不符（%1 个记录，应为 %2 个）").arg(stored).arg(expectedRows);
    return {};
}

} // namespace

QString registerCheckFailure(const QString &path, qint64 expectedRows)
{
    sqlite3 *db = nullptr;
    QString failure;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK)
        failure = QStringLiteral("无法打开新数据库核对");
    else
        failure = checkFailure(db, expectedRows);
    sqlite3_close(db);
    return failure;
}

RegisterBuilder::RegisterBuilder(QString path)
    : m_path(std::move(path))
{
}

RegisterBuilder::~RegisterBuilder()
{
    abandon();
}

void RegisterBuilder::failFromEngine()
{
    const int code = m_db ? sqlite3_errcode(m_db) : SQLITE_ERROR;
    // The error number of the failed call on the file itself; the
    // connection's may have been overwritten by then.
    int systemError = 0;
    if (m_db && (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_LAST_ERRNO, &systemError) != SQLITE_OK
                 || systemError == 0))
        systemError = sqlite3_system_errno(m_db);
    const QString directory = QFileInfo(m_path).absolutePath();
    if (code == SQLITE_FULL)
        throw AppError(writeFailureText(systemError == EFBIG ? EFBIG : ENOSPC, directory));
    if (systemError != 0)
        throw AppError(writeFailureText(systemError, directory));
    throw AppError(QStringLiteral("写入新数据库时出错（%1）").arg(m_db ? engineErrorText(m_db) : QString()));
}

void RegisterBuilder::exec(const char *sql)
{
    if (executeSql(m_db, sql) != SQLITE_OK)
        failFromEngine();
}

void RegisterBuilder::create(const QStringList &extraColumns)
{
    const QByteArray path = QFile::encodeName(m_path);
    // O_EXCL: never a file that is already there.
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0)
        throw AppError(writeFailureText(errno, QFileInfo(m_path).absolutePath()));
    ::close(descriptor);
    m_madeFile = true;

    const QString schema = registerSchema();
    if (schema.isEmpty())
        throw AppError(QStringLiteral("程序缺少数据库结构（schema.sql）"));
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        failFromEngine();
    sqlite3_extended_result_codes(m_db, 1);
    // The file is thrown away unless finish() succeeds, so a crash while it
    // is built needs no journal to recover from.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    exec("PRAGMA cache_size=-16384");
    exec(schema.toUtf8().constData());
    QStringList columns{QStringLiteral("ID")};
    for (const QString &column : tenantColumns)
        columns << column;
    for (const QString &column : extraColumns) {
        exec(QStringLiteral("alter table data add column %1 TEXT").arg(quotedIdentifier(column)).toUtf8().constData());
        columns << quotedIdentifier(column);
    }
    exec("BEGIN");
    m_columns = int(columns.size()) - 1;
    QStringList parameters;
    for (int i = 1; i <= columns.size(); ++i)
        parameters << QStringLiteral("?%1").arg(i);
    const QByteArray insert = QStringLiteral("insert into data (%1) values (%2)")
                                  .arg(columns.join(QStringLiteral(", ")), parameters.join(QStringLiteral(", ")))
                                  .toUtf8();
    if (!m_insert.tryPrepare(m_db, insert))
        failFromEngine();
}

// Binds the row's ID and texts, a missing or null text as NULL, then adds it.
// A value SQLite refuses (too long, say) fails the row: it must not become
// NULL.
template <typename Texts, typename BindText>
RegisterBuilder::Insert RegisterBuilder::insertRow(qint64 id, const Texts &texts, BindText bindText)
{
    int rc = m_insert.bindInt64(1, id);
    for (int i = 0; i < m_columns && rc == SQLITE_OK; ++i) {
        if (size_t(i) >= texts.size() || !texts[size_t(i)])
            rc = m_insert.bindNull(i + 2);
        else
            rc = bindText(i + 2, *texts[size_t(i)]);
    }
    if (rc != SQLITE_OK)
        failFromEngine();
    return step();
}

RegisterBuilder::Insert RegisterBuilder::insert(qint64 id, std::span<const RowText> texts)
{
    return insertRow(id, texts, [this](int column, const QString &text) { return m_insert.bindText(column, text); });
}

RegisterBuilder::Insert RegisterBuilder::insertUtf8(qint64 id, std::span<const std::optional<std::string_view>> texts)
{
    return insertRow(id, texts,
                     [this](int column, std::string_view text) { return m_insert.bindTextInPlace(column, text); });
}

RegisterBuilder::Insert RegisterBuilder::step()
{
    const int rc = m_insert.step();
    if (rc == SQLITE_DONE) {
        m_insert.reset();
        return Insert::Done;
    }
    if (rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
        m_insert.reset();
        return Insert::KeyTaken;
    }
    failFromEngine();
}

void RegisterBuilder::finish(qint64 expectedRows)
{
    m_insert = SqlStatement();
    exec("COMMIT");
    if (const QString failure = checkFailure(m_db, expectedRows); !failure.isEmpty())
        throw AppError(failure);

    const int rc = sqlite3_close(m_db);
    m_db = nullptr;
    if (rc != SQLITE_OK)
        throw AppError(QStringLiteral("关闭新数据库时出错"));
    if (const int error = syncFile(m_path); error != 0)
        throw AppError(writeFailureText(error, QFileInfo(m_path).absolutePath()));
}

void RegisterBuilder::abandon()
{
    m_insert = SqlStatement();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}
