// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ui_BillDetailDialog.h"

#include <QDialog>

class BillLineModel;
class PaymentListModel;
class RegisterWindow;

// A bill's lines and payments, with 收款, 收据 (of the payment chosen in the
// list, or the latest), 作废收款 (a payment chosen in the
// list) and 填写租金 (a rent that is no plain amount, or one of a bill
// nothing has been paid of).
class BillDetailDialog : public QDialog, public Ui::BillDetailDialog {
    Q_OBJECT
public:
    BillDetailDialog(RegisterWindow &window, qint64 billId, QWidget *parent = nullptr);

    void recordPayment();
    void cancelPayment();
    void enterRent();
    void printReceipt();

private:
    // The bill as the file holds it now.
    void reload();

    RegisterWindow &m_window;
    qint64 m_billId;
    BillDetail m_detail;
    unsigned m_generation = 0;
    BillLineModel *m_lines = nullptr;
    PaymentListModel *m_payments = nullptr;
};
