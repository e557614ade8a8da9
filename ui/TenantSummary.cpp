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

TTenantSummary::TTenantSummary(QWidget *parent)
    : QGroupBox(parent)
{
    setupUi(this);
    // Nothing to list before the register has been read.
    ButtonWeiJiRu->setEnabled(false);
    ButtonWuFaShiBie->setEnabled(false);
}

void TTenantSummary::showTotals(const TenantTotals &totals)
{
    LabelFangKe->setText(countText(totals.tenants));
    LabelZuJin->setText(amountText(totals.rentSum));
    LabelYaJin->setText(amountText(totals.depositSum));
    LabelDaoQi->setText(countText(totals.expired));
    LabelLinQi->setText(countText(totals.endingSoon));
    LabelWeiJiRu->setText(QStringLiteral("租金 %1 个，押金 %2 个").arg(totals.unsummedRents).arg(totals.unsummedDeposits));
    LabelWuFaShiBie->setText(countText(totals.unreadableExpiry));
    ButtonWeiJiRu->setEnabled(totals.unsummedRents + totals.unsummedDeposits > 0);
    ButtonWuFaShiBie->setEnabled(totals.unreadableExpiry > 0);
}
