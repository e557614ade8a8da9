// SPDX-License-Identifier: GPL-3.0-or-later
// The rent round's ledger on a real register file: amounts typed, the
// bills' arithmetic, generating again, payments and their cancelling,
// arrears, writes refused when the file changed meanwhile, and the lists'
// models under Qt's contract for item models.
#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/RegisterFile.h"
#include "ledger/ArrearsModel.h"
#include "ledger/BillDetailModels.h"
#include "ledger/BillGeneration.h"
#include "ledger/BillListModel.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MeterReadingModel.h"
#include "ledger/Payments.h"
#include "ledger/RateModels.h"
#include "ledger/RoomOrder.h"
#include "platform/ProgramClock.h"
#include "support/RegisterFixture.h"

#include <QAbstractItemModelTester>
#include <QProcess>
#include <QTest>

namespace {

const LedgerMonth december(2026, 12);
const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");

// A register with the ledger's tables, and the program's connection to it.
struct LedgerFile {
    RegisterFixture fixture;
    TADOConnection connection;

    // Tenants as "name room rent [move-in [expiry]]", ";" between them.
    explicit LedgerFile(const QString &tenants = {})
    {
        setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
        fixture.createRegister();
        for (const QString &tenant : tenants.split(';', Qt::SkipEmptyParts)) {
            // "_" stands for a blank inside a text.
            const QStringList t = QString(tenant).split(' ', Qt::SkipEmptyParts).replaceInStrings("_", " ");
            fixture.addTenant({t.value(0), t.value(1), t.value(2), "", t.value(3), t.value(4)});
        }
        connection.setDatabaseFile(fixture.databasePath());
        LedgerWrite(connection, std::nullopt).commit();
    }
    // Rows as "kind what room month amount": "price water - 2026-01 300",
    // "fee 管理费 * 2026-01 5000", "reading water 101 2026-11 10000 [start]".
    void add(const QString &rows)
    {
        for (const QString &row : rows.split(';', Qt::SkipEmptyParts)) {
            const QStringList r = row.split(' ', Qt::SkipEmptyParts);
            if (r[0] == "price") {
                fixture.exec("insert into ledger_price (meter, from_month, unit_fen) values (?, ?, ?)", {r[1], r[3], r[4]});
            } else if (r[0] == "fee") {
                fixture.exec("insert into ledger_fee (name, room, from_month, monthly_fen) values (?, ?, ?, ?)",
                             {r[1], r[2] == "*" ? "" : r[2], r[3], r[4]});
            } else {
                fixture.exec("insert or ignore into ledger_room (room, created) values (?, 'now')", {r[2]});
                fixture.exec("insert into ledger_reading (room_id, meter, month, reading, new_start, entered)"
                             " values ((select id from ledger_room where room = ?), ?, ?, ?, ?, 'now')",
                             {r[2], r[1], r[3], r[4], r.value(5) == "start" ? "1" : "0"});
            }
        }
    }
    GenerationPreview generate(const LedgerMonth &month = december)
    {
        const GenerationPreview preview = previewBills(connection, month, formats);
        generateBills(connection, preview, formats);
        return preview;
    }
    std::vector<BillSummary> bills(const LedgerMonth &month = december)
    {
        const LedgerRead read(connection);
        return readMonthBills(read.db, read.exists, month);
    }
    BillSummary bill(const QString &name, const LedgerMonth &month = december)
    {
        for (const BillSummary &bill : bills(month)) {
            if (bill.tenantName == name)
                return bill;
        }
        qFatal("no bill of %s", qPrintable(name));
    }
    BillDetail detail(const QString &name) { return *readBill(LedgerRead(connection).db, bill(name).id); }
    qint64 pay(const QString &name, Fen amount, const QString &method = "现金")
    {
        return recordPayment(connection, LedgerRead(connection).generation, bill(name), amount, QDate(2026, 12, 9),
                             method, "");
    }
    QString stored(const QString &sql) { return fixture.rows(sql).value(0).value(0); }
};

// "name rent water electricity other total" per bill; "-" for a rent that waits.
QStringList billTexts(const std::vector<BillSummary> &bills)
{
    QStringList texts;
    for (const BillSummary &bill : bills)
        texts << QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(bill.tenantName, bill.rent ? QString::number(*bill.rent) : "-")
                     .arg(bill.water)
                     .arg(bill.electricity)
                     .arg(bill.other)
                     .arg(bill.total);
    return texts;
}

QString errorOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const AppError &error) {
        return error.text();
    }
    return {};
}

} // namespace

class TestLedger : public QObject {
    Q_OBJECT
private slots:
    void typedAmounts_data();
    void typedAmounts();
    void roomsInWalkingOrder();
    void billArithmetic_data();
    void billArithmetic();
    void generatingAgain_data();
    void generatingAgain();
    void partPaymentsAndCancelling_data();
    void partPaymentsAndCancelling();
    void arrearsAcrossMonths();
    void writesRefusedWhenTheFileChanged_data();
    void writesRefusedWhenTheFileChanged();
    void totalsPastTheRangeAreRefused();
    void ledgerTablesComeWholeBesideData();
    void modelsKeepQtsContract();
    void monthFromTheCommandLine_data();
    void monthFromTheCommandLine();
};

void TestLedger::typedAmounts_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");  // fen or hundredths; -1: refused
    QTest::addColumn<QString>("problem");
    QTest::newRow("yuan") << false << "1586.5" << qint64(158650) << "";
    QTest::newRow("grouped with sign") << false << " ¥1,586.50 " << qint64(158650) << "";
    QTest::newRow("fen") << false << "0.05" << qint64(5) << "";
    QTest::newRow("negative") << false << "-3" << qint64(-1) << "金额不能为负数";
    QTest::newRow("three places") << false << "1.234" << qint64(-1) << "金额最多两位小数";
    QTest::newRow("words") << false << "八百" << qint64(-1) << "“八百”不是金额";
    QTest::newRow("empty") << false << "" << qint64(-1) << "请填写金额";
    QTest::newRow("past the range") << false << "92233720368547758.08" << qint64(-1) << "金额太大";
    QTest::newRow("largest") << false << "92233720368547758.07" << std::numeric_limits<qint64>::max() << "";
    QTest::newRow("reading") << true << "1234.5" << qint64(123450) << "";
    QTest::newRow("reading negative") << true << "-1" << qint64(-1) << "读数不能为负数";
    QTest::newRow("reading words") << true << "12吨" << qint64(-1) << "读数“12吨”不是数字";
}

void TestLedger::typedAmounts()
{
    QFETCH(bool, reading);
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QString problem;
    const std::optional<qint64> read = reading ? parseReading(text, &problem) : parseYuan(text, &problem);
    QCOMPARE(read.value_or(-1), value);
    QTEST(problem, "problem");
    if (read && !reading)
        QCOMPARE(parseYuan(yuanText(*read), &problem), read);
}

void TestLedger::roomsInWalkingOrder()
{
    QStringList rooms{"10", "2-1001", "B3", "9", "2-101", "09", "", "A12", "A2"};
    std::stable_sort(rooms.begin(), rooms.end(), roomBefore);
    QCOMPARE(rooms, (QStringList{"", "2-101", "2-1001", "9", "09", "10", "A2", "A12", "B3"}));
}

void TestLedger::billArithmetic_data()
{
    QTest::addColumn<QString>("tenants");
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<QStringList>("bills");  // of December: name rent water electricity other total

    QTest::newRow("the price in force that month") << "甲 101 1000"
        << "price water - 2026-01 300; price water - 2027-01 500; price water - 2026-12 400;"
           "reading water 101 2026-10 9000; reading water 101 2026-11 10000; reading water 101 2026-12 11050"
        << QStringList{"甲 100000 4200 0 0 104200"};
    QTest::newRow("a new meter starts the count") << "甲 101 1000"
        << "price water - 2026-01 300; price electricity - 2026-01 80;"
           "reading water 101 2026-11 50000; reading water 101 2026-12 2000 start;"
           "reading electricity 101 2026-12 30000"
        << QStringList{"甲 100000 0 0 0 100000"};
    QTest::newRow("fees: every room, a room's own, stopped") << "甲 101 800; 乙 102 900"
        << "fee 管理费 * 2026-01 5000; fee 管理费 102 2026-06 3000; fee 网费 * 2026-01 4000;"
           "fee 网费 * 2026-12 0; fee 卫生费 101 2027-01 1000"
        << QStringList{"甲 80000 0 0 5000 85000", "乙 90000 0 0 3000 93000"};
    QTest::newRow("to the nearest fen, half up") << "甲 101 0; 乙 102 0"
        << "price water - 2026-01 56; price electricity - 2026-01 50;"
           "reading water 101 2026-11 0; reading water 101 2026-12 1235;"
           "reading electricity 102 2026-11 0; reading electricity 102 2026-12 1"
        << QStringList{"甲 0 692 0 0 692", "乙 0 0 1 0 1"};
    QTest::newRow("a shared room's charges divided") << "甲 201 600; 乙 201 700; 丙 202 800"
        << "price water - 2026-01 1001; fee 管理费 * 2026-01 5001;"
           "reading water 201 2026-11 0; reading water 201 2026-12 100"
        << QStringList{"甲 60000 501 0 2501 63002", "乙 70000 500 0 2500 73000", "丙 80000 0 0 5001 85001"};
    QTest::newRow("a rent that is no plain amount waits") << "甲 101 面议; 乙 102 1600.5; 丙 103 _500_"
        << "fee 管理费 * 2026-01 5000"
        << QStringList{"甲 - 0 0 5000 5000", "乙 - 0 0 5000 5000", "丙 50000 0 0 5000 55000"};
    QTest::newRow("leases that cover a day of the month") << "在租 101 100 2026/1/1 2027/1/1; 月末入住 102 100 2026/12/31;"
        "月初到期 103 100 2025/1/1 2026/12/1; 已走 104 100 2025/1/1 2026/11/30; 未来 105 100 2027/1/1"
        << "" << QStringList{"在租 10000 0 0 0 10000", "月末入住 10000 0 0 0 10000", "月初到期 10000 0 0 0 10000"};
}

void TestLedger::billArithmetic()
{
    QFETCH(QString, tenants);
    QFETCH(QString, ledger);
    LedgerFile file(tenants);
    file.add(ledger);
    const GenerationPreview preview = file.generate();
    QTEST(billTexts(file.bills()), "bills");
    // The lines add up to each bill, and the file holds what was planned.
    for (const PlannedBill &planned : preview.plan.bills) {
        const BillDetail stored = file.detail(planned.tenant.name);
        QCOMPARE(stored.lines, planned.lines);
        Fen sum = 0;
        for (const BillLine &line : stored.lines)
            sum += line.amount.value_or(0);
        QCOMPARE(sum, stored.bill.total);
    }
}

void TestLedger::generatingAgain_data()
{
    QTest::addColumn<QString>("paid");       // "name fen" paid before generating again; "name x" cancelled
    QTest::addColumn<QStringList>("bills");  // after a reading is corrected and 乙 has left
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<int>("removed");
    // 丙's rent, typed in, stays when the bill is made again.
    QTest::newRow("nothing paid") << "" << QStringList{"甲 100000 3000 0 0 103000", "丙 70000 0 0 0 70000"}
                                  << QStringList{} << 1;
    QTest::newRow("paid in part") << "甲 50000" << QStringList{"甲 100000 2000 0 0 102000", "丙 70000 0 0 0 70000"}
                                  << QStringList{"甲"} << 1;
    QTest::newRow("the leaver paid") << "乙 80000"
        << QStringList{"甲 100000 3000 0 0 103000", "乙 80000 0 0 0 80000", "丙 70000 0 0 0 70000"}
        << QStringList{"乙"} << 0;
    QTest::newRow("payments cancelled") << "甲 x; 乙 x"
        << QStringList{"甲 100000 3000 0 0 103000", "乙 80000 0 0 0 80000", "丙 70000 0 0 0 70000"}
        << QStringList{"乙"} << 0;
}

void TestLedger::generatingAgain()
{
    QFETCH(QString, paid);
    QFETCH(QStringList, kept);
    LedgerFile file("甲 101 1000; 乙 102 800; 丙 103 面议");
    file.add("price water - 2026-01 100; reading water 101 2026-11 0; reading water 101 2026-12 2000");
    file.generate();
    setBillRent(file.connection, LedgerRead(file.connection).generation, file.bill("丙"), 70000);
    const BillSummary before = file.bill("甲");
    for (const QString &payment : paid.split(';', Qt::SkipEmptyParts)) {
        const QStringList p = payment.split(' ', Qt::SkipEmptyParts);
        if (p[1] == "x") {
            file.pay(p[0], 100);
            const BillDetail detail = file.detail(p[0]);
            cancelPayment(file.connection, LedgerRead(file.connection).generation, detail.bill, detail.payments.back(),
                          "收错了");
        } else {
            file.pay(p[0], p[1].toLongLong());
        }
    }
    file.fixture.exec("update data set 到期日期 = '2026/11/30' where 姓名 = '乙'");
    file.fixture.exec("update ledger_reading set reading = 3000 where month = '2026-12'");
    const GenerationPreview preview = file.generate();

    QTEST(billTexts(file.bills()), "bills");
    QStringList keptNames;
    for (const BillSummary &bill : preview.kept)
        keptNames << bill.tenantName;
    QCOMPARE(keptNames, kept);
    QTEST(int(preview.removed.size()), "removed");
    // A bill made again keeps its number, so that its payments stay with it.
    QCOMPARE(file.bill("甲").id, before.id);
    QCOMPARE(file.stored("select count(*) from ledger_payment"), QString::number(paid.count(';') + !paid.isEmpty()));
    QCOMPARE(file.stored("select count(*) from ledger_bill_line where bill_id not in (select id from ledger_bill)"), "0");
    QCOMPARE(file.stored("select count(*) from ledger_bill b where paid_fen <> (select coalesce(sum(amount_fen), 0)"
                         " from ledger_payment p where p.bill_id = b.id and cancelled is null)"),
             "0");
}

void TestLedger::partPaymentsAndCancelling_data()
{
    QTest::addColumn<QList<Fen>>("payments");
    QTest::addColumn<QList<int>>("cancelled");  // which of them
    QTest::addColumn<Fen>("paid");
    QTest::addColumn<QString>("state");
    QTest::newRow("none") << QList<Fen>{} << QList<int>{} << Fen(0) << "未收";
    QTest::newRow("in part") << QList<Fen>{30000, 1} << QList<int>{} << Fen(30001) << "部分";
    QTest::newRow("whole in parts") << QList<Fen>{60000, 40000} << QList<int>{} << Fen(100000) << "已收";
    QTest::newRow("one cancelled") << QList<Fen>{60000, 40000} << QList<int>{0} << Fen(40000) << "部分";
    QTest::newRow("all cancelled, paid again") << QList<Fen>{100000, 100000} << QList<int>{0} << Fen(100000) << "已收";
}

void TestLedger::partPaymentsAndCancelling()
{
    QFETCH(QList<Fen>, payments);
    QFETCH(QList<int>, cancelled);
    LedgerFile file("甲 101 1000");
    file.generate();
    QList<qint64> numbers;
    for (int i = 0; i < payments.size(); ++i) {
        numbers << file.pay("甲", payments[i], paymentMethods().at(i % 5));
        if (cancelled.contains(i)) {
            const BillDetail detail = file.detail("甲");
            cancelPayment(file.connection, LedgerRead(file.connection).generation, detail.bill, detail.payments.back(),
                          " 收错了 ");
        }
    }
    const BillSummary bill = file.bill("甲");
    QTEST(bill.paid, "paid");
    QTEST(billStateText(bill.state()), "state");
    // Every payment stays, numbered in turn; a cancelled one with its reason.
    const QList<QStringList> stored = file.fixture.rows("select id, amount_fen, cancel_reason from ledger_payment order by id");
    QCOMPARE(stored.size(), payments.size());
    for (int i = 0; i < stored.size(); ++i) {
        QCOMPARE(stored[i][0].toLongLong(), numbers[i]);
        QCOMPARE(stored[i][1].toLongLong(), payments[i]);
        QCOMPARE(stored[i][2], cancelled.contains(i) ? "收错了" : QString());
    }
    // More than is owed, or nothing, is refused and changes nothing.
    QCOMPARE(errorOf([&] { file.pay("甲", bill.owed() + 1); }).isEmpty(), false);
    QCOMPARE(errorOf([&] { file.pay("甲", 0); }), "收款金额必须大于 0");
    QCOMPARE(file.bill("甲").paid, bill.paid);
}

void TestLedger::arrearsAcrossMonths()
{
    LedgerFile file("甲 101 1000; 乙 102 800; 丙 103 面议; 丁 104 500");
    for (const LedgerMonth &month : {LedgerMonth(2026, 10), LedgerMonth(2026, 11), december})
        file.generate(month);
    const auto pay = [&](const QString &name, const LedgerMonth &month, Fen amount) {
        recordPayment(file.connection, LedgerRead(file.connection).generation, file.bill(name, month), amount,
                      QDate(2026, 12, 1), "微信", "");
    };
    pay("甲", LedgerMonth(2026, 10), 100000);
    pay("甲", LedgerMonth(2026, 11), 40000);
    for (const LedgerMonth &month : {LedgerMonth(2026, 10), LedgerMonth(2026, 11), december})
        pay("丁", month, 50000);
    file.fixture.exec("update data set 姓名 = '乙二', 房号 = '202' where 姓名 = '乙'");
    file.generate(december);  // 乙's December bill made again under the new name

    const LedgerRead read(file.connection);
    QStringList shown;
    for (const Arrear &arrear : readArrears(read.db, read.exists)) {
        QStringList months;
        for (const LedgerMonth &month : arrear.months)
            months << month.key();
        shown << QStringLiteral("%1 %2 %3 %4 %5").arg(arrear.name, arrear.room, months.join(','))
                     .arg(arrear.owed)
                     .arg(arrear.rentsWaiting);
    }
    QCOMPARE(shown, (QStringList{"乙二 202 2026-10,2026-11,2026-12 240000 0", "甲 101 2026-11,2026-12 160000 0",
                                 "丙 103 2026-10,2026-11,2026-12 0 3"}));
    QCOMPARE(owingTenantCount(read.db, read.exists), 3);
    // The arrears read only the bills owed, through their index.
    const QString plan = file.fixture.rows("explain query plan select count(distinct tenant_id) from ledger_bill"
                                           " where (paid_fen < total_fen or rent_fen is null)").value(0).value(3);
    QVERIFY2(plan.contains("ledger_bill_owing"), qPrintable(plan));
}

void TestLedger::writesRefusedWhenTheFileChanged_data()
{
    QTest::addColumn<QString>("meanwhile");  // what another program did
    QTest::addColumn<QString>("write");      // what the program then tried
    QTest::newRow("payment after a payment")
        << "update ledger_bill set paid_fen = 200, revision = revision + 1 where tenant_name = '甲'" << "pay";
    QTest::newRow("payment after the bill went") << "delete from ledger_bill where tenant_name = '甲'" << "pay";
    QTest::newRow("cancel after a cancel") << "update ledger_payment set cancelled = 'x', revision = revision + 1"
                                            << "cancel";
    QTest::newRow("reading after a reading") << "update ledger_reading set reading = 5, revision = revision + 1"
                                              << "reading";
    QTest::newRow("reading after a new last one")
        << "insert into ledger_reading (room_id, meter, month, reading, entered) values (1, 'water', '2026-11', 1, 'x')"
        << "reading";
    QTest::newRow("price after a price") << "insert into ledger_price (meter, from_month, unit_fen) values ('water', '2026-12', 1)"
                                          << "price";
    QTest::newRow("bills after the register changed") << "update data set 租金 = '900'" << "generate";
    QTest::newRow("rent after a change") << "update ledger_bill set revision = revision + 1 where tenant_name = '乙'"
                                          << "rent";
}

void TestLedger::writesRefusedWhenTheFileChanged()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, write);
    LedgerFile file("甲 101 1000; 乙 102 面议");
    file.add("reading water 101 2026-10 100");
    file.generate();
    file.pay("甲", 100);
    const unsigned generation = LedgerRead(file.connection).generation;
    const BillDetail shown = file.detail("甲");
    const BillSummary waiting = file.bill("乙");
    const GenerationPreview preview = previewBills(file.connection, december, formats);
    MeterReadingModel sheet;
    sheet.read(file.connection, december, formats);
    const Rates rates = Rates::read(LedgerRead(file.connection).db, true);
    file.fixture.exec(meanwhile);
    const QByteArray before = fileBytes(file.fixture.databasePath());

    const QString error = errorOf([&] {
        if (write == "pay")
            recordPayment(file.connection, generation, shown.bill, 100, QDate(2026, 12, 9), "现金", "");
        else if (write == "cancel")
            cancelPayment(file.connection, generation, shown.bill, shown.payments.front(), "原因");
        else if (write == "reading")
            enterReading(file.connection, generation, {"101", Meter::Water, december, 200, false, sheet.rowAt(0).meters});
        else if (write == "price")
            setPrice(file.connection, generation, Meter::Water, december, 300, rates.priceFrom(Meter::Water, december));
        else if (write == "generate")
            generateBills(file.connection, preview, formats);
        else
            setBillRent(file.connection, generation, waiting, 1);
    });
    QVERIFY2(error == changedMeanwhileText() || error.startsWith("预览之后"), qPrintable(error));
    QCOMPARE(fileBytes(file.fixture.databasePath()), before);
}

void TestLedger::totalsPastTheRangeAreRefused()
{
    LedgerFile file("甲 101 1000; 乙 102 1000");
    file.add("fee 管理费 * 2026-01 5000000000000000000; fee 网费 * 2026-01 5000000000000000000");
    const QByteArray before = fileBytes(file.fixture.databasePath());
    QCOMPARE(errorOf([&] { previewBills(file.connection, december, formats); }), "金额超出范围");
    QCOMPARE(fileBytes(file.fixture.databasePath()), before);
    // Bills that each fit, added up past the range: refused, not wrapped.
    file.fixture.exec("update ledger_fee set monthly_fen = 4611686018427387904 where name = '管理费'");
    file.fixture.exec("delete from ledger_fee where name = '网费'");
    file.generate();
    QCOMPARE(errorOf([&] { figuresOf(file.bills()); }), "金额超出范围");
    QVERIFY(errorOf([&] { readMonthFigures(LedgerRead(file.connection).db, true, december); }).contains("overflow"));
}

void TestLedger::ledgerTablesComeWholeBesideData()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "1000"}});
    const QString dataTable = "select sql from sqlite_master where name = 'data'";
    const QList<QStringList> before = fixture.rows(dataTable);
    TADOConnection connection;
    connection.setDatabaseFile(fixture.databasePath());
    // Reading the ledger of a register that has none makes nothing.
    {
        const LedgerRead read(connection);
        QVERIFY(!read.exists && readMonthBills(read.db, read.exists, december).empty());
        MeterReadingModel sheet;
        sheet.read(connection, december, formats);
        QCOMPARE(sheet.rowCount(), 1);
    }
    QCOMPARE(fixture.rows("select count(*) from sqlite_master").value(0).value(0), "2");  // data, its sequence
    setPrice(connection, LedgerRead(connection).generation, Meter::Water, december, 350, nullptr);
    QCOMPARE(firstColumn(fixture.rows("select name from sqlite_master where type = 'table' and name like 'ledger%' order by name")),
             (QStringList{"ledger_bill", "ledger_bill_line", "ledger_fee", "ledger_meta", "ledger_payment", "ledger_price",
                          "ledger_reading", "ledger_receipt", "ledger_rent_change", "ledger_room", "ledger_setting",
                          "ledger_settlement"}));
    QCOMPARE(fixture.rows(dataTable), before);
    // What an earlier version reads of the file is as it was.
    QVERIFY(isRegisterFile(fixture.databasePath()));
    QString failure;
    QCOMPARE(checkedRegisterRecords(fixture.databasePath(), &failure), std::optional<long long>(1));
}

void TestLedger::modelsKeepQtsContract()
{
    LedgerFile file("甲 101 1000; 乙 102 面议; 丙 103 500");
    file.add("price water - 2026-01 300; fee 管理费 * 2026-01 5000; reading water 101 2026-11 100;"
             "reading water 101 2026-12 900; reading water 104 2026-12 7");
    file.generate();
    file.pay("甲", 100);
    const auto tested = [](QAbstractItemModel *model) {
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    };

    BillListModel bills;
    tested(&bills);
    bills.setBills(december, file.bills(), 0);
    QCOMPARE(bills.rowCount(), 3);
    bills.setFilter(BillListModel::Filter::Paid);
    QCOMPARE(bills.rowCount(), 0);
    bills.setFilter(BillListModel::Filter::Owed);
    QCOMPARE(bills.index(1, 2).data().toString(), "待填写");

    MeterReadingModel sheet;
    tested(&sheet);
    sheet.read(file.connection, december, formats);
    QCOMPARE(sheet.rowCount(), 4);  // 101 to 103 let, 104 read
    QCOMPARE(sheet.index(0, MeterReadingModel::WaterUsage).data().toString(), "8");
    QCOMPARE(sheet.index(0, MeterReadingModel::WaterCharge).data().toString(), "24.00");
    QCOMPARE(sheet.index(3, MeterReadingModel::WaterCurrent).data().toString(), "0.07 (起点)");
    QVERIFY(sheet.flags(sheet.index(0, MeterReadingModel::ElectricityCurrent)) & Qt::ItemIsEditable);
    enterReading(file.connection, sheet.generation(), {"102", Meter::Electricity, december, 4200, false, sheet.rowAt(1).meters});
    sheet.rereadRoom(file.connection, 1);
    QCOMPARE(sheet.index(1, MeterReadingModel::ElectricityCurrent).data(Qt::EditRole).toString(), "42");

    const LedgerRead read(file.connection);
    ArrearsModel arrears;
    tested(&arrears);
    arrears.setRows(readArrears(read.db, read.exists));
    QCOMPARE(arrears.rowCount(), 3);
    PriceListModel prices;
    FeeListModel fees;
    tested(&prices);
    tested(&fees);
    const Rates rates = Rates::read(read.db, read.exists);
    prices.setRows(rates.prices());
    fees.setRows(rates.fees());
    QCOMPARE(prices.index(0, 2).data().toString(), "3.00 元/吨");
    QCOMPARE(fees.index(0, 1).data().toString(), "全部房间");
    BillLineModel lines;
    PaymentListModel payments;
    tested(&lines);
    tested(&payments);
    const BillDetail detail = file.detail("甲");
    lines.setRows(detail.lines);
    payments.setRows(detail.payments);
    QCOMPARE(lines.rowCount(), 3);  // rent, water, the fee
    QCOMPARE(payments.index(0, 1).data().toString(), "2026/12/9");
}

void TestLedger::monthFromTheCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");  // REGISTER and TARGET are replaced by the files
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");           // stdout, else stderr
    QTest::newRow("a month to .csv") << QStringList{"REGISTER", "TARGET.csv", "--month", "2026-12"} << 0
                                     << "导出完成，2026年12月共 2 份账单：";
    QTest::newRow("the month first") << QStringList{"--month", "2026-12", "REGISTER", "TARGET.xlsx"} << 0
                                     << "导出完成，2026年12月共 2 份账单：";
    QTest::newRow("a month without bills") << QStringList{"REGISTER", "TARGET.csv", "--month", "2026-11"} << 1
                                           << "larkhaven-convert: 导出失败：2026年11月没有账单";
    QTest::newRow("a target that exists") << QStringList{"REGISTER", "EXISTING.csv", "--month", "2026-12"} << 1
                                          << "larkhaven-convert: 导出失败：“";
    QTest::newRow("no month") << QStringList{"REGISTER", "TARGET.csv", "--month", "2026-13"} << 2 << "用法：";
    QTest::newRow("no register") << QStringList{"NONE.mdb", "TARGET.csv", "--month", "2026-12"} << 1
                                 << "larkhaven-convert: 导出失败：“";
}

void TestLedger::monthFromTheCommandLine()
{
    QFETCH(QStringList, arguments);
    LedgerFile file("甲 101 1000; 乙 102 面议");
    file.generate();
    file.pay("甲", 50);
    const QString target = file.fixture.directory() + "/账单";
    arguments.replaceInStrings("REGISTER", file.fixture.databasePath());
    arguments.replaceInStrings("TARGET", target);
    arguments.replaceInStrings("NONE", file.fixture.directory() + "/none");
    arguments.replaceInStrings("EXISTING", file.fixture.directory() + "/existing");
    writeFile(file.fixture.directory() + "/existing.csv", "kept");
    const QByteArray before = fileBytes(file.fixture.databasePath());
    QProcess convert;
    convert.start(LARKHAVEN_CONVERT_PATH, arguments);
    QVERIFY(convert.waitForFinished(60000));
    QTEST(convert.exitCode(), "status");
    const QString output = QString::fromLocal8Bit(convert.exitCode() == 0 ? convert.readAllStandardOutput()
                                                                           : convert.readAllStandardError());
    QFETCH(QString, said);
    QVERIFY2(output.startsWith(said), qPrintable(output));
    QCOMPARE(fileBytes(file.fixture.directory() + "/existing.csv"), QByteArray("kept"));
    QCOMPARE(fileBytes(file.fixture.databasePath()), before);
    if (arguments.contains(target + ".csv") && convert.exitCode() == 0)
        QCOMPARE(fileBytes(target + ".csv"), QByteArray("\xEF\xBB\xBF房号,姓名,租金,水费,电费,其他,合计,已收,未收,状态\r\n"
                                                    "101,甲,1000.00,0.00,0.00,0.00,1000.00,0.50,999.50,部分\r\n"
                                                    "102,乙,待填写,0.00,0.00,0.00,0.00,0.00,0.00,租金待填\r\n"));
}

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
