// SPDX-License-Identifier: GPL-3.0-or-later
// Times larkhaven-convert on an Access register against mdb-export reading
// the same table to /dev/null, side by side in one run, with the peak
// resident memory of each: a register of typed columns as Access keeps
// them, and the same register with every column a text or a memo.
//
//   convert_bench [--rows 100000] [--reps 5] [--keep PATH]
//
// --keep also copies the generated Access file of typed columns to PATH.
//
// Both run as child processes, so each time includes starting the program
// and each peak is that program's own.
#include "jet4/Jet4Writer.h"
#include "platform/CommandLine.h"
#include "MeasuredRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>


#include <algorithm>
#include <cstdio>

namespace {

// A register as a landlord keeps it in Access: typed columns (or every one
// a text), three-line remarks.
jet4::Table tenants(int rows, bool allText)
{
    using jet4::ColumnType;
    const ColumnType money = allText ? ColumnType::Text : ColumnType::Currency;
    const ColumnType date = allText ? ColumnType::Text : ColumnType::DateTime;
    jet4::Table table{QStringLiteral("data"),
                      {{QStringLiteral("ID"), ColumnType::Long, true},
                       {QStringLiteral("姓名"), ColumnType::Text},
                       {QStringLiteral("房号"), ColumnType::Text},
                       {QStringLiteral("租金"), money},
                       {QStringLiteral("押金"), money},
                       {QStringLiteral("入住日期"), date},
                       {QStringLiteral("到期日期"), date},
                       {QStringLiteral("备注"), ColumnType::Memo},
                       {QStringLiteral("编辑时间"), date}},
                      {},
                      {}};
    const QStringList surnames{"张", "王", "李", "赵", "刘", "陈", "杨", "欧阳"};
    const QDate first(2015, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QDate moveIn = first.addDays(i % 2000);
        const qlonglong rent = 500 + i % 25 * 100;
        const qlonglong deposit = 1000 + i % 10 * 500;
        const QDateTime edited(moveIn, QTime(9 + i % 10, i % 60, i % 60));
        QVariantList row{QVariant(), surnames[i % surnames.size()] + QStringLiteral("房客%1").arg(i),
                         QStringLiteral("%1-%2%3").arg(1 + i % 20).arg(1 + i % 30).arg(1 + i % 4, 2, 10, QChar('0')),
                         rent * 10000, deposit * 10000, QDateTime(moveIn, QTime(0, 0)),
                         QDateTime(moveIn.addYears(1), QTime(0, 0)),
                         QStringLiteral("电话：138%1\r\n身份证：1101011990%2\r\n押一付三").arg(i, 8, 10, QChar('0')).arg(i, 8, 10, QChar('0')),
                         edited};
        if (allText)
            row = {row[0], row[1], row[2], QString::number(rent), QString::number(deposit),
                   moveIn.toString(QStringLiteral("yyyy/M/d")), moveIn.addYears(1).toString(QStringLiteral("yyyy/M/d")),
                   row[7], edited.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))};
        table.rows.append(row);
    }
    return table;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times larkhaven-convert on an Access register against mdb-export reading the same table."));
    const QCommandLineOption rowsOption(QStringLiteral("rows"), QStringLiteral("tenants (default 100000)"),
                                        QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption repsOption(QStringLiteral("reps"), QStringLiteral("runs of each (default 5)"),
                                        QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption keepOption(QStringLiteral("keep"),
                                        QStringLiteral("also copy the Access file of typed columns to PATH"),
                                        QStringLiteral("PATH"));
    parser.addOptions({rowsOption, repsOption, keepOption});
    if (const std::optional<int> status = readCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    const int rows = parser.value(rowsOption).toInt();
    const int repetitions = std::max(1, parser.value(repsOption).toInt());
    const QString keep = parser.value(keepOption);

    QTemporaryDir directory;
    std::printf("| file | rows | mdb-export to /dev/null (ms) | larkhaven-convert (ms) | ratio | peak memory, mdb-export (MB) | peak memory, larkhaven-convert (MB) |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const bool allText : {false, true}) {
        const QString source = directory.filePath(allText ? "text.mdb" : "typed.mdb");
        const QString target = directory.filePath("register.mdb");
        QString error;
        if (!jet4::writeDatabase(source, {tenants(rows, allText)}, &error)) {
            std::fprintf(stderr, "cannot write the Access file: %s\n", qPrintable(error));
            return 1;
        }
        if (!keep.isEmpty() && !allText)
            QFile::copy(source, keep);

        QList<double> exportTimes, convertTimes;
        double exportPeak = 0, convertPeak = 0;
        for (int i = 0; i < repetitions; ++i) {
            const MeasuredRun exported = measured({"mdb-export", source, "data"});
            QFile::remove(target);
            const MeasuredRun converted = measured({LARKHAVEN_CONVERT_PATH, source, target});
            if (!exported.succeeded || !converted.succeeded) {
                std::fprintf(stderr, "a run failed\n");
                return 1;
            }
            exportTimes << exported.milliseconds;
            convertTimes << converted.milliseconds;
            exportPeak = std::max(exportPeak, exported.peakMegabytes);
            convertPeak = std::max(convertPeak, converted.peakMegabytes);
        }
        const double exportMedian = median(exportTimes);
        const double convertMedian = median(convertTimes);
        std::printf("| %s, %.1f MB | %d | %.1f | %.1f | %.2f | %.1f | %.1f |\n", allText ? "all text" : "typed",
                    double(QFile(source).size()) / 1048576.0, rows, exportMedian, convertMedian,
                    convertMedian / exportMedian, exportPeak, convertPeak);
    }
    std::printf("(medians of %d runs)\n", repetitions);
    return 0;
}
