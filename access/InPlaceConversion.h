// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/ConversionResult.h"
#include "platform/FileSteps.h"
#include "platform/FileIdentity.h"

// Converting the Access file data.mdb into a register in its place: the
// steps before and after the reading, which a child process does (libmdb
// never runs in the program's own). The register is built beside the file
// under conversionTemporaryPath(); once it is checked and synced, the
// Access file takes its kept name (keptAccessPath(): a hard link, else a
// checked copy) and the register is renamed over the file. At every moment
// the file is either the untouched Access file or the complete register,
// and the Access file's bytes are never changed; anything that fails
// changes nothing and leaves no file behind.

// Why the Access file at `databasePath` cannot be converted in place;
// empty when it can, after clearing what an earlier run that was killed
// left beside it.
QString prepareInPlaceConversion(const QString &databasePath);

// After the child built `built` at conversionTemporaryPath(databasePath):
// checks that register, and puts it in the Access file's place, which must
// still be the file `before` was taken of.
ConversionResult finishInPlaceConversion(const QString &databasePath, const FileIdentity &before,
                                         ConversionResult built);

// The first free name among "data_access.mdb", "data_access_2.mdb", ...
// beside `databasePath`, under which the Access file is kept. A name that
// already is the same file as `databasePath` (an earlier run stopped short)
// counts as free.
QString keptAccessPath(const QString &databasePath);
