// SPDX-License-Identifier: GPL-3.0-or-later
// The record list and its full refresh, through the real main window.
#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/PlainAmount.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"
#include "register/IntegerText.h"
#include "register/TenantSearch.h"
#include "register/TextList.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"

#include <QAbstractItemModelTester>
#include <QTest>

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void fullRefreshListsSumsAndEndsOnTheLastRow();
    void invalidRentIsReportedAtEveryRefresh();
    void rentWalkOverThousandsOfRows_data();
    void rentWalkOverThousandsOfRows();
    void emptyTable();
    void tenColumnTableKeepsDefaultWidth();
    void fewerThanNineColumns();
    void cellClickShowsCellText();
    void integerConversion_data();
    void integerConversion();
    void listingsWorkOnTheControlsGiven_data();
    void listingsWorkOnTheControlsGiven();
    void figuresOfARegisterWithOddAmounts();
    void figuresKeepTheLastSumThatFits();
    void startUpReminder_data();
    void startUpReminder();
};

void TestRegister::fullRefreshListsSumsAndEndsOnTheLastRow()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1", " 500 "}, {"乙", "2", "0"}, {"丙", "3", ""}});
    fixture.exec("insert into data (姓名, 租金) values ('丁', NULL)");
    QVERIFY(fixture.startProgram().isEmpty());
    QAbstractItemModelTester rentListTester(Form1->ListBoxtjzhichu->model(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), (QStringList{"500", "0"}));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("500"));
    QVERIFY(!Form1->GroupBox3->isVisibleTo(Form1));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 4 个记录"));
    QCOMPARE(columnWidths(), listColumnWidths);
    // The rent walk ends on the last row with the end-of-rows flag set.
    QCOMPARE(Form1->ADOQuery1->RecNo(), 3);
    QVERIFY(Form1->ADOQuery1->Eof());
    QCOMPARE(Form1->DBGrid1->currentIndex().row(), 3);

    // 刷新 reads the table again and clears the message panel.
    fixture.addTenant({"戊", "5", "200"});
    fixture.exec("update data set 租金 = '150' where 姓名 = '甲'");
    Form1->StatusBar1->setPanelText(4, "甲添加成功!");
    QVERIFY(press(Form1->Buttonre).isEmpty());
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), (QStringList{"150", "0", "200"}));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("350"));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 5 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
    QCOMPARE(Form1->ADOQuery1->FieldAsText("姓名"), QStringLiteral("戊"));
}

void TestRegister::invalidRentIsReportedAtEveryRefresh()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1", "300"}, {"乙", "2", "1,200"}, {"丙", "3", "100"}});
    const auto boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Larkhaven"));
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(boxes.first().text, QStringLiteral("'1,200' is not a valid integer value."));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("300"));  // the sum before the bad entry
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 3 个记录"));

    Form1->StatusBar1->setPanelText(4, "before");
    QCOMPARE(messageTexts(press(Form1->Buttonre)), QStringList{"'1,200' is not a valid integer value."});
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    // The handler stopped at the error: the message panel keeps its text.
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
}

void TestRegister::rentWalkOverThousandsOfRows_data()
{
    QTest::addColumn<QString>("rent5000");  // the rent of row 5000 of 6000; empty: like the others
    QTest::addColumn<QString>("entry5000");
    QTest::newRow("whole numbers") << QString() << QString();
    // The blanks around it are trimmed, the ideographic space is not.
    QTest::newRow("ideographic space far down the list") << QStringLiteral("\t\u3000500 ")
                                                         << QStringLiteral("\u3000500");
}

// The rent walk over rows held in many blocks of memory: every trimmed rent
// in row order, the total, and at a rent that is no whole number its error
// with the sum of the rents before it.
void TestRegister::rentWalkOverThousandsOfRows()
{
    QFETCH(QString, rent5000);
    QFETCH(QString, entry5000);
    RegisterFixture fixture;
    fixture.createRegister();
    // Rents by row i: tab, i, blank, CR LF; NULL; blanks only; "+" and i.
    fixture.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 6000) "
                 "insert into data (姓名, 租金, 备注) select '租客' || i, "
                 "case i % 4 when 0 then char(9) || i || char(32, 13, 10) when 1 then null "
                 "when 2 then '  ' else '+' || i end, substr(hex(zeroblob(60)), 1, i % 120) from n");
    if (!rent5000.isEmpty())
        fixture.exec("update data set 租金 = ?1 where 姓名 = '租客5000'", {rent5000});

    QStringList rents;
    qint64 total = 0;
    for (int i = 1; i <= 6000; ++i) {
        if (i == 5000 && !rent5000.isEmpty()) {
            rents << entry5000;
            continue;
        }
        if (i % 4 == 0 || i % 4 == 3)
            rents << (i % 4 == 0 ? QString::number(i) : QStringLiteral("+%1").arg(i));
        if ((i % 4 == 0 || i % 4 == 3) && (rent5000.isEmpty() || i < 5000))
            total += i;
    }
    const QStringList errors = messageTexts(fixture.startProgram());
    QCOMPARE(errors, rent5000.isEmpty() ? QStringList()
                                        : QStringList{QStringLiteral("'%1' is not a valid integer value.").arg(entry5000)});
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), rents);
    QCOMPARE(Form1->Edittjzhichu->text(), QString::number(total));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 6000 个记录"));
    QCOMPARE(Form1->ADOQuery1->RecNo(), 5999);
    QVERIFY(Form1->ADOQuery1->Eof());
}

void TestRegister::emptyTable()
{
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 0 个记录"));
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(columnWidths(), listColumnWidths);
    QVERIFY(Form1->ListBoxtjzhichu->Items().isEmpty());
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("0"));
    QVERIFY(!Form1->DBGrid1->currentIndex().isValid());
}

void TestRegister::tenColumnTableKeepsDefaultWidth()
{
    RegisterFixture fixture;
    fixture.createRegisterWith("create table data (ID integer primary key, 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间, 电话)");
    fixture.exec("insert into data (姓名, 租金, 电话) values ('甲', '100', '555')");
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(columnWidths().mid(0, 9), listColumnWidths);
    QCOMPARE(Form1->DBGrid1->columnWidth(9), Form1->DBGrid1->horizontalHeader()->defaultSectionSize());
}

void TestRegister::fewerThanNineColumns()
{
    RegisterFixture fixture;
    fixture.createRegisterWith("create table data (ID integer primary key, 姓名, 租金)");
    fixture.exec("insert into data (姓名, 租金) values ('甲', '100')");
    QCOMPARE(messageTexts(fixture.startProgram()), QStringList{"Argument out of range."});
    // The count text stands; the walk and the total did not run.
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 1 个记录"));
    QVERIFY(Form1->ListBoxtjzhichu->Items().isEmpty());
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("0"));
    QCOMPARE(Form1->DataSource1->rowCount(), 1);
}

void TestRegister::cellClickShowsCellText()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "100", "", "", "", "联系电话：123"}});
    fixture.exec("insert into data (姓名) values ('乙')");
    fixture.startShown();
    TDBGrid *grid = Form1->DBGrid1;
    auto clickCell = [grid](int row, int column) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, gridPoint(row, column));
    };
    clickCell(0, 7);
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("联系电话：123"));
    QCOMPARE(Form1->ADOQuery1->RecNo(), 0);
    clickCell(1, 2);  // NULL room
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
    Form1->StatusBar1->setPanelText(4, "kept");
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid->columnViewportPosition(1) + 5, 5));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("kept"));
}

// The three rules an amount meets: the list procedures' conversion (the
// first version's, with its range, hexadecimal forms and error text), the
// plain amount the totals add, and the plain amount as written, which the
// export writes as a number.
void TestRegister::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("summed");
    QTest::addColumn<bool>("asWritten");
    QTest::newRow("plain") << "500" << true << 500 << true << true;
    QTest::newRow("signed") << "-42" << true << -42 << true << true;
    QTest::newRow("plus") << "+7" << true << 7 << true << false;
    QTest::newRow("leading zero") << "0500" << true << 500 << true << false;
    QTest::newRow("minus zero") << "-0" << true << 0 << true << false;
    QTest::newRow("dollar hex") << "$1F" << true << 31 << false << false;
    QTest::newRow("x hex") << "x10" << true << 16 << false << false;
    QTest::newRow("0x hex") << "0X1a" << true << 26 << false << false;
    QTest::newRow("largest") << "2147483647" << true << 2147483647 << true << true;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL) << true << true;
    QTest::newRow("too large") << "2147483648" << false << 0 << true << true;
    QTest::newRow("16 digits") << "1234567890123456" << false << 0 << false << false;
    QTest::newRow("decimal point") << "12.5" << false << 0 << false << false;
    QTest::newRow("currency") << "¥500" << false << 0 << false << false;
    QTest::newRow("thousands") << "1,000" << false << 0 << false << false;
    QTest::newRow("sign only") << "-" << false << 0 << false << false;
    QTest::newRow("hex prefix only") << "$" << false << 0 << false << false;
    QTest::newRow("trailing blank") << "5 " << false << 0 << true << false;
}

void TestRegister::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const QByteArray utf8 = text.toUtf8();
    long long amount = 0;
    QTEST(readPlainAmount(utf8.toStdString(), amount), "summed");
    QTEST(isPlainAmountAsWritten(utf8.toStdString()), "asWritten");
    try {
        QTEST(integerFromText(text), "value");
        QVERIFY(valid);
    } catch (const AppError &error) {
        QVERIFY(!valid);
        QCOMPARE(error.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void TestRegister::listingsWorkOnTheControlsGiven_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("countText");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("name");
    QTest::newRow("full list") << "full" << "共 3 个记录" << QStringList{"甲", "乙", "丙"} << "房客登记";
    QTest::newRow("search") << "search" << "共找到1 个记录" << QStringList{"乙"} << "查询结果";
    QTest::newRow("due tenants") << "due" << "共2 个到期的房客" << QStringList{"甲", "丙"} << "到期房客";
}

namespace {

// A record list without windows: it keeps what the listings write.
class WindowlessList final : public RecordListView {
public:
    explicit WindowlessList(TADOQuery &list) : m_list(list) {}
    TADOQuery &listCursor() override { return m_list; }
    QString countText() const override { return count; }
    void setCountText(const QString &text) override { count = text; }
    ListingKind shownListing() const override { return kind; }
    void setShownListing(ListingKind shown) override { kind = shown; }
    void setMessageText(const QString &) override {}
    void setColumnWidth(int position, int width) override
    {
        widths.resize(std::max(widths.size(), qsizetype(position + 1)));
        widths[position] = width;
    }
    const TextList &rentTexts() const override { return rents; }
    TextList takeRentTexts() override { return std::exchange(rents, {}); }
    void setRentTexts(TextList texts) override { rents = std::move(texts); }
    void setRentTotal(const QString &) override {}

    QString count;
    ListingKind kind = ListingKind::None;
    QList<int> widths;
    TextList rents;

private:
    TADOQuery &m_list;
};

} // namespace

// The register's listings need no window: they work on a list cursor and a
// record list of the caller's own.
void TestRegister::listingsWorkOnTheControlsGiven()
{
    QFETCH(QString, listing);
    QFETCH(QString, countText);
    QFETCH(QStringList, names);
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1", "", "", "", "2017/1/1"}, {"乙", "2", "", "", "", "2099/1/1"},
                            {"丙", "3", "", "", "", "2017/6/1"}});
    TADOConnection connection;
    connection.setDatabaseFile(fixture.databasePath());
    TADOQuery list(QStringLiteral("list"), &connection);
    WindowlessList view(list);

    if (listing == "full")
        RefreshList(view);
    else if (listing == "search")
        SearchList(view, QStringLiteral("姓名"), QStringLiteral("乙"));
    else
        DueTenantList(view, QDate(2018, 1, 1));
    QCOMPARE(view.count, countText);
    QTEST(listingName(view.kind), "name");
    QStringList listed;
    for (int row = 0; row < list.result().rowCount(); ++row)
        listed << list.result().text(row, 1);
    QCOMPARE(listed, names);
    QCOMPARE(view.widths, listColumnWidths);
}

namespace {

const QDate today(2026, 12, 9);

QString expiryIn(int days)
{
    return today.addDays(days).toString("yyyy/M/d");
}

} // namespace

void TestRegister::figuresOfARegisterWithOddAmounts()
{
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(today, QTime(10, 30)));
    fixture.createRegister({{"甲", "1", "500", "1000", "", expiryIn(-40)}, {"乙", "2", " 600 ", "1200", "", expiryIn(30)},
                            {"丙", "3", "1,600", "押一付三", "", expiryIn(31)}, {"丁", "4", "¥500", "0", "", "2026/11/31"},
                            {"戊", "5", "", "", "", expiryIn(0)}, {"己", "6", "0x10", "-200", "", expiryIn(-1)}});
    fixture.exec("insert into data (姓名) values ('庚')");
    QCOMPARE(messageTexts(fixture.startProgram()), QStringList{"'1,600' is not a valid integer value."});
    const TenantSummary *figures = Form1->tenantSummary;
    // Added up once they are on screen.
    QCOMPARE(figures->tenantCountLabel->text(), QStringLiteral("-"));
    Form1->PageControl1->setCurrentWidget(Form1->rentRoundPage);
    const auto shown = [figures] {
        QStringList texts;
        for (const QLabel *label : {figures->tenantCountLabel, figures->rentSumLabel, figures->depositSumLabel, figures->expiredCountLabel,
                                    figures->endingSoonCountLabel, figures->unsummedCountLabel, figures->unreadableDatesCountLabel})
            texts << label->text();
        return texts;
    };
    QCOMPARE(shown(), (QStringList{"7 个", "1100 元", "2000 元", "2 个", "1 个", "租金 3 个，押金 1 个", "1 个"}));

    // The amounts left out, on request.
    QVERIFY(press(figures->unsummedAmountsButton).isEmpty());
    QCOMPARE(listedNames(), (QStringList{"丙", "丁", "己"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共3 个未计入合计的记录"));

    // Every full listing brings them up to date, added up when the page
    // shows them again; from the file when the list shows part of it.
    fixture.exec("delete from data where 姓名 in ('甲', '丙')");
    QCOMPARE(messageTexts(press(Form1->Buttonre)), QStringList{"'¥500' is not a valid integer value."});
    QCOMPARE(shown().first(), QStringLiteral("7 个"));
    showSearchResult("己");
    Form1->PageControl1->setCurrentWidget(Form1->rentRoundPage);
    QCOMPARE(shown(), (QStringList{"5 个", "600 元", "1000 元", "1 个", "1 个", "租金 2 个，押金 0 个", "1 个"}));
}

// Deposits past the 64-bit range: the last sum that fits, the rest not summed.
void TestRegister::figuresKeepTheLastSumThatFits()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 9230) "
                 "insert into data (姓名, 租金, 押金) select '租客' || i, '1', '999999999999999' from n");
    QVERIFY(fixture.startProgram().isEmpty());
    Form1->PageControl1->setCurrentWidget(Form1->rentRoundPage);  // the figures are added up on screen
    QCOMPARE(Form1->tenantSummary->depositSumLabel->text(), QStringLiteral("9222999999999990777 元"));  // 9223 of them
    QCOMPARE(Form1->tenantSummary->unsummedCountLabel->text(), QStringLiteral("租金 0 个，押金 7 个"));
}

void TestRegister::startUpReminder_data()
{
    QTest::addColumn<QList<int>>("expiryDays");  // from today
    QTest::addColumn<int>("owing");              // tenants with a bill not paid
    QTest::addColumn<QString>("reminder");
    QTest::newRow("none within the week") << QList<int>{8, -8, 30} << 0 << "";
    QTest::newRow("ending") << QList<int>{0, 7, 20} << 0 << "2 位房客租约7天内到期";
    QTest::newRow("ended") << QList<int>{-1, -7, -8} << 0 << "2 位房客租约7天内已到期";
    QTest::newRow("both") << QList<int>{3, -3, -3} << 0 << "7天内到期1 位,刚到期2 位";
    QTest::newRow("owing") << QList<int>{8} << 3 << "3 位房客欠费";
    QTest::newRow("ending, owing") << QList<int>{0, 7} << 12 << "7天内到期2 位,欠费12 位";
    QTest::newRow("ended, owing") << QList<int>{-1} << 1 << "刚到期1 位,欠费1 位";
    QTest::newRow("both, owing") << QList<int>{3, -3, -3} << 10 << "到期1,刚到期2,欠费10 位";
}

void TestRegister::startUpReminder()
{
    QFETCH(QList<int>, expiryDays);
    QFETCH(int, owing);
    RegisterFixture fixture;
    setCurrentLocalDateTime(QDateTime(today, QTime(0, 0)));
    fixture.createRegister();
    for (const int days : expiryDays)
        fixture.addTenant({"租客", "", "", "", "", expiryIn(days)});
    {
        TADOConnection connection;
        connection.setDatabaseFile(fixture.databasePath());
        LedgerWrite(connection, std::nullopt).commit();
    }
    for (int tenant = 1; tenant <= owing + 2; ++tenant)  // two have paid
        fixture.exec("insert into ledger_bill (month, tenant_id, tenant_name, room, rent_fen, water_fen, electricity_fen,"
                     " other_fen, total_fen, paid_fen, created) values ('2026-11', ?, '', '', 100, 0, 0, 0, 100, ?, '')",
                     {tenant, tenant > owing ? 100 : 0});
    fixture.startShown();
    QTEST(Form1->StatusBar1->panelText(4), "reminder");
    // One line that the panel shows whole at the window's first size.
    QFETCH(QString, reminder);
    for (const QLabel *panel : Form1->StatusBar1->findChildren<QLabel *>()) {
        if (!reminder.isEmpty() && panel->text() == reminder)
            QVERIFY2(panel->fontMetrics().horizontalAdvance(reminder) <= panel->contentsRect().width(),
                     qPrintable(QString::number(panel->contentsRect().width())));
    }
}

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
