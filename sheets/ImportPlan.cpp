// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ImportPlan.h"

#include "platform/Utf8Text.h"
#include "sheets/SheetTable.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

namespace {

constexpr int leftOut = -1;
constexpr int unnamed = -2;
constexpr int namesShown = 20;

QString trimmedText(std::string_view text)
{
    return fromUtf8(text).trimmed();
}

bool hasValue(const SheetTable &table, qsizetype row)
{
    const SheetTable::Cells cells = table.cells(row);
    return std::any_of(cells.begin(), cells.end(), [](const SheetCell &cell) { return !cell.text.empty(); });
}

// The first row with something in it that has a cell "姓名"; -1 if none.
qsizetype headerRowOf(const SheetTable &table)
{
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        const SheetTable::Cells cells = table.cells(row);
        if (std::any_of(cells.begin(), cells.end(),
                        [](const SheetCell &cell) { return trimmedText(cell.text) == importedColumns()[0]; }))
            return row;
    }
    return -1;
}

} // namespace

const std::array<QString, TenantRows::columnCount> &importedColumns()
{
    static const std::array<QString, TenantRows::columnCount> columns{
        QStringLiteral("姓名"),     QStringLiteral("房号"),     QStringLiteral("租金"), QStringLiteral("押金"),
        QStringLiteral("入住日期"), QStringLiteral("到期日期"), QStringLiteral("备注")};
    return columns;
}

ImportPlan planImport(std::shared_ptr<const SheetTable> sheet, const NameSet &registerNames)
{
    ImportPlan plan;
    const SheetTable &table = *sheet;
    plan.table = std::move(sheet);
    plan.sheetNames = table.facts.sheetNames;
    plan.sheetIndex = table.sheetIndex;
    plan.repairedCells = table.facts.repairedCells;
    const QString sheetName = plan.sheetNames.value(plan.sheetIndex);

    const qsizetype header = headerRowOf(table);
    if (header < 0) {
        bool anyValue = false;
        for (qsizetype row = 0; row < table.rowCount() && !anyValue; ++row)
            anyValue = hasValue(table, row);
        plan.problem = anyValue ? QStringLiteral("工作表“%1”中找不到“姓名”列（表头须有一格写着“姓名”）").arg(sheetName)
                                : QStringLiteral("工作表“%1”是空的").arg(sheetName);
        return plan;
    }
    plan.headerRow = table.sourceRow(header);

    // Per sheet column: the register column it fills, leftOut or unnamed.
    std::vector<int> targets(std::size_t(table.columnCount()), unnamed);
    TenantRows::Sources sources;
    sources.fill(-1);
    for (const SheetCell &cell : table.cells(header)) {
        const QString text = trimmedText(cell.text);
        const auto *found = std::find(importedColumns().begin(), importedColumns().end(), text);
        const auto index = std::size_t(found - importedColumns().begin());
        if (index < importedColumns().size() && sources[index] < 0) {
            targets[std::size_t(cell.column)] = int(index);
            sources[index] = cell.column;
        } else if (!text.isEmpty()) {
            targets[std::size_t(cell.column)] = leftOut;
            plan.leftOutColumns << text;
        }
    }

    plan.rows = TenantRows(table, sources);
    std::set<int> unnamedWithData;
    NameViews seen;  // name -> first row
    seen.reserve(std::size_t(table.rowCount() - header));
    for (qsizetype row = header + 1; row < table.rowCount(); ++row) {
        // One walk along the row: whether it has anything, its name (the
        // first cell of the 姓名 column, as TenantRows takes it) and the
        // columns without a name that hold something.
        bool anyValue = false;
        std::optional<std::string_view> name;
        for (const SheetCell &cell : table.cells(row)) {
            if (cell.column == sources[0] && !name)
                name = cell.text;
            if (cell.text.empty())
                continue;
            anyValue = true;
            if (targets[std::size_t(cell.column)] == unnamed)
                unnamedWithData.insert(cell.column);
        }
        if (!anyValue)
            continue;
        const qint64 sourceRow = table.sourceRow(row);
        const auto skip = [&](const QString &reason) {
            plan.skipped.push_back({sourceRow, name ? fromUtf8(*name) : QString(), reason});
        };
        if (!name || name->empty()) {
            skip(QStringLiteral("姓名为空"));
        } else if (registerNames.contains(*name)) {
            skip(QStringLiteral("登记表中已有此姓名"));
        } else if (const auto earlier = seen.find(*name); earlier != seen.end()) {
            skip(QStringLiteral("与第 %1 行的姓名相同").arg(earlier->second));
        } else {
            seen.emplace(*name, sourceRow);
            plan.rows.append(row);
        }
    }
    if (plan.rows.size() == 0 && plan.skipped.empty()) {
        plan.problem = QStringLiteral("工作表“%1”的表头下没有记录").arg(sheetName);
        return plan;
    }
    for (const int column : unnamedWithData)
        plan.leftOutColumns << QStringLiteral("第 %1 列（没有列名）").arg(column + 1);
    for (std::size_t i = 0; i < importedColumns().size(); ++i) {
        if (sources[i] < 0)
            plan.missingColumns << importedColumns()[i];
    }
    return plan;
}

QString summarisedColumns(const QStringList &names)
{
    if (names.size() <= namesShown + 1)
        return names.join(QStringLiteral("、"));
    return names.first(namesShown).join(QStringLiteral("、")) + QStringLiteral(" 等 %1 列").arg(names.size());
}

QString repairedCellsText(qint64 cells)
{
    return QStringLiteral("有 %1 个单元格含有无法识别的字符（不是 UTF-8 编码），已替换为“\uFFFD”").arg(cells);
}
