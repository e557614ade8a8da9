// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PrintFlow.h"

#include "platform/FileSteps.h"
#include "ui/ListingPrinter.h"
#include "ui/MessageBoxes.h"
#include "ui/TransferFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include <cerrno>
#include <cstdio>

QString saveListingPdf(const ResultSet &rows, const QString &title, const QString &path)
{
    const QFileInfo target(path);
    const QString temporary = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temporary);
        printer.setDocName(title);
        ListingPrinter::setUpPage(printer);
        ListingPrinter(rows, title).paint(&printer);
    }
    int error = QFileInfo(temporary).size() > 0 ? syncFile(temporary) : EACCES;
    if (error == 0)
        error = std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0 ? 0 : errno;
    if (error != 0) {
        QFile::remove(temporary);
        return writeFailureText(error, target.absolutePath());
    }
    syncDirectory(target.absolutePath());
    return {};
}

void PrintWithPreview(const ResultSet &rows, const QString &title, const QString &proposedName, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    ListingPrinter::setUpPage(printer);
    ListingPrinter listing(rows, title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter *target) { listing.paint(target); });
    if (auto *tools = preview.findChild<QToolBar *>()) {
        tools->addSeparator();
        QAction *pdf = tools->addAction(QStringLiteral("保存为 PDF"));
        pdf->setObjectName(QStringLiteral("ActionSavePdf"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&] {
            const QString path = askSavePath(QStringLiteral("保存为 PDF"), proposedName, {QStringLiteral("PDF 文件 (*.pdf)")});
            if (path.isEmpty())
                return;
            const QString failure = saveListingPdf(rows, title, path);
            if (failure.isEmpty())
                ShowMessage(QStringLiteral("已保存为“%1”。").arg(QDir::toNativeSeparators(path)));
            else
                ShowWarningBox(QStringLiteral("保存失败：%1。").arg(failure));
        });
    }
    preview.exec();
}
