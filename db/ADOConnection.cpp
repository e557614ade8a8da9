// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/ADOConnection.h"

#include "db/AccessDatabaseFile.h"

#include "db/AppError.h"
#include "db/LeaseDate.h"
#include "db/PlainAmount.h"
#include "db/SqlStatement.h"

#include <QFile>

#include <sqlite3.h>

namespace {

// Runs a statement that returns at most one text; throws on failure.
QString singleText(sqlite3 *db, const char *sql)
{
    SqlStatement statement(db, sql);
    const int rc = statement.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        statement.throwError();
    return rc == SQLITE_ROW ? statement.columnString(0) : QString();
}

// Switches the file to a rollback journal, which keeps it a whole database
// between statements, so that a byte copy of it is a valid backup. While
// another program holds the file open in write-ahead-log mode, SQLite
// refuses the switch at once; the program then works in that mode, and a
// backup first writes the log into the file.
void useRollbackJournal(sqlite3 *db)
{
    if (singleText(db, "PRAGMA journal_mode").compare(QStringLiteral("delete"), Qt::CaseInsensitive) == 0)
        return;
    const int rc = executeSql(db, "PRAGMA journal_mode=DELETE");
    if (rc != SQLITE_OK && (rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED)
        throwEngineError(db);
}

} // namespace

TADOConnection::TADOConnection(QObject *parent)
    : QObject(parent)
{
}

TADOConnection::~TADOConnection()
{
    Close();
}

void TADOConnection::setDatabaseFile(const QString &path)
{
    m_databaseFile = path;
}

sqlite3 *TADOConnection::handle()
{
    if (m_db)
        checkStillTheSameFile();
    else
        open();
    return m_db;
}

void TADOConnection::checkStillTheSameFile()
{
    const FileIdentity now = fileIdentityOf(m_databaseFile);
    if (now.unchangedSince(m_seen))
        return;
    // SQLite keeps working on a file that was deleted or replaced under it;
    // the user's data.mdb is whatever is at the path now.
    if (!now.sameFileAs(m_seen)) {
        Close();
        throw AppError(replacedFileNotice());
    }
    // Someone else wrote into the file. SQLite trusts its cached pages while
    // the header's change counter is the same, which a register copied over
    // the file in place (cp) may well have: the pages are read afresh. The
    // rows listed before stay writable, each write naming its row by key and
    // by every value read.
    if (sqlite3_get_autocommit(m_db)) {
        Close();
        open();
    }
}

void TADOConnection::noteOwnWrite()
{
    // Only the size and times: a file put in place of the opened one is
    // still noticed.
    if (const FileIdentity now = fileIdentityOf(m_databaseFile); m_db && now.sameFileAs(m_seen))
        m_seen = now;
}

QString TADOConnection::replacedFileNotice() const
{
    return QStringLiteral("数据库文件“%1”已被删除、移动或替换").arg(m_databaseFile);
}

void TADOConnection::open()
{
    // Without a database file there is nothing to open; SQLite would open a
    // temporary database for an empty name.
    if (m_databaseFile.isEmpty())
        throwEngineError(SQLITE_CANTOPEN);

    if (const QString refusal = accessDatabaseRefusal(m_databaseFile); !refusal.isEmpty())
        throw AppError(refusal);

    // A file marked read-only is opened read-only, also for a user (root)
    // whom the file system would let write it.
    const FileIdentity identity = fileIdentityOf(m_databaseFile);
    const bool readOnly = identity.markedReadOnly();
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(m_databaseFile);
    // Only the GUI thread uses the connection: no per-call locking.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = db ? engineErrorText(db) : engineErrorText(rc);
        sqlite3_close(db);
        throw AppError(text);
    }
    try {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, busyTimeoutMs);
        if (registerLeaseDayFunction(db, &m_unreadableLeaseDays) != SQLITE_OK
            || registerAmountFunction(db) != SQLITE_OK)
            throwEngineError(db);
        // Reading the journal mode reads the file's header, so a file that is
        // no database fails here with the engine's own text.
        if (!readOnly)
            useRollbackJournal(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    m_db = db;
    if (!identity.sameFileAs(m_seen))
        ++m_generation;
    // As the switch of the journal left it.
    const FileIdentity opened = fileIdentityOf(m_databaseFile);
    m_seen = opened.sameFileAs(identity) ? opened : identity;
}

void TADOConnection::Close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}
