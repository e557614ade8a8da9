// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

class TADOConnection;

// The backup file for a backup name: programDirectory() + name + ".mdb".
QString backupPath(const QString &name);

// The one temporary file a backup writes before it renames it to the backup
// file; a backup cut short leaves it behind, and the next backup removes it.
QString backupTemporaryPath();

// Copies the database file byte for byte to the backup file of `name`,
// replacing an earlier backup of that name only with a complete copy.
// The copy is taken inside a read transaction on `connection`, so that no
// writer changes the file meanwhile, and holds every committed change also
// when another program switched the file to write-ahead logging. A link at
// the backup path is replaced by the copy, never written through. An earlier
// backup last changed on another day than `today` is kept under a name that
// holds its own date. Refused, with nothing written: a name with a directory
// part (backups live in the program directory only), a name whose backup
// file is the database file itself, and a backup path that holds anything
// but a register or a link. Returns whether this copy is now at the backup
// path.
bool backupDatabase(TADOConnection &connection, const QString &name, const QDate &today);

// Copies the database file to `target`, a new name, as a backup copies it:
// held still by the engine's lock, the log written in first. A file the
// engine cannot open as a database (a damaged one) is copied as it is, so
// that nothing is lost. Returns whether the whole copy is at `target`.
bool copyDatabaseTo(TADOConnection &connection, const QString &target);
