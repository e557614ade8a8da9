// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PrintFlow.h"

#include "platform/FileSteps.h"
#include "platform/NewFileDevice.h"
#include "ui/BackgroundWork.h"
#include "ui/ListingPrinter.h"
#include "ui/MessageBoxes.h"
#include "ui/TransferFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include <cerrno>

namespace {

ListingPrinter::Progress reportingTo(StepProgress &progress)
{
    return [&progress](qint64 done, qint64 total) { return progress.report(done, total); };
}

QString savePdf(ListingPrinter &listing, const QString &title, const QString &path, bool *cancelled)
{
    const QString folder = QFileInfo(path).absolutePath();
    const FileSizeSignalIgnored fileSizeSignal;
    NewFileDevice file(path);
    if (const int error = file.create(); error != 0)
        return writeFailureText(error, folder);
    StepProgress progress(QStringLiteral("正在保存为 PDF……"));
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(applicationTitle);
        ListingPrinter::setUpPage(writer);
        // A write that failed ends the painting: nothing more can be saved.
        painted = listing.paint(&writer, [&](qint64 done, qint64 total) {
            return file.error() == 0 && progress.report(done, total);
        });
    }
    if (progress.cancelled()) {
        if (cancelled)
            *cancelled = true;
        return {};
    }
    if (!painted)
        return file.error() != 0 ? writeFailureText(file.error(), folder) : QStringLiteral("无法生成 PDF 文件");
    // The writer reports no failure of its own: the file's writes tell.
    if (const int error = file.publish(ExistingFile::Replace); error != 0)
        return writeFailureText(error, folder);
    return {};
}

} // namespace

QString saveListingPdf(const ResultSet &rows, const QString &title, const QString &path, bool *cancelled)
{
    ListingPrinter listing(rows, title);
    return savePdf(listing, title, path, cancelled);
}

void PrintWithPreview(const ResultSet &rows, const QString &title, const QString &proposedName, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    ListingPrinter::setUpPage(printer);
    ListingPrinter listing(rows, title);
    {
        StepProgress progress(QStringLiteral("正在排版……"));
        if (!listing.layOut(printer, reportingTo(progress)))
            return;
    }
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        // The preview records pages; a printer takes a job, dropped when stopped.
        const bool previewing = target->paintEngine() && target->paintEngine()->type() == QPaintEngine::Picture;
        StepProgress progress(QStringLiteral("正在生成页面……"));
        const bool painted = listing.paint(target, [&](qint64 done, qint64 total) {
            if (progress.report(done, total))
                return true;
            if (!previewing)
                target->abort();
            return false;
        });
        // A preview of some pages only is no preview.
        if (!painted && previewing)
            QMetaObject::invokeMethod(&preview, &QDialog::reject, Qt::QueuedConnection);
    });
    if (auto *tools = preview.findChild<QToolBar *>()) {
        tools->addSeparator();
        QAction *pdf = tools->addAction(QStringLiteral("保存为 PDF"));
        pdf->setObjectName(QStringLiteral("ActionSavePdf"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&] {
            const QString path = askSavePath(QStringLiteral("保存为 PDF"), proposedName, {QStringLiteral("PDF 文件 (*.pdf)")});
            if (path.isEmpty())
                return;
            bool cancelled = false;
            const QString failure = savePdf(listing, title, path, &cancelled);
            if (cancelled)
                return;
            if (failure.isEmpty())
                ShowMessage(QStringLiteral("已保存为“%1”。").arg(QDir::toNativeSeparators(path)));
            else
                ShowWarningBox(QStringLiteral("保存失败：%1。").arg(failure));
        });
    }
    preview.exec();
}
