// SPDX-License-Identifier: GPL-3.0-or-later
// Times the register's operations through the real windows at 1,000 to
// 1,000,000 tenants and compares each with plain SQLite on the same file,
// and Qt's own lazy models on the same file with the program's start-up.
//
//   larkhaven_bench [--sizes 1000,10000,100000,1000000] [--reps 5]
//   larkhaven_bench --large-page-starts 20 [--sizes 1000000]
//
// The parent writes a register of each size, then starts children, all of
// them kept on the core the parent started on:
//   --startup DIR      the program's start-up, as Quillmere runs it, on
//                      DIR/data.mdb; prints when the main window is painted
//                      with every row listed (a fresh process each time);
//   qt_model_peer      QSqlQueryModel and QSqlTableModel on the same file;
//                      these starts go in rounds over the sizes;
//   --operations DIR   every operation, timed inside one process in turns
//                      with its baseline; its peak resident memory is that
//                      size's.
// Figures within a run compare: each ratio's two sides are timed in turns.
// The parent prints the tables. --large-page-starts runs only the fresh
// starts, with and without the large-page advice (--large-pages on|off).
#include "ProcessMeasures.h"
#include "RawBaseline.h"
#include "RegisterGenerator.h"
#include "WindowOperations.h"
#include "platform/CommandLine.h"
#include "platform/LargePageMemory.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <sched.h>
#include <sys/resource.h>
#include <variant>

namespace {

struct Options {
    QList<int> sizes{1000, 10000, 100000, 1000000};
    int repetitions = 5;
    int largePageStarts = 0;      // set: only the fresh starts, with and without large pages
    QString operationsDirectory;  // set in the operations child
    int rows = 0;                 // the operations child's register
    QString startupDirectory;     // set in the start-up child
    bool largePageAdvice = false;  // the start-up child's, as the program runs
};

// The options, or the status the program ends with (--help, a wrong option).
std::variant<Options, int> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the register's operations through the real windows at each size against plain SQLite "
        "on the same file, and the program's fresh start-up against Qt's own models."));
    const QCommandLineOption sizes(QStringLiteral("sizes"), QStringLiteral("register sizes, comma-separated "
                                   "(default 1000,10000,100000,1000000; 1000000 with --large-page-starts)"),
                                   QStringLiteral("LIST"));
    const QCommandLineOption reps(QStringLiteral("reps"), QStringLiteral("runs of each measure (default 5)"),
                                  QStringLiteral("N"));
    const QCommandLineOption largePageStarts(QStringLiteral("large-page-starts"),
                                             QStringLiteral("only the fresh start-up: N starts with and N without "
                                                            "the large-page advice, in alternating order"),
                                             QStringLiteral("N"));
    // The children's options.
    const QCommandLineOption rows(QStringLiteral("rows"), QString(), QStringLiteral("N"));
    const QCommandLineOption operations(QStringLiteral("operations"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption startup(QStringLiteral("startup"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption largePages(QStringLiteral("large-pages"), QString(), QStringLiteral("on|off"));
    for (QCommandLineOption child : {rows, operations, startup, largePages}) {
        child.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(child);
    }
    parser.addOptions({sizes, reps, largePageStarts});
    if (const std::optional<int> status = readCommandLine(parser, arguments))
        return *status;

    Options options;
    options.largePageStarts = std::max(0, parser.value(largePageStarts).toInt());
    if (parser.isSet(sizes)) {
        options.sizes.clear();
        for (const QString &size : parser.value(sizes).split(','))
            options.sizes << size.toInt();
    } else if (options.largePageStarts > 0) {
        options.sizes = {1000000};
    }
    if (parser.isSet(reps))
        options.repetitions = std::max(1, parser.value(reps).toInt());
    options.rows = parser.value(rows).toInt();
    options.operationsDirectory = parser.value(operations);
    options.startupDirectory = parser.value(startup);
    options.largePageAdvice = parser.value(largePages) == QStringLiteral("on");
    return options;
}

// The formats the register is written in and the windows run with.
RegionalFormats benchFormats()
{
    return RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");
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

// The medians of `work` (each run prepared by `before` and followed by
// `after`, neither timed) and of `baseline`, run in turns, the order
// swapped every other time (work, baseline, baseline, work, ...): both meet
// the machine in the same states, whose speed drifts, and each follows the
// other as often as itself, so neither gains from caches the other filled.
struct Medians {
    double work;
    double baseline;
};
Medians inTurns(int repetitions, const std::function<void()> &work, const std::function<void()> &baseline,
                const std::function<void()> &after = {}, const std::function<void()> &before = {})
{
    QList<double> works;
    QList<double> baselines;
    auto timeWork = [&] {
        if (before)
            before();
        works << milliseconds(work);
        if (after)
            after();
    };
    for (int i = 0; i < repetitions; ++i) {
        if (i % 2 == 0) {
            timeWork();
            baselines << milliseconds(baseline);
        } else {
            baselines << milliseconds(baseline);
            timeWork();
        }
    }
    return {median(works), median(baselines)};
}

void report(const char *operation, double windowMs, double baselineMs)
{
    std::printf("RESULT\t%s\t%.3f\t%.3f\n", operation, windowMs, baselineMs);
    std::fflush(stdout);
}

// The start-up child: the program starts as Quillmere starts it, on the
// register in `directory`, and prints the moment its main window has been
// painted with the rows listed, the rows listed and the current row.
int runStartup(QApplication &application, const QString &directory, bool largePageAdvice)
{
    setLargePageAdvice(largePageAdvice);
    setRegionalFormats(benchFormats());
    setProgramDirectory(directory);
    setUpProgram(application);
    new AfterFirstPaint(Form1->DBGrid1->viewport(), [] {
        std::printf("PAINTED\t%lld\t%d\t%d\n", static_cast<long long>(monotonicNanoseconds()),
                    Form1->DataSource1->rowCount(), Form1->ADOQuery1->RecNo());
        std::printf("PEAK\t%ld\n", peakResidentKilobytes());
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const auto ms = [](const timeval &time) { return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3; };
        std::printf("CPU\t%.3f\t%.3f\n", ms(usage.ru_utime), ms(usage.ru_stime));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    Form1->show();
    QApplication::exec();
    destroyProgramWindows();
    return 0;
}

// The operations child: every operation on the register in `directory`.
int runOperations(const Options &options)
{
    const int rows = options.rows;
    setRegionalFormats(benchFormats());
    setProgramDirectory(options.operationsDirectory);

    RawBaseline raw(databasePath());
    RawBaseline rawWithoutMutex(databasePath(), true);
    const int reps = options.repetitions;
    const auto scan = [&] { raw.scan("select * from data"); };
    auto reportMedians = [&](const char *name, const Medians &medians) { report(name, medians.work, medians.baseline); };

    const Medians scans = inTurns(reps, [&] { rawWithoutMutex.scan("select * from data"); }, scan);
    report("raw scan", scans.baseline, scans.baseline);
    reportMedians("raw scan, no mutex", scans);

    reportMedians("start-up (same process)",
                 inTurns(reps, WindowOperations::startProgram, scan, WindowOperations::endProgram));
    WindowOperations::startProgram();

    reportMedians("refresh", inTurns(reps, WindowOperations::refresh, scan));
    // Painting the grid costs the rows on screen, whatever the list's length:
    // compare this line across the sizes.
    reportMedians("scroll to end", inTurns(reps, WindowOperations::scrollGridToEnd, scan));

    // A listing against its own statement, as the cursor ran it.
    auto listing = [&](const char *name, const std::function<void()> &operation) {
        reportMedians(name, inTurns(reps, operation, [&] {
                         raw.scan(WindowOperations::listingSql().toUtf8().constData(),
                                  WindowOperations::listingParameters());
                     }));
    };
    listing("name search", [] { WindowOperations::search("姓名", searchedSurname); });
    listing("room search", [] { WindowOperations::search("房号", searchedRoom); });
    listing("due tenants", WindowOperations::dueTenants);

    WindowOperations::refresh();
    int added = 0;
    reportMedians("add", inTurns(reps, WindowOperations::addFromAddPage, scan, {}, [&added] {
                     WindowOperations::openAddPage(QStringLiteral("新租客%1").arg(++added));
                 }));
    reportMedians("delete", inTurns(reps, WindowOperations::confirmDelete, scan, {}, [rows] {
                     WindowOperations::openDeleteConfirmation(rows / 2);
                 }));

    WindowOperations::endProgram();
    std::printf("PEAK\t%ld\n", peakResidentKilobytes());
    return 0;
}

// A child's output as tab-separated fields per line; empty when it failed,
// with its error output passed on.
QList<QList<QByteArray>> runChild(const QString &program, const QStringList &arguments, qint64 *started = nullptr)
{
    QProcess child;
    if (started)
        *started = monotonicNanoseconds();
    child.start(program, arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed:\n%s\n", qPrintable(program), qPrintable(arguments.join(' ')),
                     child.readAllStandardError().constData());
        return {};
    }
    QList<QList<QByteArray>> lines;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            lines << line.split('\t');
    }
    return lines;
}

// The figures of one size.
struct SizeFigures {
    QList<QPair<QString, QPair<double, double>>> operations;  // name, (window, baseline)
    double operationsPeakKb = 0;
    double freshStartup = 0;
    double scanBesideStarts = 0;  // the raw scan, timed in the rounds of the fresh starts
    double freshStartupPeakKb = 0;
    struct Peer {
        double painted = 0;
        double last = 0;
        double peakKb = 0;
    };
    QMap<QString, Peer> peers;

    double operation(const QString &name) const
    {
        for (const auto &entry : operations) {
            if (entry.first == name)
                return entry.second.first;
        }
        return 0;
    }
    double baseline(const QString &name) const
    {
        for (const auto &entry : operations) {
            if (entry.first == name)
                return entry.second.second;
        }
        return 0;
    }
};

// One register per size, in a directory of its own.
struct Register {
    int rows;
    std::shared_ptr<QTemporaryDir> directory;
    QString file() const { return QDir(directory->path()).filePath(QStringLiteral("data.mdb")); }
};

// A fresh start of the program on `reg`; false when it failed or did not
// list every row with the last one current.
bool measureStartup(const QString &program, const Register &reg, QList<double> *times, SizeFigures *figures)
{
    qint64 started = 0;
    const auto lines = runChild(program, {"--startup", reg.directory->path()}, &started);
    for (const auto &fields : lines) {
        if (fields.first() == "PAINTED" && fields.size() == 4) {
            if (fields.at(2).toInt() != reg.rows || fields.at(3).toInt() != reg.rows - 1) {
                std::fprintf(stderr, "start-up listed %s rows, current row %s\n", fields.at(2).constData(),
                             fields.at(3).constData());
                return false;
            }
            if (times)
                *times << double(fields.at(1).toLongLong() - started) / 1e6;
        } else if (fields.first() == "PEAK" && fields.size() == 2) {
            figures->freshStartupPeakKb = std::max(figures->freshStartupPeakKb, fields.at(1).toDouble());
        }
    }
    return !lines.isEmpty();
}

// A fresh start of Qt's `kind` of model on `reg`.
bool measurePeer(const QString &kind, const Register &reg, QList<double> *painted, QList<double> *last,
                 SizeFigures::Peer *peer)
{
    qint64 started = 0;
    const auto lines = runChild(QT_MODEL_PEER_PATH, {kind, reg.file()}, &started);
    for (const auto &fields : lines) {
        if (fields.first() == "PAINTED" && fields.size() == 2 && painted)
            *painted << double(fields.at(1).toLongLong() - started) / 1e6;
        else if (fields.first() == "LAST" && fields.size() == 3 && fields.at(2).toInt() == reg.rows && last)
            *last << double(fields.at(1).toLongLong() - started) / 1e6;
        else if (fields.first() == "PEAK" && fields.size() == 2)
            peer->peakKb = std::max(peer->peakKb, fields.at(1).toDouble());
    }
    return !lines.isEmpty();
}

const QList<QPair<QString, QString>> peerModels{{QStringLiteral("QSqlQueryModel"), QStringLiteral("query")},
                                                {QStringLiteral("QSqlTableModel"), QStringLiteral("table")}};

// The fresh starts of the program and of Qt's models, every size in turn in
// each round, each start followed by a raw scan of its register, so that
// the sizes and their baselines meet the machine in the same states, whose
// speed drifts. One
// untimed round first: each timed start then finds the libraries and the
// font cache read, as any start after the first does.
bool measureStarts(const Options &options, const QString &program, const QList<Register> &registers,
                   QMap<int, SizeFigures> *sizes)
{
    QMap<int, QList<double>> startups;
    QMap<int, QList<double>> scans;
    QMap<QPair<int, QString>, QList<double>> painted;
    QMap<QPair<int, QString>, QList<double>> last;
    for (int round = -1; round < options.repetitions; ++round) {
        const bool timed = round >= 0;
        for (const Register &reg : registers) {
            SizeFigures &figures = (*sizes)[reg.rows];
            if (!measureStartup(program, reg, timed ? &startups[reg.rows] : nullptr, &figures))
                return false;
            // The scan once to warm up, as the raw scan line is timed.
            RawBaseline raw(reg.file());
            raw.scan("select * from data");
            const double scan = milliseconds([&] { raw.scan("select * from data"); });
            if (timed)
                scans[reg.rows] << scan;
            for (const auto &[model, kind] : peerModels) {
                const auto key = qMakePair(reg.rows, model);
                if (!measurePeer(kind, reg, timed ? &painted[key] : nullptr, timed ? &last[key] : nullptr,
                                 &figures.peers[model]))
                    return false;
            }
        }
    }
    for (const Register &reg : registers) {
        SizeFigures &figures = (*sizes)[reg.rows];
        figures.freshStartup = median(startups[reg.rows]);
        figures.scanBesideStarts = median(scans[reg.rows]);
        for (const auto &[model, kind] : peerModels) {
            const auto key = qMakePair(reg.rows, model);
            if (painted[key].size() != options.repetitions || last[key].size() != options.repetitions)
                return false;
            figures.peers[model].painted = median(painted[key]);
            figures.peers[model].last = median(last[key]);
        }
    }
    return true;
}

// Every operation on `reg`, in a child whose peak memory is that size's.
bool measureOperations(const Options &options, const QString &program, const Register &reg, SizeFigures *figures)
{
    const auto lines = runChild(program, {"--operations", reg.directory->path(), "--rows", QString::number(reg.rows),
                                          "--reps", QString::number(options.repetitions)});
    for (const auto &fields : lines) {
        if (fields.first() == "RESULT" && fields.size() == 4)
            figures->operations.append({QString::fromUtf8(fields.at(1)), {fields.at(2).toDouble(), fields.at(3).toDouble()}});
        else if (fields.first() == "PEAK" && fields.size() == 2)
            figures->operationsPeakKb = fields.at(1).toDouble();
    }
    return !figures->operations.isEmpty();
}

QString number(double value, int decimals = 2)
{
    return QString::number(value, 'f', decimals);
}

// Keeps this process, and the children it starts, on the core it runs on:
// every figure of a run and its baseline then meet the same core (on a
// virtual machine two cores can differ in speed by half).
void stayOnThisCore()
{
    const int core = sched_getcpu();
    if (core < 0)
        return;
    cpu_set_t cores;
    CPU_ZERO(&cores);
    CPU_SET(core, &cores);
    sched_setaffinity(0, sizeof cores, &cores);
}

// Every size in children of its own; the tables of the results.
int runAllSizes(const Options &options, const QString &program)
{
    stayOnThisCore();
    QList<Register> registers;
    for (const int rows : options.sizes) {
        std::fprintf(stderr, "writing a register of %d tenants\n", rows);
        Register reg{rows, std::make_shared<QTemporaryDir>()};
        generateRegister(reg.file(), rows, QDate::currentDate(), benchFormats());
        registers.append(reg);
    }
    QMap<int, SizeFigures> sizes;
    std::fprintf(stderr, "starting the program and Qt's models\n");
    if (!measureStarts(options, program, registers, &sizes)) {
        std::fprintf(stderr, "the starts failed\n");
        return 1;
    }
    for (const Register &reg : registers) {
        std::fprintf(stderr, "operations on %d tenants\n", reg.rows);
        if (!measureOperations(options, program, reg, &sizes[reg.rows])) {
            std::fprintf(stderr, "the operations on %d tenants failed\n", reg.rows);
            return 1;
        }
    }

    QTextStream out(stdout);
    out << "| operation | rows | window (ms) | baseline (ms) | ratio |\n|---|---:|---:|---:|---:|\n";
    for (auto size = sizes.cbegin(); size != sizes.cend(); ++size) {
        const double scan = size->operation("raw scan");
        auto line = [&](const QString &name, double window, double baseline) {
            out << "| " << name << " | " << size.key() << " | " << number(window) << " | " << number(baseline)
                << " | " << number(window / baseline) << " |\n";
        };
        line("raw scan", scan, scan);
        line("start-up (fresh process)", size->freshStartup, size->scanBesideStarts);
        for (const auto &entry : size->operations) {
            if (entry.first != "raw scan")
                line(entry.first, entry.second.first, entry.second.second);
        }
    }

    out << "\n| rows | peak resident memory, operations (MB) | peak resident memory, fresh start-up (MB) |\n"
           "|---:|---:|---:|\n";
    for (auto size = sizes.cbegin(); size != sizes.cend(); ++size)
        out << "| " << size.key() << " | " << number(size->operationsPeakKb / 1024, 1) << " | "
            << number(size->freshStartupPeakKb / 1024, 1) << " |\n";

    if (sizes.size() >= 2) {
        const int smallest = sizes.firstKey();
        for (auto size = std::next(sizes.cbegin()); size != sizes.cend(); ++size) {
            const double difference = size->freshStartup - sizes[smallest].freshStartup;
            out << "\nfresh start-up at " << size.key() << " rows minus at " << smallest << " rows: "
                << number(difference) << " ms = " << number(difference / size->operation("raw scan"))
                << " raw scans at " << size.key() << " rows (" << number(difference / size->scanBesideStarts)
                << " of the scans timed beside the starts)";
        }
        out << "\n";

        // Growth from the second largest size to the largest: a slope of 1
        // on a log-log scale is linear. The operations of two sizes run in
        // children a minute apart, when the machine may run at another
        // speed; the second slope takes each time as its ratio to the
        // baseline timed in turns with it, times the raw scan timed in the
        // rounds of the starts, which met every size in the same states.
        const int largest = sizes.lastKey();
        const int before = std::prev(std::prev(sizes.cend())).key();
        const SizeFigures &small = sizes[before];
        const SizeFigures &large = sizes[largest];
        const double growth = std::log(double(largest) / double(before));
        out << "\n| operation | ms at " << before << " | ms at " << largest
            << " | log-log slope | slope of ratio × raw scan timed in rounds |\n|---|---:|---:|---:|---:|\n";
        auto slope = [&](double a, double b) { return number(std::log(b / a) / growth); };
        out << "| start-up (fresh process) | " << number(small.freshStartup) << " | " << number(large.freshStartup)
            << " | " << slope(small.freshStartup, large.freshStartup) << " | "
            << slope(small.freshStartup, large.freshStartup) << " |\n";
        for (const auto &entry : large.operations) {
            const double a = small.operation(entry.first);
            const double b = entry.second.first;
            const double ratioA = a / small.baseline(entry.first);
            const double ratioB = b / entry.second.second;
            out << "| " << entry.first << " | " << number(a) << " | " << number(b) << " | " << slope(a, b) << " | "
                << slope(ratioA * small.scanBesideStarts, ratioB * large.scanBesideStarts) << " |\n";
        }
    }

    out << "\n| rows | program: painted, every row listed, last row current (ms) | peak (MB)";
    for (const QString &model : sizes.first().peers.keys())
        out << " | " << model << ": first rows painted (ms) | " << model << ": last row current (ms) | " << model
            << ": peak (MB)";
    out << " |\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (auto size = sizes.cbegin(); size != sizes.cend(); ++size) {
        out << "| " << size.key() << " | " << number(size->freshStartup) << " | "
            << number(size->freshStartupPeakKb / 1024, 1);
        for (const SizeFigures::Peer &peer : size->peers)
            out << " | " << number(peer.painted) << " | " << number(peer.last) << " | " << number(peer.peakKb / 1024, 1);
        out << " |\n";
    }
    if (sizes.size() >= 2) {
        // Memory per row: the growth of the peak from the smallest size to
        // the largest.
        const SizeFigures &small = sizes.first();
        const SizeFigures &large = sizes.last();
        const double rows = double(sizes.lastKey() - sizes.firstKey());
        out << "\nbytes per row (peak growth from " << sizes.firstKey() << " to " << sizes.lastKey()
            << " rows): program " << number((large.freshStartupPeakKb - small.freshStartupPeakKb) * 1024 / rows, 0);
        for (auto peer = large.peers.cbegin(); peer != large.peers.cend(); ++peer)
            out << ", " << peer.key() << " "
                << number((peer->peakKb - small.peers[peer.key()].peakKb) * 1024 / rows, 0);
        out << "\n";
    }
    return 0;
}

// Fresh starts of the program on a register of each size, with and without
// the large-page advice, in the order with, without, without, with, ... so
// that both meet the machine in the same states; one untimed start of each
// first. The table gives the wall time from launch to the painted window and
// the process's own processor time, user and system (the system time holds
// the page faults and the zeroing of the pages).
int compareLargePages(const Options &options, const QString &program)
{
    stayOnThisCore();
    QTextStream out(stdout);
    out << "| large-page advice | rows | starts | median (ms) | fastest (ms) | slowest (ms) | median user (ms) "
           "| median system (ms) | most system (ms) | peak (MB) |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const int rows : options.sizes) {
        std::fprintf(stderr, "writing a register of %d tenants\n", rows);
        Register reg{rows, std::make_shared<QTemporaryDir>()};
        generateRegister(reg.file(), rows, QDate::currentDate(), benchFormats());
        struct Starts {
            QList<double> wall, user, system;
            double peakKb = 0;
        };
        Starts starts[2];  // [0] without the advice, [1] with it
        for (int i = -2; i < 2 * options.largePageStarts; ++i) {
            const bool advice = i < 0 ? i == -2 : (i % 4 == 0 || i % 4 == 3);
            qint64 started = 0;
            const auto lines = runChild(program, {"--startup", reg.directory->path(), "--large-pages",
                                                  advice ? "on" : "off"}, &started);
            if (lines.isEmpty())
                return 1;
            Starts &variant = starts[advice];
            for (const auto &fields : lines) {
                if (i < 0)
                    break;
                if (fields.first() == "PAINTED" && fields.size() == 4 && fields.at(2).toInt() == rows)
                    variant.wall << double(fields.at(1).toLongLong() - started) / 1e6;
                else if (fields.first() == "CPU" && fields.size() == 3) {
                    variant.user << fields.at(1).toDouble();
                    variant.system << fields.at(2).toDouble();
                } else if (fields.first() == "PEAK" && fields.size() == 2)
                    variant.peakKb = std::max(variant.peakKb, fields.at(1).toDouble());
            }
        }
        for (const bool advice : {true, false}) {
            const Starts &variant = starts[advice];
            if (variant.wall.size() != options.largePageStarts) {
                std::fprintf(stderr, "a start did not list every row\n");
                return 1;
            }
            out << "| " << (advice ? "with" : "without") << " | " << rows << " | " << variant.wall.size() << " | "
                << number(median(variant.wall)) << " | " << number(*std::min_element(variant.wall.begin(), variant.wall.end()))
                << " | " << number(*std::max_element(variant.wall.begin(), variant.wall.end())) << " | "
                << number(median(variant.user)) << " | " << number(median(variant.system)) << " | "
                << number(*std::max_element(variant.system.begin(), variant.system.end())) << " | "
                << number(variant.peakKb / 1024, 1) << " |\n";
        }
        out.flush();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Headless, on the screen the tests use, so that the main window has
    // its design size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" BENCH_SCREEN_CONFIG);
    QApplication application(argc, argv);
    const std::variant<Options, int> parsed = parseOptions(QApplication::arguments());
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    const Options &options = std::get<Options>(parsed);
    if (!options.startupDirectory.isEmpty())
        return runStartup(application, options.startupDirectory, options.largePageAdvice);
    if (!options.operationsDirectory.isEmpty())
        return runOperations(options);
    if (options.largePageStarts > 0)
        return compareLargePages(options, QApplication::applicationFilePath());
    return runAllSizes(options, QApplication::applicationFilePath());
}
