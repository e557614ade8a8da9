#include "register/DatabaseBackup.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ReadTransaction.h"
#include "platform/FileCopy.h"
#include "platform/ProgramDirectory.h"

#include <QFileInfo>

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

} // namespace

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
    if (!db)
        return false;
    const ReadTransaction transaction(db);
    return transaction.locked() && copyFileReplacing(database, backup);
}
