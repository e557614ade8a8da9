// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword search and the due-tenant listing, through the real main window.
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

const QString prompt = QStringLiteral("请输入搜索关键字");

// Sixteen tenants whose names, rooms and remarks exercise the search.
void startWithSearchTenants(RegisterFixture &fixture)
{
    fixture.createRegister({{"王小明", "10", "", "", "", "", "电话 555"}, {"李四", "101"}, {"张三", "210"},
                            {"赵六", "1010"}, {"钱七", "11"}, {"折扣50%", "201"}, {"折扣500", "202"}, {"a_b", "301"},
                            {"axb", "302"}, {"O'Brien", "303"}, {"C:\\dir", "304"}, {"C:dir", "305"}, {"Alice", "306"},
                            {"两  空格", "307"}, {"一 空格", "308"}, {prompt + "吧", "309"}});
    QVERIFY(fixture.startProgram().isEmpty());
    Form1->StatusBar1->setPanelText(4, "kept");
}

QList<SeenBox> search(const QString &column, const QString &keyword)
{
    Form1->ComboBoxsearchclass->setEditText(column);
    Form1->ComboBoxsearch->setEditText(keyword);
    return press(Form1->Buttonsearch);
}

// The count panel's text at the moment each message box shows.
class CountPanelAtBoxes : public QObject {
public:
    CountPanelAtBoxes() { qApp->installEventFilter(this); }
    ~CountPanelAtBoxes() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched))
            texts << Form1->StatusBar1->panelText(1);
        return false;
    }
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void searches_data();
    void searches();
    void unknownColumnLeavesTheListClosed_data();
    void unknownColumnLeavesTheListClosed();
    void enterSearchesOnlyAfterTheBoxChanged();
    void dueListing_data();
    void dueListing();
    void emptyDueListingBringsTheFullListBack();
    void endingSoonListing_data();
    void endingSoonListing();
};

void TestSearch::refusals_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("empty") << QString();
    QTest::newRow("the prompt") << prompt;
}

void TestSearch::refusals()
{
    QFETCH(QString, keyword);
    RegisterFixture fixture;
    startWithSearchTenants(fixture);
    const auto boxes = search("姓名", keyword);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Larkhaven"));
    QCOMPARE(boxes.first().text, prompt);
    QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(Form1->ADOQuery1->SQL(), QStringLiteral("select * from data"));
    QCOMPARE(Form1->DataSource1->rowCount(), 16);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 16 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("kept"));
}

void TestSearch::searches_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("room 10") << "房号" << "10" << QStringList{"王小明", "李四", "张三", "赵六"};
    QTest::newRow("prompt and more") << "姓名" << prompt + "吧" << QStringList{prompt + "吧"};
    QTest::newRow("two blanks") << "姓名" << "  " << QStringList{"两  空格"};
    QTest::newRow("one blank") << "姓名" << " " << QStringList{"两  空格", "一 空格"};
    QTest::newRow("percent sign") << "姓名" << "50%" << QStringList{"折扣50%"};
    QTest::newRow("underscore") << "姓名" << "a_b" << QStringList{"a_b"};
    QTest::newRow("quote") << "姓名" << "'" << QStringList{"O'Brien"};
    QTest::newRow("escape character") << "姓名" << "\\d" << QStringList{"C:\\dir"};
    QTest::newRow("ASCII case ignored") << "姓名" << "ALICE" << QStringList{"Alice"};
    QTest::newRow("typed column 备注") << "备注" << "555" << QStringList{"王小明"};
    QTest::newRow("column name in other case") << "id" << "16" << QStringList{prompt + "吧"};
    QTest::newRow("blanks around the column") << " 房号 " << "10" << QStringList{"王小明", "李四", "张三", "赵六"};
    QTest::newRow("column in brackets") << "[房号]" << "10" << QStringList{"王小明", "李四", "张三", "赵六"};
    QTest::newRow("column qualified by the table") << "DATA.[房号]" << "10" << QStringList{"王小明", "李四", "张三", "赵六"};
    QTest::newRow("nothing found") << "姓名" << "无此人" << QStringList{};
}

void TestSearch::searches()
{
    QFETCH(QString, column);
    QFETCH(QString, keyword);
    QFETCH(QStringList, found);
    RegisterFixture fixture;
    startWithSearchTenants(fixture);
    QVERIFY(search(column, keyword).isEmpty());
    QCOMPARE(listedNames(), found);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到%1 个记录").arg(found.size()));
    QCOMPARE(columnWidths(), listColumnWidths);
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("kept"));
}

void TestSearch::unknownColumnLeavesTheListClosed_data()
{
    QTest::addColumn<QString>("column");
    QTest::newRow("no such column") << "电话";
    QTest::newRow("empty") << "";
    QTest::newRow("rowid") << "rowid";
    QTest::newRow("SQL text") << "1=1 or 姓名";
    QTest::newRow("quote in name") << "姓名\"";
    QTest::newRow("other table's column") << "other.姓名";
    QTest::newRow("empty brackets") << "[]";
}

void TestSearch::unknownColumnLeavesTheListClosed()
{
    QFETCH(QString, column);
    RegisterFixture fixture;
    startWithSearchTenants(fixture);
    const auto boxes = search(column, "王");
    QCOMPARE(messageTexts(boxes), QStringList{QStringLiteral("no column '%1' in table data.").arg(column)});
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QVERIFY(!Form1->ADOQuery1->Active());
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 16 个记录"));
    QVERIFY(press(Form1->Buttonre).isEmpty());
    QCOMPARE(Form1->DataSource1->rowCount(), 16);
}

void TestSearch::enterSearchesOnlyAfterTheBoxChanged()
{
    RegisterFixture fixture;
    startWithSearchTenants(fixture);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    Form1->ComboBoxsearch->setFocus();
    // Unchanged box: Enter does nothing, not even the refusal.
    QVERIFY(runAnsweringBoxes([] { QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Return); }).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 16 个记录"));
    QVERIFY(!Form1->defaultButton());

    Form1->ComboBoxsearch->lineEdit()->selectAll();
    QTest::keyClicks(Form1->ComboBoxsearch, "alice");
    QCOMPARE(Form1->defaultButton(), Form1->Buttonsearch);
    QVERIFY(runAnsweringBoxes([] { QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Return); }).isEmpty());
    QCOMPARE(listedNames(), QStringList{"Alice"});
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到1 个记录"));

    // 查询 stays the default once the box is emptied again.
    Form1->ComboBoxsearch->setEditText(QString());
    const auto refused = runAnsweringBoxes([] { QTest::keyClick(Form1->ComboBoxsearch, Qt::Key_Enter); });
    QCOMPARE(messageTexts(refused), QStringList{prompt});
    QCOMPARE(Form1->ComboBoxsearch->count(), 0);  // Enter adds nothing to the box's list
}

void TestSearch::dueListing_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<QString>("expiryFormat");  // how the expiry texts are written
    QTest::newRow("regional yyyy/M/d") << "yyyy/M/d" << "yyyy/M/d";
    QTest::newRow("regional dd.MM.yy") << "dd.MM.yy" << "dd.MM.yy";
    QTest::newRow("ISO date") << "M/d/yyyy" << "yyyy-MM-dd";
    QTest::newRow("ISO date-time") << "d/M/yyyy" << "yyyy-MM-ddTHH:mm:ss";
}

void TestSearch::dueListing()
{
    QFETCH(QString, shortDateFormat);
    QFETCH(QString, expiryFormat);
    RegisterFixture fixture;
    setRegionalFormats(RegionalFormats::fromFormats(shortDateFormat, "H:mm:ss"));
    const QDateTime lateToday(QDate::currentDate(), QTime(23, 59, 59));
    const auto expiring = [&](const QString &name, const QDateTime &expiry) {
        return QStringList{name, "", "", "", "", expiry.toString(expiryFormat)};
    };
    // Texts that read as no date are never due and never fail the listing.
    fixture.createRegister({expiring("去年", lateToday.addYears(-1)), expiring("今天", lateToday),
                            expiring("昨天", lateToday.addDays(-1)), expiring("明天", lateToday.addDays(1)),
                            {"无日期", "", "", "", "", ""}, {"无日期", "", "", "", "", "明年"},
                            {"无日期", "", "", "", "", "2018/13/45"}});
    fixture.exec("insert into data (姓名) values ('无日期')");
    QVERIFY(fixture.startProgram().isEmpty());
    Form1->StatusBar1->setPanelText(4, "kept");

    QVERIFY(press(Form1->Button1).isEmpty());
    QCOMPARE(listedNames(), (QStringList{"去年", "昨天"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共2 个到期的房客"));
    QCOMPARE(columnWidths(), listColumnWidths);
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("kept"));
    // The texts left out are counted under the tool bar, and listed on request.
    QVERIFY(!Form1->unreadableDatesNoteLabel->isHidden());
    QVERIFY(Form1->unreadableDatesNoteLabel->text().startsWith("另有2 个记录的到期日期无法识别"));
    emit Form1->unreadableDatesNoteLabel->linkActivated("list");
    QCOMPARE(listedNames(), (QStringList{"无日期", "无日期"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共2 个到期日期无法识别"));
    QVERIFY(Form1->unreadableDatesNoteLabel->isHidden());
}

void TestSearch::emptyDueListingBringsTheFullListBack()
{
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "1", "100", "", "", QDate::currentDate().addDays(1).toString("yyyy/M/d")},
                            {"乙", "2", "200", "", "", "明年"}, {"丙", "3", "300"}});
    QVERIFY(fixture.startProgram().isEmpty());
    QVERIFY(search("姓名", "甲").isEmpty());
    Form1->StatusBar1->setPanelText(4, "甲添加成功!");
    fixture.exec("update data set 租金 = '150' where 姓名 = '甲'");

    CountPanelAtBoxes countAtBox;
    const auto boxes = press(Form1->Button1);
    QCOMPARE(messageTexts(boxes), QStringList{"暂无到期房客."});
    QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(countAtBox.texts, QStringList{"共0 个到期的房客"});
    // Then 刷新: the full list, its count text, a fresh rent total, no message.
    QCOMPARE(listedNames(), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 3 个记录"));
    QCOMPARE(Form1->Edittjzhichu->text(), QStringLiteral("650"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
}

void TestSearch::endingSoonListing_data()
{
    QTest::addColumn<bool>("fromTheMenu");  // else from the button on the figures' page
    QTest::newRow("the grid's menu") << true;
    QTest::newRow("the figures' page") << false;
}

void TestSearch::endingSoonListing()
{
    QFETCH(bool, fromTheMenu);
    RegisterFixture fixture;
    const QDate today(2026, 12, 9);
    setCurrentLocalDateTime(QDateTime(today, QTime(23, 59)));
    const auto expiring = [&](const QString &name, int days) {
        return QStringList{name, "", "", "", "", today.addDays(days).toString("yyyy/M/d")};
    };
    fixture.createRegister({expiring("第31天", 31), expiring("第30天", 30), expiring("今天", 0), expiring("昨天", -1),
                            expiring("明天", 1), {"长日期", "", "", "", "", "2026年12月19日"},
                            {"无法识别", "", "", "", "", "2026/11/31"}, {"无日期"}});
    QVERIFY(fixture.startProgram().isEmpty());
    Form1->PageControl1->setCurrentWidget(Form1->rentRoundPage);
    QVERIFY(Form1->PopupMenu1->actions().contains(Form1->endingSoonAction));
    const auto boxes = fromTheMenu ? runAnsweringBoxes([] { Form1->endingSoonAction->trigger(); }) : press(Form1->tenantSummary->endingSoonButton);
    QVERIFY(boxes.isEmpty());
    QCOMPARE(Form1->PageControl1->currentWidget(), Form1->TabSheet1);
    QCOMPARE(listedNames(), (QStringList{"明天", "长日期", "第30天"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共3 个30天内到期的房客"));
    QCOMPARE(columnWidths(), listColumnWidths);
    QVERIFY(Form1->unreadableDatesNoteLabel->text().startsWith("另有1 个记录的到期日期无法识别"));

    // None within the days: said, and the full list comes back.
    fixture.exec("delete from data where 姓名 in ('明天', '长日期', '第30天')");
    QCOMPARE(messageTexts(runAnsweringBoxes([] { Form1->endingSoonAction->trigger(); })), QStringList{"30天内暂无到期房客."});
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 5 个记录"));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
