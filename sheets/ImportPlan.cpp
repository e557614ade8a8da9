// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ImportPlan.h"

#include "db/PlainAmount.h"
#include "db/RegisterBuilder.h"
#include "platform/RegionalFormats.h"
#include "platform/TextTrim.h"
#include "platform/Utf8Text.h"
#include "platform/WrittenDate.h"
#include "sheets/ImportColumns.h"
#include "sheets/SheetTable.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

namespace {

constexpr int namesShown = 20;
// Columns added without being asked: a sheet of thousands of columns
// would pass what a table can have (SQLite: 2,000).
constexpr int addedByDefault = 100;
// The rows' columns of the register's own that the plan looks into.
constexpr int nameColumn = 0;
constexpr int rentColumn = 2;
constexpr int depositColumn = 3;
constexpr int moveInColumn = 4;
constexpr int expiryColumn = 5;
constexpr int remarkColumn = 6;
// What a sheet column gives the rows, besides a column of theirs.
constexpr int notImported = -1;
constexpr int remarkPart = -2;

QString trimmedText(std::string_view text)
{
    return fromUtf8(text).trimmed();
}

bool hasValue(const SheetTable &table, qsizetype row)
{
    const SheetTable::Cells cells = table.cells(row);
    return std::any_of(cells.begin(), cells.end(), [](const SheetCell &cell) { return !cell.text.empty(); });
}

bool namesName(const QString &header)
{
    return registerColumnNamed(header) == nameColumn || registerColumnMeant(header) == nameColumn;
}

// The first row with something in it that has a cell naming 姓名; -1 if none.
qsizetype headerRowOf(const SheetTable &table)
{
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        const SheetTable::Cells cells = table.cells(row);
        if (std::any_of(cells.begin(), cells.end(), [](const SheetCell &cell) { return namesName(trimmedText(cell.text)); }))
            return row;
    }
    return -1;
}

// `name`, or when the table already has a column of that name (letter case
// ignored, as SQLite does), the first of name_2, name_3, ... that is free.
QString freeColumnName(const QString &name, const QStringList &taken)
{
    QString candidate = name;
    for (int number = 2; taken.contains(candidate, Qt::CaseInsensitive); ++number)
        candidate = name + QLatin1Char('_') + QString::number(number);
    return candidate;
}

// The sheet's columns under the header: those the header names and those
// holding data below it, each with its default use, then the landlord's.
std::vector<SheetColumn> columnsOf(const SheetTable &table, qsizetype header, const ImportOptions &options)
{
    std::map<int, SheetColumn> byColumn;
    for (const SheetCell &cell : table.cells(header)) {
        if (const QString text = trimmedText(cell.text); !text.isEmpty() && !byColumn.contains(cell.column))
            byColumn[cell.column] = {cell.column, text, false, {}};
    }
    for (int column = 0; column < table.columnCount(); ++column) {
        if (table.lastRowWithText(column) > header) {
            byColumn[column].column = column;
            byColumn[column].hasData = true;
        }
    }
    std::vector<SheetColumn> columns;
    for (auto &[column, entry] : byColumn)
        columns.push_back(std::move(entry));

    // An exact name first, then the names landlords use; one sheet column
    // to a register column.
    std::array<bool, TenantRows::registerColumnCount> filled{};
    for (const auto matching : {&registerColumnNamed, &registerColumnMeant}) {
        for (SheetColumn &column : columns) {
            const int target = matching(column.header);
            if (column.choice.use == ColumnUse::LeaveOut && target >= 0 && !filled[std::size_t(target)]) {
                column.choice = {ColumnUse::Register, target};
                filled[std::size_t(target)] = true;
            }
        }
    }
    int added = 0;
    for (SheetColumn &column : columns) {
        if (column.choice.use == ColumnUse::LeaveOut && column.hasData && !options.skipUnmatched
            && !isNumberingHeader(column.header) && registerColumnNamed(column.header) < 0 && added < addedByDefault) {
            column.choice = {ColumnUse::NewColumn, -1};
            ++added;
        }
    }
    for (SheetColumn &column : columns) {
        const auto chosen = options.choices.find(column.column);
        if (chosen == options.choices.end())
            continue;
        if (chosen->second.use == ColumnUse::Register) {
            for (SheetColumn &other : columns) {
                if (other.choice == chosen->second && !options.choices.contains(other.column))
                    other.choice = {};
            }
        }
        column.choice = chosen->second;
    }
    return columns;
}

// The regional text of a date written as text, remembered by its text:
// a sheet has few dates and many rows.
class DateTexts {
public:
    // The text the register holds; none when the text is no date.
    const std::optional<std::string> &operator()(std::string_view text)
    {
        auto found = m_known.find(text);
        if (found == m_known.end()) {
            std::optional<std::string> regional;
            const QString written = fromUtf8(text);
            if (const std::optional<QDate> date = readWrittenDate(written, regionalFormats()))
                regional = fullYearDateText(*date, regionalFormats()).toStdString();
            else if (QDateTime::fromString(written.trimmed(), m_dateTime).isValid())
                regional = std::string(text);
            found = m_known.emplace(std::string(text), std::move(regional)).first;
        }
        return found->second;
    }

private:
    const QString m_dateTime = regionalFormats().fullYearDateFormat + QLatin1Char(' ') + regionalFormats().longTimeFormat;
    std::unordered_map<std::string, std::optional<std::string>, NameHash, std::equal_to<>> m_known;
};

QString noResultText()
{
    return QStringLiteral("公式没有计算结果，请在 Excel 或 WPS 中打开并保存后再导入");
}

} // namespace

const std::array<QString, TenantRows::registerColumnCount> &importedColumns()
{
    static const std::array<QString, TenantRows::registerColumnCount> columns{
        QStringLiteral("姓名"),     QStringLiteral("房号"),     QStringLiteral("租金"), QStringLiteral("押金"),
        QStringLiteral("入住日期"), QStringLiteral("到期日期"), QStringLiteral("备注")};
    return columns;
}

QString SheetColumn::name() const
{
    return header.isEmpty() ? QStringLiteral("第 %1 列").arg(column + 1) : header;
}

ImportPlan planImport(std::shared_ptr<const SheetTable> sheet, const NameSet &registerNames, const ImportOptions &options)
{
    ImportPlan plan;
    const SheetTable &table = *sheet;
    plan.table = std::move(sheet);
    plan.options = options;
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
    plan.columns = columnsOf(table, header, options);

    // Per sheet column: the rows' column it fills, notImported or remarkPart.
    std::vector<int> targets(std::size_t(table.columnCount()), notImported);
    TenantRows::Sources sources(TenantRows::registerColumnCount, -1);
    QStringList taken{QStringLiteral("ID")};
    for (const QString &column : tenantColumns)
        taken << column;
    taken << options.registerColumns;
    QStringList partNames(table.columnCount());
    for (const SheetColumn &column : plan.columns) {
        int &target = targets[std::size_t(column.column)];
        switch (column.choice.use) {
        case ColumnUse::Register:
            target = column.choice.registerColumn;
            sources[std::size_t(target)] = column.column;
            break;
        case ColumnUse::NewColumn: {
            // A column an earlier import added is filled again.
            QString name = column.name();
            const bool known = options.registerColumns.contains(name, Qt::CaseInsensitive)
                && !std::any_of(tenantColumns.begin(), tenantColumns.end(),
                                [&](const QString &own) { return own.compare(name, Qt::CaseInsensitive) == 0; })
                && name.compare(QStringLiteral("ID"), Qt::CaseInsensitive) != 0
                && !plan.extraColumns.contains(name, Qt::CaseInsensitive);
            if (!known) {
                name = freeColumnName(name, taken);
                taken << name;
                plan.addedColumns << name;
            }
            plan.extraColumns << name;
            target = int(sources.size());
            sources.push_back(column.column);
            break;
        }
        case ColumnUse::IntoRemark:
            target = remarkPart;
            partNames[column.column] = column.name();
            break;
        case ColumnUse::LeaveOut:
            if (column.hasData)
                plan.leftOutColumns << column.name();
            break;
        }
    }
    for (std::size_t i = 0; i < importedColumns().size(); ++i) {
        if (sources[i] < 0)
            plan.missingColumns << importedColumns()[i];
    }
    if (sources[nameColumn] < 0) {
        plan.problem = QStringLiteral("没有选作“姓名”的列");
        return plan;
    }

    plan.rows = TenantRows(table, sources);
    NameViews seen;  // name -> first row
    seen.reserve(std::size_t(table.rowCount() - header));
    DateTexts dates;
    // A formula's result of 0 in a workbook that asks to be calculated
    // when opened is what its writer put there, not a result.
    const bool staleResults = table.facts.recalculateOnOpen;
    const auto lacksResult = [&](const SheetCell &cell) {
        return cell.kind == CellKind::NoResult || (staleResults && cell.formula && cell.text == "0");
    };
    std::array<bool, TenantRows::registerColumnCount> filled{};
    std::array<std::optional<SheetCell>, TenantRows::registerColumnCount> own;
    std::vector<SheetCell> parts;
    std::vector<int> noResults;  // the rows' columns holding a formula without its result
    for (qsizetype row = header + 1; row < table.rowCount(); ++row) {
        // One walk along the row: whether it has anything, the first cell
        // of each register column, the columns merged into 备注 and the
        // formulas without a result.
        bool anyValue = false;
        bool noResult = false;
        own.fill(std::nullopt);
        parts.clear();
        noResults.clear();
        for (const SheetCell &cell : table.cells(row)) {
            const int target = targets[std::size_t(cell.column)];
            if (target >= 0 && target < TenantRows::registerColumnCount && !own[std::size_t(target)])
                own[std::size_t(target)] = cell;
            if (cell.text.empty())
                continue;
            anyValue = true;
            if (target == notImported)
                continue;
            if (lacksResult(cell)) {
                noResult = true;
                if (target >= 0)
                    noResults.push_back(target);
            } else if (target == remarkPart) {
                parts.push_back(cell);
            }
        }
        if (!anyValue)
            continue;
        // A name that is a formula without its result is no name.
        const std::optional<std::string_view> name = own[nameColumn] && !lacksResult(*own[nameColumn])
            ? std::optional(own[nameColumn]->text)
            : std::nullopt;
        const qint64 sourceRow = table.sourceRow(row);
        const auto skip = [&](const QString &reason) {
            plan.skipped.push_back({sourceRow, name ? fromUtf8(*name) : QString(), reason});
        };
        const auto isFormula = [&](int column) { return own[std::size_t(column)] && own[std::size_t(column)]->formula; };
        if ((name && isTotalsName(fromUtf8(*name))) || ((!name || trimmedText(*name).isEmpty())
                                                      && (isFormula(rentColumn) || isFormula(depositColumn)))) {
            skip(QStringLiteral("合计行"));
            continue;
        }
        if (!name || name->empty()) {
            skip(QStringLiteral("姓名为空"));
            continue;
        }
        if (registerNames.contains(*name)) {
            skip(QStringLiteral("登记表中已有此姓名"));
            continue;
        }
        if (const auto earlier = seen.find(*name); earlier != seen.end()) {
            skip(QStringLiteral("与第 %1 行的姓名相同").arg(earlier->second));
            continue;
        }
        seen.emplace(*name, sourceRow);
        plan.rows.append(row);
        const qsizetype added = plan.rows.size() - 1;
        const auto note = [&](const QString &reason) { plan.notes.push_back({sourceRow, fromUtf8(*name), reason}); };

        for (const int column : {rentColumn, depositColumn}) {
            const std::optional<SheetCell> &cell = own[std::size_t(column)];
            if (!cell || isBlankAmount(cell->text) || lacksResult(*cell))
                continue;
            long long amount = 0;
            if (std::optional<std::string> plain = cell->kind == CellKind::Text ? plainAmountOfWritten(cell->text)
                                                                                : std::nullopt)
                plan.rows.replace(added, column, std::move(plain));
            else if (!readPlainAmount(cell->text, amount))
                note(QStringLiteral("%1不是整数，合计不会计入").arg(importedColumns()[std::size_t(column)]));
        }
        for (const int column : {moveInColumn, expiryColumn}) {
            const std::optional<SheetCell> &cell = own[std::size_t(column)];
            if (!cell || cell->kind != CellKind::Text || trimmedControls(cell->text).empty() || lacksResult(*cell))
                continue;
            if (const std::optional<std::string> &regional = dates(cell->text); !regional)
                ++plan.unreadableDates;
            else if (*regional != cell->text)
                plan.rows.replace(added, column, *regional);
        }
        if (noResult)
            note(noResultText());
        for (const int column : noResults)
            plan.rows.replace(added, column, std::nullopt);
        if (!parts.empty()) {
            QStringList remark;
            if (const std::optional<std::string_view> text = plan.rows.cell(added, remarkColumn); text && !text->empty())
                remark << fromUtf8(*text);
            for (const SheetCell &part : parts)
                remark << partNames[part.column] + QStringLiteral("：") + fromUtf8(part.text);
            plan.rows.replace(added, remarkColumn, remark.join(QStringLiteral("\r\n")).toStdString());
        }
        for (int column = 1; column < remarkColumn; ++column) {
            const std::optional<SheetCell> &cell = own[std::size_t(column)];
            filled[std::size_t(column)] = filled[std::size_t(column)]
                || (cell && !trimmedControls(cell->text).empty() && !lacksResult(*cell));
        }
    }
    if (plan.rows.size() == 0 && plan.skipped.empty()) {
        plan.problem = QStringLiteral("工作表“%1”的表头下没有记录").arg(sheetName);
        return plan;
    }
    for (int column = 1; column < remarkColumn; ++column) {
        if (!filled[std::size_t(column)] && plan.rows.size() > 0)
            plan.emptyColumns << importedColumns()[std::size_t(column)];
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

QString unreadableDatesText(qint64 dates)
{
    return QStringLiteral("有 %1 个日期无法识别，按原样导入").arg(dates);
}
