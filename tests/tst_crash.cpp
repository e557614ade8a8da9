// A crash during work loses nothing that the program said it had saved.
#include "db/RegisterFile.h"
#include "support/RegisterFixture.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileAddingLosesNoReportedAdd();
};

void TestCrash::killedWhileAddingLosesNoReportedAdd()
{
    QTemporaryDir directory;
    const QString database = directory.path() + "/data.mdb";
    QVERIFY(createEmptyRegister(database));
    QRandomGenerator random(QRandomGenerator::global()->generate());
    QStringList reported;
    for (int run = 0; run < 20; ++run) {
        QProcess adder;
        adder.start(CRASH_ADDER_PATH, {directory.path()});
        QVERIFY(adder.waitForStarted());
        // Kill at a random moment once adds are under way.
        QTRY_VERIFY_WITH_TIMEOUT(adder.canReadLine() || adder.state() != QProcess::Running, 30000);
        QTest::qWait(random.bounded(1, 400));
        adder.kill();  // SIGKILL
        QVERIFY(adder.waitForFinished());
        for (const QByteArray &line : adder.readAllStandardOutput().split('\n')) {
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

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
