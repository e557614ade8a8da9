// SPDX-License-Identifier: GPL-3.0-or-later
// Times the import of a CSV of tenants (larkhaven-convert SOURCE.csv
// TARGET: read, planned, a new register written) against the sqlite3
// shell's `.import` of the same file into an empty register, side by side
// in turns, with the peak resident memory of each:
//
//   csv_import_bench [--rows 100000,1000000] [--reps 5]
//
// Both run as child processes through measure_child, so each time includes
// starting the program and each peak is that program's own. Without the
// sqlite3 shell the peer's columns stay empty.
#include "db/AppError.h"
#include "db/RegisterBuilder.h"
#include "platform/CommandLine.h"
#include "platform/RegionalFormats.h"
#include "MeasuredRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// The program's own CSV export of `rows` tenants (without its byte-order
// mark, which the sqlite3 shell would take for text): dates in the
// regional form, plain amounts, three-line remarks.
bool writeCsv(const QString &path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const RegionalFormats &formats = regionalFormats();
    const QDate first(2015, 1, 1);
    QByteArray chunk = "ID,姓名,房号,租金,押金,入住日期,到期日期,备注,编辑时间\r\n";
    for (int i = 1; i <= rows; ++i) {
        const QDate moveIn = first.addDays(i % 2000);
        chunk += QStringLiteral("%1,房客%1,%2-%3,%4,%5,%6,%7,\"电话：138%8\r\n身份证：1101011990%8\r\n押一付三\",%9\r\n")
                     .arg(i)
                     .arg(1 + i % 20)
                     .arg(1 + i % 30)
                     .arg(500 + i % 25 * 100)
                     .arg(1000 + i % 10 * 500)
                     .arg(fullYearDateText(moveIn, formats), fullYearDateText(moveIn.addYears(1), formats))
                     .arg(i, 8, 10, QChar('0'))
                     .arg(editTimeText(QDateTime(moveIn, QTime(9, i % 60)), formats))
                     .toUtf8();
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size() && file.flush();
}

bool emptyRegister(const QString &path)
{
    QFile::remove(path);
    RegisterBuilder builder(path);
    try {
        builder.create();
        builder.finish(0);
    } catch (const AppError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times larkhaven-convert's import of a CSV against the sqlite3 shell's .import of it."));
    const QCommandLineOption rowsOption(QStringLiteral("rows"), QStringLiteral("tenants, comma-separated (default 100000,1000000)"),
                                        QStringLiteral("N,..."), QStringLiteral("100000,1000000"));
    const QCommandLineOption repsOption(QStringLiteral("reps"), QStringLiteral("runs of each (default 5)"),
                                        QStringLiteral("N"), QStringLiteral("5"));
    parser.addOptions({rowsOption, repsOption});
    if (const std::optional<int> status = readCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    const int repetitions = std::max(1, parser.value(repsOption).toInt());
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));

    QTemporaryDir directory;
    const QString source = directory.filePath(QStringLiteral("房客.csv"));
    const QString target = directory.filePath(QStringLiteral("register.mdb"));
    std::printf("| rows | CSV (MB) | sqlite3 .import (ms) | larkhaven-convert (ms) | ratio | peak, sqlite3 (MB) | peak, larkhaven-convert (MB) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const QString &count : parser.value(rowsOption).split(QLatin1Char(','))) {
        const int rows = count.toInt();
        if (!writeCsv(source, rows)) {
            std::fprintf(stderr, "cannot write the CSV\n");
            return 1;
        }
        QList<double> peerTimes, ownTimes;
        double peerPeak = 0, ownPeak = 0;
        for (int i = 0; i < repetitions; ++i) {
            if (!shell.isEmpty()) {
                if (!emptyRegister(target)) {
                    std::fprintf(stderr, "cannot make an empty register\n");
                    return 1;
                }
                const MeasuredRun peer = measured({shell, target, QStringLiteral(".import --csv --skip 1 %1 data").arg(source)});
                if (!peer.succeeded) {
                    std::fprintf(stderr, "sqlite3 .import failed\n");
                    return 1;
                }
                peerTimes << peer.milliseconds;
                peerPeak = std::max(peerPeak, peer.peakMegabytes);
            }
            QFile::remove(target);
            const MeasuredRun own = measured({LARKHAVEN_CONVERT_PATH, source, target});
            if (!own.succeeded) {
                std::fprintf(stderr, "larkhaven-convert failed\n");
                return 1;
            }
            ownTimes << own.milliseconds;
            ownPeak = std::max(ownPeak, own.peakMegabytes);
        }
        const double own = median(ownTimes);
        if (peerTimes.isEmpty()) {
            std::printf("| %d | %.1f | | %.1f | | | %.1f |\n", rows, double(QFile(source).size()) / 1048576.0, own, ownPeak);
        } else {
            const double peer = median(peerTimes);
            std::printf("| %d | %.1f | %.1f | %.1f | %.2f | %.1f | %.1f |\n", rows, double(QFile(source).size()) / 1048576.0,
                        peer, own, own / peer, peerPeak, ownPeak);
        }
        std::fflush(stdout);
    }
    std::printf("(medians of %d runs)\n", repetitions);
    return 0;
}
