// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/BackupCatalogue.h"

#include "db/RegisterFile.h"
#include "platform/ProgramDirectory.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The name a conversion keeps the Access original under: data_access.mdb,
// data_access_2.mdb, ...
bool isKeptAccessName(const QString &name)
{
    static const QRegularExpression kept(QStringLiteral("^data_access(_\\d+)?\\.mdb$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return kept.match(name).hasMatch();
}

} // namespace

QList<BackupFile> BackupCatalogue::backups()
{
    const QDir directory(programDirectory());
    const FileIdentity database = fileIdentityOf(databasePath());
    QHash<QString, Seen> seenNow;
    QList<BackupFile> found;
    for (const QFileInfo &file : directory.entryInfoList({QStringLiteral("*.mdb")}, QDir::Files | QDir::Hidden)) {
        const QString path = file.absoluteFilePath();
        const FileIdentity identity = fileIdentityOf(path);
        if (isKeptAccessName(file.fileName()) || identity.sameFileAs(database))
            continue;
        Seen seen = m_seen.value(path);
        if (!(seen.identity == identity)) {
            seen = {identity, isRegisterFile(path), std::nullopt};
            if (seen.isRegister)
                seen.records = registerRecordCount(path);
        }
        seenNow.insert(path, seen);
        if (seen.isRegister)
            found.append({path, file.fileName(), file.lastModified(), seen.records});
    }
    m_seen = seenNow;
    std::sort(found.begin(), found.end(), [](const BackupFile &a, const BackupFile &b) {
        return a.lastChanged != b.lastChanged ? a.lastChanged > b.lastChanged : a.name < b.name;
    });
    return found;
}
