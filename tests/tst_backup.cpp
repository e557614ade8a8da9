// SPDX-License-Identifier: GPL-3.0-or-later
// The database backup through the 备份 button, on real files.
#include "platform/ProgramClock.h"
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QScopeGuard>
#include <QTest>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// Every file and folder under `directory` with its bytes: any change, or a
// temporary file left behind, shows here.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(QDir(directory).relativeFilePath(path), it.fileInfo().isDir() ? "<dir>" : fileBytes(path));
    }
    return entries;
}

bool fileSystemIgnoresCase()
{
    QTemporaryDir probe;
    writeFile(probe.filePath(QStringLiteral("probe")), "x");
    return QFileInfo::exists(probe.filePath(QStringLiteral("PROBE")));
}

// The one box that a click of 备份 shows.
QString backupMessage()
{
    const auto boxes = press(Form1->Buttonbakdatabasa);
    return boxes.size() == 1 ? boxes.first().text : QStringLiteral("%1 boxes").arg(boxes.size());
}

const QString succeeded = QStringLiteral("备份数据库,成功!");

// The page 数据备份's backups, top to bottom: name and record count.
QStringList listedBackups()
{
    QStringList backups;
    for (int i = 0; i < Form1->restoreGroup->backupList->topLevelItemCount(); ++i)
        backups << Form1->restoreGroup->backupList->topLevelItem(i)->text(0) + " " + Form1->restoreGroup->backupList->topLevelItem(i)->text(2);
    return backups;
}

// Chooses the backup `name` on the page 数据备份 and presses 恢复, answering
// its question with Yes; returns the boxes' texts.
QStringList restoreFromThePage(const QString &name)
{
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    const auto found = Form1->restoreGroup->backupList->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        return {name + " is not listed"};
    Form1->restoreGroup->backupList->setCurrentItem(found.first());
    return messageTexts(
        runAnsweringBoxes([] { QTest::mouseClick(Form1->restoreGroup->restoreButton, Qt::LeftButton); }, {QStringLiteral("&Yes")}));
}

void setLastChanged(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime));
}

enum class Failure { Refused, WriterHoldsFile, WriteFails, DatabaseMissing, NotADatabase };
enum class OtherProgram { SwitchedAndClosed, HoldsItSinceTheStart, HoldsItSinceBefore };

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void backupThroughTheButton();
    void nameFromTheBox_data();
    void nameFromTheBox();
    void failedBackupChangesNothing_data();
    void failedBackupChangesNothing();
    void replacesWhatIsAtItsPaths_data();
    void replacesWhatIsAtItsPaths();
    void writeAheadLogFileBackedUpWithEveryAdd_data();
    void writeAheadLogFileBackedUpWithEveryAdd();
    void otherDaysBackupIsKept_data();
    void otherDaysBackupIsKept();
    void restoreThroughThePage();
    void restoreRefusesABadBackup_data();
    void restoreRefusesABadBackup();
};

void TestBackup::backupThroughTheButton()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}, {"李四", "102"}});
    writeFile(fixture.directory() + "20000101_BAK_.mdb", "another day");
    fixture.startProgram();
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->EditDATABAKNAME->text().isEmpty(), 2500);  // the clock's name
    const QString backup = fixture.directory() + Form1->EditDATABAKNAME->text() + ".mdb";
    const int currentRow = Form1->DBGrid1->currentIndex().row();

    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(fileBytes(backup), fileBytes(fixture.databasePath()));
    QCOMPARE(firstColumn(sqlRows(backup, "select 姓名 from data order by ID")), (QStringList{"张三", "李四"}));
    QCOMPARE(Form1->DBGrid1->currentIndex().row(), currentRow);
    QCOMPARE(Form1->StatusBar1->panelText(4), QString());

    // Again after a change (a writer gets in, so the lock was let go).
    fixture.addTenant({"王五", "203"});
    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(fileBytes(backup), fileBytes(fixture.databasePath()));
    QCOMPARE(firstColumn(sqlRows(backup, "select 姓名 from data order by ID")), (QStringList{"张三", "李四", "王五"}));
    QCOMPARE(fileBytes(fixture.directory() + "20000101_BAK_.mdb"), QByteArray("another day"));
    QCOMPARE(snapshot(fixture.directory()).size(), 3);
}

void TestBackup::nameFromTheBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("typed before the next tick") << "mine" << "mine.mdb";
    QTest::newRow("empty box") << "" << ".mdb";
    QTest::newRow("dots in the name") << "2017.12.30_BAK_" << "2017.12.30_BAK_.mdb";
    if (!fileSystemIgnoresCase())
        QTest::newRow("DATA where case matters") << "DATA" << "DATA.mdb";
}

void TestBackup::nameFromTheBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, fileName);
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startProgram();
    Form1->EditDATABAKNAME->clear();
    QTest::keyClicks(Form1->EditDATABAKNAME, typed);
    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(fileBytes(fixture.directory() + fileName), fileBytes(fixture.databasePath()));
    QCOMPARE(snapshot(fixture.directory()).size(), 2);
}

void TestBackup::failedBackupChangesNothing_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("name");
    QTest::newRow("the database's own name") << Failure::Refused << "data";
    if (fileSystemIgnoresCase())
        QTest::newRow("the database's name in capitals") << Failure::Refused << "DATA";
    QTest::newRow("into a folder") << Failure::Refused << "sub/day";
    QTest::newRow("backslash") << Failure::Refused << "sub\\day";
    QTest::newRow("up and out") << Failure::Refused << "../%1";
    QTest::newRow("dot") << Failure::Refused << ".";
    QTest::newRow("dot dot") << Failure::Refused << "..";
    QTest::newRow("a folder at the backup path") << Failure::Refused << "folder";
    QTest::newRow("the Access original a conversion kept") << Failure::Refused << "data_access";
    QTest::newRow("a text file at the backup path") << Failure::Refused << "notes";
    QTest::newRow("a writer holds the file") << Failure::WriterHoldsFile << "day";
#ifdef Q_OS_UNIX
    QTest::newRow("a link to the database") << Failure::Refused << "link";
    QTest::newRow("the copy cannot be written") << Failure::WriteFails << "day";
#endif
    QTest::newRow("database missing") << Failure::DatabaseMissing << "day";
    QTest::newRow("not a database") << Failure::NotADatabase << "day";
}

// The failure message with the full database path; the database, the
// earlier backup of that name and the rest as they were; nothing added.
void TestBackup::failedBackupChangesNothing()
{
    QFETCH(Failure, failure);
    QFETCH(QString, name);
    RegisterFixture fixture;
    if (failure == Failure::NotADatabase)
        writeFile(fixture.databasePath(), QByteArray(8192, 'x'));
    else if (failure != Failure::DatabaseMissing)
        fixture.createRegister();
    sqlRows(fixture.directory() + "day.mdb", "create table data (姓名)");  // an earlier backup
    writeFile(fixture.directory() + "data_access.mdb", QByteArray("\x00\x01\x00\x00Standard Jet DB", 19).leftJustified(4096, '\0'));
    writeFile(fixture.directory() + "notes.mdb", "姓名,房号\n");
    QVERIFY(QDir(fixture.directory()).mkpath("sub") && QDir(fixture.directory()).mkpath("folder.mdb/inside"));
    if (name == "link")
        QVERIFY(QFile::link(fixture.databasePath(), fixture.directory() + "link.mdb"));
    // "Out" of the program directory is beside it, under a name of its own.
    const QString outside = QDir(fixture.directory()).dirName() + "-outside";
    const auto removeOutside = qScopeGuard([&] { QFile::remove(fixture.directory() + "../" + outside + ".mdb"); });
    fixture.startProgram();
    Form1->EditDATABAKNAME->setText(name.replace("%1", outside));
    const auto before = snapshot(fixture.directory());

    sqlite3 *writer = nullptr;
    const auto closeWriter = qScopeGuard([&] { sqlite3_close(writer); });
    if (failure == Failure::WriterHoldsFile) {
        sqlite3_open(QFile::encodeName(fixture.databasePath()).constData(), &writer);
        QCOMPARE(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
#ifdef Q_OS_UNIX
    // Writes past the first kilobyte fail, as on a full disk; root too.
    rlimit fileSize{};
    getrlimit(RLIMIT_FSIZE, &fileSize);
    const rlimit original = fileSize;
    const auto restoreLimit = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &original); });
    if (failure == Failure::WriteFails) {
        std::signal(SIGXFSZ, SIG_IGN);
        fileSize.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &fileSize), 0);
    }
#endif

    QCOMPARE(backupMessage(), QStringLiteral("备份数据库,失败!") + QDir::toNativeSeparators(fixture.databasePath()));
    QCOMPARE(snapshot(fixture.directory()), before);
    QVERIFY(!QFileInfo::exists(fixture.directory() + "../" + outside + ".mdb"));
}

void TestBackup::replacesWhatIsAtItsPaths_data()
{
    QTest::addColumn<QString>("leftOver");  // what is at the path beforehand
#ifdef Q_OS_UNIX
    QTest::newRow("a link to a file outside") << "day.mdb";
#endif
    QTest::newRow("a copy cut short by a crash") << "Quillmere-backup.tmp";
}

// The backup file replaces a link at its path (the file the link names is
// not written) and a temporary file an earlier backup left behind.
void TestBackup::replacesWhatIsAtItsPaths()
{
    QFETCH(QString, leftOver);
    RegisterFixture fixture;
    fixture.createRegister({{"张三"}});
    const QString outside = fixture.directory() + "../" + QDir(fixture.directory()).dirName() + "-outside";
    const auto removeOutside = qScopeGuard([&] { QFile::remove(outside); });
    writeFile(outside, "not a backup");
    if (leftOver.endsWith(".mdb"))
        QVERIFY(QFile::link(outside, fixture.directory() + leftOver));
    else
        writeFile(fixture.directory() + leftOver, "half a copy");
    fixture.startProgram();
    Form1->EditDATABAKNAME->setText("day");

    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(fileBytes(outside), QByteArray("not a backup"));
    const auto files = snapshot(fixture.directory());
    QCOMPARE(files.keys(), (QStringList{"data.mdb", "day.mdb"}));
    QCOMPARE(files.value("day.mdb"), fileBytes(fixture.databasePath()));
    QVERIFY(!QFileInfo(fixture.directory() + "day.mdb").isSymLink());
}

void TestBackup::writeAheadLogFileBackedUpWithEveryAdd_data()
{
    QTest::addColumn<OtherProgram>("other");
    QTest::newRow("switched while the program runs") << OtherProgram::SwitchedAndClosed;
    QTest::newRow("switched and held open while it runs") << OtherProgram::HoldsItSinceTheStart;
    QTest::newRow("switched and held open before the start") << OtherProgram::HoldsItSinceBefore;
}

// data.mdb switched to WAL by another program, maybe held open: each backup has every commit.
void TestBackup::writeAheadLogFileBackedUpWithEveryAdd()
{
    QFETCH(OtherProgram, other);
    RegisterFixture fixture;
    fixture.createRegister({{"张三"}});
    if (other != OtherProgram::HoldsItSinceBefore)
        fixture.startProgram();
    sqlite3 *db = nullptr;
    const auto closeOther = qScopeGuard([&] { sqlite3_close(db); });
    sqlite3_open(QFile::encodeName(fixture.databasePath()).constData(), &db);
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=WAL; insert into data (姓名) values ('赵六')", nullptr, nullptr, nullptr), 0);
    if (other == OtherProgram::SwitchedAndClosed)
        sqlite3_close(db), db = nullptr;
    else if (other == OtherProgram::HoldsItSinceBefore)
        QCOMPARE(messageTexts(fixture.startProgram()), QStringList());
    Form1->EditDATABAKNAME->setText("day");
    const auto backedUp = [&] { return firstColumn(sqlRows(fixture.directory() + "day.mdb", "select 姓名 from data")); };
    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(backedUp(), (QStringList{"张三", "赵六"}));

    press(Form1->Buttonaddnewinfo);
    Form2->ComboBox_XingMing->setEditText("李四");
    QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
    fixture.addTenant({"王五"});
    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(backedUp(), (QStringList{"张三", "赵六", "李四", "王五"}));
}

void TestBackup::otherDaysBackupIsKept_data()
{
    QTest::addColumn<QDate>("lastChanged");  // the day of the earlier 2026129_BAK_.mdb
    QTest::addColumn<QString>("kept");       // its name afterwards; empty: replaced
    QTest::newRow("same day") << QDate(2026, 12, 9) << "";
    QTest::newRow("29 January, its dated name taken") << QDate(2026, 1, 29) << "2026129_BAK_ (2026-01-29) 2.mdb";
}

// 2026/12/9 gives 2026129_BAK_ as 2026/1/29 did: only that day's backup is kept.
void TestBackup::otherDaysBackupIsKept()
{
    QFETCH(QDate, lastChanged);
    QFETCH(QString, kept);
    RegisterFixture fixture;
    fixture.createRegister({{"甲"}});
    const QString earlier = fixture.directory() + "2026129_BAK_.mdb";
    sqlRows(earlier, "create table data (姓名)");
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(lastChanged.startOfDay(), QFileDevice::FileModificationTime));
    const QByteArray earlierBytes = file.readAll();
    writeFile(fixture.directory() + "2026129_BAK_ (2026-01-29).mdb", "taken");
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    const auto systemClock = qScopeGuard([] { setCurrentLocalDateTime({}); });
    fixture.startProgram();
    QTRY_COMPARE_WITH_TIMEOUT(Form1->EditDATABAKNAME->text(), QStringLiteral("2026129_BAK_"), 2500);

    QCOMPARE(backupMessage(), succeeded);
    QCOMPARE(fileBytes(earlier), fileBytes(fixture.databasePath()));
    QCOMPARE(fileBytes(fixture.directory() + kept), kept.isEmpty() ? QByteArray() : earlierBytes);
    QCOMPARE(QDir(fixture.directory()).entryList(QDir::Files).size(), kept.isEmpty() ? 3 : 4);
}

void TestBackup::restoreThroughThePage()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101"}, {"李四", "102"}});
    const QByteArray older = fileBytes(fixture.databasePath());
    const QString chosen = fixture.directory() + "2026121_BAK_.mdb";
    writeFile(chosen, older);
    setLastChanged(chosen, QDateTime(QDate(2026, 12, 1), QTime(9, 5)));
    fixture.addTenant({"王五", "103"});
    writeFile(fixture.directory() + "2026128_BAK_.mdb", fileBytes(fixture.databasePath()));
    fixture.addTenant({"赵六", "104"});
    const QByteArray current = fileBytes(fixture.databasePath());
    // Not backups: a text file, and the Access original a conversion kept.
    writeFile(fixture.directory() + "notes.mdb", "notes");
    writeFile(fixture.directory() + "data_access.mdb", QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
    setCurrentLocalDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    fixture.startShown();
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    QCOMPARE(listedBackups(), (QStringList{"2026128_BAK_.mdb 3", "2026121_BAK_.mdb 2"}));

    const QString safety = QStringLiteral("恢复前_2026-12-09_103000.mdb");
    QCOMPARE(restoreFromThePage("2026121_BAK_.mdb"),
             (QStringList{"要用备份“2026121_BAK_.mdb”（2026/12/1 9:05:00，2 个记录）替换当前的数据库吗？\n"
                          "恢复前，当前的数据库会先备份为“" + safety + "”。",
                          "已恢复备份“2026121_BAK_.mdb”，共 2 个记录。\n恢复前的数据库已备份为“" + safety + "”。"}));
    QCOMPARE(fileBytes(fixture.databasePath()), older);
    QCOMPARE(fileBytes(chosen), older);
    QCOMPARE(fileBytes(fixture.directory() + safety), current);
    QCOMPARE(listedNames(), (QStringList{"张三", "李四"}));
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 2 个记录"));
    QCOMPARE(listedBackups().first(), safety + " 4");
}

void TestBackup::restoreRefusesABadBackup_data()
{
    QTest::addColumn<QByteArray>("bytes");  // put in the chosen backup's place once it is listed; empty: removed
    QTest::addColumn<QString>("reason");
    QTest::newRow("damaged") << QByteArray() << "文件已损坏";
    QTest::newRow("the Access original") << QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20)
                                        << "它是 Access 数据库，不是登记表的备份";
    QTest::newRow("not a register") << QByteArray("电话 555") << "它不是登记表";
    QTest::newRow("gone") << QByteArray("-") << "文件已不存在";
    QTest::newRow("data.mdb marked read-only") << QByteArray("read-only") << "数据库文件被设为只读";
}

void TestBackup::restoreRefusesABadBackup()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    RegisterFixture fixture;
    fixture.createRegister();
    for (int i = 0; i < 40; ++i)
        fixture.addTenant({QStringLiteral("租客%1").arg(i), "", "", "", "", "", QString(200, QChar(u'备'))});
    const QString chosen = fixture.directory() + "chosen.mdb";
    writeFile(chosen, fileBytes(fixture.databasePath()));
    fixture.startShown();
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    if (bytes.isEmpty())  // the table's pages overwritten, the header whole
        writeFile(chosen, fileBytes(chosen).left(4096) + QByteArray(fileBytes(chosen).size() - 4096, '\xff'));
    else if (bytes == "-")
        QFile::remove(chosen);
    else if (bytes == "read-only")
        QFile::setPermissions(fixture.databasePath(), QFile::ReadOwner | QFile::ReadGroup);
    else
        writeFile(chosen, bytes);
    const auto before = snapshot(fixture.directory());

    const QStringList boxes = restoreFromThePage("chosen.mdb");
    QCOMPARE(boxes.value(1), QStringLiteral("无法恢复“chosen.mdb”：%1。\n当前的数据库没有改动。").arg(reason));
    QCOMPARE(snapshot(fixture.directory()), before);
    QCOMPARE(Form1->DataSource1->rowCount(), 40);
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
