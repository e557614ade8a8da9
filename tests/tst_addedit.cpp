// SPDX-License-Identifier: GPL-3.0-or-later
// The add and edit window: adding, editing, the digit filter, the rent
// completion, the remarks limit, and opening and closing its pages.
#include "platform/RegionalFormats.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "support/WidgetChecks.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

namespace {

QString nowText()
{
    return editTimeText(QDateTime::currentDateTime(), regionalFormats());
}

// The pages whose tabs show; the current page first.
QList<QWidget *> shownPages()
{
    QTabWidget *pages = Form2->PageControl1;
    QList<QWidget *> shown{pages->currentWidget()};
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->isTabVisible(i) && pages->widget(i) != shown.first())
            shown << pages->widget(i);
    }
    return shown;
}

// The text a key press carries on X11: control characters for Delete,
// Backspace and Ctrl+letter, none for the arrows, Home and End.
QString x11KeyText(QKeyCombination key)
{
    if (key.key() == Qt::Key_Delete)
        return QString(QChar(0x7f));
    if (key.key() == Qt::Key_Backspace)
        return QString(QChar(0x08));
    if ((key.keyboardModifiers() & Qt::ControlModifier) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        return QString(QChar(key.key() - Qt::Key_A + 1));
    if (key.key() >= Qt::Key_Space && key.key() <= Qt::Key_AsciiTilde)
        return QString(QChar(key.key()));
    return {};
}

// The edit page's bound boxes, in the order of the table's columns.
QList<QWidget *> editBoxes()
{
    return {Form2->DBEdit_xiangmuedit, Form2->DBEdit_FangHao, Form2->DBComboBox_ZuJin, Form2->DBEdit_Yajin,
            Form2->DBComboBoxstartdate, Form2->DBComboBoxenddate, Form2->DBMemoxiangmubeizhuedit};
}

} // namespace

class TestAddEdit : public QObject {
    Q_OBJECT
private slots:
    void pagesAndFocusOrder();
    void addStoresEveryColumnAndResetsBoxes();
    void emptyNameIsRefused();
    void duplicateNameAddsNothing_data();
    void duplicateNameAddsNothing();
    void digitFilter_data();
    void digitFilter();
    void digitBoxesTakeEditingKeys_data();
    void digitBoxesTakeEditingKeys();
    void rentCompletion_data();
    void rentCompletion();
    void remarksLimit_data();
    void remarksLimit();
    void doubleClickOnEmptyLists();
    void editWritesTheCurrentRow();
    void cancelAndCloseBox_data();
    void cancelAndCloseBox();
};

void TestAddEdit::pagesAndFocusOrder()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101"}});
    fixture.startShown();
    QVERIFY(!Form2->isVisible());
    QCOMPARE(widgetTexts({Form2->DateTimePickerF, Form2->DateTimePickerE, Form2->ComboBox_ZuJin, Form2->Memo_BeiZhu}),
             (QStringList{fullYearDateText(QDate::currentDate(), regionalFormats()),
                          fullYearDateText(QDate::currentDate(), regionalFormats()), "0",
                          "联系电话：\n身份证编号：\n其他备注："}));
    const QList<QWidget *> addOrder{Form2->ComboBox_XingMing, Form2->ComboBox_FangHao, Form2->ComboBox_ZuJin,
                                    Form2->ComboBox_YaJin, Form2->DateTimePickerF, Form2->DateTimePickerE,
                                    Form2->Memo_BeiZhu, Form2->Buttonaddinfo, Form2->Buttonc};
    QCOMPARE(focusOrder(addOrder), addOrder);
    const QList<QWidget *> editOrder{Form2->Buttonedit, Form2->DBEdit_xiangmuedit, Form2->DBEdit_FangHao,
                                     Form2->DBComboBox_ZuJin, Form2->DBEdit_Yajin, Form2->DBComboBoxstartdate,
                                     Form2->DBComboBoxenddate, Form2->DBMemoxiangmubeizhuedit, Form2->Buttondel,
                                     Form2->Button1};
    QCOMPARE(focusOrder(editOrder), editOrder);

    // 添加 on the main window: the add page alone, centred in the work area.
    press(Form1->Buttonaddnewinfo);
    QVERIFY(Form2->isVisible());
    QCOMPARE(shownPages(), QList<QWidget *>{Form2->TabSheet1});
    QVERIFY(centredInWorkArea(Form2));
    QTest::keyClicks(Form2->ComboBox_XingMing, "Zhang");

    // A double-click on a row switches the open window to the edit page and back.
    doubleClickRow(0);
    QCOMPARE(shownPages(), QList<QWidget *>{Form2->TabSheet2});
    QCOMPARE(Form2->DBEdit_xiangmuedit->text(), QStringLiteral("甲"));
    press(Form1->Buttonaddnewinfo);
    QCOMPARE(shownPages(), QList<QWidget *>{Form2->TabSheet1});
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("Zhang"));
}

void TestAddEdit::addStoresEveryColumnAndResetsBoxes()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1", "100"}, {"乙", "2", "200"}});
    fixture.startShown();
    showSearchResult("乙");

    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText("张三");
    QTest::keyClicks(Form2->ComboBox_FangHao, "101");
    Form2->ComboBox_ZuJin->setEditText(QString());
    QTest::keyClicks(Form2->ComboBox_ZuJin, "500");
    Form2->ComboBox_YaJin->setEditText(QString());
    QTest::keyClicks(Form2->ComboBox_YaJin, "1000");
    Form2->DateTimePickerF->setEditText("2017/12/30");
    Form2->DateTimePickerE->setEditText("2018/12/30");
    Form2->Memo_BeiZhu->setPlainText(QStringLiteral("联系电话：123\n无\u00A0备注"));
    const QString before = nowText();
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    const QString after = nowText();

    auto stored = fixture.rows("select 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间 from data where 姓名 = '张三'");
    QCOMPARE(stored.size(), 1);
    const QString editTime = stored.first().takeLast();
    QCOMPARE(stored.first(), (QStringList{"张三", "101", "500", "1000", "2017/12/30", "2018/12/30",
                                   QStringLiteral("联系电话：123\r\n无\u00A0备注")}));
    QVERIFY(QRegularExpression("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}$").match(editTime).hasMatch());
    QVERIFY(before <= editTime && editTime <= after);

    // The full list is back, with the new record, after the search.
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("张三添加成功!"));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 3 个记录"));
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    QVERIFY(!Form2->isVisible());

    // Name, rent and remarks are reset; the other boxes keep their texts.
    QCOMPARE(widgetTexts({Form2->ComboBox_XingMing, Form2->ComboBox_ZuJin, Form2->Memo_BeiZhu, Form2->ComboBox_FangHao,
                       Form2->ComboBox_YaJin, Form2->DateTimePickerF, Form2->DateTimePickerE}),
             (QStringList{"", "0", "未填写备注", "101", "1000", "2017/12/30", "2018/12/30"}));
}

void TestAddEdit::emptyNameIsRefused()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}});
    fixture.startShown();
    Form1->StatusBar1->setPanelText(4, "before");
    press(Form1->Buttonaddnewinfo);
    QTest::keyClicks(Form2->ComboBox_FangHao, "7");

    const auto boxes = press(Form2->Buttonaddinfo);
    QCOMPARE(messageTexts(boxes), QStringList{"姓名不能为空."});
    QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->ComboBox_FangHao->currentText(), QStringLiteral("7"));
    QCOMPARE(fixture.count(), 1);
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
}

void TestAddEdit::duplicateNameAddsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "张三";
    QTest::newRow("two blanks") << "  ";
}

// The first add of a name matches no record of another name; the second
// finds it: nothing is added, the list is not reloaded, the window closes
// and its name box is empty next time.
void TestAddEdit::duplicateNameAddsNothing()
{
    QFETCH(QString, name);
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}, {" "}, {"张三丰"}});
    fixture.startShown();
    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText(name);
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(4), name + QStringLiteral("添加成功!"));

    showSearchResult("甲");
    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText(name);
    QTest::keyClicks(Form2->ComboBox_FangHao, "999");
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(4), name + QStringLiteral("添加失败,存在相同的信息名称!"));
    QCOMPARE(fixture.count(), 4);
    QCOMPARE(fixture.count("where 房号 = '999'"), 0);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到1 个记录"));
    QCOMPARE(Form1->DataSource1->rowCount(), 1);
    QVERIFY(!Form2->isVisible());
    press(Form1->Buttonaddnewinfo);
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QString());
}

void TestAddEdit::digitFilter_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("add page rent") << "ComboBox_ZuJin";
    QTest::newRow("add page deposit") << "ComboBox_YaJin";
    QTest::newRow("edit page rent") << "DBComboBox_ZuJin";
    QTest::newRow("edit page deposit") << "DBEdit_Yajin";
}

void TestAddEdit::digitFilter()
{
    QFETCH(QString, box);
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    QWidget *widget = Form2->findChild<QWidget *>(box);
    QVERIFY(widget);
    const QMetaProperty text = widget->metaObject()->userProperty();
    text.write(widget, "12");

    QTest::keyClicks(widget, "a Z.-");
    QCOMPARE(widgetTexts({widget}), QStringList{"12"});
    QTest::keyClick(widget, Qt::Key_Backspace);
    QTest::keyClicks(widget, "x3");
    QCOMPARE(widgetTexts({widget}), QStringList{"13"});
    // Pasted text is not filtered.
    QGuiApplication::clipboard()->setText("4a");
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(widgetTexts({widget}), QStringList{"134a"});
    // The room box takes any character.
    QTest::keyClicks(Form2->ComboBox_FangHao, "A-1.");
    QCOMPARE(Form2->ComboBox_FangHao->currentText(), QStringLiteral("A-1."));
}

void TestAddEdit::digitBoxesTakeEditingKeys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Delete") << "Home, Delete" << "234";
    QTest::newRow("Ctrl+A then Delete") << "Ctrl+A, Delete" << "";
    QTest::newRow("Shift+Delete cuts") << "Shift+Left, Shift+Delete, Home, Ctrl+V" << "4123";
    QTest::newRow("arrows and Backspace") << "Left, Left, Backspace, Right, Delete" << "13";
    QTest::newRow("End after Home") << "Home, End, Backspace" << "123";
    QTest::newRow("Ctrl+X and Ctrl+V") << "Ctrl+A, Ctrl+X, Ctrl+V, Ctrl+V" << "12341234";
    QTest::newRow("Ctrl+C") << "Ctrl+A, Ctrl+C, End, Ctrl+V" << "12341234";
    QTest::newRow("Ctrl+Z") << "Home, Delete, Ctrl+Z" << "1234";
    QTest::newRow("typed letter, blank, point, minus") << "A, Space, ., -" << "1234";
}

// Editing keys, with the texts X11 gives them, work in the digit boxes as in
// any box; only typed characters other than digits are dropped.
void TestAddEdit::digitBoxesTakeEditingKeys()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    for (QWidget *box : {static_cast<QWidget *>(Form2->ComboBox_ZuJin), static_cast<QWidget *>(Form2->ComboBox_YaJin),
                         static_cast<QWidget *>(Form2->DBComboBox_ZuJin), static_cast<QWidget *>(Form2->DBEdit_Yajin)}) {
        box->metaObject()->userProperty().write(box, "1234");
        for (const QString &name : keys.split(", ")) {
            const QKeyCombination key = QKeySequence::fromString(name)[0];
            QTest::sendKeyEvent(QTest::Click, box, key.key(), x11KeyText(key), key.keyboardModifiers());
        }
        QCOMPARE(widgetTexts({box}), QStringList{shown});
    }
}

void TestAddEdit::rentCompletion_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("selected");
    QTest::newRow("add page 5") << "ComboBox_ZuJin" << "5" << "50" << "0";
    QTest::newRow("add page 1") << "ComboBox_ZuJin" << "1" << "100" << "00";
    QTest::newRow("add page 500") << "ComboBox_ZuJin" << "500" << "500" << "";
    QTest::newRow("add page no item") << "ComboBox_ZuJin" << "75" << "75" << "";
    QTest::newRow("edit page 5") << "DBComboBox_ZuJin" << "5" << "50" << "0";
    QTest::newRow("edit page 10") << "DBComboBox_ZuJin" << "10" << "100" << "0";
    QTest::newRow("deposit, no list") << "ComboBox_YaJin" << "5" << "5" << "";
}

void TestAddEdit::rentCompletion()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, selected);
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    auto *combo = Form2->findChild<QComboBox *>(box);
    QVERIFY(combo);
    // The box completes while it has the focus, as when the user types.
    if (box.startsWith("DB"))
        Form2->showEditPage();
    else
        Form2->showAddPage();
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    combo->setFocus();
    combo->setEditText(QString());
    QTest::keyClicks(combo, typed);
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(combo->lineEdit()->selectedText(), selected);
}

void TestAddEdit::remarksLimit_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("add page") << "Memo_BeiZhu";
    QTest::newRow("edit page") << "DBMemoxiangmubeizhuedit";
}

void TestAddEdit::remarksLimit()
{
    QFETCH(QString, box);
    RegisterFixture fixture;
    fixture.createRegister();
    QVERIFY(fixture.startProgram().isEmpty());
    auto *memo = Form2->findChild<TMemo *>(box);
    QVERIFY(memo);

    memo->setPlainText(QString(220, QLatin1Char('a')));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "bcdefghij");
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString(220, QLatin1Char('a')) + "bcdef");
    QTest::keyClick(memo, Qt::Key_Backspace);  // deleting makes room again
    QTest::keyClicks(memo, "gh");
    QVERIFY(memo->toPlainText().endsWith("bcdeg"));

    // A paste of 10,000 characters is cut at the limit; a text set by the
    // program is not.
    memo->clear();
    const QString pasted = QStringLiteral("很长的备注").repeated(2000);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(memo->toPlainText(), pasted.left(225));
    memo->setPlainText(QString(300, QLatin1Char('s')));
    QCOMPARE(memo->toPlainText().size(), 300);
}

void TestAddEdit::doubleClickOnEmptyLists()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();

    // "共 0 个记录": the double-click does nothing.
    doubleClickRow(0);
    QVERIFY(!Form2->isVisible());

    // After a search that found nothing it opens the edit page, every box empty,
    // and 修改 adds a record without the add page's checks.
    showSearchResult("无此人");
    doubleClickRow(0);
    QCOMPARE(shownPages(), QList<QWidget *>{Form2->TabSheet2});
    QCOMPARE(widgetTexts(editBoxes()), QStringList(7, QString()));
    QTest::keyClicks(Form2->DBEdit_FangHao, "202");
    QTest::keyClicks(Form2->DBEdit_Yajin, "300");
    const QString before = nowText();
    QVERIFY(press(Form2->Buttonedit).isEmpty());

    auto added = fixture.rows("select 姓名, 房号, 租金, 押金, 编辑时间 from data");
    QCOMPARE(added.size(), 1);
    QVERIFY(before <= added.first().takeLast());
    QCOMPARE(added.first(), (QStringList{"", "202", "", "300"}));
    QCOMPARE(Form1->DataSource1->rowCount(), 1);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到0 个记录"));
    QVERIFY(!Form2->isVisible());
}

void TestAddEdit::editWritesTheCurrentRow()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "100", "100", "2017/1/1", "2018/1/1", "one", "2017/01/01 00:00:00"},
                            {"乙", "102", "200", "200", "2017/2/1", "2018/2/1", "电话\r\n身份证", "2017/02/01 00:00:00"},
                            {"丙", "103", "300", "300", "2017/3/1", "2018/3/1", "three", "2017/03/01 00:00:00"}});
    fixture.startShown();
    const auto rowsBefore = fixture.rows(tableRowsSql());

    // The bound boxes follow the grid's current row while the window is open.
    doubleClickRow(0);
    QCOMPARE(Form2->DBEdit_xiangmuedit->text(), QStringLiteral("甲"));
    clickRow(2);
    QCOMPARE(Form2->DBEdit_xiangmuedit->text(), QStringLiteral("丙"));
    clickRow(1);
    QCOMPARE(widgetTexts(editBoxes()), (QStringList{"乙", "102", "200", "200", "2017/2/1", "2018/2/1", "电话\n身份证"}));

    Form1->StatusBar1->setPanelText(4, "before");
    Form2->DBEdit_xiangmuedit->setText("乙二");
    Form2->DBComboBox_ZuJin->setEditText(QString());
    QTest::keyClicks(Form2->DBComboBox_ZuJin, "800");
    Form2->DBEdit_FangHao->setText("B2");
    QTest::keyClicks(Form2->DBEdit_Yajin, "5");
    Form2->DBComboBoxstartdate->setEditText("2019/1/1");
    Form2->DBComboBoxenddate->setEditText("2020/1/1");
    Form2->DBMemoxiangmubeizhuedit->setPlainText("x\ny");
    const QString before = nowText();
    QVERIFY(press(Form2->Buttonedit).isEmpty());

    auto rowsAfter = fixture.rows(tableRowsSql());
    QCOMPARE(rowsAfter.at(0), rowsBefore.at(0));
    QCOMPARE(rowsAfter.at(2), rowsBefore.at(2));
    QVERIFY(before <= rowsAfter[1].takeLast());
    QCOMPARE(rowsAfter.at(1), (QStringList{rowsBefore.at(1).at(0), "乙二", "B2", "800", "2005", "2019/1/1", "2020/1/1", "x\r\ny"}));

    // The grid shows the change at once; no listing ran and no message was written.
    QCOMPARE(Form1->DataSource1->index(1, 1).data().toString(), QStringLiteral("乙二"));
    QCOMPARE(Form1->ADOQuery1->RecNo(), 1);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 3 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
    QVERIFY(!Form2->isVisible());
}

void TestAddEdit::cancelAndCloseBox_data()
{
    QTest::addColumn<bool>("editPage");
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("fullList");
    QTest::newRow("add page, 取消") << false << false << true;
    QTest::newRow("add page, close box") << false << true << false;
    QTest::newRow("edit page, 取消") << true << false << false;
    QTest::newRow("edit page, close box") << true << true << false;
}

void TestAddEdit::cancelAndCloseBox()
{
    QFETCH(bool, editPage);
    QFETCH(bool, closeBox);
    QFETCH(bool, fullList);
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101"}, {"乙", "102"}, {"丙", "103"}});
    fixture.startShown();
    showSearchResult("乙");
    Form1->StatusBar1->setPanelText(4, "before");

    if (editPage)
        doubleClickRow(0);
    else
        press(Form1->Buttonaddnewinfo);
    QTest::keyClicks(editPage ? static_cast<QWidget *>(Form2->DBEdit_xiangmuedit) : Form2->ComboBox_XingMing, "zz");
    if (closeBox)
        Form2->close();
    else
        QVERIFY(press(editPage ? Form2->Button1 : Form2->Buttonc).isEmpty());

    QVERIFY(!Form2->isVisible());
    QCOMPARE(Form1->DataSource1->rowCount(), fullList ? 3 : 1);
    QCOMPARE(Form1->StatusBar1->panelText(1), fullList ? QStringLiteral("共 3 个记录") : QStringLiteral("共找到1 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));
    // The add page keeps its texts; texts typed into the edit page are dropped.
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), editPage ? QString() : QStringLiteral("zz"));
    QCOMPARE(Form2->DBEdit_xiangmuedit->text(), fullList ? QStringLiteral("丙") : QStringLiteral("乙"));
    QCOMPARE(fixture.count("where 姓名 like '%zz'"), 0);
}

QTEST_MAIN(TestAddEdit)
#include "tst_addedit.moc"
