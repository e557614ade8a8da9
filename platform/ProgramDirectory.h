// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The directory of the running program's file, ending in a path separator.
// data.mdb and the backup files are named relative to it.
QString programDirectory();

// Points programDirectory() at another directory (tests run the windows on
// a register in a temporary directory). An empty path restores the default.
void setProgramDirectory(const QString &directory);

// The database file the program works on: programDirectory() + "data.mdb".
QString databasePath();
