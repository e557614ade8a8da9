// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ReceiptPainter.h"

#include "ledger/CapitalAmount.h"
#include "ledger/Receipts.h"
#include "platform/NewFileDevice.h"
#include "platform/RegionalFormats.h"
#include "ui/ListingPrinter.h"
#include "ui/MessageBoxes.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {

QFont receiptFont(double points, bool bold = false)
{
    QFont font;
    if (const QStringList families = printFontFamilies(); !families.isEmpty())
        font.setFamily(families.first());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString dateText(const QDate &day)
{
    return QStringLiteral("%1 年 %2 月 %3 日").arg(day.year()).arg(day.month()).arg(day.day());
}

// One copy in `area` (device pixels; `mm` pixels to the millimetre).
void paintCopy(QPainter &painter, const QRectF &area, double mm, const Receipt &receipt, const QString &copyName)
{
    const QColor red(0xc0, 0x10, 0x10);
    // Ruled lines of a fixed width, as on paper, at any resolution.
    const QPen ink(Qt::black, 0.2 * mm);
    painter.setPen(ink);
    painter.setFont(receiptFont(20, true));
    const QRectF titleRow(area.left(), area.top(), area.width(), 14 * mm);
    painter.drawText(titleRow, Qt::AlignCenter, QStringLiteral("收据"));

    painter.setFont(receiptFont(9));
    painter.drawText(titleRow, Qt::AlignLeft | Qt::AlignVCenter, copyName);
    QString number = QStringLiteral("No. %1").arg(receipt.number);
    painter.drawText(titleRow.adjusted(0, 0, receipt.reprint() ? -14 * mm : 0, 0), Qt::AlignRight | Qt::AlignVCenter,
                     number);
    if (receipt.reprint()) {
        painter.setPen(red);
        painter.setFont(receiptFont(10, true));
        painter.drawText(titleRow, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("补打"));
        painter.setPen(ink);
    }

    painter.setFont(receiptFont(10.5));
    const double line = 8 * mm;
    double y = titleRow.bottom() + 2 * mm;
    const auto row = [&](const QString &text, Qt::Alignment align = Qt::AlignLeft) {
        painter.drawText(QRectF(area.left(), y, area.width(), line), align | Qt::AlignVCenter, text);
        y += line;
    };
    row(QStringLiteral("日期：%1").arg(dateText(receipt.paidOn)), Qt::AlignRight);
    row(receipt.receivedText());

    // The bill's items and their amounts, in a ruled table.
    const double amountWidth = 45 * mm;
    const QRectF table(area.left() + 10 * mm, y, area.width() - 20 * mm, line * double(receipt.items.size() + 1));
    painter.drawRect(table);
    painter.drawLine(QPointF(table.right() - amountWidth, table.top()), QPointF(table.right() - amountWidth, table.bottom()));
    const auto tableRow = [&](int index, const QString &label, const QString &amount) {
        const double top = table.top() + index * line;
        if (index > 0)
            painter.drawLine(QPointF(table.left(), top), QPointF(table.right(), top));
        painter.drawText(QRectF(table.left() + 3 * mm, top, table.width() - amountWidth - 6 * mm, line),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        painter.drawText(QRectF(table.right() - amountWidth, top, amountWidth - 3 * mm, line),
                         Qt::AlignRight | Qt::AlignVCenter, amount);
    };
    tableRow(0, QStringLiteral("项目"), QStringLiteral("金额（元）"));
    for (std::size_t i = 0; i < receipt.items.size(); ++i)
        tableRow(int(i) + 1, receipt.items[i].label, yuanText(receipt.items[i].amount));
    y = table.bottom() + 2 * mm;
    const double stampTop = y;

    if (receipt.amount != receipt.billTotal)
        row(QStringLiteral("账单合计 ¥%1，本次收款 ¥%2").arg(yuanText(receipt.billTotal), yuanText(receipt.amount)));
    painter.setFont(receiptFont(10.5, true));
    row(QStringLiteral("合计（小写）：¥%1").arg(yuanText(receipt.amount)));
    row(QStringLiteral("合计（大写）：人民币%1").arg(capitalAmountText(receipt.amount)));
    painter.setFont(receiptFont(10.5));
    row(QStringLiteral("收款方式：%1").arg(receipt.method));
    const QString payee = receipt.payee.isEmpty() ? QStringLiteral("______________") : receipt.payee;
    row(QStringLiteral("收款人：%1　　　　签字：______________").arg(payee));

    if (receipt.cancelled) {
        painter.save();
        painter.setPen(QPen(red, 0.8 * mm));
        painter.setFont(receiptFont(36, true));
        // Right of the totals, clear of every amount.
        const QRectF stamp(area.right() - 60 * mm, stampTop + 2 * mm, 45 * mm, 22 * mm);
        painter.drawRect(stamp);
        painter.drawText(stamp, Qt::AlignCenter, QStringLiteral("作废"));
        painter.setFont(receiptFont(9));
        painter.drawText(QRectF(stamp.left() - 30 * mm, stamp.bottom() + 1 * mm, stamp.width() + 30 * mm, 6 * mm),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("作废原因：%1").arg(receipt.cancelReason));
        painter.restore();
    }
}

} // namespace

void setUpReceiptPage(QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
}

void paintReceiptPage(QPainter &painter, const Receipt &receipt)
{
    const QPaintDevice *device = painter.device();
    const double mm = device->logicalDpiY() / 25.4;
    const QRectF page(0, 0, device->width(), device->height());
    const double half = page.height() / 2;
    paintCopy(painter, QRectF(page.left(), page.top(), page.width(), half - 6 * mm), mm, receipt,
              QStringLiteral("第一联　存根"));
    painter.save();
    painter.setPen(QPen(Qt::gray, 0.3 * mm, Qt::DashLine));
    painter.drawLine(QPointF(page.left(), page.top() + half), QPointF(page.right(), page.top() + half));
    painter.restore();
    paintCopy(painter, QRectF(page.left(), page.top() + half + 6 * mm, page.width(), half - 6 * mm), mm, receipt,
              QStringLiteral("第二联　交房客"));
}

QString saveReceiptPdf(const Receipt &receipt, const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const FileSizeSignalIgnored fileSizeSignal;
    NewFileDevice file(path);
    if (const int error = file.create(); error != 0)
        return writeFailureText(error, folder);
    {
        QPdfWriter writer(&file);
        writer.setTitle(QStringLiteral("收据 %1").arg(receipt.number));
        writer.setCreator(applicationTitle);
        writer.setResolution(300);
        setUpReceiptPage(writer);
        QPainter painter;
        if (!painter.begin(&writer))
            return QStringLiteral("无法生成 PDF 文件");
        paintReceiptPage(painter, receipt);
        painter.end();
    }
    if (const int error = file.publish(ExistingFile::Replace); error != 0)
        return writeFailureText(error, folder);
    return {};
}

QString receiptFileName(const Receipt &receipt)
{
    return QStringLiteral("收据_%1").arg(receipt.number);
}
