// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LeaseEnd.h"
#include "ui_LeaseEndDialog.h"

#include <QDialog>

class RegisterWindow;

// 退租 of the record list's current row: the final meter readings, the final
// bill (the month's rent by days or whole), the deposit returned or kept in
// part with a reason, and the balance; then, after one more question, the
// settlement goes into the ledger and the record leaves the register through
// the delete of 删除. The bills, payments and settlement stay in the ledger.
class LeaseEndDialog : public QDialog, public Ui::LeaseEndDialog {
    Q_OBJECT
public:
    LeaseEndDialog(RegisterWindow &window, QWidget *parent = nullptr);

    // The lease's end as the boxes say; throws, in the landlord's words,
    // at a box that holds no amount or reading.
    LeaseEnd enteredEnd() const;
    void endLease();

private:
    // The final bill and the balance for what the boxes hold now.
    void showSettlement();

    RegisterWindow &m_window;
    LeaseEnd m_tenant;  // the record's ID, name, room and deposit text
};
