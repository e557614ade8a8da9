// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string_view>

class SheetRowSink;
struct ReadControl;
struct RegionalFormats;

// A sheet's cells as the import works with them: each one's text already
// the text the register would hold (texts as written, numbers plain, dates
// in the regional short date, Yes/No values as True/False), with the kind
// of value it came from, for the rules that look past the text.
enum class CellKind : std::uint8_t {
    Text,
    Number,
    Date,
    Boolean,
    Error,     // an error value ("#DIV/0!")
    NoResult,  // a formula whose file kept no value; the text is the formula
};
constexpr int cellKindCount = 6;

struct SheetCell {
    int column = 0;  // from 0
    CellKind kind = CellKind::Text;
    bool formula = false;  // the value of a formula (NoResult: always)
    std::string_view text;  // UTF-8
};

// Receives a sheet's cells in the order of its rows, as SheetRowSink does.
class SheetCellSink {
public:
    virtual ~SheetCellSink() = default;
    virtual void beginRow(qint64 rowNumber) = 0;
    virtual void cell(const SheetCell &cell) = 0;
    virtual void endRow() = 0;
};

// What a workbook says besides its cells.
struct WorkbookFacts {
    QStringList sheetNames;
    // The workbook asks to be calculated afresh when opened (xlsxwriter's
    // files), so the values its formulas kept may be stale.
    bool recalculateOnOpen = false;
    // Cells whose text held bytes that are no UTF-8; each such byte
    // became U+FFFD.
    qint64 repairedCells = 0;
};

// Reads sheet `sheetIndex` of the spreadsheet at `path` into `sink`, each
// cell as the register's text, and returns the workbook's facts. The sheet
// may hold no more than sheets/SheetLimits.h allows. Throws
// AppError, or ReadCancelled when `control` asks.
WorkbookFacts readSheetCells(const QString &path, int sheetIndex, const RegionalFormats &formats, SheetCellSink &sink,
                             ReadControl &control);

