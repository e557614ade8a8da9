// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/DatabaseRestore.h"

#include "db/ADOConnection.h"
#include "db/AccessDatabaseFile.h"
#include "db/RegisterFile.h"
#include "platform/FileCopy.h"
#include "platform/FileIdentity.h"
#include "platform/FileSteps.h"
#include "platform/ProgramDirectory.h"
#include "register/DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

bool somethingAt(const QString &path)
{
    const QFileInfo there(path);
    return there.exists() || there.isSymLink();
}

// A rollback journal or a log beside data.mdb with changes in it: another
// program is writing the file, or crashed while it did. Such changes belong
// to the old file and must never be played into the restored one.
bool changesPendingBeside(const QString &database)
{
    for (const char *suffix : {"-journal", "-wal"}) {
        const QFileInfo beside(database + QLatin1String(suffix));
        if (beside.exists() && beside.size() > 0)
            return true;
    }
    return false;
}

QString writeFailure(int error)
{
    return QStringLiteral("无法写入程序目录（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

QString safetyBackupName(const QDateTime &now)
{
    const QString stem = QStringLiteral("恢复前_") + now.toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString name = stem + QStringLiteral(".mdb");
    for (int number = 2; somethingAt(programDirectory() + name); ++number)
        name = stem + QStringLiteral("_%1.mdb").arg(number);
    return name;
}

QString restoreTemporaryPath()
{
    return programDirectory() + QStringLiteral("Quillmere-restore.tmp");
}

RestoreOutcome restoreBackup(TADOConnection &connection, const QString &backup, const QString &safetyName)
{
    const QString database = databasePath();
    const QString directory = programDirectory();
    const QString temporary = restoreTemporaryPath();
    const QString safety = directory + safetyName;
    RestoreOutcome outcome;
    const auto refuse = [&](const QString &why) {
        QFile::remove(temporary);
        if (!outcome.safetyBackup.isEmpty())
            QFile::remove(safety);
        outcome.safetyBackup.clear();
        outcome.failure = why;
        return outcome;
    };

    const FileIdentity chosen = fileIdentityOf(backup);
    if (!QFileInfo(backup).isFile())
        return refuse(QStringLiteral("文件已不存在"));
    if (chosen.sameFileAs(fileIdentityOf(database)))
        return refuse(QStringLiteral("它就是当前的数据库文件"));
    if (!accessDatabaseRefusal(backup).isEmpty())
        return refuse(QStringLiteral("它是 Access 数据库，不是登记表的备份"));
    // Someone marked the register not to be written; a restore writes it.
    if (const FileIdentity current = fileIdentityOf(database); current.exists && !current.markedWritable)
        return refuse(QStringLiteral("数据库文件被设为只读"));

    // The backup's bytes as they were at one moment, in a file of the
    // program's own: what is checked is what takes data.mdb's place.
    QFile::remove(temporary);
    if (!copyToNewFile(backup, temporary))
        return refuse(QStringLiteral("无法读取它，或无法在程序目录中写入它的副本"));
    if (!(fileIdentityOf(backup) == chosen) || !sameFileBytes(backup, temporary))
        return refuse(QStringLiteral("读取期间文件被改动了"));
    QString failure;
    const std::optional<long long> records = checkedRegisterRecords(temporary, &failure);
    if (!records)
        return refuse(failure);

    // data.mdb is kept first, whole, under a name of its own.
    if (somethingAt(database)) {
        if (somethingAt(safety))
            return refuse(QStringLiteral("“%1”已存在").arg(safetyName));
        if (!copyDatabaseTo(connection, safety))
            return refuse(QStringLiteral("恢复前无法备份当前的数据库"));
        outcome.safetyBackup = safetyName;
    }
    const FileIdentity kept = fileIdentityOf(database);
    connection.Close();
    if (changesPendingBeside(database))
        return refuse(QStringLiteral("数据库文件正被其他程序使用"));
    if (!(fileIdentityOf(database) == kept))
        return refuse(QStringLiteral("恢复期间数据库文件被其他程序改动了"));
    // The restored register may be used as the old one was.
    if (kept.exists)
        QFile::setPermissions(temporary, QFile::permissions(database));
    // The safety backup's name reached the disk when it was put in place.
    if (const int error = publishFile(temporary, database, ExistingFile::Replace); error != 0)
        return refuse(writeFailure(error));
    outcome.restored = true;
    outcome.records = *records;
    return outcome;
}
