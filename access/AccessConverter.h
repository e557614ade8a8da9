// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/ConversionResult.h"

struct RegionalFormats;

// Converts the table `data` of an Access database into the program's
// register: the eight named columns by name (a missing one gives NULL), the
// AutoNumber column (else the first integer column that is not one of the
// eight) as ID, otherwise the rows numbered 1, 2, ... in the file's order;
// every other column as a TEXT column after the eight, except OLE objects,
// binary columns and calculated columns whose values are in a form not
// understood, which are left out and named. Every value becomes the text
// the register holds. This reads the file with libmdb: the program itself
// runs it in a child process (larkhaven-convert), never in its own.

// Builds the register of the Access file `source` at `path`, where nothing
// may be yet. Unless it succeeds, nothing is left at `path`.
ConversionResult buildRegisterFromAccess(const QString &source, const QString &path, const RegionalFormats &formats,
                                         const ConversionProgress &progress = {});

// Converts the Access file `source` into a new register file `target`,
// which must not exist yet: built under conversionTemporaryPath(target),
// checked and synced, then given the name `target`.
ConversionResult convertAccessFile(const QString &source, const QString &target, const RegionalFormats &formats,
                                   const ConversionProgress &progress = {});
