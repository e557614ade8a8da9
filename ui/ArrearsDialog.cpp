// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ArrearsDialog.h"

#include "ledger/ArrearsModel.h"
#include "ledger/LedgerWrite.h"
#include "ui/GuardedConnect.h"
#include "ui/LedgerTables.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"


ArrearsDialog::ArrearsDialog(RegisterWindow &window, QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    m_arrears = new ArrearsModel(this);
    const LedgerRead file(window.connection());
    std::vector<Arrear> arrears = readArrears(file.db, file.exists);
    Fen total = 0;
    for (const Arrear &arrear : arrears)
        total = addFen(total, arrear.owed);
    summaryLabel->setText(arrears.empty() ? QStringLiteral("没有欠费的房客。")
                                          : QStringLiteral("共 %1 位房客欠费，合计 %2 元。")
                                                .arg(arrears.size())
                                                .arg(yuanText(total)));
    m_arrears->setRows(std::move(arrears));
    arrearsTable->setModel(m_arrears);
    setUpLedgerTable(arrearsTable, {90, 70, 70, 130});
    showBillButton->setEnabled(m_arrears->rowCount() > 0);
    connectGuarded(showBillButton, &QPushButton::clicked, this, &ArrearsDialog::showChosenBill);
    connectGuarded(arrearsTable, &QAbstractItemView::doubleClicked, this, &ArrearsDialog::showChosenBill);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ArrearsDialog::showChosenBill()
{
    const QModelIndex current = arrearsTable->currentIndex();
    if (!current.isValid()) {
        ShowMessage(QStringLiteral("请先选中一位房客。"));
        return;
    }
    const Arrear &arrear = m_arrears->rowAt(current.row());
    if (arrear.months.empty())
        return;
    m_chosen = std::pair(arrear.tenantId, arrear.months.front());
    accept();
}
