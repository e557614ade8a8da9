// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

class TADOConnection;

// What a restore did: either the backup is data.mdb now, or nothing was
// changed and `failure` says why.
struct RestoreOutcome {
    bool restored = false;
    QString failure;
    // The name the register was backed up under first; empty when there
    // was no data.mdb to keep.
    QString safetyBackup;
    long long records = 0;  // in the restored register
};

// The name restoreBackup() keeps data.mdb under before replacing it,
// "恢复前_2026-12-09_103000.mdb" at `now`, with "_2", "_3", ... before
// ".mdb" while that name is taken.
QString safetyBackupName(const QDateTime &now);

// The one temporary file a restore copies the backup into; a restore cut
// short leaves it behind, and the next one removes it.
QString restoreTemporaryPath();

// Puts the register `backup` in data.mdb's place. The backup is copied into
// a file of the program's own beside data.mdb, which must hold its bytes
// read at one moment (refused: a backup changed while it was read) and be a
// whole register (refused: the Access original, a file that is no
// register, a damaged one); then data.mdb is backed up as `safetyName` in
// the program directory, the copy is synced and renamed over data.mdb, and
// the directory synced. `connection` is closed before the rename, so that
// the next use opens the restored file and the rows listed before count as
// rows of a replaced file. A kill at any moment leaves data.mdb whole, the
// old register or the restored one; the backup itself is only read. On a
// refusal nothing is changed.
RestoreOutcome restoreBackup(TADOConnection &connection, const QString &backup, const QString &safetyName);
