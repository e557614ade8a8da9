// SPDX-License-Identifier: GPL-3.0-or-later
// Bad files, vanished files and read-only files: the program reports, keeps
// running, and never writes to a file that it cannot use.
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
    void readOnlyFileListsButNeverChanges();
    void lockedDatabaseWaitsThenAddsOnceFree();
    void fileGoneWhileRunning_data();
    void fileGoneWhileRunning();
};

void TestReliability::notADatabase_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");  // %1: the database path
    QByteArray random(8192, '\0');
    QRandomGenerator generator(20171230);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    const QString access = QStringLiteral("数据库文件“%1”是 Access 数据库，本程序不能打开 Access 数据库。该文件未被改动.");
    const auto accessFile = [](const QByteArray &engine) {
        return QByteArray("\x00\x01\x00\x00", 4) + engine + QByteArray(2048 - 4 - engine.size(), '\0');
    };
    QTest::newRow("zero bytes") << QByteArray() << "no such table: data.";
    QTest::newRow("random bytes") << random << "file is not a database.";
    QTest::newRow("text file") << QByteArray("姓名,房号\n张三,101\n").repeated(300) << "file is not a database.";
    QTest::newRow("Access, Jet") << accessFile("Standard Jet DB") << access;
    QTest::newRow("Access, ACE") << accessFile("Standard ACE DB") << access;
}

void TestReliability::notADatabase()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    RegisterFixture fixture;
    writeFile(fixture.databasePath(), bytes);
    error.replace("%1", fixture.databasePath());
    // An Access file is first offered for conversion; the user declines.
    const auto boxes = fixture.startProgram({"&No"});
    const bool access = QByteArray(QTest::currentDataTag()).startsWith("Access");
    QCOMPARE(boxes.size(), access ? 2 : 1);
    QCOMPARE(boxes.last().text, error);
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    // The program keeps running: a second listing reports the same.
    QCOMPARE(messageTexts(press(Form1->Buttonre)), QStringList{error});
    QCOMPARE(fileBytes(fixture.databasePath()), bytes);
}

void TestReliability::readOnlyFileListsButNeverChanges()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}, {"李四", "102", "600"}});
    QVERIFY(QFile::setPermissions(fixture.databasePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray before = fileBytes(fixture.databasePath());
    fixture.startShown();
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    Form1->ComboBoxsearch->setEditText("李");
    QVERIFY(press(Form1->Buttonsearch).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到1 个记录"));
    const QString readOnly = QStringLiteral("attempt to write a readonly database.");

    // An add: the insert fails after the list cursor was closed; it stays
    // closed, the panels keep their texts, the window stays open with its own.
    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText("王五");
    QCOMPARE(messageTexts(press(Form2->Buttonaddinfo)), QStringList{readOnly});
    QVERIFY(!Form1->ADOQuery1->Active());
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共找到1 个记录"));
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("王五"));

    // 修改 on the closed list posts nothing and leaves the window open.
    doubleClickRow(0);
    QCOMPARE(messageTexts(press(Form2->Buttonedit)),
             QStringList{"ADOQuery1: Cannot perform this operation on a closed dataset."});
    QVERIFY(Form2->isVisible());

    // An edit of a listed row.
    press(Form1->Buttonre);
    doubleClickRow(0);
    Form2->DBEdit_FangHao->setText("999");
    QCOMPARE(messageTexts(press(Form2->Buttonedit)), QStringList{readOnly});
    QVERIFY(Form2->isVisible());

    // A delete.
    press(Form2->Buttondel);
    QCOMPARE(messageTexts(press(Form3->Buttondelyes)), QStringList{readOnly});
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
    QCOMPARE(messageTexts(press(Form2->Buttonaddinfo)), QStringList{"database is locked."});
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->ComboBox_XingMing->currentText(), QStringLiteral("张三"));

    QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    QCOMPARE(Form1->StatusBar1->panelText(4), QStringLiteral("张三添加成功!"));
    QCOMPARE(fixture.count(), 2);
}

void TestReliability::fileGoneWhileRunning_data()
{
    QTest::addColumn<bool>("replaced");
    QTest::newRow("removed") << false;
    QTest::newRow("replaced") << true;
}

// The next listing reports the change; the one after that works on the
// file that is there now, and nothing creates one.
void TestReliability::fileGoneWhileRunning()
{
    QFETCH(bool, replaced);
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}});
    fixture.startProgram();
    QVERIFY(QFile::remove(fixture.databasePath()));
    if (replaced)
        fixture.createRegister({{"李四", "102", "600"}, {"王五", "103", "700"}});

    QCOMPARE(messageTexts(press(Form1->Buttonre)),
             QStringList{QStringLiteral("数据库文件“%1”已被删除、移动或替换.").arg(fixture.databasePath())});
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    if (replaced) {
        QVERIFY(press(Form1->Buttonre).isEmpty());
        QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    } else {
        QCOMPARE(messageTexts(press(Form1->Buttonre)), QStringList{"unable to open database file."});
        QVERIFY(!QFile::exists(fixture.databasePath()));
    }
}

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
