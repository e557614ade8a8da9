// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileIdentity.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// A backup beside the program that a restore can bring back.
struct BackupFile {
    QString path;
    QString name;  // the file's name
    QDateTime lastChanged;
    std::optional<long long> records;  // none when its rows cannot be counted
};

// The backups in the program directory: the files whose names end in
// ".mdb" that are registers, newest first, without data.mdb itself and
// without the Access original a conversion kept (data_access*.mdb). Each
// file is only read; its record count is read again only when the file
// changed since the last look.
class BackupCatalogue {
public:
    QList<BackupFile> backups();

private:
    struct Seen {
        FileIdentity identity;
        bool isRegister = false;
        std::optional<long long> records;
    };
    QHash<QString, Seen> m_seen;
};
