// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;

// Reads sheet `sheetIndex` of an OpenDocument spreadsheet (.ods) into
// `sink` with liborcus and returns the names of its sheets. Cells of date
// type come as dates. Throws SpreadsheetError, or ReadCancelled when
// `control` asks.
QStringList readOds(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control);
