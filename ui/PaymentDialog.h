// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ui_PaymentDialog.h"

#include <QDialog>

#include <optional>

class RegisterWindow;

// 收款: a payment against one bill. The amount proposed is what is still
// owed; the date today; the method one of paymentMethods(). 确定 checks the
// amount and closes only when it can be recorded.
class PaymentDialog : public QDialog, public Ui::PaymentDialog {
    Q_OBJECT
public:
    PaymentDialog(const BillSummary &bill, QWidget *parent = nullptr);

    Fen amount() const { return m_amount; }
    void accept() override;

private:
    BillSummary m_bill;
    Fen m_amount = 0;
};

// Asks for a payment against `bill` (shown from the file of `generation`)
// and records it; the payment's number, or nothing when the landlord
// cancelled.
std::optional<qint64> takePayment(RegisterWindow &window, const BillSummary &bill, unsigned generation,
                                  QWidget *parent);
