// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BillExportCommand.h"

#include "db/AccessDatabaseFile.h"
#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ReadTransaction.h"
#include "db/SqlStatement.h"
#include "ledger/Bills.h"
#include "ledger/LedgerSchema.h"
#include "ledger/MonthBillRows.h"
#include "sheets/ExportSource.h"
#include "sheets/ListingExport.h"
#include "sheets/SheetReading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <sqlite3.h>

#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The month's bills of the register at `path`, read in one read transaction
// through a connection that cannot write.
std::vector<BillSummary> monthBills(const QString &path, const LedgerMonth &month)
{
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("“%1”不存在").arg(shown(path)));
    if (const QString refusal = accessDatabaseRefusal(path); !refusal.isEmpty())
        throw AppError(refusal);
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto closeDb = qScopeGuard([db] { sqlite3_close(db); });
    if (rc != SQLITE_OK)
        throw AppError(engineErrorText(db));
    sqlite3_busy_timeout(db, TADOConnection::busyTimeoutMs);
    const ReadTransaction read(db);
    if (!read.locked())
        throw AppError(engineErrorText(db));
    return readMonthBills(db, ledgerExists(db), month);
}

int exportBills(const QString &source, const QString &target, const LedgerMonth &month)
{
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw AppError(QStringLiteral("“%1”已经存在").arg(shown(target)));
    const std::vector<BillSummary> bills = monthBills(source, month);
    if (bills.empty())
        throw AppError(QStringLiteral("%1没有账单").arg(month.text()));
    const ResultSet rows = monthBillRows(bills);
    ResultSetRows listed(rows);
    ListingExport file(listed, target, month.text() + QStringLiteral("账单"));
    file.start();
    while (!file.writeSome(4096)) {
    }
    file.finish();
    file.publish(false);
    printLine(stdout, QStringLiteral("导出完成，%1共 %2 份账单：%3").arg(month.text()).arg(file.rowsWritten()).arg(shown(target)));
    return 0;
}

} // namespace

QString billExportCommandUsage()
{
    return QStringLiteral("      larkhaven-convert REGISTER TARGET.xlsx|TARGET.csv --month 2026-12（把一个月的账单导出为表格）");
}

int runBillExportCommand(const QStringList &files, const QString &monthKey)
{
    const std::optional<LedgerMonth> month = LedgerMonth::fromKey(monthKey);
    const QString suffix = QFileInfo(files.value(1)).suffix().toLower();
    if (!month || files.size() != 2 || (suffix != QStringLiteral("xlsx") && suffix != QStringLiteral("csv"))) {
        printLine(stderr, QStringLiteral("用法："));
        printLine(stderr, billExportCommandUsage());
        return 2;
    }
    try {
        return exportBills(files[0], files[1], *month);
    } catch (const AppError &error) {
        printLine(stderr, QStringLiteral("larkhaven-convert: 导出失败：") + error.text());
    }
    return 1;
}
