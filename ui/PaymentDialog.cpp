// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PaymentDialog.h"

#include "ledger/Payments.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"

PaymentDialog::PaymentDialog(const BillSummary &bill, QWidget *parent)
    : QDialog(parent)
    , m_bill(bill)
{
    setupUi(this);
    billLabel->setText(QStringLiteral("%1　%2　%3\n合计 %4 元，已收 %5 元，未收 %6 元")
                           .arg(bill.month.text(), bill.room, bill.tenantName, yuanText(bill.total),
                                yuanText(bill.paid), yuanText(bill.owed())));
    amountEdit->setText(plainYuanText(bill.owed()));
    amountEdit->selectAll();
    paidOnEdit->setDisplayFormat(regionalFormats().fullYearDateFormat);
    paidOnEdit->setDate(currentLocalDateTime().date());
    methodBox->addItems(paymentMethods());
    connectGuarded(acceptPaymentButton, &QPushButton::clicked, this, &PaymentDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PaymentDialog::accept()
{
    QString problem;
    const std::optional<Fen> amount = parseYuan(amountEdit->text(), &problem);
    if (amount)
        problem = paymentProblem(m_bill, *amount);
    if (!problem.isEmpty()) {
        ShowMessage(problem + QStringLiteral("。"));
        amountEdit->setFocus();
        amountEdit->selectAll();
        return;
    }
    m_amount = *amount;
    QDialog::accept();
}

std::optional<qint64> takePayment(RegisterWindow &window, const BillSummary &bill, unsigned generation,
                                  QWidget *parent)
{
    if (bill.rent && bill.owed() <= 0) {
        ShowMessage(QStringLiteral("%1的这份账单已经收齐。").arg(bill.tenantName));
        return std::nullopt;
    }
    if (!bill.rent) {
        ShowMessage(paymentProblem(bill, bill.owed()) + QStringLiteral("。"));
        return std::nullopt;
    }
    PaymentDialog dialog(bill, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return recordPayment(window.connection(), generation, bill, dialog.amount(), dialog.paidOnEdit->date(),
                         dialog.methodBox->currentText(), dialog.noteEdit->text().trimmed());
}
