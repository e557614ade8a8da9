// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ImportPlan.h"

#include "db/RegisterValueText.h"
#include "sheets/SheetReading.h"
#include "sheets/SpreadsheetReader.h"

#include <QFileInfo>

#include <set>
#include <unordered_map>

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The text the register holds for a cell's value.
void valueText(const SheetValue &value, const RegionalFormats &formats, std::string &text)
{
    switch (value.kind) {
    case SheetValue::Kind::Text:
        text.assign(value.text);
        return;
    case SheetValue::Kind::Number:
        text = plainNumberText(value.number).toStdString();
        return;
    case SheetValue::Kind::DateTime:
        text = dateTimeText(value.number, formats).value_or(plainNumberText(value.number)).toStdString();
        return;
    case SheetValue::Kind::Boolean:
        text = yesNoText(value.number != 0).toStdString();
        return;
    case SheetValue::Kind::Empty:
        text.clear();
        return;
    }
}

class ImportSheet : public SheetRowSink {
public:
    ImportSheet(ImportPlan &plan, const NameSet &registerNames, const RegionalFormats &formats)
        : m_plan(plan)
        , m_registerNames(registerNames)
        , m_formats(formats)
    {
    }

    void beginRow(qint64 rowNumber) override
    {
        m_row = rowNumber;
        m_present.fill(false);
        m_anyValue = false;
        m_headerCells.clear();
    }

    void cell(int column, const SheetValue &value) override
    {
        valueText(value, m_formats, m_text);
        m_anyValue = m_anyValue || !m_text.empty();
        if (m_plan.headerRow == 0) {
            m_headerCells.emplace_back(column, fromUtf8(m_text).trimmed());
            return;
        }
        const int target = column < int(m_targets.size()) ? m_targets[std::size_t(column)] : unnamed;
        if (target >= 0) {
            m_texts[std::size_t(target)] = m_text;
            m_present[std::size_t(target)] = true;
        } else if (target == unnamed && !m_text.empty()) {
            m_unnamedWithData.insert(column);
        }
    }

    void endRow() override
    {
        if (!m_anyValue)
            return;
        if (m_plan.headerRow == 0)
            takeHeader();
        else
            takeRow();
    }

    // Whatever keeps the sheet from giving rows to import, or nothing.
    QString problem(const QString &sheetName) const
    {
        if (m_plan.headerRow == 0 && !m_sawValue)
            return QStringLiteral("工作表“%1”是空的").arg(sheetName);
        if (m_plan.headerRow == 0)
            return QStringLiteral("工作表“%1”中找不到“姓名”列（表头须有一格写着“姓名”）").arg(sheetName);
        if (m_plan.rows.size() == 0 && m_plan.skipped.empty())
            return QStringLiteral("工作表“%1”的表头下没有记录").arg(sheetName);
        return {};
    }

    void finish()
    {
        for (const int column : m_unnamedWithData)
            m_plan.leftOutColumns << QStringLiteral("第 %1 列（没有列名）").arg(column + 1);
        for (int i = 0; i < TenantRows::columnCount; ++i) {
            if (!m_matched[std::size_t(i)])
                m_plan.missingColumns << importedColumns()[std::size_t(i)];
        }
    }

private:
    static constexpr int leftOut = -1;
    static constexpr int unnamed = -2;

    void takeHeader()
    {
        m_sawValue = true;
        const bool isHeader = std::any_of(m_headerCells.begin(), m_headerCells.end(),
                                          [](const auto &cell) { return cell.second == importedColumns()[0]; });
        if (!isHeader)
            return;
        m_plan.headerRow = m_row;
        for (const auto &[column, text] : m_headerCells) {
            if (column >= int(m_targets.size()))
                m_targets.resize(std::size_t(column) + 1, unnamed);
            const auto *found = std::find(importedColumns().begin(), importedColumns().end(), text);
            const int index = int(found - importedColumns().begin());
            if (index < TenantRows::columnCount && !m_matched[std::size_t(index)]) {
                m_targets[std::size_t(column)] = index;
                m_matched[std::size_t(index)] = true;
            } else if (!text.isEmpty()) {
                m_targets[std::size_t(column)] = leftOut;
                m_plan.leftOutColumns << text;
            }
        }
    }

    void takeRow()
    {
        const std::string_view name = m_present[0] ? std::string_view(m_texts[0]) : std::string_view();
        if (name.empty())
            return skip(QStringLiteral("姓名为空"));
        if (m_registerNames.contains(name))
            return skip(QStringLiteral("登记表中已有此姓名"));
        if (const auto earlier = m_seen.find(name); earlier != m_seen.end())
            return skip(QStringLiteral("与第 %1 行的姓名相同").arg(earlier->second));
        m_seen.emplace(name, m_row);
        TenantRows::Cells cells;
        for (int i = 0; i < TenantRows::columnCount; ++i) {
            if (m_present[std::size_t(i)])
                cells[std::size_t(i)] = m_texts[std::size_t(i)];
        }
        m_plan.rows.append(m_row, cells);
    }

    void skip(const QString &reason)
    {
        m_plan.skipped.push_back({m_row, m_present[0] ? fromUtf8(m_texts[0]) : QString(), reason});
    }

    ImportPlan &m_plan;
    const NameSet &m_registerNames;
    const RegionalFormats &m_formats;

    std::vector<int> m_targets;  // per sheet column: the register column, leftOut or unnamed
    std::array<bool, TenantRows::columnCount> m_matched{};
    std::set<int> m_unnamedWithData;
    std::unordered_map<std::string, qint64, NameHash, std::equal_to<>> m_seen;  // name -> first row
    bool m_sawValue = false;

    qint64 m_row = 0;
    std::vector<std::pair<int, QString>> m_headerCells;
    std::array<std::string, TenantRows::columnCount> m_texts;
    std::array<bool, TenantRows::columnCount> m_present{};
    bool m_anyValue = false;
    std::string m_text;
};

} // namespace

const std::array<QString, TenantRows::columnCount> &importedColumns()
{
    static const std::array<QString, TenantRows::columnCount> columns{
        QStringLiteral("姓名"),     QStringLiteral("房号"),     QStringLiteral("租金"), QStringLiteral("押金"),
        QStringLiteral("入住日期"), QStringLiteral("到期日期"), QStringLiteral("备注")};
    return columns;
}

ImportPlan planImport(const QString &path, int sheetIndex, const NameSet &registerNames,
                      const RegionalFormats &formats, ReadControl &control)
{
    ImportPlan plan;
    plan.sheetIndex = sheetIndex;
    ImportSheet sheet(plan, registerNames, formats);
    plan.sheetNames = readSpreadsheet(path, sheetIndex, sheet, control);
    plan.problem = sheet.problem(plan.sheetNames.value(sheetIndex, QFileInfo(path).fileName()));
    if (plan.problem.isEmpty())
        sheet.finish();
    return plan;
}
