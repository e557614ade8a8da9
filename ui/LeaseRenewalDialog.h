// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ui_LeaseRenewalDialog.h"

#include <QDate>
#include <QDialog>

#include <optional>

class RegisterWindow;

// 续租 of the record list's current row: its 到期日期 moved on by 1, 3, 6 or
// 12 months (a month end stays within its month: 1/31 and a month give
// 2/28 or 2/29) or to a chosen date, and optionally a new 租金 from a chosen
// month. It writes as 修改 does: exactly the row shown, or an error.
class LeaseRenewalDialog : public QDialog, public Ui::LeaseRenewalDialog {
    Q_OBJECT
public:
    LeaseRenewalDialog(RegisterWindow &window, QWidget *parent = nullptr);

    // The expiry date the choice gives; none when the record's 到期日期
    // reads as no date and a number of months is chosen.
    std::optional<QDate> newExpiry() const;
    void renew();

private:
    void showNewExpiry();

    RegisterWindow &m_window;
    qint64 m_tenantId = 0;
    QString m_rentText;
    std::optional<QDate> m_expiry;
};
