// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TenantSummary.h"

#include "register/TenantTotals.h"

namespace {

QString countText(long long count)
{
    return QString::number(count) + QStringLiteral(" 个");
}

QString amountText(long long amount)
{
    return QString::number(amount) + QStringLiteral(" 元");
}

} // namespace

TenantSummary::TenantSummary(QWidget *parent)
    : QGroupBox(parent)
{
    setupUi(this);
    // Nothing to list before the register has been read.
    unsummedAmountsButton->setEnabled(false);
    unreadableDatesButton->setEnabled(false);
}

void TenantSummary::showTotals(const TenantTotals &totals)
{
    tenantCountLabel->setText(countText(totals.tenants));
    rentSumLabel->setText(amountText(totals.rentSum));
    depositSumLabel->setText(amountText(totals.depositSum));
    expiredCountLabel->setText(countText(totals.expired));
    endingSoonCountLabel->setText(countText(totals.endingSoon));
    unsummedCountLabel->setText(QStringLiteral("租金 %1 个，押金 %2 个").arg(totals.unsummedRents).arg(totals.unsummedDeposits));
    unreadableDatesCountLabel->setText(countText(totals.unreadableExpiry));
    unsummedAmountsButton->setEnabled(totals.unsummedRents + totals.unsummedDeposits > 0);
    unreadableDatesButton->setEnabled(totals.unreadableExpiry > 0);
}
