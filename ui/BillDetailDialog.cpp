// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BillDetailDialog.h"

#include "db/AppError.h"
#include "ledger/BillDetailModels.h"
#include "ledger/LedgerWrite.h"
#include "ledger/Payments.h"
#include "ui/GuardedConnect.h"
#include "ui/LedgerTables.h"
#include "ui/MessageBoxes.h"
#include "ui/PaymentDialog.h"
#include "ui/ReceiptFlow.h"
#include "ui/RegisterWindow.h"
#include "ui/ShortInputDialog.h"


BillDetailDialog::BillDetailDialog(RegisterWindow &window, qint64 billId, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
    , m_billId(billId)
{
    setupUi(this);
    m_lines = new BillLineModel(this);
    m_payments = new PaymentListModel(this);
    lineTable->setModel(m_lines);
    paymentTable->setModel(m_payments);
    setUpLedgerTable(lineTable, {90, 80, 80, 70, 70, 60});
    setUpLedgerTable(paymentTable, {50, 90, 80, 70, 160});
    connectGuarded(recordPaymentButton, &QPushButton::clicked, this, &BillDetailDialog::recordPayment);
    connectGuarded(cancelPaymentButton, &QPushButton::clicked, this, &BillDetailDialog::cancelPayment);
    connectGuarded(receiptButton, &QPushButton::clicked, this, &BillDetailDialog::printReceipt);
    connectGuarded(enterRentButton, &QPushButton::clicked, this, &BillDetailDialog::enterRent);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    reload();
}

void BillDetailDialog::reload()
{
    const LedgerRead file(m_window.connection());
    std::optional<BillDetail> detail = readBill(file.db, m_billId);
    if (!detail)
        throw AppError(changedMeanwhileText());
    m_detail = std::move(*detail);
    m_generation = file.generation;
    const BillSummary &bill = m_detail.bill;
    setWindowTitle(QStringLiteral("账单 - %1 %2").arg(bill.room, bill.tenantName));
    QString text = QStringLiteral("%1　房号 %2　%3（登记表中的租金：%4）\n合计 %5 元　已收 %6 元　未收 %7 元　%8")
                       .arg(bill.month.text(), bill.room, bill.tenantName,
                            bill.rentText.isEmpty() ? QStringLiteral("空") : bill.rentText, yuanText(bill.total),
                            yuanText(bill.paid), yuanText(bill.owed()), billStateText(bill.state()));
    billLabel->setText(text);
    m_lines->setRows(m_detail.lines);
    m_payments->setRows(m_detail.payments);
    enterRentButton->setEnabled(bill.paid == 0);
    recordPaymentButton->setEnabled(bill.rent && bill.owed() > 0);
    receiptButton->setEnabled(!m_detail.payments.empty());
    cancelPaymentButton->setEnabled(std::any_of(m_detail.payments.begin(), m_detail.payments.end(),
                                                [](const Payment &payment) { return !payment.isCancelled(); }));
}

void BillDetailDialog::recordPayment()
{
    if (takePayment(m_window, m_detail.bill, m_generation, this))
        reload();
}

void BillDetailDialog::cancelPayment()
{
    const QModelIndex current = paymentTable->currentIndex();
    if (!current.isValid() || m_payments->rowAt(current.row()).isCancelled()) {
        ShowMessage(QStringLiteral("请先在收款记录中选中一笔有效的收款。"));
        return;
    }
    const Payment payment = m_payments->rowAt(current.row());
    const std::optional<QString> reason = askShortText(
        QStringLiteral("作废收款"),
        QStringLiteral("作废 %1 收的 %2 元（%3，编号 %4）。\n作废后这笔收款仍保留在记录中，账单重新计为未收。作废的原因：")
            .arg(shownDay(payment.paidOn), yuanText(payment.amount), payment.method)
            .arg(payment.id),
        [](const QString &text) { return text.isEmpty() ? QStringLiteral("请填写作废的原因") : QString(); }, this);
    if (!reason)
        return;
    ::cancelPayment(m_window.connection(), m_generation, m_detail.bill, payment, *reason);
    reload();
}

void BillDetailDialog::enterRent()
{
    const BillSummary &bill = m_detail.bill;
    const std::optional<QString> text = askShortText(
        QStringLiteral("填写租金"),
        QStringLiteral("%1 的登记表中的租金为“%2”。%3的租金（元）：").arg(bill.tenantName, bill.rentText, bill.month.text()),
        [](const QString &text) {
            QString problem;
            parseYuan(text, &problem);
            return problem;
        },
        this, bill.rent ? plainYuanText(*bill.rent) : QString());
    if (!text)
        return;
    QString problem;
    setBillRent(m_window.connection(), m_generation, bill, *parseYuan(*text, &problem));
    reload();
}

void BillDetailDialog::printReceipt()
{
    if (m_detail.payments.empty()) {
        ShowMessage(QStringLiteral("这份账单还没有收款。"));
        return;
    }
    const QModelIndex current = paymentTable->currentIndex();
    const Payment payment = current.isValid() ? m_payments->rowAt(current.row()) : m_detail.payments.back();
    showReceipt(m_window, m_generation, payment, this);
    reload();
}
