// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// What the spreadsheet readers accept. Past these a file is refused before
// anything is made of it: no spreadsheet program can hold more, and what
// claims to is damaged or made to exhaust the reader.
namespace sheetLimits {

// A sheet's rows and columns (row 1,048,576, column XFD).
constexpr qint64 rows = 1048576;
constexpr int columns = 16384;

// The characters of one cell of an .xlsx or .ods sheet. A CSV file is
// plain text: its cells are held only to the bytes below, so that the
// program's own CSV export of a long remark comes back whole.
constexpr qint64 cellCharacters = 32767;
constexpr qint64 csvCellBytes = 16 * 1024 * 1024;

// One part of an .xlsx or .ods package, inflated (a sheet of 1,048,576
// rows of a tenant register takes about 600 MB), and how much smaller
// its compressed form may be: XML shrinks twenty- or thirtyfold, a file
// that inflates by far more is made to.
constexpr qint64 partBytes = 2047LL * 1024 * 1024;
constexpr qint64 inflateRatio = 200;
// Below this a part may inflate at any ratio (a sheet of empty cells).
constexpr qint64 smallPartBytes = 16 * 1024 * 1024;

// A sheet as the import holds it: its cells, and the bytes of their texts
// and places. 1,048,576 tenants of a dozen columns fit several times over.
constexpr qint64 tableCells = 32 * 1024 * 1024;
constexpr qint64 tableBytes = 512LL * 1024 * 1024;

} // namespace sheetLimits
