// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's 续租 and 退租: from the grid's menu on the current row,
// or from the page 收租 on the tenant of the chosen bill.
#include "db/ADOQuery.h"
#include "ui/GuardedConnect.h"
#include "ui/LeaseEndDialog.h"
#include "ui/LeaseRenewalDialog.h"
#include "ui/MessageBoxes.h"
#include "ui/Unit1.h"

#include <QMenu>

void TForm1::setUpLeaseActions()
{
    PopupMenu1->addSeparator();
    renewLeaseAction = PopupMenu1->addAction(QStringLiteral("续租…"));
    renewLeaseAction->setObjectName(QStringLiteral("renewLeaseAction"));
    endLeaseAction = PopupMenu1->addAction(QStringLiteral("退租…"));
    endLeaseAction->setObjectName(QStringLiteral("endLeaseAction"));
    connectGuarded(renewLeaseAction, &QAction::triggered, this, [this] { renewLease(0); });
    connectGuarded(endLeaseAction, &QAction::triggered, this, [this] { endLease(0); });
}

bool TForm1::showTenant(qint64 tenantId)
{
    const auto find = [this, tenantId] {
        const ResultSet &rows = ADOQuery1->result();
        if (!ADOQuery1->Active() || rows.keyKind() != RowKeyKind::Rowid)
            return -1;
        for (int row = 0; row < ADOQuery1->RecordCount(); ++row) {
            if (rows.rowid(row) == tenantId)
                return row;
        }
        return -1;
    };
    int row = find();
    if (row < 0 && relistRegister())
        row = find();
    if (row < 0) {
        ShowMessage(QStringLiteral("登记表中已没有这位房客。"));
        return false;
    }
    ADOQuery1->setRecNo(row);
    return true;
}

void TForm1::renewLease(qint64 tenantId)
{
    if (tenantId != 0 && !showTenant(tenantId))
        return;
    LeaseRenewalDialog dialog(*this, this);
    dialog.exec();
}

void TForm1::endLease(qint64 tenantId)
{
    if (tenantId != 0 && !showTenant(tenantId))
        return;
    LeaseEndDialog dialog(*this, this);
    if (dialog.exec() == QDialog::Accepted && rentRoundPage->isVisible())
        rentRoundPage->pageShown();
}
