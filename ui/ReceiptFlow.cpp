// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ReceiptFlow.h"

#include "ledger/Receipts.h"
#include "ui/MessageBoxes.h"
#include "ui/ReceiptPainter.h"
#include "ui/RegisterWindow.h"
#include "ui/TransferFiles.h"

#include <QAction>
#include <QDir>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

void showReceipt(RegisterWindow &window, unsigned shownGeneration, const Payment &payment, QWidget *parent)
{
    // The number is the ledger's before any paper shows it.
    const Receipt receipt = issueReceipt(window.connection(), shownGeneration, payment);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(receiptFileName(receipt));
    setUpReceiptPage(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("receiptPreview"));
    preview.setWindowTitle(QStringLiteral("收据 %1%2").arg(receipt.number).arg(receipt.reprint() ? QStringLiteral("（补打）") : QString()));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        QPainter painter(target);
        paintReceiptPage(painter, receipt);
    });
    if (auto *tools = preview.findChild<QToolBar *>()) {
        tools->addSeparator();
        QAction *pdf = tools->addAction(QStringLiteral("保存为 PDF"));
        pdf->setObjectName(QStringLiteral("ActionSavePdf"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&] {
            const QString path = askSavePath(QStringLiteral("保存为 PDF"), receiptFileName(receipt),
                                             {QStringLiteral("PDF 文件 (*.pdf)")});
            if (path.isEmpty())
                return;
            const QString failure = saveReceiptPdf(receipt, path);
            if (failure.isEmpty())
                ShowMessage(QStringLiteral("已保存为“%1”。").arg(QDir::toNativeSeparators(path)));
            else
                ShowWarningBox(QStringLiteral("保存失败：%1。").arg(failure));
        });
    }
    preview.exec();
}
