// SPDX-License-Identifier: GPL-3.0-or-later
// larkhaven-convert: converts the table `data` of an Access database into a
// new register file, with the same code as the program's start-up question.
//
//   larkhaven-convert SOURCE TARGET
//
// Refuses a TARGET that exists. Prints the row count and the columns not
// carried over; exits with 0 on success, otherwise with a one-line reason
// on stderr and status 1 (2 for wrong arguments or an unknown option; --help
// prints the usage). It also exports a register to a spreadsheet and makes a
// register from one (app/SpreadsheetCommand.h), and writes a month's bills
// to a spreadsheet (app/BillExportCommand.h). Every job runs under the
// reading limits (platform/ReadingLimits.h).
//
//   larkhaven-convert --progress SHORTDATE LONGTIME SOURCE TARGET
//   larkhaven-convert --read-sheet SHORTDATE LONGTIME SHEET SOURCE
//
// are the children that read an Access file and a spreadsheet for the
// program (app/ChildMode.h).
#include "access/AccessConverter.h"
#include "app/BillExportCommand.h"
#include "app/ChildMode.h"
#include "app/CrashReport.h"
#include "platform/FileSteps.h"
#include "app/SpreadsheetCommand.h"
#include "platform/CommandLine.h"
#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <new>

namespace {

const QString failurePrefix = QStringLiteral("larkhaven-convert: 转换失败：");

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (QCoreApplication::arguments().value(1) == QStringLiteral("--progress"))
        return runConversionChild(QCoreApplication::arguments().mid(2));
    if (QCoreApplication::arguments().value(1) == QStringLiteral("--read-sheet"))
        return runSheetChild(QCoreApplication::arguments().mid(2));
    limitReadingProcess();
    const QString usage = QStringLiteral("用法：larkhaven-convert SOURCE TARGET（把 Access 数据库 SOURCE 的 data 表转换为新的房客数据库 TARGET）\n")
        + spreadsheetCommandUsage() + QLatin1Char('\n') + billExportCommandUsage();
    QCommandLineParser parser;
    parser.setApplicationDescription(usage);
    parser.addPositionalArgument(QStringLiteral("SOURCE"), QString());
    parser.addPositionalArgument(QStringLiteral("TARGET"), QString());
    const QCommandLineOption month(QStringLiteral("month"), QStringLiteral("导出这个月（如 2026-12）的账单"),
                                   QStringLiteral("MONTH"));
    parser.addOption(month);
    const QCommandLineOption skipUnmatched(QStringLiteral("skip-unmatched"),
                                           QStringLiteral("由表格导入时，不导入与登记表各列都对不上的列（默认新增为一列）"));
    parser.addOption(skipUnmatched);
    if (const std::optional<int> status = readCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    const QStringList arguments = parser.positionalArguments();
    if (parser.isSet(month))
        return runBillExportCommand(arguments, parser.value(month));
    if (const std::optional<int> status = runSpreadsheetCommand(arguments, parser.isSet(skipUnmatched)))
        return *status;
    if (arguments.size() != 2) {
        printLine(stderr, usage);
        return 2;
    }
    reportCrashesAs((failurePrefix + damagedText() + QLatin1Char('\n')).toLocal8Bit(),
                    (failurePrefix + tooLargeOrDamagedText() + QLatin1Char('\n')).toLocal8Bit(),
                    QFile::encodeName(conversionTemporaryPath(arguments[1])));
    ConversionResult result;
    try {
        result = convertAccessFile(arguments[0], arguments[1], regionalFormats());
    } catch (const std::bad_alloc &) {
        QFile::remove(conversionTemporaryPath(arguments[1]));
        result.failure = tooLargeOrDamagedText();
    }
    if (!result.succeeded) {
        printLine(stderr, failurePrefix + result.failure);
        return 1;
    }
    QString done = QStringLiteral("转换完成，共 %1 个记录。").arg(result.rows);
    if (result.staleRowCount())
        done += staleRowCountText(result);
    printLine(stdout, done);
    if (!result.leftOutColumns.isEmpty())
        printLine(stdout, QStringLiteral("未转换的列：") + result.leftOutColumns.join(QStringLiteral("、")));
    return 0;
}
