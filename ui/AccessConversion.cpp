// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AccessConversion.h"

#include "access/InPlaceConversion.h"
#include "db/ADOConnection.h"
#include "db/AccessDatabaseFile.h"
#include "platform/RegionalFormats.h"
#include "ui/ConversionChild.h"
#include "ui/MessageBoxes.h"

#include <QDir>
#include <QProgressDialog>

int accessConversionProgressDelayMs = 500;

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString progressText(qint64 done, qint64 total)
{
    if (total <= 0)
        return QStringLiteral("正在转换房客记录：已转换 %1 个记录").arg(done);
    return QStringLiteral("正在转换房客记录：已转换 %1 / %2 个记录").arg(done).arg(total);
}

} // namespace

bool OfferAccessConversion(const QString &databasePath)
{
    if (accessDatabaseRefusal(databasePath).isEmpty())
        return false;
    const QString question = QStringLiteral("数据库文件“%1”是 Access 数据库。\n"
                                            "是否将其中的房客记录转换为本程序的数据库？原文件将另存为“%2”，内容不变。")
                                 .arg(shown(databasePath), shown(keptAccessPath(databasePath)));
    if (!AskYesNo(applicationTitle, question))
        return false;

    // The reading runs in a child process while the event loop turns: the
    // clock goes on, the dialog repaints, and 取消 ends the child at once.
    QProgressDialog dialog(progressText(0, 0), QStringLiteral("取消"), 0, 1);
    dialog.setWindowTitle(applicationTitle);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(accessConversionProgressDelayMs);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumWidth(360);
    // The dialog, and with it 取消, shows after the delay even when the
    // reading never gets as far as telling its progress.
    dialog.setValue(0);
    const ConversionResult result =
        convertInPlace(databasePath, regionalFormats(), [&dialog](ConversionChild &child) {
            QObject::connect(&dialog, &QProgressDialog::canceled, &child, &ConversionChild::cancel);
            QObject::connect(&child, &ConversionChild::progressed, &dialog, [&dialog](qint64 done, qint64 total) {
                // Without a count from the file, or past a stale one, the bar
                // only shows that work goes on.
                const qint64 maximum = total > 0 && total >= done ? total : done + 1;
                if (dialog.maximum() != int(maximum))
                    dialog.setMaximum(int(maximum));
                dialog.setLabelText(progressText(done, total));
                dialog.setValue(int(done));
            });
        });
    dialog.close();

    if (result.succeeded) {
        QString text = QStringLiteral("转换完成，共 %1 个记录。原 Access 数据库已另存为“%2”。")
                           .arg(result.rows)
                           .arg(shown(result.keptPath));
        if (result.staleRowCount())
            text += QLatin1Char('\n') + staleRowCountText(result);
        if (!result.leftOutColumns.isEmpty())
            text += QStringLiteral("\n以下列没有转换：") + result.leftOutColumns.join(QStringLiteral("、"));
        ShowMessage(text);
        return true;
    }
    if (!result.cancelled)
        ShowWarningBox(QStringLiteral("转换失败：%1。\n数据库文件“%2”没有改动。").arg(result.failure, shown(databasePath)));
    return false;
}
