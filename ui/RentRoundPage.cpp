// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RentRoundPage.h"

#include "ledger/Arrears.h"
#include "ledger/BillGeneration.h"
#include "ledger/BillListModel.h"
#include "ledger/IncomeFigures.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MonthBillRows.h"
#include "ledger/RoomRoster.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/RecordListView.h"
#include "sheets/ExportSource.h"
#include "ui/ArrearsDialog.h"
#include "ui/BillDetailDialog.h"
#include "ui/ExportFlow.h"
#include "ui/GuardedConnect.h"
#include "ui/IncomeChart.h"
#include "ui/LedgerTables.h"
#include "ui/LedgerSettingsDialog.h"
#include "ui/MessageBoxes.h"
#include "ui/MeterReadingDialog.h"
#include "ui/MonthEdit.h"
#include "ui/PaymentDialog.h"
#include "ui/PrintFlow.h"
#include "ui/ReceiptFlow.h"
#include "ui/RegisterWindow.h"
#include "ui/RoomsDialog.h"
#include "ui/TenantSummary.h"
#include "ui/TransferFiles.h"

#include <QKeyEvent>
#include <QMenu>

namespace {

LedgerMonth thisMonth()
{
    return LedgerMonth::of(currentLocalDateTime().date());
}

// The month's rows, held while an export writes them.
class BillExportRows : public ExportSource {
public:
    explicit BillExportRows(ResultSet rows) : m_rows(std::move(rows)) {}
    QStringList columns() const override { return m_view.columns(); }
    qint64 rowCount() const override { return m_view.rowCount(); }
    bool next() override { return m_view.next(); }
    std::optional<std::string_view> cell(int column) const override { return m_view.cell(column); }

private:
    ResultSet m_rows;
    ResultSetRows m_view{m_rows};
};

// The first few of `items`, so that a box of a thousand rooms stays short.
QString fewOf(const QStringList &items)
{
    constexpr int shown = 8;
    if (items.size() <= shown)
        return items.join(QStringLiteral("、"));
    return items.mid(0, shown).join(QStringLiteral("、")) + QStringLiteral(" 等 %1 个").arg(items.size());
}

QString names(const std::vector<BillSummary> &bills)
{
    QStringList names;
    for (const BillSummary &bill : bills)
        names << (bill.room.isEmpty() ? bill.tenantName : QStringLiteral("%1（%2）").arg(bill.tenantName, bill.room));
    return fewOf(names);
}

// What generating will do, as the question before it says.
QString generationQuestion(const GenerationPreview &preview)
{
    QString text = QStringLiteral("为%1生成账单：新建 %2 份").arg(preview.month.text()).arg(preview.created);
    if (preview.replaced > 0)
        text += QStringLiteral("，重新生成尚未收款的 %1 份").arg(preview.replaced);
    if (!preview.removed.empty())
        text += QStringLiteral("，删除本月已不在租的房客的 %1 份（%2）").arg(preview.removed.size()).arg(names(preview.removed));
    text += QStringLiteral("。");
    if (!preview.kept.empty())
        text += QStringLiteral("\n已有收款的 %1 份保持不变：%2。").arg(preview.kept.size()).arg(names(preview.kept));
    if (!preview.plan.unreadRooms.isEmpty())
        text += QStringLiteral("\n本月未抄表的房间（账单中没有水费或电费）：%1。").arg(fewOf(preview.plan.unreadRooms));
    if (preview.rentsWaiting > 0)
        text += QStringLiteral("\n%1 位房客的租金不是整数金额，生成后请双击账单填写。").arg(preview.rentsWaiting);
    if (!preview.unreadableDates.isEmpty())
        text += QStringLiteral("\n入住或到期日期无法识别，没有为其生成账单：%1。").arg(fewOf(preview.unreadableDates));
    return text + QStringLiteral("\n\n要生成吗？");
}

} // namespace

RentRoundPage::RentRoundPage(RegisterWindow &window, QWidget *parent)
    : QWidget(parent)
    , m_window(window)
{
    setupUi(this);
    // The page's own background shows through the scroll box.
    rentRoundScroll->viewport()->setAutoFillBackground(false);
    rentRoundContents->setAutoFillBackground(false);
    tenantSummary = new TenantSummary(rentRoundContents);
    figuresRow->insertWidget(0, tenantSummary, 1);
    incomeChart = new IncomeChart(rentRoundContents);
    rentRoundContentsLayout->addWidget(incomeChart);

    m_bills = new BillListModel(this);
    billTable->setModel(m_bills);
    setUpLedgerTable(billTable, {60, 80, 74, 74, 74, 74, 74, 74, 74});
    billTable->installEventFilter(this);
    setUpMonthEdit(monthEdit, thisMonth());

    connectGuarded(monthEdit, &QDateEdit::dateChanged, this, [this] { showMonth(monthOf(monthEdit)); });
    connectGuarded(previousMonthButton, &QToolButton::clicked, this, [this] { showMonth(month().previous()); });
    connectGuarded(nextMonthButton, &QToolButton::clicked, this, [this] { showMonth(month().next()); });
    connectGuarded(billFilterBox, &QComboBox::currentIndexChanged, this,
                   [this](int index) { m_bills->setFilter(BillListModel::Filter(index)); });
    connectGuarded(meterReadingButton, &QPushButton::clicked, this, &RentRoundPage::readMeters);
    connectGuarded(generateBillsButton, &QPushButton::clicked, this, &RentRoundPage::generateBills);
    connectGuarded(recordPaymentButton, &QPushButton::clicked, this, &RentRoundPage::recordPayment);
    connectGuarded(arrearsButton, &QPushButton::clicked, this, &RentRoundPage::showArrears);
    connectGuarded(roomsButton, &QPushButton::clicked, this, &RentRoundPage::showRooms);
    connectGuarded(ledgerSettingsButton, &QPushButton::clicked, this, &RentRoundPage::editSettings);
    connectGuarded(exportBillsButton, &QPushButton::clicked, this, &RentRoundPage::exportBills);
    connectGuarded(printBillsButton, &QPushButton::clicked, this, &RentRoundPage::printBills);
    // What is done to one bill's tenant sits in the bills' own menu, so that
    // the button row keeps to the window's design width.
    billMenu = new QMenu(billTable);
    billMenu->setObjectName(QStringLiteral("billMenu"));
    connectGuarded(billMenu->addAction(QStringLiteral("查看账单…")), &QAction::triggered, this,
                   &RentRoundPage::showBillDetail);
    connectGuarded(billMenu->addAction(QStringLiteral("收款…")), &QAction::triggered, this, &RentRoundPage::recordPayment);
    receiptAction = billMenu->addAction(QStringLiteral("收据…"));
    receiptAction->setObjectName(QStringLiteral("receiptAction"));
    connectGuarded(receiptAction, &QAction::triggered, this, &RentRoundPage::printReceipt);
    billMenu->addSeparator();
    renewLeaseAction = billMenu->addAction(QStringLiteral("续租…"));
    renewLeaseAction->setObjectName(QStringLiteral("renewLeaseAction"));
    connectGuarded(renewLeaseAction, &QAction::triggered, this, &RentRoundPage::renewLease);
    endLeaseAction = billMenu->addAction(QStringLiteral("退租…"));
    endLeaseAction->setObjectName(QStringLiteral("endLeaseAction"));
    connectGuarded(endLeaseAction, &QAction::triggered, this, &RentRoundPage::endLease);
    billTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connectGuarded(billTable, &QWidget::customContextMenuRequested, this, [this](const QPoint &place) {
        if (const QModelIndex index = billTable->indexAt(place); index.isValid())
            billTable->setCurrentIndex(index);
        billMenu->popup(billTable->viewport()->mapToGlobal(place));
    });
    connectGuarded(billTable, &QAbstractItemView::doubleClicked, this, &RentRoundPage::showBillDetail);

    // The register's figures cost a walk over every record: they are added
    // up only while they are on screen.
    connectGuarded(&m_window.registerEvents(), &RegisterEvents::registerListed, this, [this] {
        m_figuresStale = true;
        if (onScreen())
            showRegisterFigures();
    });
    connectGuarded(&m_window.registerEvents(), &RegisterEvents::databaseReplaced, this, [this] {
        if (onScreen())
            reload();
    });
}

bool RentRoundPage::onScreen() const
{
    return isVisibleTo(window());
}

void RentRoundPage::pageShown()
{
    if (m_figuresStale)
        showRegisterFigures();
    reload();
}

void RentRoundPage::showRegisterFigures()
{
    m_figuresStale = false;
    tenantSummary->showTotals(m_window.registerTotals());
}

LedgerMonth RentRoundPage::month() const
{
    return monthOf(monthEdit);
}

void RentRoundPage::showMonth(const LedgerMonth &month)
{
    // Setting the box runs this again through its signal.
    if (monthOf(monthEdit) != month) {
        showMonthIn(monthEdit, month);
        return;
    }
    reload(false);
}

void RentRoundPage::reload(bool withIncome)
{
    const LedgerRead file(m_window.connection());
    const LedgerMonth shown = month();
    const qint64 current = m_bills->rowCount() > 0 && billTable->currentIndex().isValid()
        ? m_bills->rowAt(billTable->currentIndex().row()).id
        : 0;
    m_bills->setBills(shown, readMonthBills(file.db, file.exists, shown, true), file.generation);
    selectBill(current);

    const MonthFigures figures = figuresOf(m_bills->allBills());
    QString totals = QStringLiteral("%1：%2 份账单　应收 %3 元　已收 %4 元　未收 %5 元")
                         .arg(shown.text())
                         .arg(figures.bills)
                         .arg(yuanText(figures.due), yuanText(figures.paid), yuanText(figures.owed()));
    if (figures.rentsWaiting > 0)
        totals += QStringLiteral("（另有 %1 份租金待填）").arg(figures.rentsWaiting);
    monthTotalsLabel->setText(totals);

    const MonthFigures now = shown == thisMonth() ? figures : readMonthFigures(file.db, file.exists, thisMonth());
    monthDueLabel->setText(yuanText(now.due) + QStringLiteral(" 元"));
    monthPaidLabel->setText(yuanText(now.paid) + QStringLiteral(" 元"));
    monthOwedLabel->setText(yuanText(now.owed()) + QStringLiteral(" 元"));
    owingTenantsLabel->setText(QStringLiteral("%1 位").arg(owingTenantCount(file.db, file.exists)));
    const QString figuresTitle = QStringLiteral("本月收款（%1）").arg(thisMonth().text());
    monthFiguresGroup->setTitle(figuresTitle);
    // The group is as wide as its title, which is longer than its figures.
    monthFiguresGroup->setMinimumWidth(monthFiguresGroup->fontMetrics().horizontalAdvance(figuresTitle) + 24);
    if (withIncome)
        showIncome(file);
}

void RentRoundPage::showIncome(const LedgerRead &file)
{
    const QDate today = currentLocalDateTime().date();
    incomeChart->showFigures(readIncomeYear(file.db, file.exists, LedgerMonth::of(today)),
                             occupancyOf(readRoomRoster(file.db, file.exists, today, regionalFormats())));
}

void RentRoundPage::selectBill(qint64 billId)
{
    const int row = m_bills->rowOfBill(billId);
    if (row >= 0)
        billTable->setCurrentIndex(m_bills->index(row, 0));
}

std::optional<BillSummary> RentRoundPage::chosenBill()
{
    const QModelIndex current = billTable->currentIndex();
    if (!current.isValid()) {
        ShowMessage(m_bills->rowCount() == 0 ? QStringLiteral("%1还没有账单。").arg(month().text())
                                             : QStringLiteral("请先在列表中选中一份账单。"));
        return std::nullopt;
    }
    return m_bills->rowAt(current.row());
}

void RentRoundPage::readMeters()
{
    MeterReadingDialog dialog(m_window, month(), m_window.dialogParent());
    dialog.exec();
}

void RentRoundPage::generateBills()
{
    const LedgerMonth shown = month();
    const GenerationPreview preview = previewBills(m_window.connection(), shown, regionalFormats());
    if (preview.plan.bills.empty()) {
        ShowMessage(QStringLiteral("%1没有在租的房客，没有生成账单。").arg(shown.text()));
        return;
    }
    if (!preview.plan.missingPrices.empty()) {
        QStringList missing;
        for (const Meter meter : preview.plan.missingPrices)
            missing << chargeName(meter);
        ShowMessage(QStringLiteral("%1有用量，但还没有设置%2单价，没有生成账单。请先在“设置”中填写单价。")
                        .arg(shown.text(), missing.join(QStringLiteral("和"))));
        return;
    }
    if (!AskYesNo(applicationTitle, generationQuestion(preview), m_window.dialogParent()))
        return;
    ::generateBills(m_window.connection(), preview, regionalFormats());
    reload();
    // Short enough for the message panel.
    m_window.recordList().setMessageText(QStringLiteral("已生成账单 %1 份").arg(preview.created + preview.replaced));
}

void RentRoundPage::recordPayment()
{
    const std::optional<BillSummary> bill = chosenBill();
    if (!bill)
        return;
    if (const std::optional<qint64> payment = takePayment(m_window, *bill, m_bills->generation(), m_window.dialogParent())) {
        reload();
        selectBill(bill->id);
        m_window.recordList().setMessageText(QStringLiteral("%1已付，收款编号 %2").arg(bill->tenantName).arg(*payment));
    }
}

void RentRoundPage::showBillDetail()
{
    const std::optional<BillSummary> bill = chosenBill();
    if (!bill)
        return;
    BillDetailDialog dialog(m_window, bill->id, m_window.dialogParent());
    dialog.exec();
    reload();
}

void RentRoundPage::showArrears()
{
    ArrearsDialog dialog(m_window, m_window.dialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const auto [tenantId, owedMonth] = *dialog.chosen();
    billFilterBox->setCurrentIndex(int(BillListModel::Filter::All));
    showMonth(owedMonth);
    if (const int row = m_bills->rowOfTenant(tenantId); row >= 0)
        billTable->setCurrentIndex(m_bills->index(row, 0));
}

void RentRoundPage::showRooms()
{
    RoomsDialog dialog(m_window, m_window.dialogParent());
    dialog.exec();
    reload();
}

void RentRoundPage::editSettings()
{
    LedgerSettingsDialog dialog(m_window, month(), m_window.dialogParent());
    dialog.exec();
    reload();
}

void RentRoundPage::exportBills()
{
    if (m_bills->rowCount() == 0) {
        ShowMessage(QStringLiteral("列表中没有账单。"));
        return;
    }
    const LedgerMonth shown = month();
    ExportWithDialogs(QStringLiteral("账单_") + shown.key(), shown.text() + QStringLiteral("账单"),
                      [this] { return std::make_unique<BillExportRows>(monthBillRows(m_bills->rows())); });
}

void RentRoundPage::printBills()
{
    if (m_bills->rowCount() == 0) {
        ShowMessage(QStringLiteral("列表中没有账单。"));
        return;
    }
    const LedgerMonth shown = month();
    const MonthFigures figures = figuresOf(m_bills->rows());
    const QString title = QStringLiteral("%1账单　共 %2 份　应收 %3 元　已收 %4 元　未收 %5 元　%6")
                              .arg(shown.text())
                              .arg(figures.bills)
                              .arg(yuanText(figures.due), yuanText(figures.paid), yuanText(figures.owed()),
                                   shortDateText(currentLocalDateTime().date(), regionalFormats()));
    const ResultSet rows = monthBillRows(m_bills->rows());
    PrintWithPreview(rows, title, QStringLiteral("账单_") + shown.key(), m_window.dialogParent());
}

void RentRoundPage::printReceipt()
{
    const std::optional<BillSummary> bill = chosenBill();
    if (!bill)
        return;
    const LedgerRead file(m_window.connection());
    const std::optional<BillDetail> detail = readBill(file.db, bill->id);
    if (!detail || detail->payments.empty()) {
        ShowMessage(QStringLiteral("%1的这份账单还没有收款。").arg(bill->tenantName));
        return;
    }
    showReceipt(m_window, file.generation, detail->payments.back(), m_window.dialogParent());
}

// Without a chosen bill, the register list's current tenant.
void RentRoundPage::renewLease()
{
    const QModelIndex current = billTable->currentIndex();
    m_window.renewLease(current.isValid() ? m_bills->rowAt(current.row()).tenantId : 0);
}

void RentRoundPage::endLease()
{
    const QModelIndex current = billTable->currentIndex();
    m_window.endLease(current.isValid() ? m_bills->rowAt(current.row()).tenantId : 0);
    reload();
}

bool RentRoundPage::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the list opens the chosen bill, as a double click does, and
    // goes no further (the main window would press its default button).
    if (watched == billTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runGuarded("RentRoundPage, on Enter in billTable", [this] { showBillDetail(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
