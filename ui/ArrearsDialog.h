// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ui_ArrearsDialog.h"

#include <QDialog>

#include <optional>
#include <utility>

class ArrearsModel;
class RegisterWindow;

// 欠费房客: every tenant who owes anything, over all months, with the total
// at the top. 查看账单 (or a double click) closes it with the tenant and the
// earliest month owed chosen.
class ArrearsDialog : public QDialog, public Ui::ArrearsDialog {
    Q_OBJECT
public:
    ArrearsDialog(RegisterWindow &window, QWidget *parent = nullptr);

    ArrearsModel *model() const { return m_arrears; }
    // The tenant's ID and earliest month owed, once one was chosen.
    const std::optional<std::pair<qint64, LedgerMonth>> &chosen() const { return m_chosen; }
    void showChosenBill();

private:
    ArrearsModel *m_arrears = nullptr;
    std::optional<std::pair<qint64, LedgerMonth>> m_chosen;
};
