// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerTableModel.h"
#include "ledger/Rates.h"

// The prices of water and electricity: 项目, 起始月份, 单价.
class PriceListModel : public LedgerTableModel<PriceChange> {
public:
    explicit PriceListModel(QObject *parent = nullptr);

protected:
    QString cellText(const PriceChange &price, int column) const override;
    bool alignsRight(int column) const override { return column == 2; }
};

// The fixed monthly fees: 名称, 房间, 每月金额, 起始月份.
class FeeListModel : public LedgerTableModel<FeeChange> {
public:
    explicit FeeListModel(QObject *parent = nullptr);

protected:
    QString cellText(const FeeChange &fee, int column) const override;
    bool alignsRight(int column) const override { return column == 2; }
};
