// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ledger/LedgerTableModel.h"

// The month's list of bills: 房号, 姓名, 租金, 水费, 电费, 其他, 合计, 已收,
// 未收, 状态, all of them or only those owed (未收) or paid (已收).
class BillListModel : public LedgerTableModel<BillSummary> {
public:
    enum class Filter { All, Owed, Paid };

    explicit BillListModel(QObject *parent = nullptr);

    // The month's bills, read from the file of `generation`.
    void setBills(const LedgerMonth &month, std::vector<BillSummary> bills, unsigned generation);
    void setFilter(Filter filter);

    const LedgerMonth &month() const { return m_month; }
    Filter filter() const { return m_filter; }
    unsigned generation() const { return m_generation; }
    // Every bill of the month, whatever the filter shows.
    const std::vector<BillSummary> &allBills() const { return m_all; }
    // The row of a bill, -1 when it is not shown.
    int rowOfBill(qint64 billId) const;
    int rowOfTenant(qint64 tenantId) const;

protected:
    QString cellText(const BillSummary &bill, int column) const override;
    QVariant toolTip(const BillSummary &bill, int column) const override;
    bool alignsRight(int column) const override;

private:
    void showFiltered();

    LedgerMonth m_month;
    std::vector<BillSummary> m_all;
    Filter m_filter = Filter::All;
    unsigned m_generation = 0;
};
