// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether the .xlsx file at `path`, as the export writes it (one sheet), is
// whole: a zip file that opens and holds every part a workbook of one sheet
// needs, each read back with its checksum right and ending in its root
// element's closing tag, the sheet with `rows` rows. libxlsxwriter packs
// each part from a temporary file whose failed writes it does not notice,
// so a full disk can leave parts empty or cut short in a package that
// otherwise opens.
bool isWholeExportPackage(const QString &path, qint64 rows);
