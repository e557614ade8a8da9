// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ledger/Rates.h"
#include "ui_LedgerSettingsDialog.h"

#include <QDialog>

class FeeListModel;
class PriceListModel;
class RegisterWindow;

// 收租设置: the prices of water and electricity and the fixed monthly fees,
// each from a month on, and the payee receipts name (收款人). A price or fee of that month already set is
// replaced only after asking; a price of 0 asks too.
class LedgerSettingsDialog : public QDialog, public Ui::LedgerSettingsDialog {
    Q_OBJECT
public:
    LedgerSettingsDialog(RegisterWindow &window, const LedgerMonth &month, QWidget *parent = nullptr);

    void setPrice();
    void setFee();
    void setPayee();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();

    RegisterWindow &m_window;
    Rates m_rates;
    unsigned m_generation = 0;
    PriceListModel *m_prices = nullptr;
    FeeListModel *m_fees = nullptr;
};
