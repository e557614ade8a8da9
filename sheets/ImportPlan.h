// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/TenantRows.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct ReadControl;
struct RegionalFormats;

// What an import from a spreadsheet will do, worked out before anything is
// written: the rows it adds and the rows it skips, with the reason.
//
// The header is the first row with a cell "姓名"; its cells name the
// columns, matched by their text (blanks around it ignored) to the
// register's columns 姓名 房号 租金 押金 入住日期 到期日期 备注. Every value
// becomes the text the register holds: texts as written, integers plain,
// other numbers in their shortest form, cells of date type in the regional
// short date with the long time when it is not midnight. A row is added
// under the add page's rule, one record per name: rows with an empty name,
// or a name already in the register or earlier in the sheet, are skipped.
// Rows with nothing in them are no rows.

// The register's columns an import fills, in the order of TenantRows.
const std::array<QString, TenantRows::columnCount> &importedColumns();

struct SkippedRow {
    qint64 row = 0;  // as the spreadsheet numbers it
    QString name;
    QString reason;
};

struct ImportPlan {
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
};

// Names as UTF-8, looked up by view.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};
using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;

// Reads sheet `sheetIndex` of the spreadsheet at `path` and plans its
// import into a register that holds `registerNames`. Throws
// SpreadsheetError for a file that cannot be read, and ReadCancelled when
// `control` asks.
ImportPlan planImport(const QString &path, int sheetIndex, const NameSet &registerNames,
                      const RegionalFormats &formats, ReadControl &control);
