// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ExportFlow.h"

#include "sheets/ExportSource.h"
#include "sheets/ListingExport.h"
#include "sheets/SheetReading.h"
#include "ui/BackgroundWork.h"
#include "ui/MessageBoxes.h"
#include "ui/TransferFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include <memory>

namespace {

constexpr qsizetype rowsPerStep = 2000;

// Writes the rows; false when the user stopped it.
bool writeFile(ExportSource &source, const QString &path, const QString &sheetName, const bool *changed)
{
    ListingExport file(source, path, sheetName);
    const QString name = QFileInfo(path).fileName();
    {
        const std::unique_ptr<QProgressDialog> dialog(
            makeProgressDialog(QStringLiteral("正在导出到“%1”……").arg(name)));
        file.start();
        const qint64 total = std::max<qint64>(source.rowCount(), 1);
        for (;;) {
            if (file.writeSome(rowsPerStep))
                break;
            // A modal progress dialog lets events through here, 取消 among them.
            dialog->setValue(int(file.rowsWritten() * 1000 / total));
            if (dialog->wasCanceled() || (changed && *changed))
                return false;
        }
    }
    ReadControl control;
    runInBackground(QStringLiteral("正在写入“%1”……").arg(name), control, [&] { file.finish(); });
    if (control.cancelled || (changed && *changed))
        return false;
    file.publish(true);
    ShowMessage(QStringLiteral("已导出 %1 个记录到“%2”。").arg(file.rowsWritten()).arg(QDir::toNativeSeparators(path)));
    return true;
}

} // namespace

void ExportWithDialogs(const QString &proposedName, const QString &sheetName,
                       const std::function<std::unique_ptr<ExportSource>()> &openRows, const bool *changed)
{
    const QString path = askSavePath(QStringLiteral("导出"), proposedName,
                                     {QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("CSV 文件，UTF-8 (*.csv)")});
    if (path.isEmpty())
        return;
    try {
        const std::unique_ptr<ExportSource> source = openRows();
        if (!writeFile(*source, path, sheetName, changed)) {
            if (changed && *changed)
                ShowWarningBox(QStringLiteral("导出时列表发生了变化，没有导出。请重新导出。"));
            else
                ShowMessage(QStringLiteral("已取消导出。"));
        }
    } catch (const AppError &error) {
        ShowWarningBox(QStringLiteral("导出失败：%1。").arg(error.text()));
    }
}
