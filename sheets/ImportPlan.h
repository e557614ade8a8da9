// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/TenantRows.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class SheetTable;

// What an import from a spreadsheet will do, worked out from the sheet as
// it was read (a SheetTable) before anything is written: what becomes of
// each of its columns, the rows it adds and the rows it skips, with the
// reason.
//
// The header is the first row with a cell that names the register's 姓名
// (its own name or one landlords use, ImportColumns.h). Each column of the
// sheet becomes a register column, a TEXT column added after the
// register's columns, a part of 备注, or nothing: by default the columns
// whose header names a register column fill it, a running number is left
// out, and any other column with data is added; the landlord may choose
// otherwise. Every value is the text the register holds (SheetCells.h),
// amounts and dates written as text made plain (PlainAmount.h,
// WrittenDate.h). A row is added under the add page's rule, one record per
// name: rows with an empty name, or a name already in the register or
// earlier in the sheet, and totals rows are skipped; a name is compared
// exactly as it will be stored. Rows with nothing in them are no rows.

// The register's columns an import fills, in the order of TenantRows.
const std::array<QString, TenantRows::registerColumnCount> &importedColumns();

struct SkippedRow {
    qint64 row = 0;  // as the spreadsheet numbers it
    QString name;
    QString reason;
};

// What a column of the sheet becomes.
enum class ColumnUse : std::uint8_t {
    Register,    // the register column `registerColumn`
    NewColumn,   // a column after the register's own, named after the header
    IntoRemark,  // appended to 备注 as "header：value"
    LeaveOut,
};

struct ColumnChoice {
    ColumnUse use = ColumnUse::LeaveOut;
    int registerColumn = -1;  // for Register: an index into importedColumns()
    bool operator==(const ColumnChoice &) const = default;
};

struct SheetColumn {
    int column = 0;     // from 0
    QString header;     // its text in the header row, trimmed; may be empty
    bool hasData = false;
    ColumnChoice choice;
    // The header, or "第 3 列" when it has none.
    QString name() const;
};

struct ImportOptions {
    // Choices the landlord made, by sheet column; the rest take the default.
    std::unordered_map<int, ColumnChoice> choices;
    // Columns that name no register column are left out rather than added.
    bool skipUnmatched = false;
    // The columns the register's table has now: a column to add that it
    // has already (an earlier import's) is filled, not added again.
    QStringList registerColumns;
};

struct ImportPlan {
    // The sheet as it was read; `rows` refer to its texts.
    std::shared_ptr<const SheetTable> table;
    QStringList sheetNames;
    int sheetIndex = 0;
    ImportOptions options;
    // Why the sheet gives nothing to import (it is empty, it has no "姓名"
    // column, or no rows under its header); empty when it does.
    QString problem;
    qint64 headerRow = 0;
    // The header's columns and any other with data, in the sheet's order.
    std::vector<SheetColumn> columns;
    QStringList leftOutColumns;  // columns of the sheet with data that are not imported
    QStringList missingColumns;  // register columns no column of the sheet fills
    // Register columns (but 姓名 and 备注) that no row to add fills.
    QStringList emptyColumns;
    // The columns the rows fill after the register's own seven, and those
    // of them the table does not have yet.
    QStringList extraColumns;
    QStringList addedColumns;
    TenantRows rows;             // the rows to add
    std::vector<SkippedRow> skipped;
    // Rows that are added but have something the landlord should look at:
    // an amount the totals cannot add, a formula without its result.
    std::vector<SkippedRow> notes;
    qint64 unreadableDates = 0;  // date texts kept as written
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
ImportPlan planImport(std::shared_ptr<const SheetTable> table, const NameSet &registerNames,
                      const ImportOptions &options = {});

// Names of columns for one line of text: up to twenty, then how many there
// are in all ("甲、乙、… 等 15999 列").
QString summarisedColumns(const QStringList &names);

// What the preview and the command line say of date texts kept as written.
QString unreadableDatesText(qint64 dates);

// What the preview and the command line say when cells held bytes that
// are no UTF-8.
QString repairedCellsText(qint64 cells);
