// SPDX-License-Identifier: GPL-3.0-or-later
// Receipts, renewing and ending a lease on a real file: amounts in capital
// numerals, receipt numbers that are never given twice, the receipt's PDF
// read back with pdftotext, 续租 and 退租 through the real windows, and an
// earlier ledger upgraded by one write.
#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "ledger/BillGeneration.h"
#include "ledger/BillListModel.h"
#include "ledger/CapitalAmount.h"
#include "ledger/LeaseEnd.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerWrite.h"
#include "ledger/Payments.h"
#include "ledger/Receipts.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "support/RegisterFixture.h"
#include "ui/LeaseEndDialog.h"
#include "ui/LeaseRenewalDialog.h"
#include "ui/ReceiptPainter.h"
#include "ui/RentRoundPage.h"
#include "ui/Unit1.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

namespace {

TADOConnection &connection()
{
    return *Form1->ADOConnection1;
}

// The ledger made, with the prices and room 101's November readings (its
// meters' starts) and, for December's bills, its December readings (13 t,
// 51.25 kWh); then `month`'s bills generated.
void billMonth(RegisterFixture &fixture, const LedgerMonth &month)
{
    if (!ledgerExists(connection().handle())) {
        LedgerWrite(connection(), std::nullopt).commit();
        fixture.exec("insert into ledger_price (meter, from_month, unit_fen) values ('water', '2026-11', 350),"
                     " ('electricity', '2026-11', 80)");
        fixture.exec("insert into ledger_room (room, created) values ('101', ''), ('102', '')");
        fixture.exec("insert into ledger_reading (room_id, meter, month, reading, new_start, entered) values"
                     " (1, 'water', '2026-11', 10000, 1, ''), (1, 'electricity', '2026-11', 100000, 1, '')");
        if (month == LedgerMonth(2026, 12))
            fixture.exec("insert into ledger_reading (room_id, meter, month, reading, new_start, entered) values"
                         " (1, 'water', '2026-12', 11300, 0, ''), (1, 'electricity', '2026-12', 105125, 0, '')");
    }
    const RegionalFormats formats = regionalFormats();
    generateBills(connection(), previewBills(connection(), month, formats), formats);
}

std::vector<Payment> paymentsOf(qint64 bill)
{
    return readBill(connection().handle(), bill)->payments;
}

BillSummary billOfTenant(qint64 tenant, const LedgerMonth &month)
{
    for (const BillSummary &bill : readMonthBills(connection().handle(), true, month))
        if (bill.tenantId == tenant)
            return bill;
    qFatal("no bill");
}

QString pdfText(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class TestReceipts : public QObject {
    Q_OBJECT
private slots:
    void capitalNumerals_data();
    void capitalNumerals();
    void receiptNumbersAreNeverGivenTwice();
    void anEarlierLedgerIsUpgradedInOneWrite();
    void receiptPdfHoldsItsText();
    void renewalMovesTheExpiryOfTheShownRow_data();
    void renewalMovesTheExpiryOfTheShownRow();
    void finalRent_data();
    void finalRent();
    void endingALeaseKeepsTheLedger();
    void aRowChangedMeanwhileIsNeitherRenewedNorEnded();
};

void TestReceipts::capitalNumerals_data()
{
    QTest::addColumn<qint64>("fen");
    QTest::addColumn<QString>("capital");
    QTest::newRow("0") << qint64(0) << "零元整";
    QTest::newRow("0.05") << qint64(5) << "伍分";
    QTest::newRow("0.50") << qint64(50) << "伍角整";
    QTest::newRow("0.55") << qint64(55) << "伍角伍分";
    QTest::newRow("10.00") << qint64(1000) << "壹拾元整";
    QTest::newRow("10.50") << qint64(1050) << "壹拾元零伍角整";
    QTest::newRow("1,005.00") << qint64(100500) << "壹仟零伍元整";
    QTest::newRow("1,586.50") << qint64(158650) << "壹仟伍佰捌拾陆元伍角整";
    QTest::newRow("1,600.05") << qint64(160005) << "壹仟陆佰元零伍分";
    QTest::newRow("10,010.05") << qint64(1001005) << "壹万零壹拾元零伍分";
    QTest::newRow("100,000.00") << qint64(10000000) << "壹拾万元整";
    QTest::newRow("1,000,000.10") << qint64(100000010) << "壹佰万元零壹角整";
    QTest::newRow("10,000,005.00") << qint64(1000000500) << "壹仟万零伍元整";
    QTest::newRow("100,000,000.00") << qint64(10000000000) << "壹亿元整";
    QTest::newRow("100,010,000.00") << qint64(10001000000) << "壹亿零壹万元整";
    QTest::newRow("120,003,400.99") << qint64(12000340099) << "壹亿贰仟万叁仟肆佰元零玖角玖分";
}

void TestReceipts::capitalNumerals()
{
    QFETCH(qint64, fen);
    QTEST(capitalAmountText(fen), "capital");
}

void TestReceipts::receiptNumbersAreNeverGivenTwice()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000"}, {"李娜", "102", "800"}});
    fixture.startShown();
    billMonth(fixture, LedgerMonth(2026, 11));
    const BillSummary wang = billOfTenant(1, LedgerMonth(2026, 11));
    recordPayment(connection(), connection().generation(), wang, 40000, QDate(2026, 12, 9), "现金", "");
    recordPayment(connection(), connection().generation(), billOfTenant(1, LedgerMonth(2026, 11)), 60000,
                  QDate(2026, 12, 9), "微信", "");
    const std::vector<Payment> payments = paymentsOf(wang.id);

    QCOMPARE(issueReceipt(connection(), connection().generation(), payments[0]).number, 2026120001);
    const Receipt second = issueReceipt(connection(), connection().generation(), payments[1]);
    QCOMPARE(second.number, 2026120002);
    QVERIFY(!second.reprint());
    const Receipt again = issueReceipt(connection(), connection().generation(), payments[0]);
    QCOMPARE(again.number, 2026120001);
    QVERIFY(again.reprint());

    // A new month starts its count; the earlier numbers stay with their payments.
    setCurrentLocalDateTime(QDateTime(QDate(2027, 1, 2), QTime(9, 0)));
    recordPayment(connection(), connection().generation(), billOfTenant(2, LedgerMonth(2026, 11)), 80000,
                  QDate(2027, 1, 2), "现金", "");
    const Payment li = paymentsOf(billOfTenant(2, LedgerMonth(2026, 11)).id).front();
    QCOMPARE(issueReceipt(connection(), connection().generation(), li).number, 2027010001);

    // A cancelled payment's receipt says so; the payment as shown before the
    // cancelling is refused, nothing counted.
    cancelPayment(connection(), connection().generation(), billOfTenant(1, LedgerMonth(2026, 11)), payments[1], "收错了");
    QVERIFY_THROWS_EXCEPTION(AppError, issueReceipt(connection(), connection().generation(), payments[1]));
    const Receipt cancelled = issueReceipt(connection(), connection().generation(), paymentsOf(wang.id)[1]);
    QVERIFY(cancelled.cancelled);
    QCOMPARE(cancelled.cancelReason, "收错了");
    QCOMPARE(fixture.rows("select number, payment_id, printed from ledger_receipt order by number"),
             (QList<QStringList>{{"2026120001", "1", "2"}, {"2026120002", "2", "2"}, {"2027010001", "3", "1"}}));
}

void TestReceipts::anEarlierLedgerIsUpgradedInOneWrite()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000"}});
    // The ledger as the program made it before receipts: the first part of its schema.
    QFile schema(":/ledger.sql");
    QVERIFY(schema.open(QIODevice::ReadOnly));
    const QByteArray first = QString::fromUtf8(schema.readAll()).section("\n-- upgrade 2\n", 0, 0).toUtf8();
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(fixture.databasePath().toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, first.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    fixture.startShown();
    QCOMPARE(ledgerVersion(connection().handle()), 1);
    billMonth(fixture, LedgerMonth(2026, 12));
    QCOMPARE(ledgerVersion(connection().handle()), 2);
    QCOMPARE(fixture.rows("select name from sqlite_master where name in ('ledger_receipt', 'ledger_setting',"
                          " 'ledger_rent_change', 'ledger_settlement') order by name"),
             (QList<QStringList>{{"ledger_receipt"}, {"ledger_rent_change"}, {"ledger_setting"}, {"ledger_settlement"}}));
}

void TestReceipts::receiptPdfHoldsItsText()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1500"}});
    fixture.startShown();
    billMonth(fixture, LedgerMonth(2026, 12));
    const BillSummary bill = billOfTenant(1, LedgerMonth(2026, 12));
    QCOMPARE(bill.total, 158650);  // 1,500 + 45.50 + 41.00
    recordPayment(connection(), connection().generation(), bill, bill.total, QDate(2026, 12, 9), "微信", "");
    fixture.exec("insert into ledger_setting (name, value) values ('payee', '张三')");
    const Payment payment = paymentsOf(bill.id).front();
    Receipt receipt = issueReceipt(connection(), connection().generation(), payment);
    const QString path = fixture.directory() + "/收据.pdf";
    QCOMPARE(saveReceiptPdf(receipt, path), QString());
    QString text = pdfText(path);
    for (const QString expected : {"收据", "2026120001", "今收到 王伟（101 房）", "交来 2026 年 12 月 房租、水费、电费",
                                    "¥1,586.50", "人民币壹仟伍佰捌拾陆元伍角整", "微信", "张三", "第一联", "第二联"})
        QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
    QVERIFY(!text.contains("补打"));
    receipt = issueReceipt(connection(), connection().generation(), payment);
    QCOMPARE(saveReceiptPdf(receipt, path), QString());
    QVERIFY(pdfText(path).contains("补打"));
    // Where the folder cannot be written, the failure is said and no file left.
    QVERIFY(!saveReceiptPdf(receipt, fixture.directory() + "/无此目录/收据.pdf").isEmpty());
}

void TestReceipts::renewalMovesTheExpiryOfTheShownRow_data()
{
    QTest::addColumn<QString>("expiry");
    QTest::addColumn<QString>("choice");  // months, or "date"
    QTest::addColumn<QString>("written"); // the new 到期日期, or the error
    QTest::newRow("1/31 + 1") << "2027/1/31" << "1" << "2027/2/28";
    QTest::newRow("leap year") << "2028/1/31" << "1" << "2028/2/29";
    QTest::newRow("+3") << "2026/12/31" << "3" << "2027/3/31";
    QTest::newRow("+6 to February") << "2026/8/31" << "6" << "2027/2/28";
    QTest::newRow("+12") << "2026/12/9" << "12" << "2027/12/9";
    QTest::newRow("written in Chinese") << "2026年12月31日" << "1" << "2027/1/31";
    QTest::newRow("chosen date") << "2026/12/31" << "date" << "2027/6/30";
    QTest::newRow("unreadable, months") << "明年" << "1" << "现在的到期日期无法识别，请选择“续至”的日期.";
    QTest::newRow("chosen date before") << "2026/12/31" << "2026/6/30" << "新的到期日期要晚于现在的到期日期.";
    // From the page 收租's bill menu, with no bill chosen: the record shown.
    QTest::newRow("from the page") << "2026/12/9" << "page" << "2027/12/9";
}

void TestReceipts::renewalMovesTheExpiryOfTheShownRow()
{
    QFETCH(QString, expiry);
    QFETCH(QString, choice);
    QFETCH(QString, written);
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"李娜", "102", "800", "500", "2026/1/1", "2027/3/1", "", "2026/1/1 8:00:00"},
                            {"王伟", "101", "1000", "2000", "2026/1/1", expiry, "备注", "2026/1/1 8:00:00"}});
    fixture.startShown();
    const QList<QStringList> before = fixture.rows("select * from data order by ID");
    Form1->ADOQuery1->setRecNo(1);
    QAction *renew = choice == "page" ? Form1->rentRoundPage->renewLeaseAction : Form1->renewLeaseAction;
    const auto boxes = runAnsweringBoxes([renew] { renew->trigger(); }, {},
                                         {[&](QDialog *dialog) {
                                             auto *renewal = qobject_cast<LeaseRenewalDialog *>(dialog);
                                             QVERIFY(renewal);
                                             if (choice == "1")
                                                 QTest::mouseClick(renewal->oneMonthButton, Qt::LeftButton);
                                             else if (choice == "3")
                                                 QTest::mouseClick(renewal->threeMonthsButton, Qt::LeftButton);
                                             else if (choice == "6")
                                                 QTest::mouseClick(renewal->sixMonthsButton, Qt::LeftButton);
                                             else if (choice == "date")
                                                 renewal->chosenDateEdit->setDate(QDate(2027, 6, 30));
                                             else if (choice != "12" && choice != "page")
                                                 renewal->chosenDateEdit->setDate(QDate::fromString(choice, "yyyy/M/d"));
                                             QTest::mouseClick(renewal->renewButton, Qt::LeftButton);
                                             if (renewal->isVisible())
                                                 renewal->reject();
                                         }});
    QList<QStringList> after = before;
    if (written.contains("/")) {
        after[1][6] = written;
        after[1][8] = "2026/12/09 10:30:00";
    } else {
        QCOMPARE(messageTexts(boxes).value(1), written);
    }
    QCOMPARE(fixture.rows("select * from data order by ID"), after);
}

void TestReceipts::finalRent_data()
{
    QTest::addColumn<qint64>("rent");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("byDays");
    QTest::addColumn<qint64>("charged");
    QTest::newRow("15 of 31 days") << qint64(100000) << QDate(2026, 12, 15) << true << qint64(48387);
    QTest::newRow("half a fen up") << qint64(99999) << QDate(2026, 12, 1) << true << qint64(3226);
    QTest::newRow("14 of 28 days") << qint64(100000) << QDate(2027, 2, 14) << true << qint64(50000);
    QTest::newRow("last day") << qint64(100000) << QDate(2028, 2, 29) << true << qint64(100000);
    QTest::newRow("whole month") << qint64(100000) << QDate(2026, 12, 1) << false << qint64(100000);
}

void TestReceipts::finalRent()
{
    QFETCH(qint64, rent);
    QFETCH(QDate, day);
    QFETCH(bool, byDays);
    QTEST(::finalRent(rent, day, byDays), "charged");
}

void TestReceipts::endingALeaseKeepsTheLedger()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 15), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000", "2000"}, {"李娜", "102", "800", "500"}});
    fixture.startShown();
    billMonth(fixture, LedgerMonth(2026, 11));
    Form1->ADOQuery1->setRecNo(0);
    QString summary, refused;
    const auto boxes = runAnsweringBoxes([] { Form1->endLeaseAction->trigger(); }, {"&Yes"},
                                         {[&](QDialog *dialog) {
                                             auto *end = qobject_cast<LeaseEndDialog *>(dialog);
                                             QVERIFY(end);
                                             QCOMPARE(end->monthlyRentEdit->text(), "1000");
                                             QCOMPARE(end->depositEdit->text(), "2000");
                                             end->finalWaterEdit->setText("110");
                                             end->finalElectricityEdit->setText("1050");
                                             end->keptEdit->setText("3000");
                                             refused = end->summaryLabel->text();
                                             QVERIFY(!end->endLeaseButton->isEnabled());
                                             end->keptEdit->setText("300");
                                             end->keptReasonEdit->setText("墙面修补");
                                             summary = end->summaryLabel->text();
                                             QTest::mouseClick(end->endLeaseButton, Qt::LeftButton);
                                         }});
    QCOMPARE(refused, "扣留的押金不能超过押金");
    // 15 of 31 days' rent, 10 t of water at 3.50, 50 kWh at 0.80; November's
    // 1,000 still owed; 2,000 less 300 kept less 1,558.87 owed.
    QVERIFY2(summary.contains("房租（15天） 483.87 元，水费 35.00 元，电费 40.00 元，合计 558.87 元"), qPrintable(summary));
    QVERIFY2(summary.contains("结余：应退还房客 141.13 元。"), qPrintable(summary));
    QVERIFY(messageTexts(boxes).value(1).startsWith("为 王伟（101） 办理退租（2026/12/15）？"));
    QCOMPARE(firstColumn(fixture.rows("select 姓名 from data")), QStringList{"李娜"});
    QCOMPARE(fixture.rows("select tenant_id, tenant_name, room, moved_out, period_from, period_to, by_days, deposit_fen,"
                          " kept_fen, kept_reason, owed_fen, balance_fen from ledger_settlement"),
             (QList<QStringList>{{"1", "王伟", "101", "2026-12-15", "2026-12-01", "2026-12-15", "1", "200000", "30000",
                                  "墙面修补", "155887", "14113"}}));
    QCOMPARE(fixture.rows("select month, kind, tenant_name, total_fen from ledger_bill where tenant_id = 1 order by id"),
             (QList<QStringList>{{"2026-11", "month", "王伟", "100000"}, {"2026-12", "final", "王伟", "55887"}}));
    QCOMPARE(fixture.rows("select meter, reading from ledger_reading where room_id = 1 and month = '2026-12' order by meter"),
             (QList<QStringList>{{"electricity", "105000"}, {"water", "11000"}}));
    // The page lists the final bill in its month, to be paid as any other.
    Form1->rentRoundPage->showMonth(LedgerMonth(2026, 12));
    QCOMPARE(Form1->rentRoundPage->billModel()->index(0, 1).data().toString(), "王伟（退租）");
    QCOMPARE(Form1->rentRoundPage->billModel()->index(0, 6).data().toString(), "558.87");
    // November's bills made again keep the bill of the lease that ended.
    billMonth(fixture, LedgerMonth(2026, 11));
    QCOMPARE(fixture.rows("select count(*) from ledger_bill where tenant_id = 1").value(0).value(0), "2");
}

void TestReceipts::aRowChangedMeanwhileIsNeitherRenewedNorEnded()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 15), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000", "2000", "2026/1/1", "2027/1/31"}});
    fixture.startShown();
    const QString changed = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    // Another program changes the row while the window is open.
    Form1->ADOQuery1->setRecNo(0);
    auto boxes = runAnsweringBoxes([] { Form1->renewLeaseAction->trigger(); }, {},
                                   {[&](QDialog *dialog) {
                                       auto *renewal = qobject_cast<LeaseRenewalDialog *>(dialog);
                                       fixture.exec("update data set 备注 = '另一个程序' where ID = 1");
                                       QTest::mouseClick(renewal->renewButton, Qt::LeftButton);
                                       if (renewal->isVisible())
                                           renewal->reject();
                                   }});
    QCOMPARE(messageTexts(boxes).value(1), changed);
    QCOMPARE(fixture.rows("select 到期日期, 编辑时间 from data"), (QList<QStringList>{{"2027/1/31", ""}}));

    // The delete refused after the settlement was written: the record stays,
    // and 退租 again replaces the settlement and its final bill.
    const auto endLease = [&](const std::function<void()> &meanwhile) {
        Form1->Buttonre->click();
        Form1->ADOQuery1->setRecNo(0);
        return runAnsweringBoxes([] { Form1->endLeaseAction->trigger(); }, {"&Yes"},
                                 {[&](QDialog *dialog) {
                                     auto *end = qobject_cast<LeaseEndDialog *>(dialog);
                                     meanwhile();
                                     QTest::mouseClick(end->endLeaseButton, Qt::LeftButton);
                                     if (end->isVisible())
                                         end->reject();
                                 }});
    };
    boxes = endLease([&] { fixture.exec("update data set 备注 = '又改了' where ID = 1"); });
    QCOMPARE(messageTexts(boxes).value(2), changed);
    QCOMPARE(fixture.count(), 1);
    QCOMPARE(fixture.rows("select count(*) from ledger_settlement").value(0).value(0), "1");
    boxes = endLease([] {});
    QVERIFY2(boxes.size() == 2, qPrintable(messageTexts(boxes).join(" / ")));
    QCOMPARE(fixture.count(), 0);
    QCOMPARE(fixture.rows("select s.tenant_name, s.owed_fen, b.kind, b.total_fen from ledger_settlement s"
                          " join ledger_bill b on b.id = s.final_bill_id"),
             (QList<QStringList>{{"王伟", "48387", "final", "48387"}}));
    QCOMPARE(fixture.rows("select count(*) from ledger_bill").value(0).value(0), "1");
}

QTEST_MAIN(TestReceipts)
#include "tst_receipts.moc"
