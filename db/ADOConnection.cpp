#include "db/ADOConnection.h"

#include "db/AppError.h"
#include "db/LeaseDate.h"

#include <QFile>

#include <sqlite3.h>

void throwEngineError(sqlite3 *db)
{
    throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
}

void throwEngineError(int resultCode)
{
    throw AppError(QString::fromUtf8(sqlite3_errstr(resultCode)));
}

namespace {

// Runs a statement that returns at most one text; throws on failure.
QString singleText(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throwEngineError(db);
    QString text;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throwEngineError(db);
    return text;
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
    if (!m_db)
        open();
    return m_db;
}

void TADOConnection::open()
{
    // Without a database file there is nothing to open; SQLite would open a
    // temporary database for an empty name.
    if (m_databaseFile.isEmpty())
        throwEngineError(SQLITE_CANTOPEN);

    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(m_databaseFile);
    const int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw AppError(text);
    }
    try {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, busyTimeoutMs);
        if (registerLeaseDayFunction(db) != SQLITE_OK)
            throwEngineError(db);
        // Reading the journal mode reads the file's header, so a file that is
        // no database fails here with the engine's own text. A rollback
        // journal keeps the file a whole database between statements, so
        // a byte copy of it is a valid backup.
        if (singleText(db, "PRAGMA journal_mode").compare(QStringLiteral("delete"), Qt::CaseInsensitive) != 0)
            singleText(db, "PRAGMA journal_mode=DELETE");
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    m_db = db;
}

void TADOConnection::Close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}
