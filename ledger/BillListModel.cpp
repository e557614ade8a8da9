// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/BillListModel.h"

#include "ledger/MonthBillRows.h"

BillListModel::BillListModel(QObject *parent)
    : LedgerTableModel(monthBillColumns(), parent)
{
}

void BillListModel::setBills(const LedgerMonth &month, std::vector<BillSummary> bills, unsigned generation)
{
    m_month = month;
    m_all = std::move(bills);
    m_generation = generation;
    showFiltered();
}

void BillListModel::setFilter(Filter filter)
{
    m_filter = filter;
    showFiltered();
}

void BillListModel::showFiltered()
{
    std::vector<BillSummary> shown;
    for (const BillSummary &bill : m_all) {
        const bool paid = bill.state() == BillState::Paid;
        if (m_filter == Filter::All || paid == (m_filter == Filter::Paid))
            shown.push_back(bill);
    }
    setRows(std::move(shown));
}

int BillListModel::rowOfBill(qint64 billId) const
{
    for (std::size_t row = 0; row < rows().size(); ++row) {
        if (rows()[row].id == billId)
            return int(row);
    }
    return -1;
}

int BillListModel::rowOfTenant(qint64 tenantId) const
{
    for (std::size_t row = 0; row < rows().size(); ++row) {
        if (rows()[row].tenantId == tenantId)
            return int(row);
    }
    return -1;
}

QString BillListModel::cellText(const BillSummary &bill, int column) const
{
    switch (column) {
    case 0:
        return bill.room;
    case 1:
        return bill.finalBill ? bill.tenantName + QStringLiteral("（退租）") : bill.tenantName;
    case 2:
        return bill.rent ? yuanText(*bill.rent) : QStringLiteral("待填写");
    case 3:
        return yuanText(bill.water);
    case 4:
        return yuanText(bill.electricity);
    case 5:
        return yuanText(bill.other);
    case 6:
        return yuanText(bill.total);
    case 7:
        return yuanText(bill.paid);
    case 8:
        return yuanText(bill.owed());
    default:
        return billStateText(bill.state());
    }
}

QVariant BillListModel::toolTip(const BillSummary &bill, int column) const
{
    if (column == 2 && !bill.rent)
        return QStringLiteral("登记表中的租金“%1”不是整数金额，双击账单填写本月租金").arg(bill.rentText);
    return {};
}

bool BillListModel::alignsRight(int column) const
{
    return column >= 2 && column <= 8;
}
