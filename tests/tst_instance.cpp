// SPDX-License-Identifier: GPL-3.0-or-later
// One running instance per user, through the real program.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Starts the program from a directory of its own (no data.mdb there, so it
// waits at its start-up message) with the given runtime directory.
class ProgramRun {
public:
    ProgramRun(const QString &programDirectory, const QString &runtimeDirectory)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", runtimeDirectory);
        process.setProcessEnvironment(environment);
        process.start(programDirectory + "/Quillmere", {});
    }
    ~ProgramRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    QProcess process;
};

// True while some process holds the guard's lock in `runtimeDirectory`.
bool lockIsHeld(const QString &runtimeDirectory)
{
    const QByteArray path = QFile::encodeName(runtimeDirectory + "/Larkhaven.lock");
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void secondStartEndsAtOnceAndACrashFreesTheGuard();
    void eachUserHasAGuard();
    void startsWithoutTheGuardWhenTheLockCannotBeMade();

private:
    QTemporaryDir m_programDirectory;
    QTemporaryDir m_runtime;
    QTemporaryDir m_otherRuntime;
};

void TestInstance::initTestCase()
{
    QVERIFY(QFile::copy(QUILLMERE_PATH, m_programDirectory.path() + "/Quillmere"));
    QFile::setPermissions(m_programDirectory.path() + "/Quillmere",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestInstance::secondStartEndsAtOnceAndACrashFreesTheGuard()
{
    {
        ProgramRun first(m_programDirectory.path(), m_runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(m_runtime.path()), 10000);

        ProgramRun second(m_programDirectory.path(), m_runtime.path());
        QVERIFY(second.process.waitForFinished(5000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(second.process.readAllStandardOutput(), QByteArray());
        QCOMPARE(first.process.state(), QProcess::Running);

        first.process.kill();  // SIGKILL: no clean-up runs
        QVERIFY(first.process.waitForFinished());
    }
    // The operating system let the guard go with the killed process.
    ProgramRun next(m_programDirectory.path(), m_runtime.path());
    QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(m_runtime.path()), 10000);
    QVERIFY(!next.process.waitForFinished(1000));
}

void TestInstance::eachUserHasAGuard()
{
    // Each user's runtime directory is their own; two users run one each.
    ProgramRun mine(m_programDirectory.path(), m_runtime.path());
    ProgramRun theirs(m_programDirectory.path(), m_otherRuntime.path());
    QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(m_runtime.path()) && lockIsHeld(m_otherRuntime.path()), 10000);
    QCOMPARE(mine.process.state(), QProcess::Running);
    QCOMPARE(theirs.process.state(), QProcess::Running);
}

void TestInstance::startsWithoutTheGuardWhenTheLockCannotBeMade()
{
    // A folder in the lock file's place: no lock can be made there, and the
    // program runs all the same (it waits at its start-up message).
    QTemporaryDir runtime;
    QVERIFY(QDir(runtime.path()).mkdir("Larkhaven.lock"));
    ProgramRun run(m_programDirectory.path(), runtime.path());
    QVERIFY(run.process.waitForStarted());
    QVERIFY(!run.process.waitForFinished(2000));
    QCOMPARE(run.process.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
