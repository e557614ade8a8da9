// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImportPreview.h"

#include "platform/Utf8Text.h"
#include "sheets/SheetTable.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QSignalBlocker>

// The rows of a plan one of the preview's tables lists; reset whenever the
// plan is made again.
class PlanRowsModel : public QAbstractTableModel {
public:
    void aboutToChange() { beginResetModel(); }
    void changed() { endResetModel(); }
};

namespace {

// The choices of a column, as the combo box offers them after the
// register's columns.
enum ChoiceItem { NewColumnItem = 100, IntoRemarkItem, LeaveOutItem };
// Columns with a combo box; a sheet wider than this keeps the defaults
// beyond it (a landlord's has about ten).
constexpr int choosableColumns = 200;

// One line per row in the table: line breaks shown as a mark.
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ↵ ")).replace(QLatin1Char('\n'), QStringLiteral(" ↵ "));
}

int itemOf(const ColumnChoice &choice)
{
    switch (choice.use) {
    case ColumnUse::Register:
        return choice.registerColumn;
    case ColumnUse::NewColumn:
        return NewColumnItem;
    case ColumnUse::IntoRemark:
        return IntoRemarkItem;
    case ColumnUse::LeaveOut:
        break;
    }
    return LeaveOutItem;
}

ColumnChoice choiceOf(int item)
{
    switch (item) {
    case NewColumnItem:
        return {ColumnUse::NewColumn, -1};
    case IntoRemarkItem:
        return {ColumnUse::IntoRemark, -1};
    case LeaveOutItem:
        return {};
    default:
        return {ColumnUse::Register, item};
    }
}

// The rows to add, each with the row it comes from.
class AddedRows : public PlanRowsModel {
public:
    explicit AddedRows(const ImportPlan &plan)
        : m_plan(plan)
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_plan.rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : TenantRows::registerColumnCount + int(m_plan.extraColumns.size()) + 1;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        if (index.column() == 0)
            return m_plan.rows.sourceRow(index.row());
        return oneLine(fromUtf8(m_plan.rows.cell(index.row(), index.column() - 1).value_or(std::string_view())));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return {};
        if (section == 0)
            return QStringLiteral("行号");
        if (section <= TenantRows::registerColumnCount)
            return importedColumns()[std::size_t(section - 1)];
        return m_plan.extraColumns.value(section - 1 - TenantRows::registerColumnCount);
    }

private:
    const ImportPlan &m_plan;
};

// Rows with their reason: the skipped ones, or those to look at.
class ReasonRows : public PlanRowsModel {
public:
    ReasonRows(const std::vector<SkippedRow> &rows, QString reasonTitle)
        : m_rows(rows)
        , m_reasonTitle(std::move(reasonTitle))
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
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
        return QStringList{QStringLiteral("行号"), QStringLiteral("姓名"), m_reasonTitle}.value(section);
    }

private:
    const std::vector<SkippedRow> &m_rows;
    const QString m_reasonTitle;
};

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

// The first text of `column` below the header, for the landlord to tell
// the columns apart.
QString sampleOf(const ImportPlan &plan, int column)
{
    const SheetTable &table = *plan.table;
    qsizetype row = 0;
    while (row < table.rowCount() && table.sourceRow(row) <= plan.headerRow)
        ++row;
    for (int seen = 0; row < table.rowCount() && seen < 50; ++row, ++seen) {
        if (const std::optional<SheetCell> cell = table.cell(row, column); cell && !cell->text.empty())
            return oneLine(fromUtf8(cell->text)).left(40);
    }
    return {};
}

} // namespace

TImportPreview::TImportPreview(const QString &path, ImportPlan plan, const NameSet &registerNames, QWidget *parent)
    : QDialog(parent)
    , m_plan(std::move(plan))
    , m_registerNames(registerNames)
    , m_added(std::make_unique<AddedRows>(m_plan))
    , m_skipped(std::make_unique<ReasonRows>(m_plan.skipped, QStringLiteral("原因")))
    , m_notes(std::make_unique<ReasonRows>(m_plan.notes, QStringLiteral("说明")))
{
    setupUi(this);
    LabelFile->setText(QStringLiteral("文件：%1").arg(QDir::toNativeSeparators(path)));
    ComboBoxSheet->addItems(m_plan.sheetNames);
    ComboBoxSheet->setCurrentIndex(m_plan.sheetIndex);
    const bool severalSheets = m_plan.sheetNames.size() > 1;
    LabelSheet->setVisible(severalSheets);
    ComboBoxSheet->setVisible(severalSheets);
    connect(ComboBoxSheet, &QComboBox::currentIndexChanged, this, [this] { done(OtherSheet); });

    LabelBackup->setText(QStringLiteral("确认导入时，程序先把数据库备份为“导入前_日期_时间.mdb”，再添加记录。"));
    setUpTable(TableViewAdd, m_added.get());
    setUpTable(TableViewSkip, m_skipped.get());
    setUpTable(TableViewNotes, m_notes.get());
    TableViewSkip->setColumnWidth(0, 50);
    TableViewSkip->setColumnWidth(1, 120);
    TableViewNotes->setColumnWidth(0, 50);
    TableViewNotes->setColumnWidth(1, 120);
    setUpColumnChoices();
    showPlan();
    if (m_plan.rows.size() == 0 && !m_plan.skipped.empty())
        PageControlPreview->setCurrentWidget(TabSheetSkip);

    connect(ButtonImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TImportPreview::~TImportPreview() = default;

void TImportPreview::setUpColumnChoices()
{
    TableColumns->setColumnCount(3);
    TableColumns->setHorizontalHeaderLabels(
        {QStringLiteral("表格中的列"), QStringLiteral("第一个值"), QStringLiteral("导入为")});
    TableColumns->verticalHeader()->hide();
    TableColumns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableColumns->setSelectionMode(QAbstractItemView::NoSelection);
    TableColumns->horizontalHeader()->setStretchLastSection(true);
    TableColumns->setColumnWidth(0, 160);
    TableColumns->setColumnWidth(1, 220);
    const int shown = int(std::min<std::size_t>(m_plan.columns.size(), choosableColumns));
    TableColumns->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const SheetColumn &column = m_plan.columns[std::size_t(row)];
        TableColumns->setItem(row, 0, new QTableWidgetItem(column.name()));
        TableColumns->setItem(row, 1, new QTableWidgetItem(sampleOf(m_plan, column.column)));
        auto *combo = new QComboBox(TableColumns);
        combo->setObjectName(QStringLiteral("ColumnChoice%1").arg(column.column + 1));
        for (std::size_t i = 0; i < importedColumns().size(); ++i)
            combo->addItem(importedColumns()[i], int(i));
        combo->addItem(QStringLiteral("新增为一列"), int(NewColumnItem));
        combo->addItem(QStringLiteral("并入备注"), int(IntoRemarkItem));
        combo->addItem(QStringLiteral("不导入"), int(LeaveOutItem));
        const int sheetColumn = column.column;
        connect(combo, &QComboBox::activated, this,
                [this, combo, sheetColumn] { choose(sheetColumn, choiceOf(combo->currentData().toInt())); });
        TableColumns->setCellWidget(row, 2, combo);
    }
    TableColumns->resizeRowsToContents();
    const bool any = shown > 0;
    LabelColumnChoices->setVisible(any);
    TableColumns->setVisible(any);
}

void TImportPreview::choose(int sheetColumn, const ColumnChoice &choice)
{
    ImportOptions options = m_plan.options;
    // One sheet column to a register column: the one that had it lets go.
    if (choice.use == ColumnUse::Register) {
        for (const SheetColumn &column : m_plan.columns) {
            if (column.column != sheetColumn && column.choice == choice)
                options.choices[column.column] = {};
        }
    }
    options.choices[sheetColumn] = choice;
    for (PlanRowsModel *model : {m_added.get(), m_skipped.get(), m_notes.get()})
        model->aboutToChange();
    std::shared_ptr<const SheetTable> table = m_plan.table;
    m_plan = planImport(std::move(table), m_registerNames, options);
    for (PlanRowsModel *model : {m_added.get(), m_skipped.get(), m_notes.get()})
        model->changed();
    showPlan();
}

void TImportPreview::showPlan()
{
    const ImportPlan &plan = m_plan;
    for (int row = 0; row < TableColumns->rowCount(); ++row) {
        auto *combo = qobject_cast<QComboBox *>(TableColumns->cellWidget(row, 2));
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(combo->findData(itemOf(plan.columns[std::size_t(row)].choice)));
    }

    if (!plan.problem.isEmpty()) {
        LabelSummary->setText(plan.problem + QStringLiteral("。") + (plan.columns.empty() ? QStringLiteral("请选择其他工作表。")
                                                                                          : QStringLiteral("请在下面选择。")));
    } else {
        QString summary = QStringLiteral("将添加 %1 个记录，跳过 %2 行。").arg(plan.rows.size()).arg(plan.skipped.size());
        if (plan.headerRow > 1)
            summary += QStringLiteral("表头在第 %1 行。").arg(plan.headerRow);
        if (plan.rows.size() == 0)
            summary += QStringLiteral("没有可以添加的记录。");
        LabelSummary->setText(summary);
    }
    QStringList columns;
    if (!plan.addedColumns.isEmpty())
        columns << QStringLiteral("登记表将新增以下列：") + summarisedColumns(plan.addedColumns);
    if (!plan.leftOutColumns.isEmpty()) {
        columns << QStringLiteral("以下列不导入：") + summarisedColumns(plan.leftOutColumns);
        if (plan.leftOutColumns.contains(QStringLiteral("编辑时间")))
            columns.last() += QStringLiteral("（编辑时间记为导入的时间）");
    }
    QStringList missing;
    for (const QString &column : plan.missingColumns) {
        if (!plan.emptyColumns.contains(column))
            missing << column;
    }
    if (!missing.isEmpty())
        columns << QStringLiteral("表格中没有以下列，导入后为空：") + missing.join(QStringLiteral("、"));
    if (!plan.notes.empty()) {
        const SkippedRow &first = plan.notes.front();
        columns << QStringLiteral("有 %1 处需要注意（如第 %2 行：%3），见“需要注意的行”。")
                       .arg(plan.notes.size())
                       .arg(first.row)
                       .arg(first.reason);
    }
    if (plan.unreadableDates > 0)
        columns << unreadableDatesText(plan.unreadableDates) + QStringLiteral("。");
    if (plan.repairedCells > 0)
        columns << repairedCellsText(plan.repairedCells) + QStringLiteral("。");
    LabelColumns->setText(columns.join(QLatin1Char('\n')));
    LabelColumns->setVisible(!columns.isEmpty());

    const bool warned = !plan.emptyColumns.isEmpty() && plan.problem.isEmpty();
    LabelWarning->setText(warned ? QStringLiteral("注意：每个记录的%1都将是空的。请检查上面各列导入为什么，"
                                                  "或者确认表格中确实没有这些内容。")
                                       .arg(plan.emptyColumns.join(QStringLiteral("、")))
                                 : QString());
    LabelWarning->setVisible(warned);

    int column = 0;
    for (const int width : {50, 90, 70, 60, 60, 80, 80, 120})
        TableViewAdd->setColumnWidth(column++, width);
    PageControlPreview->setTabText(0, QStringLiteral("将添加的记录（%1）").arg(plan.rows.size()));
    PageControlPreview->setTabText(1, QStringLiteral("跳过的行（%1）").arg(plan.skipped.size()));
    PageControlPreview->setTabText(2, QStringLiteral("需要注意的行（%1）").arg(plan.notes.size()));

    const bool importable = plan.problem.isEmpty() && plan.rows.size() > 0;
    ButtonImport->setEnabled(importable);
    // A stray Enter must not import records that lack a whole column.
    ButtonImport->setDefault(importable && !warned);
    ButtonImport->setAutoDefault(importable && !warned);
    ButtonCancel->setDefault(!importable || warned);
    if (warned && ButtonImport->hasFocus())
        ButtonCancel->setFocus();
}
