// The record list and its full refresh, through the real main window.
#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "register/IntegerText.h"
#include "support/RegisterFixture.h"
#include "ui/Unit1.h"

#include <QHeaderView>
#include <QTest>

namespace {

QList<int> columnWidths()
{
    QList<int> widths;
    for (int i = 0; i < Form1->DBGrid1->model()->columnCount(); ++i)
        widths << Form1->DBGrid1->columnWidth(i);
    return widths;
}

const QList<int> listWidths{50, 90, 60, 70, 65, 80, 80, 120, 120};

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void rentListSkipsBlankRents();
    void invalidRentIsReportedAtEveryRefresh();
    void emptyTable();
    void countTextAndWidths();
    void tenColumnTableKeepsDefaultWidth();
    void fewerThanNineColumns();
    void lastRowIsCurrentAfterFullRefresh();
    void refreshRebuildsRentListAndClearsMessage();
    void cellClickShowsCellText();
    void integerConversion_data();
    void integerConversion();
};

void TestRegister::rentListSkipsBlankRents()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.addTenant("甲", "1", " 500 ");
    fixture.addTenant("乙", "2", "0");
    fixture.addTenant("丙", "3", "");
    fixture.exec("insert into data (姓名, 租金) values ('丁', NULL)");
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), (QStringList{"500", "0"}));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("500"));
    QVERIFY(!Form1->GroupBox3->isVisibleTo(Form1));
}

void TestRegister::invalidRentIsReportedAtEveryRefresh()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.addTenant("甲", "1", "300");
    fixture.addTenant("乙", "2", "1,200");
    fixture.addTenant("丙", "3", "100");
    const auto boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Larkhaven"));
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(boxes.first().text, QStringLiteral("'1,200' is not a valid integer value."));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("300"));  // the sum before the bad entry
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 3 个记录"));

    Form1->StatusBar1->setPanelText(4, "before");
    const auto again = runAnsweringBoxes([] { clickWidget(Form1->Buttonre); });
    QCOMPARE(again.size(), 1);
    QCOMPARE(again.first().text, QStringLiteral("'1,200' is not a valid integer value."));
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    // The handler stopped at the error: the message panel keeps its text.
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
}

void TestRegister::emptyTable()
{
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 0 个记录"));
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(Form1->DataSource1->columnCount(), 9);
    QCOMPARE(Form1->DataSource1->headerData(1, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    QVERIFY(Form1->ListBoxtjzhichu->Items().isEmpty());
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("0"));
    QVERIFY(!Form1->DBGrid1->currentIndex().isValid());
}

void TestRegister::countTextAndWidths()
{
    RegisterFixture fixture;
    fixture.createRegister();
    for (int i = 0; i < 12; ++i)
        fixture.addTenant(QStringLiteral("租客%1").arg(i), QString::number(100 + i), "100");
    fixture.startProgram();
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 12 个记录"));
    QCOMPARE(columnWidths(), listWidths);
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("1200"));
    QCOMPARE(Form1->ADOQuery1->SQL(), QStringLiteral("select * from data"));
}

void TestRegister::tenColumnTableKeepsDefaultWidth()
{
    RegisterFixture fixture;
    fixture.createRegisterWith("create table data (ID integer primary key, 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间, 电话)");
    fixture.exec("insert into data (姓名, 租金, 电话) values ('甲', '100', '555')");
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(columnWidths().mid(0, 9), listWidths);
    QCOMPARE(Form1->DBGrid1->columnWidth(9), Form1->DBGrid1->horizontalHeader()->defaultSectionSize());
}

void TestRegister::fewerThanNineColumns()
{
    RegisterFixture fixture;
    fixture.createRegisterWith("create table data (ID integer primary key, 姓名, 租金)");
    fixture.exec("insert into data (姓名, 租金) values ('甲', '100')");
    const auto boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("Argument out of range."));
    // The count text stands; the walk and the total did not run.
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 1 个记录"));
    QVERIFY(Form1->ListBoxtjzhichu->Items().isEmpty());
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("0"));
    QCOMPARE(Form1->DataSource1->rowCount(), 1);
}

void TestRegister::lastRowIsCurrentAfterFullRefresh()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.addTenant("甲", "1", "1");
    fixture.addTenant("乙", "2", "2");
    fixture.addTenant("丙", "3", "3");
    fixture.startProgram();
    QCOMPARE(Form1->ADOQuery1->RecNo(), 2);
    QVERIFY(Form1->ADOQuery1->Eof());
    QCOMPARE(Form1->DBGrid1->currentIndex().row(), 2);
    QCOMPARE(Form1->ADOQuery1->FieldAsText("姓名"), QStringLiteral("丙"));
}

void TestRegister::refreshRebuildsRentListAndClearsMessage()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.addTenant("甲", "1", "100");
    fixture.startProgram();
    fixture.addTenant("乙", "2", "200");
    fixture.exec("update data set 租金 = '150' where 姓名 = '甲'");
    Form1->StatusBar1->setPanelText(4, "甲添加成功!");
    QVERIFY(runAnsweringBoxes([] { clickWidget(Form1->Buttonre); }).isEmpty());
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), (QStringList{"150", "200"}));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("350"));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
}

void TestRegister::cellClickShowsCellText()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.addTenant("甲", "101", "100", "", "", "", "联系电话：123");
    fixture.exec("insert into data (姓名) values ('乙')");
    fixture.startProgram();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    TDBGrid *grid = Form1->DBGrid1;
    auto clickCell = [grid](int row, int column) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, column)).center());
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
    Form1->hide();
}

void TestRegister::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "500" << true << 500;
    QTest::newRow("signed") << "-42" << true << -42;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("x hex") << "x10" << true << 16;
    QTest::newRow("0x hex") << "0X1a" << true << 26;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("decimal point") << "12.5" << false << 0;
    QTest::newRow("currency") << "¥500" << false << 0;
    QTest::newRow("thousands") << "1,000" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("hex prefix only") << "$" << false << 0;
    QTest::newRow("trailing blank") << "5 " << false << 0;
}

void TestRegister::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    try {
        QCOMPARE(integerFromText(text), value);
        QVERIFY(valid);
    } catch (const AppError &error) {
        QVERIFY(!valid);
        QCOMPARE(error.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
