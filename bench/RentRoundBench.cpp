// SPDX-License-Identifier: GPL-3.0-or-later
// Times the rent round through the real windows on a register of 1,000
// rooms with ten years of monthly meter readings, bills and payments
// (120,000 bills and payments, 240,000 readings):
//   the page 收租 opening on this month (its list painted), and on another;
//   欠费房客 listed (its dialog painted);
//   generating next month's 1,000 bills (planned, written, listed);
//   a payment's receipt as a PDF (its number given, the file saved);
//   entering a reading (Enter in the meter sheet: saved, the next room's
//   editor open), which should take no more than a frame;
//   房间 listed (its dialog painted), all rooms and 空置房间, with one
//   tenant in twenty gone from the register (their bills kept);
//   the year at a glance: its figures read and the chart drawn.
//
//   rent_round_bench [--rooms 1000] [--months 120] [--reps 15] [--folder DIR]
//
// The history is written in one transaction straight into the file, its
// bills planned by the program's own arithmetic; the register's file lies
// on the disk (not in memory), so that every write is synced as usual.
// Prints the median, the fastest and the slowest run of each.
#include "db/ADOConnection.h"
#include "db/RegisterFile.h"
#include "ledger/BillGeneration.h"
#include "ledger/ArrearsModel.h"
#include "ledger/BillListModel.h"
#include "ledger/IncomeFigures.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MeterReadingModel.h"
#include "ledger/Receipts.h"
#include "ledger/RoomRosterModel.h"
#include "platform/CommandLine.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "ui/ArrearsDialog.h"
#include "ui/IncomeChart.h"
#include "ui/MeterReadingDialog.h"
#include "ui/ProgramWindows.h"
#include "ui/ReceiptPainter.h"
#include "ui/RoomsDialog.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QChartView>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <variant>

namespace {

struct Options {
    int rooms = 1000;
    int months = 120;
    int repetitions = 15;
    QString folder = QDir::currentPath();  // where the register lies
};

// The options, or the status the program ends with (--help, a wrong option).
std::variant<Options, int> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the rent round through the real windows at 1,000 rooms and ten years of bills and payments."));
    const QCommandLineOption rooms(QStringLiteral("rooms"), QStringLiteral("rooms, one tenant each (default 1000)"),
                                   QStringLiteral("N"));
    const QCommandLineOption months(QStringLiteral("months"), QStringLiteral("months of history (default 120)"),
                                    QStringLiteral("N"));
    const QCommandLineOption reps(QStringLiteral("reps"), QStringLiteral("runs of each (default 15)"), QStringLiteral("N"));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("where the register is written (default: the current folder)"),
                                    QStringLiteral("DIR"));
    parser.addOptions({rooms, months, reps, folder});
    if (const std::optional<int> status = readCommandLine(parser, arguments))
        return *status;
    Options options;
    if (parser.isSet(rooms))
        options.rooms = std::max(1, parser.value(rooms).toInt());
    if (parser.isSet(months))
        options.months = std::max(2, parser.value(months).toInt());
    if (parser.isSet(reps))
        options.repetitions = std::max(1, parser.value(reps).toInt());
    if (parser.isSet(folder))
        options.folder = parser.value(folder);
    return options;
}

const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

// A prepared statement whose values are bound in order, run once per row.
class Insert {
public:
    Insert(sqlite3 *db, const char *sql) : m_db(db) { check(sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr), db); }
    ~Insert() { sqlite3_finalize(m_statement); }
    Insert &operator<<(qint64 value)
    {
        sqlite3_bind_int64(m_statement, ++m_bound, value);
        return *this;
    }
    Insert &operator<<(std::optional<qint64> value)
    {
        if (value)
            return *this << *value;
        sqlite3_bind_null(m_statement, ++m_bound);
        return *this;
    }
    Insert &operator<<(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, ++m_bound, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    qint64 run()
    {
        check(sqlite3_step(m_statement), m_db);
        sqlite3_reset(m_statement);
        m_bound = 0;
        return sqlite3_last_insert_rowid(m_db);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    int m_bound = 0;
};

QString roomOf(int room)
{
    return QStringLiteral("%1-%2").arg(room / 50 + 1).arg(room % 50 + 1, 2, 10, QLatin1Char('0'));
}

qint64 readingOf(int room, int month, Meter meter)
{
    // Hundredths, rising every month by a room's own usage.
    return meter == Meter::Water ? qint64(month) * (500 + room % 13 * 37) : qint64(month) * (9000 + room % 17 * 311);
}

// The register and ten years of its rent round, up to this month; next
// month's readings are taken, its bills not yet made. About one tenant in
// twenty owes for a month or three, and this month 30% have not paid.
void writeHistory(const QString &path, const Options &options, const LedgerMonth &thisMonth)
{
    QString error;
    if (!createEmptyRegister(path, &error))
        throw std::runtime_error(error.toStdString());
    {
        TADOConnection connection;
        connection.setDatabaseFile(path);
        LedgerWrite(connection, std::nullopt).commit();  // the ledger's tables
    }
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    const LedgerMonth first = LedgerMonth::of(thisMonth.firstDay().addMonths(1 - options.months));
    {
        Insert tenant(db, "insert into data (姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间)"
                          " values (?1, ?2, ?3, ?3, ?4, '', '', '2016/12/1 9:00:00')");
        Insert room(db, "insert into ledger_room (id, room, created) values (?1, ?2, 'x')");
        Insert reading(db, "insert into ledger_reading (room_id, meter, month, reading, new_start, entered)"
                           " values (?1, ?2, ?3, ?4, ?5, 'x')");
        for (int r = 1; r <= options.rooms; ++r) {
            tenant << QStringLiteral("房客%1").arg(r) << roomOf(r) << QString::number(800 + r % 9 * 100)
                   << fullYearDateText(first.firstDay().addDays(-1), formats);
            tenant.run();
            room << qint64(r) << roomOf(r);
            room.run();
            for (int m = 0; m <= options.months; ++m) {
                const LedgerMonth month = LedgerMonth::of(first.firstDay().addMonths(m));
                for (const Meter meter : meters) {
                    reading << qint64(r) << meterKey(meter) << month.key() << readingOf(r, m + 1, meter) << qint64(m == 0);
                    reading.run();
                }
            }
        }
        Insert price(db, "insert into ledger_price (meter, from_month, unit_fen) values (?1, ?2, ?3)");
        price << QStringLiteral("water") << first.key() << qint64(350);
        price.run();
        price << QStringLiteral("water") << LedgerMonth::of(first.firstDay().addMonths(options.months / 2)).key() << qint64(400);
        price.run();
        price << QStringLiteral("electricity") << first.key() << qint64(80);
        price.run();
        Insert fee(db, "insert into ledger_fee (name, room, from_month, monthly_fen) values (?1, '', ?2, ?3)");
        fee << QStringLiteral("管理费") << first.key() << qint64(5000);
        fee.run();
        fee << QStringLiteral("网费") << first.key() << qint64(4000);
        fee.run();
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);

    // The bills of every month, as the program plans them, and their
    // payments: a month in each transaction, planned before it begins.
    {
        TADOConnection connection;
        connection.setDatabaseFile(path);
        Insert bill(db, "insert into ledger_bill (month, tenant_id, tenant_name, room, room_id, rent_text, rent_fen,"
                        " water_fen, electricity_fen, other_fen, total_fen, paid_fen, created)"
                        " values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, 'x')");
        Insert line(db, "insert into ledger_bill_line (bill_id, position, item, label, previous_reading, current_reading,"
                        " quantity, unit_fen, shared_by, amount_fen) values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        Insert payment(db, "insert into ledger_payment (bill_id, amount_fen, paid_on, method, note, entered)"
                           " values (?1, ?2, ?3, '微信', '', 'x')");
        for (int m = 0; m < options.months; ++m) {
            const LedgerMonth month = LedgerMonth::of(first.firstDay().addMonths(m));
            const GenerationPreview planned = previewBills(connection, month, formats);
            check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
            for (std::size_t i = 0; i < planned.plan.bills.size(); ++i) {
                const PlannedBill &b = planned.plan.bills[i];
                const int r = int(b.tenant.id);
                const bool owes = (r % 20 == 0 && m >= options.months - 1 - r % 3) || (month == thisMonth && r % 10 < 3);
                const Fen paid = owes ? (r % 40 == 0 ? 0 : b.total / 2) : b.total;
                bill << month.key() << b.tenant.id << b.tenant.name << b.tenant.room << qint64(r) << b.tenant.rentText
                     << b.rent << b.water << b.electricity << b.other << b.total << paid;
                const qint64 id = bill.run();
                for (std::size_t p = 0; p < b.lines.size(); ++p) {
                    const BillLine &l = b.lines[p];
                    line << id << qint64(p + 1) << lineItemKey(l.item) << l.label << l.previousReading << l.currentReading
                         << l.quantity << l.unitFen << qint64(l.sharedBy) << l.amount;
                    line.run();
                }
                if (paid > 0) {
                    payment << id << paid << dayKey(month.firstDay().addDays(r % 20));
                    payment.run();
                }
            }
            check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
        }
    }
    sqlite3_close(db);
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Spread {
    double median, fastest, slowest;
};

Spread spreadOf(QList<double> times)
{
    std::sort(times.begin(), times.end());
    const qsizetype n = times.size();
    return {n % 2 ? times.at(n / 2) : (times.at(n / 2 - 1) + times.at(n / 2)) / 2.0, times.first(), times.last()};
}

void report(const char *operation, const QList<double> &times, double target)
{
    const Spread spread = spreadOf(times);
    std::printf("| %s | %.2f | %.2f | %.2f | %.0f |\n", operation, spread.median, spread.fastest, spread.slowest, target);
    std::fflush(stdout);
}

qint64 count(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    const qint64 value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

int run(const Options &options)
{
    setRegionalFormats(formats);
    const LedgerMonth thisMonth = LedgerMonth::of(currentLocalDateTime().date());
    const LedgerMonth nextMonth = thisMonth.next();
    // On the disk, beside the build unless told: the writes are synced as
    // the program's are.
    QTemporaryDir directory(options.folder + QStringLiteral("/rent-round-bench-XXXXXX"));
    const QString path = directory.filePath(QStringLiteral("data.mdb"));
    std::fprintf(stderr, "writing %d rooms and %d months of readings, bills and payments\n", options.rooms, options.months);
    writeHistory(path, options, thisMonth);
    std::fprintf(stderr, "%lld bills, %lld payments, %lld readings, %lld bills owed\n",
                 count(path, "select count(*) from ledger_bill"), count(path, "select count(*) from ledger_payment"),
                 count(path, "select count(*) from ledger_reading"),
                 count(path, "select count(*) from ledger_bill where paid_fen < total_fen or rent_fen is null"));

    setProgramDirectory(directory.path());
    createProgramWindows();
    Form1->show();
    QApplication::processEvents();
    RentRoundPage *page = Form1->rentRoundPage;
    const int reps = options.repetitions;
    std::printf("| operation | median (ms) | fastest (ms) | slowest (ms) | target (ms) |\n|---|---:|---:|---:|---:|\n");

    QList<double> opened, other, arrears, generated, entered, committed;
    for (int i = 0; i < reps; ++i) {
        Form1->PageControl1->setCurrentWidget(Form1->TabSheet1);
        page->showMonth(thisMonth);
        QApplication::processEvents();
        opened << milliseconds([&] {
            Form1->PageControl1->setCurrentWidget(page);
            page->repaint();
        });
        other << milliseconds([&] {
            page->showMonth(LedgerMonth::of(thisMonth.firstDay().addMonths(-1 - i % 12)));
            page->repaint();
        });
    }
    if (page->billModel()->rowCount() != options.rooms)
        throw std::runtime_error("the page did not list the month's bills");
    report("page 收租 opens on this month", opened, 50);
    report("page 收租 shows another month", other, 50);

    for (int i = 0; i < reps; ++i) {
        arrears << milliseconds([&] {
            ArrearsDialog dialog(*Form1, Form1);
            dialog.show();
            dialog.repaint();
            if (dialog.model()->rowCount() == 0)
                throw std::runtime_error("no arrears listed");
        });
        QApplication::processEvents();
    }
    report("欠费房客 listed", arrears, 100);

    for (int i = 0; i < reps; ++i) {
        // Untimed: next month without bills again.
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray month = nextMonth.key().toUtf8();
        const QByteArray removal = "delete from ledger_bill_line where bill_id in (select id from ledger_bill where month = '"
            + month + "'); delete from ledger_bill where month = '" + month + "';";
        check(sqlite3_exec(db, removal.constData(), nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
        page->showMonth(nextMonth);
        QApplication::processEvents();
        generated << milliseconds([&] {
            const GenerationPreview preview = previewBills(Form1->connection(), nextMonth, formats);
            generateBills(Form1->connection(), preview, formats);
            page->showMonth(nextMonth);
            page->repaint();
        });
        if (page->billModel()->rowCount() != options.rooms)
            throw std::runtime_error("generating did not make the month's bills");
    }
    report("generating a month's 1,000 bills", generated, 200);

    QList<double> receipts;
    for (int i = 0; i < reps; ++i) {
        // This month's payments in turn, each given its number.
        const qint64 bill = count(path, QStringLiteral("select bill_id from ledger_payment order by id desc limit 1 offset %1")
                                            .arg(i * 7)
                                            .toUtf8()
                                            .constData());
        const std::optional<BillDetail> detail = readBill(Form1->connection().handle(), bill);
        if (!detail || detail->payments.empty())
            throw std::runtime_error("no payment for a receipt");
        const QString pdf = directory.filePath(QStringLiteral("收据%1.pdf").arg(i));
        receipts << milliseconds([&] {
            const Receipt receipt = issueReceipt(Form1->connection(), Form1->connection().generation(),
                                                 detail->payments.back());
            if (!saveReceiptPdf(receipt, pdf).isEmpty())
                throw std::runtime_error("the receipt was not saved");
        });
    }
    report("a receipt's PDF (numbered, saved)", receipts, 200);

    {
        MeterReadingDialog dialog(*Form1, nextMonth, Form1);
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            throw std::runtime_error("the meter sheet did not become the active window");
        QTableView *sheet = dialog.readingTable;
        const QModelIndex start = dialog.model()->index(0, MeterReadingModel::ElectricityCurrent);
        sheet->setCurrentIndex(start);
        sheet->edit(start);
        for (int i = 0; i < reps; ++i) {
            // Enter left the next room's editor open, as the landlord finds it.
            QApplication::processEvents();
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            if (!editor || sheet->currentIndex().row() != i)
                throw std::runtime_error("no reading being typed");
            editor->setText(readingText(readingOf(i + 1, options.months + 1, Meter::Electricity) + 100));
            const auto enter = [&] {
                entered << milliseconds([&] {
                    QTest::keyClick(editor, Qt::Key_Return);
                    sheet->viewport()->repaint();
                });
            };
            // In turns with the least a write costs on this file: plain
            // SQLite changing one reading in a transaction of its own, on
            // the program's connection.
            const auto baseline = [&] {
                sqlite3 *db = Form1->connection().handle();
                committed << milliseconds([&] {
                    check(sqlite3_exec(db, "BEGIN IMMEDIATE; UPDATE ledger_reading SET revision = revision + 1"
                                           " WHERE id = 1; COMMIT", nullptr, nullptr, nullptr), db);
                });
                Form1->connection().noteOwnWrite();
            };
            if (i % 2 == 0) {
                enter();
                baseline();
            } else {
                baseline();
                enter();
            }
        }
        if (count(path, "select count(*) from ledger_reading where entered <> 'x'") != reps)
            throw std::runtime_error("the readings were not saved");
    }
    report("entering a reading (Enter: saved, next room)", entered, 16);
    report("baseline: plain SQLite, one reading changed and committed", committed, 16);
    std::printf("\nentering a reading less the baseline: %.2f ms (medians)\n",
                spreadOf(entered).median - spreadOf(committed).median);
    // Untimed: one tenant in twenty has left, the record deleted and the
    // bills kept, so that their rooms stand empty; and a room added by hand
    // was never let, so that every bill is read for it.
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        check(sqlite3_exec(db, "delete from data where rowid % 20 = 7; insert into ledger_room (room, added_by_hand,"
                               " created) values ('新房', 1, 'x')", nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
    }
    QList<double> rooms, vacant, income;
    for (int i = 0; i < reps; ++i) {
        RoomsDialog dialog(*Form1, Form1);
        rooms << milliseconds([&] {
            dialog.reload();
            dialog.show();
            dialog.repaint();
        });
        if (dialog.model()->rowCount() != options.rooms + 1)
            throw std::runtime_error("the rooms window did not list every room");
        vacant << milliseconds([&] {
            dialog.roomFilterBox->setCurrentIndex(int(RoomRosterModel::Filter::Vacant));
            dialog.repaint();
        });
        if (dialog.model()->rowCount() != (options.rooms + 13) / 20 + 1)
            throw std::runtime_error("空置房间 did not list the rooms left");
        QApplication::processEvents();
    }
    report("房间 listed (all rooms)", rooms, 100);
    report("空置房间 listed", vacant, 100);

    Form1->PageControl1->setCurrentWidget(page);
    for (int i = 0; i < reps; ++i) {
        income << milliseconds([&] {
            const LedgerRead file(Form1->connection());
            const QDate today = currentLocalDateTime().date();
            page->incomeChart->showFigures(readIncomeYear(file.db, file.exists, thisMonth),
                                           occupancyOf(readRoomRoster(file.db, file.exists, today, formats)));
            // Drawn whole, wherever the page is scrolled.
            page->incomeChart->chartView->grab();
        });
        QApplication::processEvents();
    }
    if (page->incomeChart->figures().yearCollected <= 0)
        throw std::runtime_error("the chart shows no income");
    report("收入: the year's figures read and the chart drawn", income, 100);
    destroyProgramWindows();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" BENCH_SCREEN_CONFIG);
    QApplication application(argc, argv);
    const std::variant<Options, int> options = parseOptions(QApplication::arguments());
    if (const int *status = std::get_if<int>(&options))
        return *status;
    try {
        return run(std::get<Options>(options));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "rent_round_bench: %s\n", error.what());
        return 1;
    }
}
