// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;

// Reads sheet `sheetIndex` of an OpenDocument spreadsheet (.ods) into
// `sink` and returns the names of its sheets. The document's content.xml
// is read with liborcus's XML parser. Each cell's value comes by its value
// type: numbers, currency amounts and percentages as the number they hold
// (30 % is 0.3), dates and times (durations) as dates, Yes/No values as
// booleans, texts as the text the cell shows, as LibreOffice Calc reads it
// (or its string value); an error as its text, a formula's cell as the
// value it was last computed to.
// Cells and rows written once with a repeat count come as often as they
// repeat, within a sheet's 1,048,576 rows and 16,384 columns. Throws
// AppError, or ReadCancelled when `control` asks.
QStringList readOds(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control);
