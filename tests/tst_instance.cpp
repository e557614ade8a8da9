// SPDX-License-Identifier: GPL-3.0-or-later
// One running instance per user, through the real program.
#include "platform/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Starts the program from a directory of its own (no data.mdb there, so it
// waits at its start-up message) with the given runtime directory.
class ProgramRun {
public:
    // No `runtimeDirectory`: XDG_RUNTIME_DIR unset; `temporary`: TMPDIR.
    ProgramRun(const QString &programDirectory, const QString &runtimeDirectory, const QString &temporary = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("XDG_RUNTIME_DIR");
        if (!runtimeDirectory.isEmpty())
            environment.insert("XDG_RUNTIME_DIR", runtimeDirectory);
        environment.insert("TMPDIR", temporary.isEmpty() ? QDir::tempPath() : temporary);
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

// True when a program listens on the door in `runtimeDirectory`.
bool doorAnswers(const QString &runtimeDirectory)
{
    QLocalSocket socket;  // connecting asks nothing of the program
    socket.connectToServer(runtimeDirectory + "/Larkhaven.socket");
    return socket.waitForConnected(1000);
}

} // namespace

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void secondStartEndsAtOnceAndACrashFreesTheGuard();
    void eachUserHasAGuard();
    void startsWithoutTheGuardWhenTheLockCannotBeMade();
    void guardOnlyInAFolderOfTheUsersOwn_data();
    void guardOnlyInAFolderOfTheUsersOwn();
    void liveProgramsDoorIsNeverTaken();

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
        QTRY_VERIFY_WITH_TIMEOUT(doorAnswers(m_runtime.path()), 10000);

        first.process.kill();  // SIGKILL: no clean-up runs, its socket stays
        QVERIFY(first.process.waitForFinished());
    }
    // The operating system let the guard go with the killed process; the
    // next opens its door in place of the socket left behind.
    ProgramRun next(m_programDirectory.path(), m_runtime.path());
    QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(m_runtime.path()), 10000);
    QVERIFY(!next.process.waitForFinished(1000));
    QTRY_VERIFY_WITH_TIMEOUT(doorAnswers(m_runtime.path()), 10000);
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

void TestInstance::guardOnlyInAFolderOfTheUsersOwn_data()
{
    QTest::addColumn<QString>("inPlace");
    QTest::addColumn<bool>("guarded");  // the lock held in <TMPDIR>/larkhaven-<uid>, made 0700
    QTest::newRow("no XDG_RUNTIME_DIR") << "" << true;
    QTest::newRow("runtime folder open to others") << "runtime 0777" << true;
    QTest::newRow("own folder open to others") << "own 0777" << false;
    QTest::newRow("the lock a link") << "lock link" << false;
}

// Whoever could put a lock there could stop the program from starting: no
// folder, lock or link of anyone else's is used; the program starts unguarded.
void TestInstance::guardOnlyInAFolderOfTheUsersOwn()
{
    QFETCH(QString, inPlace);
    QFETCH(bool, guarded);
    QTemporaryDir temporary, runtime, elsewhere;  // TMPDIR, XDG_RUNTIME_DIR, a link's target
    const QString own = temporary.filePath(QStringLiteral("larkhaven-%1").arg(::geteuid()));
    const QString runtimeGiven = inPlace == "runtime 0777" || inPlace == "lock link" ? runtime.path() : QString();
    if (inPlace == "runtime 0777")
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::Permissions(0x7777)));
    if (inPlace == "own 0777")
        QVERIFY(QDir().mkdir(own) && QFile::setPermissions(own, QFile::Permissions(0x7777)));
    if (inPlace == "lock link")
        QVERIFY(QFile::link(elsewhere.filePath("target"), runtime.filePath("Larkhaven.lock")));
    ProgramRun first(m_programDirectory.path(), runtimeGiven, temporary.path());
    if (guarded) {
        QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(own), 10000);
        struct stat status {};
        QVERIFY(::lstat(QFile::encodeName(own).constData(), &status) == 0 && (status.st_mode & 07777) == 0700);
        return;
    }
    // Two starts both run: nothing in the way stops them.
    ProgramRun second(m_programDirectory.path(), runtimeGiven, temporary.path());
    QVERIFY(!first.process.waitForFinished(2000));
    QVERIFY(!second.process.waitForFinished(100));
    QVERIFY(QDir(elsewhere.path()).isEmpty());  // no link was followed
}

// A door that a live program listens on is never taken; a second start's
// request goes to that program.
void TestInstance::liveProgramsDoorIsNeverTaken()
{
    QTemporaryDir runtime;
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QLocalServer live;
    QVERIFY(live.listen(runtime.filePath("tst_instance-door.socket")));
    InstanceActivation door(QStringLiteral("tst_instance-door"));  // never the program's own name
    QSignalSpy asked(&door, &InstanceActivation::activationRequested);
    QVERIFY(requestActivation(QStringLiteral("tst_instance-door")));
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    QVERIFY(!door.isListening() && live.isListening());
    QVERIFY(live.waitForNewConnection(5000) && asked.isEmpty());
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
