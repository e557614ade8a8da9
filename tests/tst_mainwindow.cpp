// Start-up, the clock, the exit confirmation and the tool bar of the main window.
#include "platform/RegionalFormats.h"
#include "support/RegisterFixture.h"
#include "ui/Unit1.h"

#include <QDesktopServices>
#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

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
    void layoutAndCaptions();
    void focusOrderOfTheToolBar();
    void missingDatabase_data();
    void missingDatabase();
    void clockWritesPanelAndBackupName();
    void exitConfirmation();
    void enterClicksSearchOnlyAfterTheBoxChanged();
    void updateButtonOpensTheVersionPage();
};

void TestMainWindow::layoutAndCaptions()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Larkhaven"));
    QCOMPARE(Form1->Label2->text(), QStringLiteral("Larkhaven"));
    QCOMPARE(Form1->PageControl1->count(), 3);
    QCOMPARE(Form1->PageControl1->tabText(0), QStringLiteral("Larkhaven"));
    QCOMPARE(Form1->PageControl1->tabText(1), QStringLiteral("数据备份"));
    QCOMPARE(Form1->PageControl1->tabText(2), QStringLiteral("关于我们"));
    QCOMPARE(Form1->PageControl1->currentWidget(), Form1->TabSheet1);
    QCOMPARE(Form1->ComboBoxsearchclass->currentText(), QStringLiteral("姓名"));
    QCOMPARE(Form1->ComboBoxsearch->currentText(), QStringLiteral("请输入搜索关键字"));
    QCOMPARE(Form1->ComboBoxsearch->count(), 0);
    QCOMPARE(Form1->Edit_VER->text(), QStringLiteral("1.0.20171230"));
    QVERIFY(!Form1->Edit_VER->isVisibleTo(Form1));
    QCOMPARE(Form1->N1->text(), QStringLiteral("删除选中信息"));
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    // Shown, the window keeps its design size: no control forces it wider.
    QCOMPARE(Form1->size(), QSize(852, 539));
    QCOMPARE(Form1->GroupBox2->height(), 123);
    QCOMPARE(Form1->StatusBar1->height(), 19);
    QCOMPARE(Form1->PageControl1->height(), 539 - 123 - 19);
    const QList<QWidget *> toolBar{Form1->ComboBoxsearchclass, Form1->ComboBoxsearch, Form1->Buttonsearch,
                                   Form1->Buttonaddnewinfo, Form1->Buttonre, Form1->Buttondel,
                                   Form1->Button1, Form1->Button2};
    const QList<int> lefts{8, 119, 279, 377, 474, 570, 664, 757};
    for (int i = 0; i < toolBar.size(); ++i)
        QCOMPARE(toolBar.at(i)->x(), lefts.at(i));
    // The window grows with its grid; the banner and the status bar keep their height.
    Form1->resize(1000, 700);
    QTRY_COMPARE(Form1->PageControl1->height(), 700 - 123 - 19);
    Form1->hide();
}

void TestMainWindow::focusOrderOfTheToolBar()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    const QList<QWidget *> expected{Form1->DBGrid1, Form1->Buttonre, Form1->Buttonaddnewinfo, Form1->ComboBoxsearch,
                                    Form1->Buttonsearch, Form1->Buttondel, Form1->ComboBoxsearchclass,
                                    Form1->Button1, Form1->Button2};
    QList<QWidget *> visited;
    QWidget *widget = Form1->DBGrid1;
    while (visited.size() < expected.size()) {
        if (expected.contains(widget))
            visited << widget;
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(visited, expected);
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
    const auto refresh = runAnsweringBoxes([] { clickWidget(Form1->Buttonre); });
    QCOMPARE(refresh.size(), 1);
    QCOMPARE(refresh.first().icon, QMessageBox::Critical);
    QCOMPARE(refresh.first().text, QStringLiteral("unable to open database file."));
    QCOMPARE(QFileInfo(fixture.databasePath()).isFile(), false);
    // The file appearing later is not looked for again.
    if (!directoryInstead) {
        fixture.createRegister();
        QCOMPARE(runAnsweringBoxes([] { clickWidget(Form1->Buttonre); }).size(), 1);
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

void TestMainWindow::exitConfirmation()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));

    const auto refused = runAnsweringBoxes([] { Form1->close(); }, {"&No"});
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first().title, QStringLiteral("Confirm"));
    QCOMPARE(refused.first().text, QStringLiteral("您真的要退出吗"));
    QCOMPARE(refused.first().icon, QMessageBox::Question);
    QCOMPARE(refused.first().buttons.size(), 2);
    QVERIFY(Form1->isVisible());

    // Enter takes the default answer, Yes.
    const auto accepted = runAnsweringBoxes([] { Form1->close(); });
    QCOMPARE(accepted.size(), 1);
    QVERIFY(!Form1->isVisible());
}

void TestMainWindow::enterClicksSearchOnlyAfterTheBoxChanged()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QSignalSpy searches(Form1->Buttonsearch, &QPushButton::clicked);
    Form1->ComboBoxsearch->setFocus();
    QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Return);
    QCOMPARE(searches.count(), 0);
    QVERIFY(!Form1->defaultButton());

    QTest::keyClicks(Form1->ComboBoxsearch, "w");
    QCOMPARE(Form1->defaultButton(), Form1->Buttonsearch);
    runAnsweringBoxes([] { QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Return); });
    QCOMPARE(searches.count(), 1);
    // Still the default after the box is emptied again.
    Form1->ComboBoxsearch->setEditText(QString());
    runAnsweringBoxes([] { QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Enter); });
    QCOMPARE(searches.count(), 2);
    QCOMPARE(Form1->ComboBoxsearch->count(), 0);  // Enter adds nothing to its list
    Form1->hide();
}

void TestMainWindow::updateButtonOpensTheVersionPage()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    clickWidget(Form1->Button2);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.opened.size(), 1);
    QVERIFY(catcher.opened.first().toString().endsWith("/?V=Quillmere1.0.20171230"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
