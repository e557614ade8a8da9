// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImportFlow.h"

#include "sheets/ImportPlan.h"
#include "sheets/ImportWriter.h"
#include "platform/Utf8Text.h"
#include "sheets/SheetTable.h"
#include "sheets/SpreadsheetReader.h"
#include "db/AppError.h"
#include "db/ADOConnection.h"
#include "db/SqlStatement.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/DatabaseBackup.h"
#include "ui/BackgroundWork.h"
#include "ui/GuardedConnect.h"
#include "ui/ImportPreview.h"
#include "ui/MessageBoxes.h"
#include "ui/SheetChild.h"
#include "ui/TransferFiles.h"
#include "ui/RegisterWindow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <sqlite3.h>

#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr qsizetype rowsPerStep = 2000;

// The columns the register's table has now.
QStringList tableColumns(sqlite3 *db)
{
    QStringList columns;
    SqlStatement statement(db, "pragma table_info(data)");
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW)
        columns << fromUtf8(statement.columnText(1).value_or(std::string_view()));
    if (rc != SQLITE_DONE)
        statement.throwError();
    return columns;
}

NameSet registerNames(sqlite3 *db)
{
    NameSet names;
    SqlStatement statement(db, "select 姓名 from data");
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        if (const std::optional<std::string_view> name = statement.columnText(0))
            names.emplace(*name);
    }
    if (rc != SQLITE_DONE)
        statement.throwError();
    return names;
}

// Sheet `sheet` of the spreadsheet at `path`, read by the reading child
// while a progress dialog offers 取消, which ends the child at once. Until
// the dialog shows, the windows take no input (a click is kept for later),
// so that nothing else starts meanwhile. None when the user cancelled or
// the file cannot be read (said in a box).
std::shared_ptr<const SheetTable> readSheet(const QString &path, int sheet)
{
    const QString name = QFileInfo(path).fileName();
    SheetChild child;
    const std::unique_ptr<QProgressDialog> dialog(makeProgressDialog(QStringLiteral("正在读取“%1”……").arg(name)));
    // Shown by the timer below, not by the dialog's own.
    dialog->setMinimumDuration(std::numeric_limits<int>::max());
    dialog->setMaximum(0);
    QObject::connect(dialog.get(), &QProgressDialog::canceled, &child, &SheetChild::cancel);
    QObject::connect(&child, &SheetChild::progressed, dialog.get(), [&dialog](int permille) {
        dialog->setMaximum(1000);
        dialog->setValue(permille);
    });
    bool over = false;
    QEventLoop loop;
    QObject::connect(&child, &SheetChild::finished, &loop, [&] {
        over = true;
        loop.quit();
    });
    QTimer showDialog;
    showDialog.setSingleShot(true);
    QObject::connect(&showDialog, &QTimer::timeout, &loop, [&] {
        dialog->show();
        loop.quit();
    });
    showDialog.start(progressDialogDelayMs);
    child.start(path, sheet, regionalFormats());
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!over)
        loop.exec();
    // Nothing may show it from a box's event loop later on.
    showDialog.stop();
    dialog->close();

    if (child.cancelled())
        return nullptr;
    if (!child.table()) {
        ShowWarningBox(QStringLiteral("无法导入“%1”：%2。\n登记表没有改动。").arg(name, child.failure()));
        return nullptr;
    }
    return child.table();
}

// The plan of the sheet the user settles on, or none when the user
// cancelled or the file cannot be read.
std::optional<ImportPlan> previewedPlan(const QString &path, const NameSet &names, const ImportOptions &options,
                                       QWidget *parent)
{
    int sheet = 0;
    for (;;) {
        std::shared_ptr<const SheetTable> table = readSheet(path, sheet);
        if (!table)
            return std::nullopt;
        ImportPlan plan = planImport(std::move(table), names, options);
        if (!plan.problem.isEmpty() && plan.sheetNames.size() == 1) {
            ShowWarningBox(QStringLiteral("无法导入“%1”：%2。\n登记表没有改动。").arg(QFileInfo(path).fileName(), plan.problem));
            return std::nullopt;
        }
        TImportPreview preview(path, std::move(plan), names, parent);
        const int answer = preview.exec();
        if (answer == TImportPreview::OtherSheet) {
            sheet = preview.chosenSheet();
            continue;
        }
        if (answer != QDialog::Accepted)
            return std::nullopt;
        return preview.plan();
    }
}

// Adds the rows; false with the reason, or with none when the user stopped
// it, when nothing was added.
bool writeRows(sqlite3 *db, const ImportPlan &plan, QString *failure)
{
    ImportWriter writer(db, plan, editTimeText(currentLocalDateTime(), regionalFormats()));
    const std::unique_ptr<QProgressDialog> dialog(makeProgressDialog(QStringLiteral("正在导入……")));
    try {
        writer.begin();
        while (!writer.allWritten()) {
            writer.writeSome(rowsPerStep);
            dialog->setValue(int(writer.written() * 1000 / plan.rows.size()));
            if (dialog->wasCanceled()) {
                writer.rollback();
                return false;
            }
        }
        writer.commit();
    } catch (const AppError &error) {
        *failure = error.text();
        return false;
    }
    return true;
}

} // namespace

QString importBackupName()
{
    const QString base = QStringLiteral("导入前_") + currentLocalDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(backupPath(name)); ++n)
        name = base + QStringLiteral("_%1").arg(n);
    return name;
}

void ImportWithDialogs(RegisterWindow &window)
{
    const QString path = askOpenPath(QStringLiteral("从表格导入"), spreadsheetFileFilter());
    if (path.isEmpty())
        return;
    TADOConnection &connection = window.connection();
    ImportOptions options;
    options.registerColumns = tableColumns(connection.handle());
    const NameSet names = registerNames(connection.handle());
    const std::optional<ImportPlan> plan = previewedPlan(path, names, options, window.dialogParent());
    if (!plan)
        return;

    const QString backupName = importBackupName();
    if (!backupDatabase(connection, backupName, currentLocalDateTime().date())) {
        ShowWarningBox(QStringLiteral("导入前备份数据库失败，没有导入。\n登记表没有改动。"));
        return;
    }
    QString failure;
    if (!writeRows(connection.handle(), *plan, &failure)) {
        if (failure.isEmpty())
            ShowMessage(QStringLiteral("已取消导入，登记表没有改动。"));
        else
            ShowWarningBox(QStringLiteral("导入失败：%1。\n登记表没有改动；导入前的备份为“%2.mdb”。").arg(failure, backupName));
        return;
    }
    // The rows are in: a refresh that fails (a rent the total cannot add)
    // shows its error, and the outcome is reported all the same.
    window.relistRegister();
    QString done = QStringLiteral("导入完成：添加了 %1 个记录，跳过 %2 行。").arg(plan->rows.size()).arg(plan->skipped.size());
    if (!plan->addedColumns.isEmpty())
        done += QStringLiteral("\n新增的列：") + summarisedColumns(plan->addedColumns);
    ShowMessage(done + QStringLiteral("\n导入前的数据库已备份为“%1.mdb”。").arg(backupName));
}
