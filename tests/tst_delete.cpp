// SPDX-License-Identifier: GPL-3.0-or-later
// The delete confirmation: its openers, 确认 and 取消, and the failures.
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "support/WidgetChecks.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

namespace {

// A register of three tenants, the program started over it and shown.
void startWithThree(RegisterFixture &fixture)
{
    fixture.createRegister({{"甲", "101", "100"}, {"乙", "102", "200"}, {"丙", "103", "300"}});
    fixture.startShown();
}

QStringList storedNames(RegisterFixture &fixture)
{
    return firstColumn(fixture.rows("select 姓名 from data order by ID"));
}

} // namespace

class TestDelete : public QObject {
    Q_OBJECT
private slots:
    void emptyFullList();
    void deleteFromSearchResult();
    void failuresChangeNothing_data();
    void failuresChangeNothing();
    void closesTheAddEditWindow();
    void deletesTheRowCurrentAtConfirm();
    void rightClickMenuDeletesThatRow();
};

void TestDelete::emptyFullList()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    Form1->StatusBar1->setPanelText(4, "before");

    QVERIFY(press(Form1->Buttondel).isEmpty());
    QVERIFY(Form3->isVisible());
    QVERIFY(centredInWorkArea(Form3));

    const auto boxes = press(Form3->Buttondelyes);
    QCOMPARE(messageTexts(boxes), QStringList{"没信息了!"});
    QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    QVERIFY(Form3->isVisible());
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
    QVERIFY(press(Form3->Buttonnodel).isEmpty());
    QVERIFY(!Form3->isVisible());
}

void TestDelete::deleteFromSearchResult()
{
    RegisterFixture fixture;
    startWithThree(fixture);
    const auto before = fixture.rows(tableRowsSql());
    showSearchResult("乙");
    Form1->StatusBar1->setPanelText(4, "before");

    QVERIFY(press(Form1->Buttondel).isEmpty());
    QVERIFY(press(Form3->Buttondelyes).isEmpty());

    // The deleted row is gone from the file and no other row changed.
    QCOMPARE(fixture.rows(tableRowsSql()), (QList<QStringList>{before.at(0), before.at(2)}));
    QCOMPARE(Form1->DataSource1->rowCount(), 2);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("删除成功!"));
    QVERIFY(!Form3->isVisible());
    // RefreshList alone: the rent list of the last full refresh stays.
    QCOMPARE(Form1->ListBoxtjzhichu->Items(), (QStringList{"100", "200", "300"}));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("600"));
}

void TestDelete::failuresChangeNothing_data()
{
    QTest::addColumn<bool>("closedList");
    QTest::addColumn<QString>("error");
    QTest::newRow("search found nothing") << false
                                          << "ADOQuery1: Cannot perform this operation on an empty dataset.";
    QTest::newRow("list cursor closed") << true << "ADOQuery1: Cannot perform this operation on a closed dataset.";
}

void TestDelete::failuresChangeNothing()
{
    QFETCH(bool, closedList);
    QFETCH(QString, error);
    RegisterFixture fixture;
    startWithThree(fixture);
    if (closedList)
        Form1->ADOQuery1->Close();
    else
        showSearchResult("无此人");
    const QString countText = Form1->StatusBar1->panelText(1);
    Form1->StatusBar1->setPanelText(4, "before");
    press(Form1->Buttonaddnewinfo);
    QVERIFY(press(Form1->Buttondel).isEmpty());

    QCOMPARE(messageTexts(press(Form3->Buttondelyes)), QStringList{error});
    QCOMPARE(fixture.count(), 3);
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(Form1->StatusBar1->panelText(1), countText);
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
    QVERIFY(Form3->isVisible());
    QVERIFY(Form2->isVisible());
}

void TestDelete::closesTheAddEditWindow()
{
    RegisterFixture fixture;
    startWithThree(fixture);

    // From the edit page: 取消 closes only the confirmation, 确认 both windows.
    doubleClickRow(0);
    QVERIFY(Form2->isVisible());
    QVERIFY(press(Form2->Buttondel).isEmpty());
    QVERIFY(Form3->isVisible());
    QVERIFY(press(Form3->Buttonnodel).isEmpty());
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form2->isVisible());
    QVERIFY(press(Form2->Buttondel).isEmpty());
    Form3->close();  // the close box changes nothing either
    QCOMPARE(fixture.count(), 3);
    QVERIFY(press(Form2->Buttondel).isEmpty());
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QVERIFY(!Form3->isVisible());
    QVERIFY(!Form2->isVisible());
    QCOMPARE(storedNames(fixture), (QStringList{"乙", "丙"}));

    // From the main window while the add page is open: it closes too, keeping its texts.
    press(Form1->Buttonaddnewinfo);
    QTest::keyClicks(Form2->ComboBox_XingMing, "kept");
    QVERIFY(press(Form1->Buttondel).isEmpty());
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QVERIFY(!Form2->isVisible());
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("kept"));
    QCOMPARE(storedNames(fixture), QStringList{"丙"});
}

// 确认 deletes the row current at that moment: after the full refresh the
// last, after a deletion the first, and whatever row the user picks while
// the confirmation is open.
void TestDelete::deletesTheRowCurrentAtConfirm()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}, {"乙"}, {"丙"}, {"丁"}});
    fixture.startShown();
    QVERIFY(press(Form1->Buttondel).isEmpty());
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QCOMPARE(storedNames(fixture), (QStringList{"甲", "乙", "丙"}));

    QCOMPARE(Form1->ADOQuery1->RecNo(), 0);
    QCOMPARE(Form1->DBGrid1->currentIndex().row(), 0);
    QVERIFY(press(Form1->Buttondel).isEmpty());
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QCOMPARE(storedNames(fixture), (QStringList{"乙", "丙"}));

    QVERIFY(press(Form1->Buttondel).isEmpty());
    clickRow(1);  // the grid stays usable while the confirmation is open
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QCOMPARE(storedNames(fixture), QStringList{"乙"});
}

void TestDelete::rightClickMenuDeletesThatRow()
{
    RegisterFixture fixture;
    startWithThree(fixture);
    QCOMPARE(Form1->ADOQuery1->RecNo(), 2);

    // The right press makes the row current before the menu opens.
    QWidget *viewport = Form1->DBGrid1->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, gridPoint(0));
    QCOMPARE(Form1->ADOQuery1->RecNo(), 0);
    QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, gridPoint(0), viewport->mapToGlobal(gridPoint(0)));
    QApplication::sendEvent(viewport, &menuRequest);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, gridPoint(0));
    QTRY_VERIFY(Form1->PopupMenu1->isVisible());
    Form1->N1->trigger();
    Form1->PopupMenu1->hide();
    QVERIFY(Form3->isVisible());

    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QCOMPARE(storedNames(fixture), (QStringList{"乙", "丙"}));
}

QTEST_MAIN(TestDelete)
#include "tst_delete.moc"

