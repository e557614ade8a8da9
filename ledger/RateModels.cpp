// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RateModels.h"

PriceListModel::PriceListModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("项目"), QStringLiteral("起始月份"), QStringLiteral("单价")}, parent)
{
}

QString PriceListModel::cellText(const PriceChange &price, int column) const
{
    switch (column) {
    case 0:
        return chargeName(price.meter);
    case 1:
        return price.from.text();
    default:
        return QStringLiteral("%1 元/%2").arg(yuanText(price.unitFen), unitName(price.meter));
    }
}

FeeListModel::FeeListModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("名称"), QStringLiteral("房间"), QStringLiteral("每月金额"),
                        QStringLiteral("起始月份")},
                       parent)
{
}

QString FeeListModel::cellText(const FeeChange &fee, int column) const
{
    switch (column) {
    case 0:
        return fee.name;
    case 1:
        return fee.room.isEmpty() ? QStringLiteral("全部房间") : fee.room;
    case 2:
        return fee.monthlyFen > 0 ? yuanText(fee.monthlyFen) + QStringLiteral(" 元") : QStringLiteral("停收");
    default:
        return fee.from.text();
    }
}
