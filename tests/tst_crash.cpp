// SPDX-License-Identifier: GPL-3.0-or-later
// A crash during work loses nothing that the program said it had saved.
#include "db/ADOConnection.h"
#include "db/RegisterFile.h"
#include "ledger/BillGeneration.h"
#include "ledger/Payments.h"
#include "jet4/Jet4Writer.h"
#include "support/RegisterFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The moments of the kills come from this seed, printed so that a failing
// run can be replayed: LARKHAVEN_CRASH_SEED=<seed> tst_crash.
QRandomGenerator seededRandom()
{
    bool given = false;
    quint32 seed = qEnvironmentVariable("LARKHAVEN_CRASH_SEED").toUInt(&given);
    if (!given)
        seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    return QRandomGenerator(seed);
}

// A register of 30 tenants with this month's bills, made as the page makes
// them, and `payments` payments of 0.01 on each bill; its file's path.
QString billedRegister(const QTemporaryDir &directory, int payments)
{
    const QString database = directory.path() + "/data.mdb";
    if (!createEmptyRegister(database))
        qFatal("no register made");
    sqlRows(database, "with recursive n(i) as (select 1 union all select i + 1 from n where i < 30)"
                      " insert into data (姓名, 房号, 租金) select '房客' || i, 100 + i, '1000' from n");
    TADOConnection connection;
    connection.setDatabaseFile(database);
    const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss");
    const LedgerMonth month = LedgerMonth::of(QDate::currentDate());
    generateBills(connection, previewBills(connection, month, formats), formats);
    for (int i = 0; i < payments; ++i) {
        for (const BillSummary &bill : readMonthBills(connection.handle(), true, month))
            recordPayment(connection, connection.generation(), bill, 1, QDate::currentDate(), "现金", "");
    }
    return database;
}

// crash_adder (adding, or in the `mode` given) on the register in
// `directory`, killed (SIGKILL) at a random moment of up to `longest` ms
// once it is under way; what it printed, line by line.
QList<QByteArray> killedMidway(const QTemporaryDir &directory, const QStringList &mode, QRandomGenerator &random,
                               int longest)
{
    QProcess child;
    child.start(CRASH_ADDER_PATH, QStringList{directory.path()} + mode);
    if (!child.waitForStarted())
        qFatal("crash_adder did not start");
    if (!QTest::qWaitFor([&] { return child.canReadLine() || child.state() != QProcess::Running; }, 60000))
        qFatal("crash_adder said nothing within a minute");
    QTest::qWait(random.bounded(1, longest));
    child.kill();
    child.waitForFinished();
    return child.readAllStandardOutput().split('\n');
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileAddingLosesNoReportedAdd();
    void killedWhileConvertingKeepsEveryFileWhole();
    void killedWhileRestoringKeepsTheRegisterWhole();
    void killedWhilePayingLosesNoReportedPayment();
    void killedWhileGivingReceiptsGivesNoNumberTwice();
};

void TestCrash::killedWhileAddingLosesNoReportedAdd()
{
    QTemporaryDir directory;
    const QString database = directory.path() + "/data.mdb";
    QVERIFY(createEmptyRegister(database));
    QRandomGenerator random = seededRandom();
    QStringList reported;
    for (int run = 0; run < 20; ++run) {
        for (const QByteArray &line : killedMidway(directory, {}, random, 400)) {
            if (line.startsWith("ADDED "))
                reported << QString::fromUtf8(line.mid(6));
        }
        QCOMPARE(firstColumn(sqlRows(database, "PRAGMA integrity_check")), QStringList{"ok"});
        const QStringList stored = firstColumn(sqlRows(database, "select 姓名 from data"));
        for (const QString &name : reported)
            QVERIFY2(stored.contains(name), qPrintable(name + " was reported added but is not stored"));
    }
    QVERIFY(reported.size() >= 20);
}

namespace {

// Runs the converter on the directory to its end, or kills it after `killAfterMs`.
bool runConverter(const QString &directory, int killAfterMs = -1)
{
    QProcess converter;
    converter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    converter.start(CRASH_CONVERTER_PATH, {directory});
    if (!converter.waitForStarted())
        return false;
    if (killAfterMs >= 0 && !converter.waitForFinished(killAfterMs))
        converter.kill();  // SIGKILL
    return converter.waitForFinished(120000) && converter.exitStatus() == QProcess::NormalExit
        && converter.exitCode() == 0;
}

bool isWholeRegister(const QString &path, int rows)
{
    return firstColumn(sqlRows(path, "PRAGMA integrity_check")) == QStringList{"ok"}
        && firstColumn(sqlRows(path, "select count(*) from data")) == QStringList{QString::number(rows)};
}

} // namespace

void TestCrash::killedWhileConvertingKeepsEveryFileWhole()
{
    constexpr int rows = 20000;
    QTemporaryDir directory;
    jet4::Table tenants{"data", {{"ID", jet4::ColumnType::Long, true}, {"姓名", jet4::ColumnType::Text},
                                 {"房号", jet4::ColumnType::Text}, {"备注", jet4::ColumnType::Memo}}, {}, {}};
    for (int i = 1; i <= rows; ++i)
        tenants.rows.append({QVariant(), QStringLiteral("房客%1").arg(i), QString::number(100 + i % 900),
                             QStringLiteral("电话：%1\r\n").arg(13800000000LL + i).repeated(4)});
    const QString source = directory.filePath("source.mdb");
    QVERIFY(jet4::writeDatabase(source, {tenants}));
    const QByteArray access = fileBytes(source);

    // How long a whole run takes, so that the kills fall all over it.
    const QString timed = directory.filePath("timed");
    QVERIFY(QDir().mkpath(timed) && QFile::copy(source, timed + "/data.mdb"));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(runConverter(timed));
    const int wholeRunMs = int(clock.elapsed());

    QRandomGenerator random = seededRandom();
    int convertedWhenKilled = 0;
    for (int run = 0; run < 20; ++run) {
        const QString work = directory.filePath(QString::number(run));
        const QString database = work + "/data.mdb";
        const QString kept = work + "/data_access.mdb";
        QVERIFY(QDir().mkpath(work) && QFile::copy(source, database));
        runConverter(work, random.bounded(wholeRunMs + wholeRunMs / 4 + 1));

        // data.mdb is the untouched Access file or the whole register, and
        // the Access bytes are under data.mdb or the kept name.
        const QByteArray now = fileBytes(database);
        if (now != access) {
            QVERIFY2(isWholeRegister(database, rows), qPrintable(QString("run %1").arg(run)));
            QCOMPARE(fileBytes(kept), access);
            ++convertedWhenKilled;
        }
        // The next start converts, or finds the register; nothing else remains.
        QVERIFY(runConverter(work));
        QVERIFY(isWholeRegister(database, rows));
        QCOMPARE(fileBytes(kept), access);
        QCOMPARE(QDir(work).entryList(QDir::Files | QDir::Hidden), (QStringList{"data.mdb", "data_access.mdb"}));
    }
    qInfo("%d of 20 runs were killed after the register took data.mdb's place", convertedWhenKilled);
}

void TestCrash::killedWhileRestoringKeepsTheRegisterWhole()
{
    // Three registers of different rows: data.mdb and two backups.
    QTemporaryDir directory;
    const QStringList names{"data", "甲", "乙"};
    QMap<QByteArray, QString> registers;  // bytes -> which
    for (const QString &which : names) {
        const QString path = directory.filePath(which + ".mdb");
        QVERIFY(createEmptyRegister(path));
        sqlRows(path, QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                                     "insert into data (姓名, 备注) select '%2' || i, hex(randomblob(100)) from n")
                          .arg(which == "乙" ? 6000 : 10000)
                          .arg(which));
        registers.insert(fileBytes(path), which);
    }
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int restoredWhenKilled = 0;
    int cutShort = 0;
    for (int run = 0; run < 12; ++run) {
        const QString work = directory.filePath(QString::number(run));
        QVERIFY(QDir().mkpath(work));
        for (const QString &which : names)
            QVERIFY(QFile::copy(directory.filePath(which + ".mdb"), work + "/" + which + ".mdb"));
        QProcess restorer;
        restorer.start(CRASH_ADDER_PATH, {work, "--restore", "甲.mdb", "乙.mdb"});
        QVERIFY(restorer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(restorer.canReadLine() || restorer.state() != QProcess::Running, 30000);
        QTest::qWait(random.bounded(1, 300));
        restorer.kill();  // SIGKILL
        QVERIFY(restorer.waitForFinished());

        // data.mdb is one of the registers, whole; so is every backup the
        // program reported, and every file under a safety backup's name.
        const QString now = registers.value(fileBytes(work + "/data.mdb"));
        QVERIFY2(!now.isEmpty(), qPrintable(QString("run %1: data.mdb is none of the registers").arg(run)));
        restoredWhenKilled += now != "data";
        cutShort += QFileInfo::exists(work + "/Quillmere-restore.tmp");
        QStringList reported;
        for (const QByteArray &line : restorer.readAllStandardOutput().split('\n')) {
            if (line.startsWith("RESTORED "))
                reported << QString::fromUtf8(line.mid(9));
        }
        QVERIFY(!reported.isEmpty());
        const QStringList kept = QDir(work).entryList({"恢复前_*.mdb"}, QDir::Files);
        for (const QString &name : reported)
            QVERIFY2(kept.contains(name), qPrintable(name + " was reported but is gone"));
        for (const QString &name : kept)
            QVERIFY2(registers.contains(fileBytes(work + "/" + name)), qPrintable(name + " is not whole"));
        QCOMPARE(registers.value(fileBytes(work + "/甲.mdb")), QStringLiteral("甲"));
        QCOMPARE(registers.value(fileBytes(work + "/乙.mdb")), QStringLiteral("乙"));
    }
    qInfo("%d of 12 runs were killed with a backup in data.mdb's place, %d with a copy cut short", restoredWhenKilled,
          cutShort);
}

void TestCrash::killedWhilePayingLosesNoReportedPayment()
{
    QTemporaryDir directory;
    const QString database = billedRegister(directory, 0);
    QRandomGenerator random = seededRandom();
    QStringList reported;
    for (int run = 0; run < 12; ++run) {
        for (const QByteArray &line : killedMidway(directory, {"--pay"}, random, 400)) {
            if (line.startsWith("PAID "))
                reported << QString::fromUtf8(line.mid(5));
        }
        // Every payment reported is stored, and every bill holds exactly
        // what its payments add up to: a payment is whole or not there.
        QCOMPARE(firstColumn(sqlRows(database, "PRAGMA integrity_check")), QStringList{"ok"});
        const QStringList stored = firstColumn(sqlRows(database, "select id from ledger_payment"));
        for (const QString &number : reported)
            QVERIFY2(stored.contains(number), qPrintable(number + " was reported recorded but is not stored"));
        QCOMPARE(firstColumn(sqlRows(database, "select count(*) from ledger_bill b where paid_fen <>"
                                               " (select coalesce(sum(amount_fen), 0) from ledger_payment p"
                                               " where p.bill_id = b.id and cancelled is null)")),
                 QStringList{"0"});
        QCOMPARE(firstColumn(sqlRows(database, "select count(*) from ledger_bill")), QStringList{"30"});
    }
    QVERIFY(reported.size() >= 12);
    qInfo("%lld payments were reported recorded before the kills", qlonglong(reported.size()));
}

void TestCrash::killedWhileGivingReceiptsGivesNoNumberTwice()
{
    QTemporaryDir directory;
    const QString database = billedRegister(directory, 3);
    QRandomGenerator random = seededRandom();
    QMap<QString, QString> reported;  // payment -> number
    for (int run = 0; run < 8; ++run) {
        for (const QByteArray &line : killedMidway(directory, {"--receipts"}, random, 300)) {
            // A payment's receipt keeps its number in every printing; its
            // first may have been cut short by the kill before it was said.
            const QList<QByteArray> words = line.split(' ');
            if (words.size() != 3 || (words[0] != "RECEIPT" && words[0] != "REPRINT"))
                continue;
            QVERIFY2(words[0] == "REPRINT" || !reported.contains(words[1]), "a payment was given a second receipt");
            if (reported.contains(words[1]))
                QCOMPARE(reported.value(words[1]), QString(words[2]));
            reported.insert(words[1], words[2]);
        }
        // Every number reported is its payment's, and the month's numbers
        // run on without a gap: none was given and then lost.
        QCOMPARE(firstColumn(sqlRows(database, "PRAGMA integrity_check")), QStringList{"ok"});
        for (auto given = reported.cbegin(); given != reported.cend(); ++given)
            QCOMPARE(firstColumn(sqlRows(database, "select number from ledger_receipt where payment_id = ?1",
                                         {given.key().toLongLong()})),
                     QStringList{given.value()});
        QCOMPARE(firstColumn(sqlRows(database, "select max(number) - min(number) + 1 - count(*) from ledger_receipt")),
                 QStringList{"0"});
    }
    QVERIFY(!reported.isEmpty());
    qInfo("%lld receipts were reported given before the kills", qlonglong(reported.size()));
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
