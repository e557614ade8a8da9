// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/DatabaseBackup.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ReadTransaction.h"
#include "db/RegisterFile.h"
#include "db/SqlStatement.h"
#include "platform/FileCopy.h"
#include "platform/FileIdentity.h"
#include "platform/ProgramDirectory.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

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
    return fileIdentityOf(a).sameFileAs(fileIdentityOf(b));
}

// What is at the backup path is replaced only where nothing is lost: nothing
// at all, a symbolic link (the file it names is left as it is), or an
// earlier backup, which is a register. Anything else, the Access original
// that a conversion kept, a text file, a folder, stays as it is.
bool mayReplace(const QFileInfo &there)
{
    return there.isSymLink() || !there.exists() || isRegisterFile(there.filePath());
}

// Two days can share a backup name where the short date format drops
// leading zeros (2026/1/29 and 2026/12/9 both give 2026129_BAK_). A backup
// of the name last changed on another day takes a name that holds its own
// date, "2026129_BAK_ (2026-01-29).mdb", or with " 2", " 3", ... after the
// date while that is taken. Returns that name; empty when the backup stays
// where it is (none, or one of today) and also when it cannot be moved, as
// `moved` tells.
QString keepOtherDaysBackup(const QFileInfo &there, const QDate &today, bool *moved)
{
    *moved = true;
    if (there.isSymLink() || !there.exists())
        return {};
    const QDate day = there.lastModified().date();
    if (day == today)
        return {};
    const QString stem = there.absolutePath() + QLatin1Char('/') + there.completeBaseName() + QStringLiteral(" (")
        + day.toString(Qt::ISODate) + QLatin1Char(')');
    for (int number = 1; number < 1000; ++number) {
        const QString kept = stem + (number > 1 ? QStringLiteral(" %1").arg(number) : QString()) + QStringLiteral(".mdb");
        const QFileInfo taken(kept);
        // Renaming never replaces what is at the new name.
        if (!taken.exists() && !taken.isSymLink() && QFile::rename(there.filePath(), kept))
            return kept;
    }
    *moved = false;
    return {};
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
    SqlStatement statement;
    return statement.tryPrepare(db, "PRAGMA journal_mode") && statement.step() == SQLITE_ROW
        && statement.columnText(0) == "wal";
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

bool backupDatabase(TADOConnection &connection, const QString &name, const QDate &today)
{
    const QString database = databasePath();
    const QString backup = backupPath(name);
    const QFileInfo there(backup);
    if (!namesFileInProgramDirectory(name) || !QFileInfo(database).isFile() || isSameFile(backup, database)
        || !mayReplace(there))
        return false;

    // Only a file held still by the engine's lock is copied: a file the
    // engine cannot read as a database, or one a writer keeps locked, could
    // replace a good backup of that name with a useless or torn one.
    sqlite3 *db = openedConnection(connection);
    if (!db)
        return false;
    bool moved = false;
    const QString kept = keepOtherDaysBackup(there, today, &moved);
    if (!moved)
        return false;
    if (copyHeldStill(connection, db, database, backup))
        return true;
    // The other day's backup goes back to its name.
    if (!kept.isEmpty())
        QFile::rename(kept, backup);
    return false;
}

bool copyDatabaseTo(TADOConnection &connection, const QString &target)
{
    const QString database = databasePath();
    if (sqlite3 *db = openedConnection(connection))
        return copyHeldStill(connection, db, database, target);
    return copyFileReplacing(database, target, backupTemporaryPath());
}
