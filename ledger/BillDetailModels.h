// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ledger/LedgerTableModel.h"

// A bill's lines: 项目, 上次读数, 本次读数, 用量, 单价, 分摊, 金额.
class BillLineModel : public LedgerTableModel<BillLine> {
public:
    explicit BillLineModel(QObject *parent = nullptr);

protected:
    QString cellText(const BillLine &line, int column) const override;
    bool alignsRight(int column) const override { return column > 0; }
};

// A bill's payments: 编号, 收款日期, 金额, 方式, 备注, 状态 (有效, or 作废 with
// the reason).
class PaymentListModel : public LedgerTableModel<Payment> {
public:
    explicit PaymentListModel(QObject *parent = nullptr);

protected:
    QString cellText(const Payment &payment, int column) const override;
    bool alignsRight(int column) const override { return column == 0 || column == 2; }
};
