// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpreadsheetCommand.h"

#include "access/AccessConverter.h"
#include "db/AccessDatabaseFile.h"
#include "platform/Utf8Text.h"
#include "sheets/ExportSource.h"
#include "platform/FileSteps.h"
#include "sheets/ImportPlan.h"
#include "sheets/ListingExport.h"
#include "db/RegisterBuilder.h"
#include "sheets/SheetReading.h"
#include "sheets/SheetTable.h"
#include "db/AppError.h"
#include "app/CrashReport.h"
#include "platform/ProgramClock.h"
#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

bool hasSuffix(const QString &path, std::initializer_list<const char *> suffixes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const char *s) { return suffix == QLatin1String(s); });
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void requireNew(const QString &target)
{
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw AppError(QStringLiteral("“%1”已经存在").arg(shown(target)));
}

int exportRegister(const QString &source, const QString &target)
{
    requireNew(target);
    if (!QFileInfo(source).isFile())
        throw AppError(QStringLiteral("“%1”不存在").arg(shown(source)));
    if (const QString refusal = accessDatabaseRefusal(source); !refusal.isEmpty())
        throw AppError(refusal);
    qint64 rows = 0;
    {
        RegisterTableRows table(source);
        ListingExport file(table, target, QStringLiteral("房客登记"));
        file.start();
        while (!file.writeSome(4096)) {
        }
        file.finish();
        file.publish(false);
        rows = file.rowsWritten();
    }
    printLine(stdout, QStringLiteral("导出完成，共 %1 个记录：%2").arg(rows).arg(shown(target)));
    return 0;
}

int importSpreadsheet(const QString &source, const QString &target, bool skipUnmatched)
{
    requireNew(target);
    ReadControl control;
    ImportOptions options;
    options.skipUnmatched = skipUnmatched;
    const ImportPlan plan = planImport(
        std::make_shared<const SheetTable>(readSheetTable(source, 0, regionalFormats(), control)), {}, options);
    if (!plan.problem.isEmpty())
        throw AppError(plan.problem);
    for (const SkippedRow &skipped : plan.skipped)
        printLine(stdout, QStringLiteral("跳过第 %1 行（%2）：%3").arg(skipped.row).arg(skipped.name, skipped.reason));
    for (const SkippedRow &noted : plan.notes)
        printLine(stdout, QStringLiteral("注意第 %1 行（%2）：%3").arg(noted.row).arg(noted.name, noted.reason));
    if (plan.rows.size() == 0)
        throw AppError(QStringLiteral("没有可以导入的记录"));

    const QString temporary = conversionTemporaryPath(target);
    QFile::remove(temporary);
    const QByteArray editTime = editTimeText(currentLocalDateTime(), regionalFormats()).toUtf8();
    RegisterBuilder builder(temporary);
    try {
        builder.create(plan.extraColumns);
        const int columns = plan.rows.columnCount();
        TenantRows::Cells cells;
        // The register's seven, 编辑时间, then the columns after them; the
        // texts go in as UTF-8, where they lie in the sheet.
        std::vector<std::optional<std::string_view>> texts(std::size_t(columns) + 1);
        texts[TenantRows::registerColumnCount] = std::string_view(editTime.constData(), std::size_t(editTime.size()));
        for (qsizetype row = 0; row < plan.rows.size(); ++row) {
            plan.rows.cells(row, cells);
            for (int column = 0; column < columns; ++column)
                texts[std::size_t(column < TenantRows::registerColumnCount ? column : column + 1)]
                    = cells[std::size_t(column)];
            builder.insertUtf8(row + 1, texts);  // each row its own new ID: never taken
        }
        builder.finish(plan.rows.size());
    } catch (const AppError &) {
        builder.abandon();
        if (builder.madeFile())
            QFile::remove(temporary);
        throw;
    }
    if (const int error = publishFile(temporary, target, ExistingFile::Keep); error != 0) {
        QFile::remove(temporary);
        throw AppError(error == EEXIST ? QStringLiteral("“%1”已经存在").arg(shown(target))
                                               : writeFailureText(error, QFileInfo(target).absolutePath()));
    }

    printLine(stdout, QStringLiteral("导入完成，共 %1 个记录，跳过 %2 行。").arg(plan.rows.size()).arg(plan.skipped.size()));
    if (!plan.addedColumns.isEmpty())
        printLine(stdout, QStringLiteral("新增的列：") + summarisedColumns(plan.addedColumns));
    if (!plan.leftOutColumns.isEmpty())
        printLine(stdout, QStringLiteral("未导入的列：") + summarisedColumns(plan.leftOutColumns));
    if (plan.unreadableDates > 0)
        printLine(stdout, unreadableDatesText(plan.unreadableDates));
    if (plan.repairedCells > 0)
        printLine(stdout, repairedCellsText(plan.repairedCells));
    return 0;
}

} // namespace

std::optional<int> runSpreadsheetCommand(const QStringList &arguments, bool skipUnmatched)
{
    if (arguments.size() != 2)
        return std::nullopt;
    const QString &source = arguments[0];
    const QString &target = arguments[1];
    const bool exporting = hasSuffix(target, {"xlsx", "csv"});
    if (!exporting && !hasSuffix(source, {"xlsx", "ods", "csv"}))
        return std::nullopt;
    const QString failed = exporting ? QStringLiteral("larkhaven-convert: 导出失败：")
                                     : QStringLiteral("larkhaven-convert: 导入失败：");
    const QByteArray crashLine = (failed + tooLargeOrDamagedText() + QLatin1Char('\n')).toLocal8Bit();
    reportCrashesAs(crashLine, crashLine, exporting ? QByteArray() : QFile::encodeName(conversionTemporaryPath(target)));
    try {
        return exporting ? exportRegister(source, target) : importSpreadsheet(source, target, skipUnmatched);
    } catch (const AppError &error) {
        // An import that fails in the register's engine says 导入失败 too.
        printLine(stderr, failed + error.text());
    } catch (const std::bad_alloc &) {
        if (!exporting)
            QFile::remove(conversionTemporaryPath(target));
        printLine(stderr, failed + tooLargeOrDamagedText());
    }
    return 1;
}

QString spreadsheetCommandUsage()
{
    return QStringLiteral("      larkhaven-convert REGISTER TARGET.xlsx|TARGET.csv（把房客数据库导出为表格）\n"
                          "      larkhaven-convert [--skip-unmatched] SOURCE.xlsx|.ods|.csv TARGET（由表格建立新的房客数据库）");
}
