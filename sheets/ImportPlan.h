// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/TenantRows.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class SheetTable;

// What an import from a spreadsheet will do, worked out from the sheet as
// it was read (a SheetTable) before anything is written: the rows it adds
// and the rows it skips, with the reason.
//
// The header is the first row with a cell "姓名"; its cells name the
// columns, matched by their text (blanks around it ignored) to the
// register's columns 姓名 房号 租金 押金 入住日期 到期日期 备注. Every value
// is the text the register holds (SheetCells.h). A row is added under the
// add page's rule, one record per name: rows with an empty name, or a name
// already in the register or earlier in the sheet, are skipped; a name is
// compared exactly as it will be stored. Rows with nothing in them are no
// rows.

// The register's columns an import fills, in the order of TenantRows.
const std::array<QString, TenantRows::columnCount> &importedColumns();

struct SkippedRow {
    qint64 row = 0;  // as the spreadsheet numbers it
    QString name;
    QString reason;
};

struct ImportPlan {
    // The sheet as it was read; `rows` refer to its texts.
    std::shared_ptr<const SheetTable> table;
    QStringList sheetNames;
    int sheetIndex = 0;
    // Why the sheet gives nothing to import (it is empty, it has no "姓名"
    // column, or no rows under its header); empty when it does.
    QString problem;
    qint64 headerRow = 0;
    QStringList leftOutColumns;  // columns of the sheet that are not imported
    QStringList missingColumns;  // register columns the sheet lacks; they stay empty
    TenantRows rows;             // the rows to add
    std::vector<SkippedRow> skipped;
    qint64 repairedCells = 0;    // cells whose bytes that were no UTF-8 became U+FFFD
};

// Names as UTF-8, looked up by view.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};
using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;
using NameViews = std::unordered_map<std::string_view, qint64, NameHash, std::equal_to<>>;

// Plans the import of `table` into a register that holds `registerNames`.
ImportPlan planImport(std::shared_ptr<const SheetTable> table, const NameSet &registerNames);

// Names of columns for one line of text: up to twenty, then how many there
// are in all ("甲、乙、… 等 15999 列").
QString summarisedColumns(const QStringList &names);

// What the preview and the command line say when cells held bytes that
// are no UTF-8.
QString repairedCellsText(qint64 cells);
