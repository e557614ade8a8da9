// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/ArrearsModel.h"

ArrearsModel::ArrearsModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("姓名"), QStringLiteral("房号"), QStringLiteral("欠费月数"),
                        QStringLiteral("欠费金额"), QStringLiteral("欠费月份")},
                       parent)
{
}

QString ArrearsModel::cellText(const Arrear &arrear, int column) const
{
    switch (column) {
    case 0:
        return arrear.name;
    case 1:
        return arrear.room;
    case 2:
        return QString::number(arrear.months.size());
    case 3:
        return yuanText(arrear.owed) + (arrear.rentsWaiting > 0 ? QStringLiteral(" + 租金待填") : QString());
    default: {
        QStringList months;
        for (const LedgerMonth &month : arrear.months)
            months << month.text();
        return months.join(QStringLiteral("、"));
    }
    }
}
