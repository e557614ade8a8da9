#include "register/DatabaseBackup.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ReadTransaction.h"
#include "platform/FileCopy.h"
#include "platform/ProgramDirectory.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace {

// No separator of any platform, and not "." or "..": the file stays in the
// program directory.
bool namesFileInProgramDirectory(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    return name != QLatin1String(".") && name != QLatin1String("..");
}

// Compares the files themselves, not their spellings: another case on a file
// system that ignores case, or a link to the file, is the same file.
bool isSameFile(const QString &a, const QString &b)
{
    if (!QFileInfo::exists(a) || !QFileInfo::exists(b))
        return false;
    std::error_code error;
    return std::filesystem::equivalent(QFileInfo(a).filesystemFilePath(), QFileInfo(b).filesystemFilePath(), error)
        && !error;
}

// The program's connection, opened if need be; null when the engine cannot
// open the file (it is no database, or the program started without one).
sqlite3 *openedConnection(TADOConnection &connection)
{
    try {
        return connection.handle();
    } catch (const AppError &) {
        return nullptr;
    }
}

// A file in write-ahead-log mode keeps its latest commits in data.mdb-wal,
// not in data.mdb. They are written into data.mdb first, and the copy is
// taken only while a read holds them there: a reader that found the log
// empty keeps checkpoints out of data.mdb.
bool walIsEmpty(const QString &database)
{
    const QFileInfo log(database + QStringLiteral("-wal"));
    return !log.exists() || log.size() == 0;
}

bool usesWriteAheadLog(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    bool wal = false;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        wal = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "wal") == 0;
    sqlite3_finalize(statement);
    return wal;
}

// Copies the database under a read transaction, which keeps writers (in
// rollback-journal mode) or checkpoints (in WAL mode) out of the file.
// Whether the file uses a log is asked inside that transaction, once it has
// read the file: another program may have switched it to WAL since the
// program last read it. A log with commits in it is written into the file
// first; a writer that commits meanwhile puts its change in the log again,
// so a few tries, then the backup fails. So does a checkpoint that another
// program's reader holds up.
bool copyHeldStill(TADOConnection &connection, sqlite3 *db, const QString &database, const QString &backup)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        {
            const ReadTransaction transaction(db);
            if (!transaction.locked())
                return false;
            if (!usesWriteAheadLog(db) || walIsEmpty(database))
                return copyFileReplacing(database, backup, backupTemporaryPath());
        }
        const int rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        connection.noteOwnWrite();
        if (rc != SQLITE_OK)
            return false;
    }
    return false;
}

} // namespace

QString backupTemporaryPath()
{
    return programDirectory() + QStringLiteral("Quillmere-backup.tmp");
}

QString backupPath(const QString &name)
{
    return programDirectory() + name + QStringLiteral(".mdb");
}

bool backupDatabase(TADOConnection &connection, const QString &name)
{
    const QString database = databasePath();
    const QString backup = backupPath(name);
    if (!namesFileInProgramDirectory(name) || !QFileInfo(database).isFile() || isSameFile(backup, database))
        return false;

    // Only a file held still by the engine's lock is copied: a file the
    // engine cannot read as a database, or one a writer keeps locked, could
    // replace a good backup of that name with a useless or torn one.
    sqlite3 *db = openedConnection(connection);
    return db && copyHeldStill(connection, db, database, backup);
}
