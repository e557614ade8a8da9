// Bad files, vanished files and read-only files: the program reports, keeps
// running, and never writes to a file that it cannot use.
#include "db/RegisterFile.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <sqlite3.h>

class TestReliability : public QObject {
    Q_OBJECT
private slots:
    void notADatabase_data();
    void notADatabase();
    void accessDatabaseIsRefused_data();
    void accessDatabaseIsRefused();
    void readOnlyFileListsButNeverChanges();
    void lockedDatabaseWaitsThenAddsOnceFree();
    void fileRemovedWhileRunning();
    void fileReplacedWhileRunning();
};

void TestReliability::notADatabase_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QByteArray random(8192, '\0');
    QRandomGenerator generator(20171230);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    QTest::newRow("zero bytes") << QByteArray() << "no such table: data.";
    QTest::newRow("random bytes") << random << "file is not a database.";
    QTest::newRow("text file") << QByteArray("姓名,房号\n张三,101\n").repeated(300) << "file is not a database.";
}

void TestReliability::notADatabase()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    RegisterFixture fixture;
    writeFile(fixture.databasePath(), bytes);
    const auto boxes = fixture.startProgram();
    QCOMPARE(messageTexts(boxes), QStringList{error});
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QVERIFY(Form1);
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    // The program keeps running: a second listing reports the same.
    QCOMPARE(messageTexts(press(Form1->Buttonre)), QStringList{error});
    QCOMPARE(fileBytes(fixture.databasePath()), bytes);
}

void TestReliability::accessDatabaseIsRefused_data()
{
    QTest::addColumn<QByteArray>("engine");
    QTest::newRow("Jet") << QByteArray("Standard Jet DB");
    QTest::newRow("ACE") << QByteArray("Standard ACE DB");
}

void TestReliability::accessDatabaseIsRefused()
{
    QFETCH(QByteArray, engine);
    RegisterFixture fixture;
    QByteArray bytes = QByteArray("\x00\x01\x00\x00", 4) + engine + QByteArray(2048 - 4 - engine.size(), '\0');
    writeFile(fixture.databasePath(), bytes);
    const auto boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().text.contains(QStringLiteral("Access 数据库")));
    QVERIFY(boxes.first().text.contains(fixture.databasePath()));
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(fileBytes(fixture.databasePath()), bytes);
}

void TestReliability::readOnlyFileListsButNeverChanges()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}, {"李四", "102", "600"}});
    QVERIFY(QFile::setPermissions(fixture.databasePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray before = fileBytes(fixture.databasePath());
    QVERIFY(fixture.startProgram().isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    Form1->ComboBoxsearch->setEditText("李");
    QVERIFY(press(Form1->Buttonsearch).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到1 个记录"));
    const QString readOnly = QStringLiteral("attempt to write a readonly database.");

    // An add: the error, and the window keeps its texts.
    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText("王五");
    QCOMPARE(press(Form2->Buttonaddinfo).value(0).text, readOnly);
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("王五"));

    // An edit of the listed row.
    press(Form1->Buttonre);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    doubleClickRow(0);
    Form2->DBEdit_FangHao->setText("999");
    QCOMPARE(press(Form2->Buttonedit).value(0).text, readOnly);
    QVERIFY(Form2->isVisible());

    // A delete.
    press(Form2->Buttondel);
    QCOMPARE(press(Form3->Buttondelyes).value(0).text, readOnly);
    QVERIFY(Form3->isVisible());
    QCOMPARE(Form1->DataSource1->rowCount(), 2);
    QCOMPARE(fileBytes(fixture.databasePath()), before);
}

void TestReliability::lockedDatabaseWaitsThenAddsOnceFree()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();

    // Another program holds a write transaction on the file.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(fixture.databasePath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; insert into data (姓名) values ('其他程序')", nullptr, nullptr, nullptr),
             SQLITE_OK);
    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText("张三");
    QCOMPARE(press(Form2->Buttonaddinfo).value(0).text, QStringLiteral("database is locked."));
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("张三"));

    QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("张三添加成功!"));
    QCOMPARE(fixture.count(), 2);
}

void TestReliability::fileRemovedWhileRunning()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}});
    fixture.startProgram();
    QVERIFY(QFile::remove(fixture.databasePath()));

    const auto first = press(Form1->Buttonre);
    QCOMPARE(first.size(), 1);
    QVERIFY(first.first().text.contains(fixture.databasePath()));
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    const auto second = press(Form1->Buttonre);
    QCOMPARE(second.value(0).text, QStringLiteral("unable to open database file."));
    QVERIFY(!QFile::exists(fixture.databasePath()));
}

void TestReliability::fileReplacedWhileRunning()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}});
    fixture.startProgram();

    const QString replacement = fixture.directory() + "replacement.mdb";
    QVERIFY(createEmptyRegister(replacement));
    QVERIFY(QFile::remove(fixture.databasePath()));
    QVERIFY(QFile::rename(replacement, fixture.databasePath()));
    fixture.addTenant("李四", "102", "600");
    fixture.addTenant("王五", "103", "700");

    const auto first = press(Form1->Buttonre);
    QCOMPARE(first.size(), 1);
    QVERIFY(first.first().text.contains(QStringLiteral("替换")));
    // The next listing works on the file that is there now.
    QVERIFY(press(Form1->Buttonre).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
}

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
