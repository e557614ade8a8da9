// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Arrears.h"
#include "ledger/LedgerTableModel.h"

// The tenants who owe: 姓名, 房号, 欠费月数, 欠费金额, 欠费月份.
class ArrearsModel : public LedgerTableModel<Arrear> {
public:
    explicit ArrearsModel(QObject *parent = nullptr);

protected:
    QString cellText(const Arrear &arrear, int column) const override;
    bool alignsRight(int column) const override { return column == 2 || column == 3; }
};
