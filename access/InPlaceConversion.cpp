// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/InPlaceConversion.h"

#include "db/AccessDatabaseFile.h"
#include "db/RegisterBuilder.h"
#include "db/ADOConnection.h"
#include "platform/FileSteps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Files of an earlier run that was stopped before it could tidy up.
void removeLeftovers(const QString &target)
{
    QFile::remove(conversionTemporaryPath(target));
    const QFileInfo info(target);
    const QDir directory = info.absoluteDir();
    const QStringList copies = directory.entryList(
        {info.completeBaseName() + QStringLiteral("_access*.") + info.suffix() + QStringLiteral(".copying")},
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &copy : copies)
        QFile::remove(directory.filePath(copy));
}

} // namespace

QString keptAccessPath(const QString &databasePath)
{
    const QFileInfo info(databasePath);
    const QString stem = info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("_access"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const FileIdentity database = fileIdentityOf(databasePath);
    for (int number = 1;; ++number) {
        const QString candidate = number == 1 ? stem + suffix : stem + QLatin1Char('_') + QString::number(number) + suffix;
        const QFileInfo there(candidate);
        if (!there.exists() && !there.isSymLink())
            return candidate;
        if (fileIdentityOf(candidate).sameFileAs(database))
            return candidate;
    }
}

QString prepareInPlaceConversion(const QString &databasePath)
{
    const QString directory = QFileInfo(databasePath).absolutePath();
    if (!QFileInfo(databasePath).isFile())
        return QStringLiteral("找不到文件“%1”").arg(shown(databasePath));
    if (accessDatabaseRefusal(databasePath).isEmpty())
        return notAccessText(databasePath);
    if (fileIdentityOf(databasePath).markedReadOnly())
        return QStringLiteral("数据库文件被设为只读");
    if (fileIdentityOf(directory).markedReadOnly())
        return writeFailureText(EACCES, directory);
    removeLeftovers(databasePath);
    return {};
}

ConversionResult finishInPlaceConversion(const QString &databasePath, const FileIdentity &before,
                                         ConversionResult result)
{
    const FileSizeSignalIgnored fileSizeSignal;
    const QString directory = QFileInfo(databasePath).absolutePath();
    const QString temporary = conversionTemporaryPath(databasePath);
    auto giveUp = [&](const QString &text) {
        QFile::remove(temporary);
        result.succeeded = false;
        result.failure = text;
        return result;
    };
    if (!result.succeeded)
        return giveUp(result.failure);
    // The child's word is not taken for it: the register must be whole here.
    if (const QString failure = registerCheckFailure(temporary, result.rows); !failure.isEmpty())
        return giveUp(failure);
    if (const int error = syncFile(temporary); error != 0)
        return giveUp(writeFailureText(error, directory));
    if (!(fileIdentityOf(databasePath) == before))
        return giveUp(QStringLiteral("转换期间数据库文件被其他程序改动了"));

    // The Access file takes its kept name before the register takes its place.
    QString kept;
    bool keptNow = false;
    for (int attempt = 0; attempt < 3 && kept.isEmpty(); ++attempt) {
        const QString candidate = keptAccessPath(databasePath);
        if (fileIdentityOf(candidate).sameFileAs(before)) {
            kept = candidate;
        } else if (const int error = keepUnderName(databasePath, candidate); error == 0) {
            kept = candidate;
            keptNow = true;
        } else if (error != EEXIST) {
            return giveUp(writeFailureText(error, directory));
        }
    }
    if (kept.isEmpty())
        return giveUp(writeFailureText(EEXIST, directory));
    auto undoKeep = [&] {
        if (keptNow)
            QFile::remove(kept);
    };
    if (const int error = syncDirectory(directory); error != 0) {
        undoKeep();
        return giveUp(writeFailureText(error, directory));
    }
    if (const int error = publishFile(temporary, databasePath, ExistingFile::Replace); error != 0) {
        undoKeep();
        return giveUp(writeFailureText(error, directory));
    }
    result.keptPath = kept;
    return result;
}
