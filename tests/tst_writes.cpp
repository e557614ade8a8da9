// SPDX-License-Identifier: GPL-3.0-or-later
// 修改 and 确认 change exactly the row the user sees, or nothing: another
// program's changes, a replaced file and tables with unusual keys, checked
// in the file's rows and bytes.
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "support/WidgetChecks.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QFile>
#include <QTest>

namespace {

const QString rowNotLocated = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last read.");

enum class Action { Edit, Delete };

// Opens what the action needs on grid row `row`: the edit page with a new
// room number typed in, or the delete confirmation.
void prepare(Action action, int row)
{
    clickRow(row);
    if (action == Action::Edit) {
        doubleClickRow(row);
        Form2->DBEdit_FangHao->setText("999");
    } else {
        QVERIFY(press(Form1->Buttondel).isEmpty());
    }
}

QList<SeenBox> carryOut(Action action)
{
    return press(action == Action::Edit ? Form2->Buttonedit : Form3->Buttondelyes);
}

// The window of a failed action is still open, with its texts.
bool stillOpen(Action action)
{
    if (action == Action::Delete)
        return Form3->isVisible();
    return Form2->isVisible() && Form2->DBEdit_FangHao->text() == QStringLiteral("999");
}

QList<QStringList> allRows(RegisterFixture &fixture)
{
    return fixture.rows("select * from data");
}

} // namespace

class TestWrites : public QObject {
    Q_OBJECT
private slots:
    void rowChangedByAnotherProgram_data();
    void rowChangedByAnotherProgram();
    void replacedFileIsNeverWritten_data();
    void replacedFileIsNeverWritten();
    void copiedOverInPlace_data();
    void copiedOverInPlace();
    void unusualKeysHitTheShownRow_data();
    void unusualKeysHitTheShownRow();
    void unchangedBoxesKeepWhatWasRead_data();
    void unchangedBoxesKeepWhatWasRead();
};

void TestWrites::rowChangedByAnotherProgram_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("otherProgram");
    const QString renamed = "update data set 姓名 = '乙改' where 姓名 = '乙'";
    const QString deleted = "delete from data where 姓名 = '乙'";
    const QString remarks = "update data set 备注 = '新备注' where 姓名 = '乙'";
    QTest::newRow("renamed before 修改") << Action::Edit << renamed;
    QTest::newRow("deleted before 修改") << Action::Edit << deleted;
    QTest::newRow("another column changed before 修改") << Action::Edit << remarks;
    QTest::newRow("renamed before 确认") << Action::Delete << renamed;
    QTest::newRow("deleted before 确认") << Action::Delete << deleted;
    QTest::newRow("another column changed before 确认") << Action::Delete << remarks;
}

// Nothing is written, the error says so, the window stays, and 刷新 shows
// the table as the other program left it.
void TestWrites::rowChangedByAnotherProgram()
{
    QFETCH(Action, action);
    QFETCH(QString, otherProgram);
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "100", "0", "", "", "一"}, {"乙", "102", "200", "0", "", "", "二"},
                            {"丙", "103", "300", "0", "", "", "三"}});
    fixture.startShown();
    prepare(action, 1);
    Form1->StatusBar1->setPanelText(4, "before");
    fixture.exec(otherProgram);
    const auto expected = fixture.rows(tableRowsSql());

    QCOMPARE(messageTexts(carryOut(action)), QStringList{rowNotLocated});
    QCOMPARE(fixture.rows(tableRowsSql()), expected);
    QVERIFY(stillOpen(action));
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("before"));

    QVERIFY(press(Form1->Buttonre).isEmpty());
    QCOMPARE(listedNames(), firstColumn(fixture.rows("select 姓名 from data order by ID")));
}

void TestWrites::replacedFileIsNeverWritten_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("backupFirst");
    QTest::newRow("修改") << Action::Edit << false;
    QTest::newRow("确认") << Action::Delete << false;
    QTest::newRow("备份, then 修改") << Action::Edit << true;
    QTest::newRow("备份, then 确认") << Action::Delete << true;
}

// data.mdb is replaced by another register whose records have the same IDs:
// the rows listed from the old file are closed to every write, however
// often the user tries, until a listing has read the new file.
void TestWrites::replacedFileIsNeverWritten()
{
    QFETCH(Action, action);
    QFETCH(bool, backupFirst);
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}, {"乙"}, {"丙"}});
    fixture.startShown();
    prepare(action, 1);
    QVERIFY(QFile::rename(fixture.databasePath(), fixture.directory() + "old.mdb"));
    fixture.createRegister({{"子"}, {"丑"}, {"寅"}});
    const QByteArray replacement = fileBytes(fixture.databasePath());
    const QString notice = QStringLiteral("数据库文件“%1”已被删除、移动或替换.").arg(fixture.databasePath());

    if (backupFirst)
        QCOMPARE(press(Form1->Buttonbakdatabasa).size(), 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QCOMPARE(messageTexts(carryOut(action)), QStringList{notice});
        QVERIFY(stillOpen(action));
    }
    Form2->close();
    Form3->close();
    QCOMPARE(messageTexts(runAnsweringBoxes([] { doubleClickRow(0); })), QStringList{notice});
    QVERIFY(!Form2->isVisible());
    QCOMPARE(fileBytes(fixture.databasePath()), replacement);

    // Once the new file is listed, its rows are written as usual.
    QVERIFY(press(Form1->Buttonre).isEmpty());
    prepare(action, 1);
    QVERIFY(carryOut(action).isEmpty());
    const QStringList names = action == Action::Edit ? QStringList{"子", "丑", "寅"} : QStringList{"子", "寅"};
    QCOMPARE(firstColumn(fixture.rows("select 姓名 from data order by ID")), names);
    QCOMPARE(fixture.count("where 房号 = '999'"), action == Action::Edit ? 1 : 0);
}

void TestWrites::copiedOverInPlace_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("changedInCopy");  // whose remarks the copy changed
    QTest::newRow("修改, the row as shown") << Action::Edit << "丙";
    QTest::newRow("确认, the row changed") << Action::Delete << "乙";
}

// A register cp'd over data.mdb, same change counter: the usual rule, no row of it lost.
void TestWrites::copiedOverInPlace()
{
    QFETCH(Action, action);
    QFETCH(QString, changedInCopy);
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}, {"乙"}, {"丙"}});
    fixture.startShown();
    prepare(action, 1);
    const QString copy = fixture.directory() + "copy.mdb";
    QVERIFY(QFile::copy(fixture.databasePath(), copy));
    sqlRows(copy, "insert into data (姓名) values ('丁')");
    sqlRows(copy, "update data set 备注 = '新' where 姓名 = '" + changedInCopy + "'");
    QByteArray bytes = fileBytes(copy);
    const QByteArray header = fileBytes(fixture.databasePath()).left(40);
    QCOMPARE(bytes.replace(24, 4, header.mid(24, 4)).mid(24, 16), header.mid(24, 16));  // counters, page count
    writeFile(fixture.databasePath(), bytes);
    const QString shown = "select 姓名, 房号, 备注 from data order by ID";
    QList<QStringList> expected = fixture.rows(shown);

    const bool asShown = changedInCopy == "丙";
    QCOMPARE(messageTexts(carryOut(action)), asShown ? QStringList() : QStringList{rowNotLocated});
    if (asShown)
        expected[1][1] = "999";
    QCOMPARE(fixture.rows(shown), expected);
}

void TestWrites::unusualKeysHitTheShownRow_data()
{
    QTest::addColumn<QString>("createTable");
    QTest::addColumn<QStringList>("rows");  // the ID and the name of each row
    QTest::addColumn<int>("edited");
    QTest::addColumn<int>("deleted");
    const QString columns = "姓名 TEXT, 房号 TEXT, 租金 TEXT, 押金 TEXT, 入住日期 TEXT, 到期日期 TEXT, 备注 TEXT, 编辑时间 TEXT";
    QTest::newRow("text key holding NULL and empty")
        << "create table data (ID TEXT PRIMARY KEY, " + columns + ")"
        << QStringList{"NULL, '甲'", "'', '乙'", "NULL, '丙'", "'x', '丁'"} << 0 << 2;
    QTest::newRow("no key, identical rows, real IDs")
        << "create table data (ID, " + columns + ")"
        << QStringList{"1.5, '甲'", "1.5, '甲'", "1.5, '甲'", "0.1, '乙'"} << 1 << 2;
    QTest::newRow("WITHOUT ROWID, two-column key")
        << "create table data (ID INTEGER, " + columns + ", PRIMARY KEY (ID, 姓名)) WITHOUT ROWID"
        << QStringList{"1, '甲'", "1, '乙'", "2, '甲'"} << 1 << 2;
}

void TestWrites::unusualKeysHitTheShownRow()
{
    QFETCH(QString, createTable);
    QFETCH(QStringList, rows);
    QFETCH(int, edited);
    QFETCH(int, deleted);
    RegisterFixture fixture;
    fixture.createRegisterWith(createTable);
    for (const QString &row : rows)
        fixture.exec("insert into data (ID, 姓名) values (" + row + ")");
    fixture.startShown();
    QList<QStringList> expected = allRows(fixture);

    prepare(Action::Edit, edited);
    QVERIFY(carryOut(Action::Edit).isEmpty());
    QList<QStringList> stored = allRows(fixture);
    QVERIFY(!stored[edited].takeLast().isEmpty());  // the last-edit time
    expected[edited][2] = "999";
    expected[edited].removeLast();
    QCOMPARE(stored.at(edited), expected.at(edited));
    expected[edited] = allRows(fixture).at(edited);
    QCOMPARE(allRows(fixture), expected);

    prepare(Action::Delete, deleted);
    QVERIFY(carryOut(Action::Delete).isEmpty());
    expected.removeAt(deleted);
    QCOMPARE(allRows(fixture), expected);
}

void TestWrites::unchangedBoxesKeepWhatWasRead_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");  // SQL
    QTest::newRow("line feeds in the remarks") << "备注" << "'一' || char(10) || '二' || char(10)";
    QTest::newRow("carriage return in the remarks") << "备注" << "'一' || char(13) || '二'";
    QTest::newRow("line separator in the remarks") << "备注" << "'一' || char(8232) || '二'";
    QTest::newRow("NULL deposit") << "押金" << "NULL";
    QTest::newRow("40,000-character room") << "房号" << "printf('%.*c', 40000, 'x')";
    QTest::newRow("40,000-character move-in date") << "入住日期" << "printf('%.*c', 40000, '9')";
    QTest::newRow("blob remarks") << "备注" << "x'e4b880ff00'";
}

// 修改 after a change of the name alone: every other column holds the very
// value it held, of the same type; the name and the last-edit time are new.
void TestWrites::unchangedBoxesKeepWhatWasRead()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    RegisterFixture fixture;
    fixture.createRegister({{"甲", "101", "500", "0", "2017/1/1", "2018/1/1", "备注", "2017/01/01 00:00:00"}});
    fixture.exec(QStringLiteral("update data set %1 = %2").arg(column, value));
    const QString others = "select quote(房号), quote(租金), quote(押金), quote(入住日期), quote(到期日期), quote(备注) from data";
    const auto before = fixture.rows(others);
    fixture.startShown();

    doubleClickRow(0);
    if (value.contains("40000")) {
        QWidget *box = column == "房号" ? static_cast<QWidget *>(Form2->DBEdit_FangHao) : Form2->DBComboBoxstartdate;
        QCOMPARE(widgetTexts({box}).first().size(), 40000);
    }
    Form2->DBEdit_xiangmuedit->setText("乙");
    QVERIFY(press(Form2->Buttonedit).isEmpty());

    QCOMPARE(fixture.rows(others), before);
    QCOMPARE(fixture.rows("select 姓名, 编辑时间 > '2017' from data"), (QList<QStringList>{{"乙", "1"}}));
}

QTEST_MAIN(TestWrites)
#include "tst_writes.moc"
