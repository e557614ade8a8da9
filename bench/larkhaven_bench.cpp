// Times the register's operations through the real windows at 1,000 to
// 100,000 tenants and compares each with plain SQLite on the same file.
//
//   larkhaven_bench [--sizes 1000,10000,100000] [--reps 5]
//
// Each size runs in a child process of its own (--rows N), so that its peak
// resident memory is its own; the parent prints one table.
#include "RawBaseline.h"
#include "RegisterGenerator.h"
#include "WindowOperations.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Options {
    QList<int> sizes{1000, 10000, 100000};
    int repetitions = 5;
    int rows = 0;  // set in a child
};

Options parseOptions(const QStringList &arguments)
{
    Options options;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const QString &name = arguments.at(i);
        const QString &value = arguments.at(i + 1);
        if (name == "--sizes") {
            options.sizes.clear();
            for (const QString &size : value.split(','))
                options.sizes << size.toInt();
        } else if (name == "--reps") {
            options.repetitions = std::max(1, value.toInt());
        } else if (name == "--rows") {
            options.rows = value.toInt();
        }
    }
    return options;
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2.0;
}

// The median time of `work`, each run prepared by `before` (not timed) and
// followed by `after` (not timed).
double medianOf(int repetitions, const std::function<void()> &work, const std::function<void()> &after = {},
                const std::function<void()> &before = {})
{
    QList<double> times;
    for (int i = 0; i < repetitions; ++i) {
        if (before)
            before();
        times << milliseconds(work);
        if (after)
            after();
    }
    return median(times);
}

long peakResidentKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void report(const char *operation, double windowMs, double baselineMs)
{
    std::printf("RESULT\t%s\t%.3f\t%.3f\n", operation, windowMs, baselineMs);
    std::fflush(stdout);
}

// One size, in this process.
int runOneSize(const Options &options)
{
    QTemporaryDir directory;
    const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");
    setRegionalFormats(formats);
    setProgramDirectory(directory.path());
    generateRegister(databasePath(), options.rows, QDate::currentDate(), formats);

    RawBaseline raw(databasePath());
    const int reps = options.repetitions;
    const double scan = medianOf(reps, [&] { raw.scan("select * from data"); });
    report("raw scan", scan, scan);

    const double startup = medianOf(reps, WindowOperations::startProgram, WindowOperations::endProgram);
    report("start-up", startup, scan);
    WindowOperations::startProgram();

    report("refresh", medianOf(reps, WindowOperations::refresh), scan);
    // Painting the grid costs the rows on screen, whatever the list's length:
    // compare this line across the sizes.
    report("scroll to end", medianOf(reps, WindowOperations::scrollGridToEnd), scan);

    auto listing = [&](const char *name, const std::function<void()> &operation) {
        const double window = medianOf(reps, operation);
        const QByteArray sql = WindowOperations::listingSql().toUtf8();
        const QVariantList parameters = WindowOperations::listingParameters();
        report(name, window, medianOf(reps, [&] { raw.scan(sql.constData(), parameters); }));
    };
    listing("name search", [] { WindowOperations::search("姓名", searchedSurname); });
    listing("room search", [] { WindowOperations::search("房号", searchedRoom); });
    listing("due tenants", WindowOperations::dueTenants);

    WindowOperations::refresh();
    int added = 0;
    report("add", medianOf(reps, WindowOperations::addFromAddPage, {}, [&added] {
               WindowOperations::openAddPage(QStringLiteral("新租客%1").arg(++added));
           }),
           scan);
    report("delete", medianOf(reps, WindowOperations::confirmDelete, {}, [&options] {
               WindowOperations::openDeleteConfirmation(options.rows / 2);
           }),
           scan);

    WindowOperations::endProgram();
    std::printf("PEAK\t%ld\n", peakResidentKilobytes());
    return 0;
}

// Every size in a child of its own; one table of the results.
int runAllSizes(const Options &options, const QString &program)
{
    QTextStream out(stdout);
    out << "| operation | rows | window (ms) | baseline (ms) | ratio |\n|---|---:|---:|---:|---:|\n";
    QMap<int, double> startups;
    QMap<int, double> scans;
    QMap<int, long> peaks;
    for (const int rows : options.sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program, {"--rows", QString::number(rows), "--reps", QString::number(options.repetitions)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "the run with %d rows failed\n", rows);
            return 1;
        }
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.first() == "RESULT" && fields.size() == 4) {
                const double window = fields.at(2).toDouble();
                const double baseline = fields.at(3).toDouble();
                if (fields.at(1) == "raw scan")
                    scans[rows] = window;
                if (fields.at(1) == "start-up")
                    startups[rows] = window;
                out << "| " << QString::fromUtf8(fields.at(1)) << " | " << rows << " | "
                    << QString::number(window, 'f', 2) << " | " << QString::number(baseline, 'f', 2) << " | "
                    << QString::number(window / baseline, 'f', 2) << " |\n";
            } else if (fields.first() == "PEAK" && fields.size() == 2) {
                peaks[rows] = fields.at(1).toLong();
            }
        }
        out.flush();
    }
    out << "\n| rows | peak resident memory (MB) |\n|---:|---:|\n";
    for (auto peak = peaks.cbegin(); peak != peaks.cend(); ++peak)
        out << "| " << peak.key() << " | " << QString::number(double(peak.value()) / 1024.0, 'f', 1) << " |\n";
    if (startups.size() >= 2) {
        const int smallest = startups.firstKey();
        const int largest = startups.lastKey();
        out << "\nstart-up at " << largest << " rows minus start-up at " << smallest << " rows: "
            << QString::number(startups[largest] - startups[smallest], 'f', 2) << " ms = "
            << QString::number((startups[largest] - startups[smallest]) / scans[largest], 'f', 2)
            << " raw scans at " << largest << " rows\n";
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const Options options = parseOptions(QApplication::arguments());
    if (options.rows > 0)
        return runOneSize(options);
    return runAllSizes(options, QApplication::applicationFilePath());
}
