// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImportPreview.h"

#include "db/AppError.h"
#include "platform/Utf8Text.h"
#include "register/IntegerText.h"
#include "sheets/ImportPlan.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QHeaderView>

namespace {

// One line per row in the table: line breaks shown as a mark.
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ↵ ")).replace(QLatin1Char('\n'), QStringLiteral(" ↵ "));
}

// The rows to add, each with the row it comes from.
class AddedRows : public QAbstractTableModel {
public:
    explicit AddedRows(const TenantRows &rows)
        : m_rows(rows)
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : TenantRows::columnCount + 1;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (index.column() == 0)
            return m_rows.sourceRow(index.row());
        return oneLine(fromUtf8(m_rows.cell(index.row(), index.column() - 1).value_or(std::string_view())));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return section == 0 ? QStringLiteral("行号") : importedColumns()[std::size_t(section - 1)];
    }

private:
    const TenantRows &m_rows;
};

class SkippedRows : public QAbstractTableModel {
public:
    explicit SkippedRows(const std::vector<SkippedRow> &rows)
        : m_rows(rows)
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const SkippedRow &row = m_rows[std::size_t(index.row())];
        switch (index.column()) {
        case 0:
            return row.row;
        case 1:
            return oneLine(row.name);
        default:
            return row.reason;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        static const QStringList titles{QStringLiteral("行号"), QStringLiteral("姓名"), QStringLiteral("原因")};
        return titles.value(section);
    }

private:
    const std::vector<SkippedRow> &m_rows;
};

// The rows whose rent the rent total cannot add up (it takes whole
// numbers only), and the first of them.
QString rentNote(const TenantRows &rows)
{
    qsizetype count = 0;
    QString first;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        std::string_view rent = rows.cell(row, 2).value_or(std::string_view());
        while (!rent.empty() && static_cast<unsigned char>(rent.front()) <= 32)
            rent.remove_prefix(1);
        while (!rent.empty() && static_cast<unsigned char>(rent.back()) <= 32)
            rent.remove_suffix(1);
        if (rent.empty())
            continue;
        try {
            integerFromUtf8(rent);
        } catch (const AppError &) {
            if (count++ == 0)
                first = QStringLiteral("第 %1 行的“%2”").arg(rows.sourceRow(row)).arg(fromUtf8(rent));
        }
    }
    if (count == 0)
        return {};
    return QStringLiteral("注意：有 %1 行的租金不是整数（如%2），导入后每次刷新列表，程序都会提示它不是有效的整数。")
        .arg(count)
        .arg(first);
}

void setUpTable(QTableView *table, QAbstractTableModel *model)
{
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    // Uniform rows: a table of a hundred thousand rows shows at once.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
}

} // namespace

TImportPreview::TImportPreview(const QString &path, const ImportPlan &plan, QWidget *parent)
    : QDialog(parent)
    , m_added(std::make_unique<AddedRows>(plan.rows))
    , m_skipped(std::make_unique<SkippedRows>(plan.skipped))
{
    setupUi(this);
    LabelFile->setText(QStringLiteral("文件：%1").arg(QDir::toNativeSeparators(path)));
    ComboBoxSheet->addItems(plan.sheetNames);
    ComboBoxSheet->setCurrentIndex(plan.sheetIndex);
    const bool severalSheets = plan.sheetNames.size() > 1;
    LabelSheet->setVisible(severalSheets);
    ComboBoxSheet->setVisible(severalSheets);
    connect(ComboBoxSheet, &QComboBox::currentIndexChanged, this, [this] { done(OtherSheet); });

    if (!plan.problem.isEmpty()) {
        LabelSummary->setText(plan.problem + QStringLiteral("。请选择其他工作表。"));
    } else {
        QString summary = QStringLiteral("将添加 %1 个记录，跳过 %2 行。").arg(plan.rows.size()).arg(plan.skipped.size());
        if (plan.headerRow > 1)
            summary += QStringLiteral("表头在第 %1 行。").arg(plan.headerRow);
        if (plan.rows.size() == 0)
            summary += QStringLiteral("没有可以添加的记录。");
        LabelSummary->setText(summary);
    }
    QStringList columns;
    if (!plan.leftOutColumns.isEmpty()) {
        columns << QStringLiteral("以下列不导入：") + summarisedColumns(plan.leftOutColumns);
        if (plan.leftOutColumns.contains(QStringLiteral("编辑时间")))
            columns.last() += QStringLiteral("（编辑时间记为导入的时间）");
    }
    if (!plan.missingColumns.isEmpty())
        columns << QStringLiteral("表格中没有以下列，导入后为空：") + plan.missingColumns.join(QStringLiteral("、"));
    if (const QString note = rentNote(plan.rows); !note.isEmpty())
        columns << note;
    if (plan.repairedCells > 0)
        columns << repairedCellsText(plan.repairedCells) + QStringLiteral("。");
    LabelColumns->setText(columns.join(QLatin1Char('\n')));
    LabelColumns->setVisible(!columns.isEmpty());
    LabelBackup->setText(QStringLiteral("确认导入时，程序先把数据库备份为“导入前_日期_时间.mdb”，再添加记录。"));

    setUpTable(TableViewAdd, m_added.get());
    setUpTable(TableViewSkip, m_skipped.get());
    int column = 0;
    for (const int width : {50, 90, 70, 60, 60, 80, 120})
        TableViewAdd->setColumnWidth(column++, width);
    TableViewSkip->setColumnWidth(0, 50);
    TableViewSkip->setColumnWidth(1, 120);
    PageControlPreview->setTabText(0, QStringLiteral("将添加的记录（%1）").arg(plan.rows.size()));
    PageControlPreview->setTabText(1, QStringLiteral("跳过的行（%1）").arg(plan.skipped.size()));
    if (plan.rows.size() == 0 && !plan.skipped.empty())
        PageControlPreview->setCurrentWidget(TabSheetSkip);

    ButtonImport->setEnabled(plan.problem.isEmpty() && plan.rows.size() > 0);
    connect(ButtonImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TImportPreview::~TImportPreview() = default;
