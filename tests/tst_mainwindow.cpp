// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the clock, the exit confirmation and the tool bar of the main window.
#include "platform/RegionalFormats.h"
#include "platform/SingleInstanceGuard.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "support/WidgetChecks.h"
#include "ui/GuardedConnect.h"
#include "ui/ProgramWindows.h"
#include "ui/QtTranslation.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QAbstractItemModelTester>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <stdexcept>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void sizeAndFocusOrder();
    void missingDatabase_data();
    void missingDatabase();
    void clockWritesPanelAndBackupName();
    void exitConfirmation();
    void secondStartBringsTheWindowBack();
    void boxesComeAboveTheWindowsThatStayOnTop_data();
    void boxesComeAboveTheWindowsThatStayOnTop();
    void updateButtonOpensTheVersionPage();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void qtDialogsInTheUsersLanguageBoxesAsTheyWere();
    void gridModelKeepsItsContract();
    void errorBoundaryCatchesEverything_data();
    void errorBoundaryCatchesEverything();
};

void TestMainWindow::sizeAndFocusOrder()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    // Shown, the window keeps its design size: no control forces it wider.
    QCOMPARE(Form1->size(), QSize(852, 539));
    // The two small windows keep their layouts' sizes, fixed.
    QCOMPARE(Form2->size(), QSize(389, 243));
    QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
    QCOMPARE(Form3->size(), QSize(265, 92));
    QCOMPARE(Form3->minimumSize(), Form3->maximumSize());
    // It grows with its grid; the banner and the status bar keep their height.
    const int pagesHeight = Form1->PageControl1->height();
    Form1->resize(1000, 700);
    QTRY_COMPARE(Form1->PageControl1->height(), pagesHeight + 700 - 539);
    // The message panel reaches the size grip, to show long outcomes whole.
    const QList<int> panelWidths{200, 150, 150, 150, 300};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(Form1->StatusBar1->findChild<QLabel *>(QStringLiteral("Panel%1").arg(i))->width(), panelWidths.at(i));

    const QList<QWidget *> toolBar{Form1->DBGrid1, Form1->Buttonre, Form1->Buttonaddnewinfo, Form1->ComboBoxsearch,
                                   Form1->Buttonsearch, Form1->Buttondel, Form1->ComboBoxsearchclass,
                                   Form1->Button1, Form1->Button2};
    QCOMPARE(focusOrder(toolBar), toolBar);
}

void TestMainWindow::missingDatabase_data()
{
    QTest::addColumn<bool>("directoryInstead");
    QTest::newRow("no file") << false;
    QTest::newRow("a directory of that name") << true;
}

void TestMainWindow::missingDatabase()
{
    QFETCH(bool, directoryInstead);
    RegisterFixture fixture;
    if (directoryInstead)
        QVERIFY(QDir().mkpath(fixture.databasePath()));
    const auto boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Larkhaven"));
    QCOMPARE(boxes.first().text, QStringLiteral("数据库不存在."));
    QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.first().buttons, QStringList{"OK"});
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(Form1->StatusBar1->panelText(1), QString());

    // Every later listing reports the engine's refusal; nothing is created.
    const auto refresh = press(Form1->Buttonre);
    QCOMPARE(refresh.size(), 1);
    QCOMPARE(refresh.first().icon, QMessageBox::Critical);
    QCOMPARE(refresh.first().text, QStringLiteral("unable to open database file."));
    QCOMPARE(QFileInfo(fixture.databasePath()).isFile(), false);
    // The file appearing later is not looked for again.
    if (!directoryInstead) {
        fixture.createRegister();
        QCOMPARE(press(Form1->Buttonre).size(), 1);
    }
}

void TestMainWindow::clockWritesPanelAndBackupName()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    QCOMPARE(Form1->StatusBar1->panelText(0), QString());
    QCOMPARE(Form1->EditDATABAKNAME->text(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->StatusBar1->panelText(0).isEmpty(), 2500);
    const QDate today = QDate::currentDate();
    QVERIFY(Form1->StatusBar1->panelText(0).startsWith(QStringLiteral("今天是") + today.toString("yyyy/M/d") + " "));
    QCOMPARE(Form1->EditDATABAKNAME->text(), backupNameText(today, regionalFormats()));
    Form1->EditDATABAKNAME->setText("typed");
    QTRY_COMPARE_WITH_TIMEOUT(Form1->EditDATABAKNAME->text(), backupNameText(QDate::currentDate(), regionalFormats()), 2500);
    QCOMPARE(Form1->StatusBar1->panelText(2), QString());
    QCOMPARE(Form1->StatusBar1->panelText(3), QString());
}

// A second start brings the running program's minimised main window back.
void TestMainWindow::secondStartBringsTheWindowBack()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    const QString name = QStringLiteral("tst_mainwindow-door");  // never the running program's
    const InstanceActivation door(name);
    connect(&door, &InstanceActivation::activationRequested, &bringProgramToFront);
    Form1->showMinimized();
    QVERIFY(requestActivation(name));
    QTRY_VERIFY(!Form1->isMinimized() && Form1->isVisible());
}

void TestMainWindow::exitConfirmation()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();

    const auto refused = runAnsweringBoxes([] { Form1->close(); }, {"&No"});
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first().title, QStringLiteral("Confirm"));
    QCOMPARE(refused.first().text, QStringLiteral("您真的要退出吗"));
    QCOMPARE(refused.first().icon, QMessageBox::Question);
    QCOMPARE(refused.first().buttons.size(), 2);
    QVERIFY(Form1->isVisible());

    // Enter takes the default answer, Yes.
    QCOMPARE(runAnsweringBoxes([] { Form1->close(); }).size(), 1);
    QVERIFY(!Form1->isVisible());
}

void TestMainWindow::boxesComeAboveTheWindowsThatStayOnTop_data()
{
    QTest::addColumn<QStringList>("open");  // the windows open when the box comes
    QTest::addColumn<QString>("action");
    QTest::newRow("exit, add / edit window open") << QStringList{"Form2"} << "exit";
    QTest::newRow("exit, delete confirmation open") << QStringList{"Form3"} << "exit";
    QTest::newRow("exit, both open") << QStringList{"Form2", "Form3"} << "exit";
    QTest::newRow("empty name on the add page") << QStringList{"Form2"} << "empty name";
    QTest::newRow("main window message, both open") << QStringList{"Form2", "Form3"} << "due listing";
    QTest::newRow("error box, both open") << QStringList{"Form2", "Form3"} << "unknown column";
}

// The add / edit window and the delete confirmation stay on top; a box that
// comes while they are open must come above them, or it cannot be answered.
void TestMainWindow::boxesComeAboveTheWindowsThatStayOnTop()
{
    QFETCH(QStringList, open);
    QFETCH(QString, action);
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    if (open.contains("Form2"))
        press(Form1->Buttonaddnewinfo);
    if (open.contains("Form3"))
        press(Form1->Buttondel);
    QCOMPARE(Form2->isVisible(), open.contains("Form2"));
    QCOMPARE(Form3->isVisible(), open.contains("Form3"));

    QList<SeenBox> boxes;
    if (action == "exit") {
        boxes = runAnsweringBoxes([] { Form1->close(); }, {"&No"});
    } else if (action == "empty name") {
        boxes = press(Form2->Buttonaddinfo);
    } else if (action == "due listing") {
        boxes = press(Form1->Button1);
    } else {
        Form1->ComboBoxsearchclass->setEditText("无此列");
        Form1->ComboBoxsearch->setEditText("甲");
        boxes = press(Form1->Buttonsearch);
    }
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().staysOnTop);
    QVERIFY(Form1->isVisible());
}

void TestMainWindow::updateButtonOpensTheVersionPage()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    press(Form1->Button2);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.opened.size(), 1);
    QVERIFY(catcher.opened.first().toString().endsWith("/?V=Quillmere1.0.20171230"));
    // The headless platform has no browser to start: the message panel says so.
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
    QVERIFY(press(Form1->Button2).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("无法打开网页 http://www.larkhaven.example/?V=Quillmere1.0.20171230"));
}

void TestMainWindow::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");  // the focused one
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("stored");  // 姓名 and 房号 of each row afterwards
    QTest::newRow("添加 on the add page") << "add" << "Buttonaddinfo" << int(Qt::Key_Return) << QStringList{"甲 1", "乙 2", "丙 3"};
    QTest::newRow("修改, keypad Enter") << "edit" << "Buttonedit" << int(Qt::Key_Enter) << QStringList{"甲 9", "乙 2"};
    QTest::newRow("确认 in the delete confirmation") << "delete" << "Buttondelyes" << int(Qt::Key_Return) << QStringList{"甲 1"};
    QTest::newRow("刷新 on the main window, 查询 the default") << "main" << "Buttonre" << int(Qt::Key_Return) << QStringList{"甲 1", "乙 2"};
    QTest::newRow("a window made later") << "later" << "" << int(Qt::Key_Enter) << QStringList{"甲 1", "乙 2"};
}

// Enter or keypad Enter on a focused push button presses it once, as Space does.
void TestMainWindow::enterPressesTheFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(int, key);
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1"}, {"乙", "2"}});
    fixture.startShown();
    QPushButton later(QStringLiteral("确定"));
    if (window == "add") {
        press(Form1->Buttonaddnewinfo);
        Form2->ComboBox_XingMing->setEditText("丙");
        Form2->ComboBox_FangHao->setEditText("3");
    } else if (window == "edit") {
        doubleClickRow(0);
        Form2->DBEdit_FangHao->setText("9");
    } else if (window == "delete") {
        press(Form1->Buttondel);  // the current row is the last, 乙
    } else if (window == "main") {
        QTest::keyClicks(Form1->ComboBoxsearch, "a");
        QVERIFY(Form1->Buttonsearch->isDefault());
    }
    later.setVisible(window == "later");
    QFETCH(QString, button);  // in Form1 or a window it owns
    QPushButton *focused = window == "later" ? &later : Form1->findChild<QPushButton *>(button);
    QSignalSpy clicked(focused, &QPushButton::clicked);
    const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QVERIFY(runAnsweringBoxes([&] { QTest::keyClick(focused, Qt::Key(key), modifiers); }).isEmpty());
    QCOMPARE(clicked.count(), 1);
    QStringList stored;
    for (const QStringList &row : fixture.rows("select 姓名, 房号 from data order by ID"))
        stored << row.join(' ');
    QTEST(stored, "stored");
}

// Qt's file dialog speaks Chinese on a Chinese desktop; the boxes whose texts
// the program fixes keep them.
void TestMainWindow::qtDialogsInTheUsersLanguageBoxesAsTheyWere()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QVERIFY2(loadQtTranslation(), "no qtbase_zh_CN.qm (Debian qt6-translations-l10n)");
    QLocale::setDefault(before);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    const auto boxes = runAnsweringBoxes([] { Form1->close(); ShowMessage("没信息了!"); }, {"&No"});
    loadQtTranslation();  // the test's own language again
    QStringList buttons;
    for (const QAbstractButton *button : files.findChild<QDialogButtonBox *>()->buttons())
        buttons << button->text();
    QCOMPARE(buttons, (QStringList{"打开(&O)", "取消"}));
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.first().title, QStringLiteral("Confirm"));
    QCOMPARE(boxes.first().buttons, (QStringList{"&Yes", "&No"}));
    QCOMPARE(boxes.last().buttons, QStringList{"OK"});
}

// The grid's model tells its views every change in the order item views
// rely on, through every listing, an add, an edit and a delete.
void TestMainWindow::gridModelKeepsItsContract()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "500"}, {"乙", "102", "600"}, {"丙", "103"}});
    fixture.startShown();
    QAbstractItemModelTester tester(Form1->DataSource1, QAbstractItemModelTester::FailureReportingMode::QtTest);

    Form1->ComboBoxsearch->setEditText("乙");
    QVERIFY(press(Form1->Buttonsearch).isEmpty());
    QCOMPARE(Form1->DataSource1->rowCount(), 1);
    press(Form1->Button1);
    QVERIFY(press(Form1->Buttonre).isEmpty());
    Form1->Buttonaddnewinfo->click();
    Form2->ComboBox_XingMing->setEditText("丁");
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    QCOMPARE(Form1->DataSource1->rowCount(), 4);
    Form2->showEditPage();
    Form2->DBEdit_FangHao->clear();
    QTest::keyClicks(Form2->DBEdit_FangHao, "202");
    QVERIFY(press(Form2->Buttonedit).isEmpty());
    Form3->showConfirmation();
    QVERIFY(press(Form3->Buttondelyes).isEmpty());
    QCOMPARE(Form1->DataSource1->rowCount(), 3);
    QCOMPARE(fixture.count(), 3);
}

void TestMainWindow::errorBoundaryCatchesEverything_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("logged");  // written once with qCritical
    QTest::newRow("the program's own error") << 0 << "数据库文件已被删除." << QString();
    QTest::newRow("a standard exception") << 1 << "disk full." << "Error escaped from TestHandler: disk full";
    QTest::newRow("anything else") << 2 << "未知错误." << "Error escaped from TestHandler: 未知错误";
}

// Whatever a handler throws ends in the error box, and the program goes on;
// an error that is no AppError also leaves a trace naming the handler.
void TestMainWindow::errorBoundaryCatchesEverything()
{
    QFETCH(int, kind);
    QFETCH(QString, shown);
    QFETCH(QString, logged);
    if (!logged.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg, logged.toUtf8().constData());
    const auto boxes = runAnsweringBoxes([kind] {
        runGuarded("TestHandler", [kind] {
            if (kind == 0)
                throw AppError(QStringLiteral("数据库文件已被删除"));
            if (kind == 1)
                throw std::runtime_error("disk full");
            throw 42;
        });
    });
    QCOMPARE(messageTexts(boxes), QStringList{shown});
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
