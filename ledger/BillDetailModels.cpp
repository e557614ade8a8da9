// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/BillDetailModels.h"

namespace {

QString readingCell(const std::optional<qint64> &hundredths)
{
    return hundredths ? readingText(*hundredths) : QString();
}

} // namespace

BillLineModel::BillLineModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("项目"), QStringLiteral("上次读数"), QStringLiteral("本次读数"),
                        QStringLiteral("用量"), QStringLiteral("单价"), QStringLiteral("分摊"), QStringLiteral("金额")},
                       parent)
{
}

QString BillLineModel::cellText(const BillLine &line, int column) const
{
    switch (column) {
    case 0:
        return line.label;
    case 1:
        return readingCell(line.previousReading);
    case 2:
        return readingCell(line.currentReading);
    case 3:
        return readingCell(line.quantity);
    case 4:
        return line.unitFen ? yuanText(*line.unitFen) : QString();
    case 5:
        return line.sharedBy > 1 ? QStringLiteral("%1 人").arg(line.sharedBy) : QString();
    default:
        return line.amount ? yuanText(*line.amount) : QStringLiteral("待填写");
    }
}

PaymentListModel::PaymentListModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("编号"), QStringLiteral("收款日期"), QStringLiteral("金额"),
                        QStringLiteral("方式"), QStringLiteral("备注"), QStringLiteral("状态")},
                       parent)
{
}

QString PaymentListModel::cellText(const Payment &payment, int column) const
{
    switch (column) {
    case 0:
        return QString::number(payment.id);
    case 1:
        return shownDay(payment.paidOn);
    case 2:
        return yuanText(payment.amount);
    case 3:
        return payment.method;
    case 4:
        return payment.note;
    default:
        return payment.isCancelled() ? QStringLiteral("作废：%1").arg(payment.cancelReason) : QStringLiteral("有效");
    }
}
