// SPDX-License-Identifier: GPL-3.0-or-later
// The rooms the program knows and the year at a glance, on a real register
// file: which rooms stand empty and since when, two tenants in one room,
// rooms added by hand with a default rent through the rooms window, the
// twelve months' collection against the ledger's bills and payments, and the
// chart on the page 收租 saved as a PNG picture.
#include "db/ADOConnection.h"
#include "ledger/IncomeFigures.h"
#include "ledger/LedgerWrite.h"
#include "ledger/Payments.h"
#include "ledger/RoomRosterModel.h"
#include "platform/ProgramClock.h"
#include "support/RegisterFixture.h"
#include "ui/IncomeChart.h"
#include "ui/RentRoundPage.h"
#include "ui/RoomsDialog.h"
#include "ui/ShortInputDialog.h"
#include "ui/Unit1.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHelpEvent>
#include <QImageReader>
#include <QLineSeries>
#include <QTest>
#include <QToolTip>

namespace {

const QDate today(2026, 12, 9);
const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");

// A register of tenants "name room move-in expiry" ("-" for a blank), ";"
// between them, with the ledger's tables and `ledger` statements run on it.
void makeFile(RegisterFixture &fixture, const QString &tenants, const QString &ledger)
{
    setCurrentLocalDateTime(QDateTime(today, QTime(10, 30)));
    fixture.createRegister();
    for (const QString &tenant : tenants.split(';', Qt::SkipEmptyParts)) {
        // "-" is a blank, "_" a space inside a text.
        const QStringList t =
            tenant.split(' ').replaceInStrings(QRegularExpression("^-$"), "").replaceInStrings("_", " ");
        fixture.addTenant({t.value(0), t.value(1), "1000", "", t.value(2), t.value(3)});
    }
    TADOConnection connection;
    connection.setDatabaseFile(fixture.databasePath());
    LedgerWrite(connection, std::nullopt).commit();
    for (const QString &statement : ledger.split(';', Qt::SkipEmptyParts))
        fixture.exec(statement);
}

// A bill of `month` for `room`: "room month total rent paid" ("-" rent waits).
QString bill(const QString &row)
{
    static int tenant = 100;
    const QStringList b = row.split(' ');
    const QString rent = b[3] == "-" ? "NULL" : b[3];
    return QStringLiteral("insert or ignore into ledger_room (room, created) values ('%3', '');"
                          "insert into ledger_bill (month, tenant_id, tenant_name, room, rent_fen, water_fen,"
                          " electricity_fen, other_fen, total_fen, paid_fen, created) values"
                          " ('%1', %2, '旧房客', '%3', %4, 0, 0, 0, %5, %6, '');")
        .arg(b[1])
        .arg(++tenant)
        .arg(b[0], rent, b[2], b[4]);
}

// The rooms list as "房号 房客 空置天数" per row, "|" between rows.
QString listed(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << QStringList{model.index(row, RoomRosterModel::Room).data().toString(),
                            model.index(row, RoomRosterModel::Tenants).data().toString(),
                            model.index(row, RoomRosterModel::DaysEmpty).data().toString()}
                    .join(' ')
                    .trimmed();
    return rows.join('|');
}

DialogWork typeInto(const QString &text)
{
    return [text](QDialog *dialog) {
        auto *input = shown<ShortInputDialog>(dialog);
        QVERIFY(input);
        input->inputEdit->setText(text);
        QTest::mouseClick(input->acceptInputButton, Qt::LeftButton);
        if (input->isVisible())  // refused: still there to be corrected
            input->reject();
    };
}

} // namespace

class TestRooms : public QObject {
    Q_OBJECT
private slots:
    void roomsAndDaysEmpty_data();
    void roomsAndDaysEmpty();
    void incomeAgainstTheLedger_data();
    void incomeAgainstTheLedger();
    void roomsWindowFromThePage();
    void chartOnThePageSavedAsPng();
};

void TestRooms::roomsAndDaysEmpty_data()
{
    QTest::addColumn<QString>("tenants");
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<QString>("rooms");  // as listed()
    QTest::addColumn<QString>("rate");
    QTest::newRow("a lease ended in the register") << "王伟 101 2026/1/1 2026/11/30" << "" << "101 空置 9 天" << "0.0%";
    QTest::newRow("the lease ends today") << "王伟 101 - 2026/12/9" << "" << "101 王伟" << "100.0%";
    QTest::newRow("a tenant gone from the register, billed to October")
        << "" << bill("101 2026-10 1000 1000 1000") + bill("101 2026-09 1000 1000 1000") << "101 空置 39 天" << "0.0%";
    QTest::newRow("billed this month, then gone") << "" << bill("101 2026-12 1000 1000 0") << "101 空置 0 天"
                                                  << "0.0%";
    QTest::newRow("a later tenant's bill after the last lease known")
        << "王伟 101 2026/1/1 2026/9/15" << bill("101 2026-11 1000 1000 0") << "101 空置 9 天" << "0.0%";
    QTest::newRow("the bill of the lease's own month runs to its expiry")
        << "王伟 101 2026/1/1 2026/11/10" << bill("101 2026-11 1000 1000 0") << "101 空置 29 天" << "0.0%";
    QTest::newRow("two tenants in one room, blanks around the room")
        << "张三 201 - -;李四 201_ - -" << "" << "201 张三、李四（2 人）" << "100.0%";
    QTest::newRow("moving in later, never let before")
        << "赵六 301 2027/1/1 -" << "" << "301 空置 —" << "0.0%";
    QTest::newRow("a date that cannot be read keeps the tenant")
        << "钱七 401 2026/1/1 明年" << "" << "401 钱七" << "100.0%";
    QTest::newRow("rooms of the register, read, billed and added by hand, in walking order")
        << "王伟 10 - -;李娜 9 - -;;无房号 - - -"
        << "insert into ledger_room (room, added_by_hand, default_rent_fen, created) values ('2-1', 1, 80000, ''),"
           " ('9', 0, NULL, '');" + bill("B1 2026-06 1000 1000 1000")
        << "2-1 空置 —|9 李娜|10 王伟|B1 空置 162 天" << "50.0%";
    QTest::newRow("no rooms at all") << "" << "" << "" << "—";
}

void TestRooms::roomsAndDaysEmpty()
{
    QFETCH(QString, tenants);
    QFETCH(QString, ledger);
    RegisterFixture fixture;
    makeFile(fixture, tenants, ledger);
    TADOConnection connection;
    connection.setDatabaseFile(fixture.databasePath());
    const LedgerRead file(connection);
    std::vector<RoomStatus> rooms = readRoomRoster(file.db, file.exists, today, formats);
    QTEST(occupancyOf(rooms).rateText(), "rate");
    RoomRosterModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRooms(std::move(rooms), today, formats, file.generation);
    QTEST(listed(model), "rooms");
    // 空置房间 lists the empty ones, and only those.
    model.setFilter(RoomRosterModel::Filter::Vacant);
    for (int row = 0; row < model.rowCount(); ++row)
        QVERIFY(!model.rowAt(row).isLet());
    QCOMPARE(model.rowCount(), occupancyOf(model.allRooms()).known - occupancyOf(model.allRooms()).let);
}

void TestRooms::incomeAgainstTheLedger_data()
{
    QTest::addColumn<QString>("bills");     // "room month total rent paid", ";" between them
    QTest::addColumn<QString>("cancel");    // a payment recorded on the first bill, then cancelled
    QTest::addColumn<QString>("last");      // the last of the twelve months
    QTest::addColumn<QString>("months");    // "month due rent other" of the months with bills
    QTest::addColumn<QString>("year");      // "due collected outstanding" of the last month's year
    QTest::newRow("paid beyond the rent goes to the rest")
        << "101 2026-12 150000 100000 120000" << "" << "2026-12" << "2026-12 150000 100000 20000" << "150000 120000 30000";
    QTest::newRow("part of the rent paid, rents waiting, bills added up by month")
        << "101 2026-11 150000 100000 50000;102 2026-11 20000 - 20000;103 2026-11 9000 9000 9000" << "" << "2026-12"
        << "2026-11 179000 59000 20000" << "179000 79000 100000";
    QTest::newRow("twelve months across the turn of the year, only this year in its totals")
        << "101 2025-03 5000 5000 5000;101 2025-04 7000 7000 7000;101 2026-01 3000 3000 0;101 2026-03 4000 0 1000;"
           "101 2026-04 1000 1000 1000"
        << "" << "2026-03" << "2025-04 7000 7000 0|2026-01 3000 0 0|2026-03 4000 0 1000" << "7000 1000 6000";
    QTest::newRow("a cancelled payment counts for nothing")
        << "101 2026-12 150000 100000 0" << "1500" << "2026-12" << "2026-12 150000 0 0" << "150000 0 150000";
}

void TestRooms::incomeAgainstTheLedger()
{
    QFETCH(QString, bills);
    QFETCH(QString, cancel);
    QFETCH(QString, last);
    RegisterFixture fixture;
    QString statements;
    for (const QString &row : bills.split(';'))
        statements += bill(row);
    makeFile(fixture, "", statements);
    TADOConnection connection;
    connection.setDatabaseFile(fixture.databasePath());
    if (!cancel.isEmpty()) {
        // Recorded and cancelled as the bill's window does it.
        const LedgerRead file(connection);
        const BillSummary shown = readMonthBills(file.db, true, LedgerMonth(2026, 12)).at(0);
        recordPayment(connection, file.generation, shown, cancel.toLongLong() * 100, today, "现金", "");
        const BillSummary paid = readMonthBills(file.db, true, LedgerMonth(2026, 12)).at(0);
        cancelPayment(connection, file.generation, paid, readBill(file.db, paid.id)->payments.at(0), "收错了");
    }
    const LedgerRead file(connection);
    const LedgerMonth lastMonth = *LedgerMonth::fromKey(last);
    const IncomeYear year = readIncomeYear(file.db, file.exists, lastMonth);
    QCOMPARE(year.months.size(), 12u);
    QCOMPARE(year.months.back().month, lastMonth);
    QStringList months;
    for (const MonthIncome &income : year.months) {
        if (income.due != 0)
            months << QStringLiteral("%1 %2 %3 %4")
                          .arg(income.month.key())
                          .arg(income.due)
                          .arg(income.rentCollected)
                          .arg(income.otherCollected);
    }
    QTEST(months.join('|'), "months");
    QTEST(QStringLiteral("%1 %2 %3").arg(year.yearDue).arg(year.yearCollected).arg(year.yearOutstanding()), "year");
}

void TestRooms::roomsWindowFromThePage()
{
    RegisterFixture fixture;
    makeFile(fixture, "王伟 101 - -;张敏 102 2026/1/1 2026/11/30", "");
    fixture.startShown();
    RentRoundPage *page = Form1->rentRoundPage;
    Form1->PageControl1->setCurrentWidget(page);
    const QString file = fixture.databasePath();
    QString all, vacant, afterAdding;
    QByteArray beforeBadRent, afterBadRent;
    const QList<SeenBox> boxes = runAnsweringBoxes(
        [&] { QTest::mouseClick(page->roomsButton, Qt::LeftButton); }, {},
        {[&](QDialog *dialog) {
             auto *rooms = shown<RoomsDialog>(dialog);
             QVERIFY(rooms);
             QAbstractItemModelTester tester(rooms->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
             all = listed(*rooms->model());
             QCOMPARE(rooms->summaryLabel->text(), "共 2 个房间：在租 1 个，空置 1 个，出租率 50.0%。");
             rooms->roomFilterBox->setCurrentIndex(1);
             vacant = listed(*rooms->model());
             // A room by hand with a default rent, while 空置房间 shows.
             QTest::mouseClick(rooms->addRoomButton, Qt::LeftButton);
             afterAdding = listed(*rooms->model());
             // A bad default rent is refused and changes nothing.
             rooms->roomTable->setCurrentIndex(rooms->model()->index(0, 0));
             beforeBadRent = fileBytes(file);
             QTest::mouseClick(rooms->defaultRentButton, Qt::LeftButton);
             afterBadRent = fileBytes(file);
             // The default rent of a room of the register's.
             rooms->roomFilterBox->setCurrentIndex(0);
             const int row = rooms->model()->rowOfRoom("101");
             rooms->roomTable->setCurrentIndex(rooms->model()->index(row, 0));
             QTest::mouseClick(rooms->defaultRentButton, Qt::LeftButton);
             QCOMPARE(rooms->model()->index(row, RoomRosterModel::DefaultRent).data().toString(), "1,000.00");
             QTest::mouseClick(rooms->closeButton, Qt::LeftButton);
         },
         typeInto("3-01"), typeInto("1,200.5"), typeInto("-5"), typeInto("1000")});
    QCOMPARE(all, "101 王伟|102 空置 9 天");
    QCOMPARE(vacant, "102 空置 9 天");
    QCOMPARE(afterAdding, "3-01 空置 —|102 空置 9 天");
    QCOMPARE(messageTexts(boxes).filter("金额"), QStringList{"金额不能为负数。"});
    QCOMPARE(afterBadRent, beforeBadRent);
    QCOMPARE(fixture.rows("select room, added_by_hand, default_rent_fen from ledger_room order by id"),
             (QList<QStringList>{{"3-01", "1", "120050"}, {"101", "0", "100000"}}));
    // The page's occupancy counts the room added.
    QCOMPARE(page->incomeChart->occupancyLabel->text(), "33.3%（1/3 间）");
}

void TestRooms::chartOnThePageSavedAsPng()
{
    RegisterFixture fixture;
    makeFile(fixture, "王伟 101 - -",
             bill("101 2026-12 150000 100000 120000") + bill("101 2026-03 100000 100000 100000")
                 + bill("101 2026-01 80000 80000 80000") + bill("101 2025-12 70000 70000 70000"));
    fixture.startShown();
    RentRoundPage *page = Form1->rentRoundPage;
    Form1->PageControl1->setCurrentWidget(page);
    IncomeChart *chart = page->incomeChart;
    // The bars and the line hold the ledger's figures, oldest month first.
    QCOMPARE(chart->rentBars->count(), 12);
    QCOMPARE(chart->rentBars->at(11), 1000.0);
    QCOMPARE(chart->otherBars->at(11), 200.0);
    auto *due = qobject_cast<QLineSeries *>(chart->chartView->chart()->series().at(1));
    QVERIFY(due);
    QCOMPARE(due->count(), 12);
    QCOMPARE(due->at(11), QPointF(11, 1500));
    QCOMPARE(chart->yearCollectedLabel->text(), "3,000.00 元");
    QCOMPARE(chart->yearOutstandingLabel->text(), "300.00 元");
    QCOMPARE(chart->occupancyLabel->text(), "100.0%（1/1 间）");
    QCOMPARE(chart->monthText(11), "2026年12月\n应收：1,500.00 元\n已收：1,200.00 元\n　租金：1,000.00 元\n"
                                   "　水电及其他：200.00 元\n未收：300.00 元");

    // Resting on December's bar shows its figures; beside the bars, nothing.
    QChart *drawn = chart->chartView->chart();
    for (const auto &[value, month] : {std::pair(QPointF(11, 500), 11), std::pair(QPointF(11.4, 500), -1),
                                       std::pair(QPointF(5, 500), -1), std::pair(QPointF(2, 900), 2)}) {
        const QPoint at = chart->chartView->mapFromScene(drawn->mapToPosition(value, drawn->series().at(0)));
        QHelpEvent help(QEvent::ToolTip, at, chart->chartView->viewport()->mapToGlobal(at));
        QApplication::sendEvent(chart->chartView->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), chart->monthText(month));
    }

    // Saved through the file dialog: a whole PNG of the chart.
    const QString path = fixture.directory() + "收入.png";
    const QList<SeenBox> boxes = runAnsweringBoxes([&] { QTest::mouseClick(chart->saveImageButton, Qt::LeftButton); },
                                                   {path});
    QCOMPARE(messageTexts(boxes).value(1), "已把图表存为“" + path + "”。");
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.read().size(), chart->chartView->size());
    QVERIFY(!QFile::exists(fixture.directory() + ".收入.png.part"));
    // A folder that is not there: said, and no file left.
    const QString nowhere = fixture.directory() + "没有/收入.png";
    QVERIFY(!chart->savePng(nowhere).isEmpty());
    QVERIFY(!QFile::exists(nowhere));
}

QTEST_MAIN(TestRooms)
#include "tst_rooms.moc"
