// SPDX-License-Identifier: GPL-3.0-or-later
// Times export, import and print through the real windows on a register of
// 100,000 tenants, each against a baseline in turns, with the peak resident
// memory of each beside that of the register's listing alone:
//   export to .xlsx      vs libxlsxwriter writing the same cells in a bare loop
//   import of that file  vs liborcus loading it into its document model
//                        (and the same cells as shared strings, which is
//                        what liborcus reads whole)
//   reading it in the    vs the same reading in the program's own process
//   reading child           (what the import's cost of the child is)
//   print preview        its first page painted, at 10,000 tenants, and
//                        at three tenants, one with a remark of 1,000,000
//                        characters (some 500 pages)
//
//   spreadsheet_bench [--rows 100000] [--print-rows 10000] [--reps 5]
//
// Each kind of measure runs in a child process of its own (the same program
// with --child KIND -- DIR), and the peak resident memory is started afresh
// before each run, so that each peak is that run's own (the process's
// windows and listing included). "The listing alone" is the peak of a child
// that only starts the windows on the register.
#include "ProcessMeasures.h"
#include "RegisterGenerator.h"
#include "WindowOperations.h"
#include "db/ADOQuery.h"
#include "db/RegisterFile.h"
#include "db/ResultSet.h"
#include "platform/CommandLine.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "support/ModalBoxes.h"
#include "ui/BackgroundWork.h"
#include "ui/ConversionChild.h"
#include "ui/SheetChild.h"
#include "sheets/SheetReading.h"
#include "sheets/SheetTable.h"
#include "ui/Unit1.h"

#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <ixion/model_context.hpp>
#include <xlsxwriter.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsView>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

struct Options {
    int rows = 100000;
    int printRows = 10000;
    int repetitions = 5;
    QString importFile;  // a peak child's file to import or load
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2.0;
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// `work` and `baseline` in turns, the order swapped every other time; each
// run of `work` prepared by `before`, untimed.
void inTurns(const char *name, int repetitions, const std::function<void()> &before,
             const std::function<void()> &work, const std::function<void()> &baseline)
{
    QList<double> works, baselines;
    for (int i = 0; i < repetitions; ++i) {
        if (i % 2)
            baselines << milliseconds(baseline);
        before();
        works << milliseconds(work);
        if (i % 2 == 0)
            baselines << milliseconds(baseline);
    }
    std::printf("RESULT\t%s\t%.1f\t%.1f\n", name, median(works), median(baselines));
}

// libxlsxwriter alone: the listing's cells, as the export writes them, in
// the same constant-memory mode.
void bareXlsxLoop(const ResultSet &rows, const QString &path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    std::string text;
    for (int c = 0; c < rows.columnCount(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), rows.columns().at(c).toUtf8().constData(), nullptr);
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (int c = 0; c < rows.columnCount(); ++c) {
            if (rows.isNull(r, c))
                continue;
            text.assign(rows.cell(r, c));
            if (c == 3 || c == 4)
                worksheet_write_number(sheet, lxw_row_t(r + 1), lxw_col_t(c), std::stod(text), nullptr);
            else
                worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c), text.c_str(), nullptr);
        }
    }
    workbook_close(book);
}

// The same cells as shared strings, the form liborcus reads whole.
void writeSharedStringsTwin(const QString &path)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    const ResultSet &rows = Form1->ADOQuery1->result();
    for (int c = 0; c < rows.columnCount(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), rows.columns().at(c).toUtf8().constData(), nullptr);
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (int c = 0; c < rows.columnCount(); ++c) {
            const std::string text(rows.cell(r, c));
            if (c == 3 || c == 4)
                worksheet_write_number(sheet, lxw_row_t(r + 1), lxw_col_t(c), std::stod(text), nullptr);
            else
                worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c), text.c_str(), nullptr);
        }
    }
    workbook_close(book);
}

// liborcus alone: the file into its document model; returns the cells it holds.
long liborcusLoad(const QString &path)
{
    orcus::spreadsheet::document document{{1048576, 16384}};
    orcus::spreadsheet::import_factory factory(document);
    orcus::orcus_xlsx reader(&factory);
    reader.read_file(QFile::encodeName(path).toStdString());
    const auto range = document.get_sheet(0)->get_data_range();
    long strings = 0;
    for (int r = range.first.row; r <= range.last.row; ++r) {
        if (document.get_model_context().get_celltype(ixion::abs_address_t(0, r, 1)) == ixion::celltype_t::string)
            ++strings;
    }
    return strings;
}

// Three tenants, the second with a remark of `length` characters.
void writeLongRemarkRegister(const QString &path, int length)
{
    createEmptyRegister(path);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const QByteArray remark = QString(length, QChar(u'长')).toUtf8();
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "insert into data (姓名, 房号, 租金, 备注) values (?, '101', '500', ?)", -1, &insert, nullptr);
    for (const char *name : {"张三", "李四", "王五"}) {
        sqlite3_bind_text(insert, 1, name, -1, SQLITE_STATIC);
        if (std::strcmp(name, "李四") == 0)
            sqlite3_bind_text(insert, 2, remark.constData(), int(remark.size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 2);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

// The reading child's own peak resident memory on `path`, in MB: run
// through measure_child, whose peak is not the windows' (a child's peak
// counts the process it was forked from).
double readingChildPeakMb(const QString &path)
{
    QProcess launcher;
    launcher.start(MEASURE_CHILD_PATH, {LARKHAVEN_CONVERT_PATH, "--read-sheet", "yyyy/M/d", "H:mm:ss", "0", path});
    launcher.waitForFinished(-1);
    return QString::fromLatin1(launcher.readAllStandardOutput()).split(' ').value(1).toDouble() / 1024.0;
}

// The sheet read by the reading child, as the import reads it; its rows.
qsizetype readInChild(const QString &path)
{
    SheetChild child;
    QEventLoop loop;
    QObject::connect(&child, &SheetChild::finished, &loop, &QEventLoop::quit);
    child.start(path, 0, regionalFormats());
    loop.exec();
    return child.table() ? child.table()->rowCount() : -1;
}

// The same reading in this process.
qsizetype readHere(const QString &path)
{
    ReadControl control;
    return readSheetTable(path, 0, regionalFormats(), control).rowCount();
}

void emptyRegister()
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(databasePath()).constData(), &db);
    sqlite3_exec(db, "delete from data", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Form1->Buttonre->click();
}

// The first page of the print preview painted: as soon as the dialog is
// up (its pages laid out and drawn while it was shown), its view is painted
// and the dialog closed.
double printPreviewFirstPage()
{
    QElapsedTimer timer;
    double painted = -1;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!preview || !preview->isVisible())
            return;
        watch.stop();
        preview->findChild<QGraphicsView *>()->viewport()->repaint();
        painted = double(timer.nsecsElapsed()) / 1e6;
        preview->reject();
    });
    watch.start();
    timer.start();
    Form1->transferPage->printListingButton->click();
    return painted;
}

int runChild(const QString &kind, const QString &directory, const Options &options)
{
    if (kind == "peak-liborcus") {
        liborcusLoad(options.importFile);
        std::printf("PEAK\t%ld\n", peakResidentKilobytes());
        return 0;
    }
    setRegionalFormats(RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss"));
    setProgramDirectory(directory);
    setConversionChildProgram(QStringLiteral(LARKHAVEN_CONVERT_PATH));
    progressDialogDelayMs = 500;
    WindowOperations::startProgram();
    const QString file = directory + QStringLiteral("/export.xlsx");
    if (kind == "export") {
        const QString bare = directory + QStringLiteral("/bare.xlsx");
        inTurns("export to .xlsx", options.repetitions, [&] { QFile::remove(file); },
                [&] { runAnsweringBoxes([] { Form1->transferPage->exportListingButton->click(); }, {file}); },
                [&] { bareXlsxLoop(Form1->ADOQuery1->result(), bare); });
    } else if (kind == "import") {
        const QString twin = directory + QStringLiteral("/twin.xlsx");
        writeSharedStringsTwin(twin);
        std::printf("CELLS\t%ld\t%ld\n", liborcusLoad(file), liborcusLoad(twin));
        emptyRegister();
        const auto import = [&](const QString &path) {
            runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {path, QStringLiteral("确认导入")});
            if (Form1->ADOQuery1->RecordCount() != options.rows)
                std::fprintf(stderr, "the import listed %d rows\n", Form1->ADOQuery1->RecordCount());
        };
        inTurns("import of that file", options.repetitions, emptyRegister, [&] { import(file); },
                [&] { liborcusLoad(file); });
        inTurns("import of its shared-strings twin", options.repetitions, emptyRegister, [&] { import(twin); },
                [&] { liborcusLoad(twin); });
        inTurns("reading that file in the reading child", options.repetitions, [] {}, [&] { readInChild(file); },
                [&] { readHere(file); });

    } else if (kind == "print") {
        QList<double> times;
        for (int i = 0; i < options.repetitions; ++i)
            times << printPreviewFirstPage();
        std::printf("RESULT\tprint preview, first page\t%.1f\t0\n", median(times));
    } else if (kind == "peak-export") {
        QFile::remove(file);
        runAnsweringBoxes([] { Form1->transferPage->exportListingButton->click(); }, {file});
    } else if (kind == "peak-bare") {
        bareXlsxLoop(Form1->ADOQuery1->result(), directory + QStringLiteral("/bare.xlsx"));
    } else if (kind == "peak-import") {
        runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {options.importFile, QStringLiteral("确认导入")});
    }
    std::printf("PEAK\t%ld\n", peakResidentKilobytes());
    std::fflush(stdout);
    WindowOperations::endProgram();
    return 0;
}

// A child's lines, fields split at tabs.
QList<QList<QByteArray>> child(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(-1);
    QList<QList<QByteArray>> lines;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            lines << line.split('\t');
    }
    return lines;
}

// The peak of a child that ended with a PEAK line.
double peakMb(const QList<QList<QByteArray>> &lines)
{
    for (const auto &fields : lines) {
        if (fields.first() == "PEAK")
            return fields.at(1).toDouble() / 1024.0;
    }
    return 0;
}

// One line of the table: the times of a RESULT line and the peaks of the
// operation and its baseline, each measured in a fresh process.
void printRow(const QList<QList<QByteArray>> &lines, const char *operation, int rows, double peak,
              double baselinePeak, double listingPeak)
{
    const auto orNothing = [](double value, int decimals) {
        return value > 0 ? QByteArray::number(value, 'f', decimals) : QByteArray();
    };
    for (const auto &fields : lines) {
        if (fields.first() == "RESULT" && fields.at(1) == operation) {
            const double work = fields.at(2).toDouble();
            const double baseline = fields.at(3).toDouble();
            std::printf("| %s | %d | %.1f | %s | %s | %.1f | %s | %.1f | %.2f |\n", operation, rows, work,
                        orNothing(baseline, 1).constData(), orNothing(baseline > 0 ? work / baseline : 0, 2).constData(),
                        peak, orNothing(baselinePeak, 1).constData(), listingPeak, peak / listingPeak);
        } else if (fields.first() == "CELLS" && std::strcmp(operation, "import of that file") == 0) {
            std::printf("(liborcus finds %s names in the export (inline strings), %s in its shared-strings twin)\n",
                        fields.at(1).constData(), fields.at(2).constData());
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // Headless, on the screen the tests use.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" BENCH_SCREEN_CONFIG);
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times export, import and print through the real windows against libxlsxwriter and liborcus alone."));
    const QCommandLineOption rows(QStringLiteral("rows"), QStringLiteral("tenants exported and imported (default 100000)"),
                                  QStringLiteral("N"));
    const QCommandLineOption printRows(QStringLiteral("print-rows"),
                                       QStringLiteral("tenants in the print preview (default 10000)"), QStringLiteral("N"));
    const QCommandLineOption reps(QStringLiteral("reps"), QStringLiteral("runs of each (default 5)"), QStringLiteral("N"));
    // A child's: the kind of measure, on the register in the one argument.
    QCommandLineOption childKind(QStringLiteral("child"), QString(), QStringLiteral("KIND"));
    QCommandLineOption childFile(QStringLiteral("file"), QString(), QStringLiteral("FILE"));
    childKind.setFlags(QCommandLineOption::HiddenFromHelp);
    childFile.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({rows, printRows, reps, childKind, childFile});
    if (const std::optional<int> status = readCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    Options options;
    if (parser.isSet(rows))
        options.rows = parser.value(rows).toInt();
    if (parser.isSet(printRows))
        options.printRows = parser.value(printRows).toInt();
    if (parser.isSet(reps))
        options.repetitions = std::max(1, parser.value(reps).toInt());
    options.importFile = parser.value(childFile);
    if (parser.isSet(childKind) && parser.positionalArguments().size() == 1)
        return runChild(parser.value(childKind), parser.positionalArguments().first(), options);

    QTemporaryDir large, small;
    const QDate today = QDate::currentDate();
    const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");
    generateRegister(large.filePath("data.mdb"), options.rows, today, formats);
    generateRegister(small.filePath("data.mdb"), options.printRows, today, formats);
    const QStringList common{"--rows", QString::number(options.rows), "--reps", QString::number(options.repetitions)};

    const auto runKind = [&](const QString &kind, const QTemporaryDir &at, const QStringList &more = {}) {
        return child(common + more + QStringList{"--child", kind, "--", at.path()});
    };
    const double listingPeak = peakMb(runKind("listing", large));
    const double smallListingPeak = peakMb(runKind("listing", small));
    const auto exported = runKind("export", large);
    const QString file = large.filePath("export.xlsx");
    const QString twin = large.filePath("twin.xlsx");
    const double exportPeak = peakMb(runKind("peak-export", large));
    const double barePeak = peakMb(runKind("peak-bare", large));
    const auto imported = runKind("import", large);
    // A fresh import: the windows on an empty register.
    QTemporaryDir empty;
    createEmptyRegister(empty.filePath("data.mdb"));
    const double importPeak = peakMb(runKind("peak-import", empty, {"--file", file}));
    createEmptyRegister(empty.filePath("twin.mdb"));
    QFile::remove(empty.filePath("data.mdb"));
    QFile::rename(empty.filePath("twin.mdb"), empty.filePath("data.mdb"));
    const double twinImportPeak = peakMb(runKind("peak-import", empty, {"--file", twin}));
    const double orcusPeak = peakMb(runKind("peak-liborcus", empty, {"--file", file}));
    const double orcusTwinPeak = peakMb(runKind("peak-liborcus", empty, {"--file", twin}));
    const auto printed = runKind("print", small);
    QTemporaryDir remark;
    writeLongRemarkRegister(remark.filePath("data.mdb"), 1000000);
    const double remarkListingPeak = peakMb(runKind("listing", remark));
    const auto remarkPrinted = runKind("print", remark);

    std::printf("| operation | rows | time (ms) | baseline (ms) | ratio | peak (MB) | baseline's peak (MB) "
                "| the listing alone (MB) | peak / listing |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    printRow(exported, "export to .xlsx", options.rows, exportPeak, barePeak, listingPeak);
    printRow(imported, "import of that file", options.rows, importPeak, orcusPeak, listingPeak);
    printRow(imported, "import of its shared-strings twin", options.rows, twinImportPeak, orcusTwinPeak, listingPeak);
    printRow(imported, "reading that file in the reading child", options.rows, readingChildPeakMb(file), 0, listingPeak);
    printRow(printed, "print preview, first page", options.printRows, peakMb(printed), 0, smallListingPeak);
    std::printf("(and with a remark of 1,000,000 characters:)\n");
    printRow(remarkPrinted, "print preview, first page", 3, peakMb(remarkPrinted), 0, remarkListingPeak);
    std::printf("(medians of %d runs; the import starts from an empty register and lists its %d rows "
                "afterwards)\n",
                options.repetitions, options.rows);
    return 0;
}
