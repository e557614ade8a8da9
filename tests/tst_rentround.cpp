// SPDX-License-Identifier: GPL-3.0-or-later
// A month's rent round through the real page 收租 on a real file: prices and
// fees, two months of meter readings, the bills, a payment and its
// cancelling, a rent typed in, the tenants who owe, the export, and the
// bills through a backup and its restore; bad input refused. (The start-up
// reminder of the tenants who owe is tried in tst_register.)
#include "db/ADOConnection.h"
#include "ledger/BillListModel.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MeterReadingModel.h"
#include "platform/ProgramClock.h"
#include "support/RegisterFixture.h"
#include "ui/ArrearsDialog.h"
#include "ui/BillDetailDialog.h"
#include "ui/LedgerSettingsDialog.h"
#include "ui/MeterReadingDialog.h"
#include "ui/PaymentDialog.h"
#include "ui/ShortInputDialog.h"
#include "ui/TenantSummary.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

namespace {

// Keys as a user types them into whatever has the focus in `window`; "\n"
// is Enter.
void typeKeys(QWidget *window, const QString &keys)
{
    for (const QChar key : keys) {
        QWidget *focus = window->focusWidget();
        QVERIFY(focus);
        if (key == QLatin1Char('\n')) {
            QTest::keyClick(focus, Qt::Key_Return);
        } else if (key.unicode() < 128) {
            QTest::keyClicks(focus, QString(key));
        } else {
            // Chinese comes through the input method.
            QInputMethodEvent typed;
            typed.setCommitString(QString(key));
            QApplication::sendEvent(focus, &typed);
        }
    }
}

// Clicks the cell of `table` at `row`, `column`.
void clickCell(QTableView *table, int row, int column = 0, bool twice = false)
{
    const QPoint place = table->visualRect(table->model()->index(row, column)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, place);
    if (twice)
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, place);
}

// Types the readings of one meter, room after room, from the first row.
DialogWork readMeters(int column, const QString &keys, QString *sheetUsage = nullptr)
{
    return [=](QDialog *dialog) {
        auto *meters = shown<MeterReadingDialog>(dialog);
        QVERIFY(meters);
        clickCell(meters->readingTable, 0, column);
        typeKeys(meters, keys);
        if (sheetUsage) {
            for (int row = 0; row < meters->model()->rowCount(); ++row)
                *sheetUsage += meters->model()->index(row, column + 1).data().toString() + QLatin1Char(' ');
        }
        QTest::mouseClick(meters->closeButton, Qt::LeftButton);
    };
}

QString billRows(const QString &path)
{
    QStringList rows;
    for (const QStringList &row : sqlRows(path, "select tenant_name, rent_fen, water_fen, electricity_fen, other_fen,"
                                                " total_fen, paid_fen from ledger_bill order by room"))
        rows << row.join(' ');
    return rows.join('|');
}

} // namespace

class TestRentRound : public QObject {
    Q_OBJECT
private slots:
    void aMonthThroughThePage();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
};

void TestRentRound::aMonthThroughThePage()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000"}, {"李娜", "102", "面议"},
                            {"张敏", "103", "800", "", "2026/1/1", "2026/11/30"}, {"刘洋", "104", "1200"}});
    // 李娜's rent text is reported at every full listing, as the register does.
    QCOMPARE(messageTexts(fixture.startProgram()), QStringList{"'面议' is not a valid integer value."});
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    const QString file = fixture.databasePath();
    RentRoundPage *page = Form1->rentRoundPage;
    QTabBar *tabs = Form1->PageControl1->tabBar();
    QCOMPARE(tabs->tabText(Form1->PageControl1->indexOf(page)), "收租");
    QCOMPARE(Form1->PageControl1->indexOf(page), Form1->PageControl1->indexOf(Form1->TabSheet3) + 1);
    QCOMPARE(Form1->PageControl1->currentWidget(), Form1->TabSheet1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(Form1->PageControl1->indexOf(page)).center());
    QCOMPARE(page->tenantSummary->tenantCountLabel->text(), "4 个");
    QCOMPARE(page->monthEdit->text(), "2026年12月");

    // Prices from December (a price of 0 asks, and No keeps it out), a fee
    // for every room.
    auto boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->ledgerSettingsButton, Qt::LeftButton); }, {"&No"},
                                   {[](QDialog *dialog) {
                                       auto *settings = shown<LedgerSettingsDialog>(dialog);
                                       settings->priceEdit->setFocus();
                                       typeKeys(settings, "3.5\n");
                                       QTest::keyClick(settings->priceMeterBox, Qt::Key_Down);
                                       settings->priceEdit->setFocus();
                                       typeKeys(settings, "0\n");
                                       settings->priceEdit->clear();
                                       typeKeys(settings, "0.8\n");
                                       settings->feeAmountEdit->setFocus();
                                       typeKeys(settings, "50\n");
                                       QTest::mouseClick(settings->closeButton, Qt::LeftButton);
                                   }});
    QCOMPARE(messageTexts(boxes).value(1), "2026年12月起的电费单价为 0 元，这些月份将不收电费。确定吗？");
    QCOMPARE(fixture.rows("select meter, from_month, unit_fen from ledger_price order by id"),
             (QList<QStringList>{{"water", "2026-12", "350"}, {"electricity", "2026-12", "80"}}));
    QCOMPARE(fixture.rows("select name, room, from_month, monthly_fen from ledger_fee"),
             (QList<QStringList>{{"管理费", "", "2026-12", "5000"}}));

    // November's readings start the meters; Enter goes down the rooms.
    QTest::mouseClick(page->previousMonthButton, Qt::LeftButton);
    QCOMPARE(page->month(), LedgerMonth(2026, 11));
    QVERIFY(runAnsweringBoxes([&] { QTest::mouseClick(page->meterReadingButton, Qt::LeftButton); }, {},
                              {readMeters(MeterReadingModel::WaterCurrent, "100\n200\n300\n400\n")})
                .size() == 1);
    runAnsweringBoxes([&] { QTest::mouseClick(page->meterReadingButton, Qt::LeftButton); }, {},
                      {readMeters(MeterReadingModel::ElectricityCurrent, "1000\n2000\n")});
    QCOMPARE(fixture.rows("select room, meter, reading, new_start from ledger_reading r join ledger_room o on o.id = r.room_id"
                          " where month = '2026-11' order by meter desc, room"),
             (QList<QStringList>{{"101", "water", "10000", "1"}, {"102", "water", "20000", "1"}, {"103", "water", "30000", "1"},
                                 {"104", "water", "40000", "1"}, {"101", "electricity", "100000", "1"},
                                 {"102", "electricity", "200000", "1"}}));

    // December: 张敏 has left. A reading below the last one was mistyped,
    // or the meter was replaced.
    QTest::mouseClick(page->nextMonthButton, Qt::LeftButton);
    QString usage;
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->meterReadingButton, Qt::LeftButton); }, {"输错了"},
                              {readMeters(MeterReadingModel::WaterCurrent, "112.5\n205\n50\n412\n", &usage)});
    QCOMPARE(usage, "12.5 5 12 ");
    QCOMPARE(boxes.value(1).buttons, (QStringList{"换了新表", "输错了"}));
    QVERIFY(boxes.value(1).text.startsWith("104 的本次水表读数 50 比上次（2026年11月）的 400 小。"));
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->meterReadingButton, Qt::LeftButton); }, {"换了新表"},
                              {readMeters(MeterReadingModel::ElectricityCurrent, "1100\n5\n")});
    QCOMPARE(fixture.rows("select room, meter, reading, new_start from ledger_reading r join ledger_room o on o.id = r.room_id"
                          " where month = '2026-12' order by meter desc, room"),
             (QList<QStringList>{{"101", "water", "11250", "0"}, {"102", "water", "20500", "0"}, {"104", "water", "41200", "0"},
                                 {"101", "electricity", "110000", "0"}, {"102", "electricity", "500", "1"}}));

    // The bills: rent, water and electricity at the prices, the fee; 李娜's
    // rent waits to be typed.
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->generateBillsButton, Qt::LeftButton); }, {"&Yes"});
    QVERIFY(boxes.value(0).text.startsWith("为2026年12月生成账单：新建 3 份。"));
    QVERIFY(boxes.value(0).text.contains("1 位房客的租金不是整数金额"));
    QCOMPARE(billRows(file), "王伟 100000 4375 8000 5000 117375 0|李娜  1750 0 5000 6750 0|刘洋 120000 4200 0 5000 129200 0");
    QCOMPARE(page->billModel()->rowCount(), 3);
    QCOMPARE(page->billModel()->index(1, 9).data().toString(), "租金待填");
    QCOMPARE(page->monthTotalsLabel->text(),
             "2026年12月：3 份账单　应收 2,533.25 元　已收 0.00 元　未收 2,533.25 元（另有 1 份租金待填）");

    // A part payment by WeChat; then one past what is owed is refused.
    clickCell(page->billTable, 0);
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->recordPaymentButton, Qt::LeftButton); }, {},
                              {[](QDialog *dialog) {
                                  auto *payment = shown<PaymentDialog>(dialog);
                                  QCOMPARE(payment->amountEdit->text(), "1173.75");
                                  payment->amountEdit->setFocus();
                                  QTest::keyClick(payment->amountEdit, Qt::Key_A, Qt::ControlModifier);
                                  typeKeys(payment, "500");
                                  QTest::keyClick(payment->methodBox, Qt::Key_Down);
                                  QTest::mouseClick(payment->acceptPaymentButton, Qt::LeftButton);
                              }});
    QCOMPARE(fixture.rows("select bill_id, amount_fen, paid_on, method from ledger_payment"),
             (QList<QStringList>{{"1", "50000", "2026-12-09", "微信"}}));
    QCOMPARE(page->billModel()->index(0, 9).data().toString(), "部分");
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->recordPaymentButton, Qt::LeftButton); }, {},
                              {[](QDialog *dialog) {
                                  auto *payment = shown<PaymentDialog>(dialog);
                                  payment->amountEdit->setFocus();
                                  QTest::keyClick(payment->amountEdit, Qt::Key_A, Qt::ControlModifier);
                                  typeKeys(payment, "2000\n");
                                  QVERIFY(payment->isVisible());
                                  QTest::mouseClick(payment->cancelButton, Qt::LeftButton);
                              }});
    QCOMPARE(messageTexts(boxes).value(1), "收款金额 2,000.00 元超过了未收的 673.75 元。");
    QCOMPARE(fixture.rows("select count(*) from ledger_payment").value(0).value(0), "1");

    // 李娜's rent typed in; 王伟's payment cancelled with a reason.
    const auto inDetail = [&](int row, const std::function<void(BillDetailDialog *)> &work, const QString &typed) {
        return runAnsweringBoxes([&] { clickCell(page->billTable, row, 1, true); }, {},
                                 {[&](QDialog *dialog) {
                                      auto *detail = shown<BillDetailDialog>(dialog);
                                      work(detail);
                                      QTest::mouseClick(detail->closeButton, Qt::LeftButton);
                                  },
                                  [&](QDialog *dialog) {
                                      auto *input = shown<ShortInputDialog>(dialog);
                                      input->inputEdit->setFocus();
                                      QTest::keyClick(input->inputEdit, Qt::Key_A, Qt::ControlModifier);
                                      typeKeys(input, typed + "\n");
                                  }});
    };
    inDetail(1, [](BillDetailDialog *detail) { QTest::mouseClick(detail->enterRentButton, Qt::LeftButton); }, "1300");
    inDetail(0,
             [](BillDetailDialog *detail) {
                 clickCell(detail->paymentTable, 0);
                 QTest::mouseClick(detail->cancelPaymentButton, Qt::LeftButton);
                 QCOMPARE(detail->paymentTable->model()->index(0, 5).data().toString(), "作废：收错了");
             },
             "收错了");
    QCOMPARE(billRows(file), "王伟 100000 4375 8000 5000 117375 0|李娜 130000 1750 0 5000 136750 0|刘洋 120000 4200 0 5000 129200 0");
    QCOMPARE(fixture.rows("select amount_fen, cancel_reason, cancelled is not null from ledger_payment"),
             (QList<QStringList>{{"50000", "收错了", "1"}}));

    // Who owes, the largest debt first; its earliest month's bill on request.
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->arrearsButton, Qt::LeftButton); }, {},
                              {[](QDialog *dialog) {
                                  auto *arrears = shown<ArrearsDialog>(dialog);
                                  QCOMPARE(arrears->summaryLabel->text(), "共 3 位房客欠费，合计 3,833.25 元。");
                                  QCOMPARE(arrears->arrearsTable->model()->index(0, 0).data().toString(), "李娜");
                                  clickCell(arrears->arrearsTable, 1);
                                  QTest::mouseClick(arrears->showBillButton, Qt::LeftButton);
                              }});
    QCOMPARE(page->billModel()->rowAt(page->billTable->currentIndex().row()).tenantName, "刘洋");

    // The month's list as CSV.
    const QString exported = fixture.directory() + "/账单.csv";
    boxes = runAnsweringBoxes([&] { QTest::mouseClick(page->exportBillsButton, Qt::LeftButton); }, {exported});
    QCOMPARE(fileBytes(exported),
             QByteArray("\xEF\xBB\xBF房号,姓名,租金,水费,电费,其他,合计,已收,未收,状态\r\n"
                        "101,王伟,1000.00,43.75,80.00,50.00,1173.75,0.00,1173.75,未收\r\n"
                        "102,李娜,1300.00,17.50,0.00,50.00,1367.50,0.00,1367.50,未收\r\n"
                        "104,刘洋,1200.00,42.00,0.00,50.00,1292.00,0.00,1292.00,未收\r\n"));

    // The bills go into a backup and come back with its restore.
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    QTRY_VERIFY(!Form1->EditDATABAKNAME->text().isEmpty());
    const QString backup = Form1->EditDATABAKNAME->text() + ".mdb";
    QCOMPARE(messageTexts(press(Form1->Buttonbakdatabasa)), QStringList{"备份数据库,成功!"});
    QCOMPARE(billRows(fixture.directory() + "/" + backup), billRows(file));
    fixture.exec("delete from ledger_bill_line");
    fixture.exec("delete from ledger_bill");
    const auto found = Form1->restoreGroup->backupList->findItems(backup, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    Form1->restoreGroup->backupList->setCurrentItem(found.first());
    runAnsweringBoxes([] { QTest::mouseClick(Form1->restoreGroup->restoreButton, Qt::LeftButton); }, {"&Yes"});
    QCOMPARE(billRows(file), billRows(fixture.directory() + "/" + backup));
    Form1->PageControl1->setCurrentWidget(page);
    QCOMPARE(page->billModel()->rowCount(), 3);
}

void TestRentRound::badInputChangesNothing_data()
{
    QTest::addColumn<QString>("ledger");   // rows put into the ledger first ("" for none at all)
    QTest::addColumn<QString>("control");  // the page's button pressed
    QTest::addColumn<QString>("typed");    // keys typed in its dialog, if any
    QTest::addColumn<QString>("said");
    QTest::newRow("a month with no tenants") << "" << "generate" << ""
                                             << "2026年12月没有在租的房客，没有生成账单。";
    QTest::newRow("a usage without a price")
        << "insert into ledger_room (room, created) values ('101', '');"
           "insert into ledger_reading (room_id, meter, month, reading, entered) values (1, 'water', '2026-11', 100, ''),"
           " (1, 'water', '2026-12', 900, '')"
        << "generate" << "" << "2026年12月有用量，但还没有设置水费单价，没有生成账单。请先在“设置”中填写单价。";
    QTest::newRow("a reading that is no number") << "" << "read" << "12吨\n" << "读数“12吨”不是数字。";
    QTest::newRow("a reading with three decimals") << "" << "read" << "1.234\n" << "读数最多两位小数。";
    QTest::newRow("a negative price") << "" << "settings" << "-3\n" << "金额不能为负数。";
    QTest::newRow("a payment of nothing")
        << "insert into ledger_bill (month, tenant_id, tenant_name, room, rent_fen, water_fen, electricity_fen,"
           " other_fen, total_fen, created) values ('2026-12', 1, '王伟', '101', 100000, 0, 0, 0, 100000, '')"
        << "pay" << "0\n" << "收款金额必须大于 0。";
    QTest::newRow("a payment past what is owed")
        << "insert into ledger_bill (month, tenant_id, tenant_name, room, rent_fen, water_fen, electricity_fen,"
           " other_fen, total_fen, paid_fen, created) values ('2026-12', 1, '王伟', '101', 100000, 0, 0, 0, 100000, 99999, '')"
        << "pay" << "0.02\n" << "收款金额 0.02 元超过了未收的 0.01 元。";
}

void TestRentRound::badInputChangesNothing()
{
    QFETCH(QString, ledger);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.createRegister({{"王伟", "101", "1000", "", "2026/1/1", control == "generate" && ledger.isEmpty() ? "2026/11/30" : ""}});
    if (!ledger.isEmpty()) {
        TADOConnection connection;
        connection.setDatabaseFile(fixture.databasePath());
        LedgerWrite(connection, std::nullopt).commit();
        for (const QString &statement : ledger.split(';'))
            fixture.exec(statement);
    }
    fixture.startShown();
    RentRoundPage *page = Form1->rentRoundPage;
    Form1->PageControl1->setCurrentWidget(page);
    clickCell(page->billTable, 0);
    const QByteArray before = fileBytes(fixture.databasePath());

    QPushButton *button = control == "generate" ? page->generateBillsButton
        : control == "read"                     ? page->meterReadingButton
        : control == "settings"                 ? page->ledgerSettingsButton
                                                : page->recordPaymentButton;
    // Types into the dialog's first box, then closes it as it is.
    const DialogWork typeThenClose = [&](QDialog *dialog) {
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        if (auto *meters = qobject_cast<MeterReadingDialog *>(dialog))
            clickCell(meters->readingTable, 0, MeterReadingModel::WaterCurrent);
        else if (auto *settings = qobject_cast<LedgerSettingsDialog *>(dialog))
            settings->priceEdit->setFocus();
        else if (auto *payment = qobject_cast<PaymentDialog *>(dialog)) {
            payment->amountEdit->clear();
            payment->amountEdit->setFocus();
        }
        typeKeys(dialog, typed);
        QVERIFY(dialog->isVisible());  // still there to be corrected
        dialog->reject();
    };
    const QList<SeenBox> boxes = runAnsweringBoxes([&] { QTest::mouseClick(button, Qt::LeftButton); }, {},
                                                    typed.isEmpty() ? QList<DialogWork>{} : QList<DialogWork>{typeThenClose});
    QTEST(messageTexts(boxes).value(typed.isEmpty() ? 0 : 1), "said");
    QCOMPARE(fileBytes(fixture.databasePath()), before);
}

QTEST_MAIN(TestRentRound)
#include "tst_rentround.moc"
