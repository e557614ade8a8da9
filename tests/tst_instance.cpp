// SPDX-License-Identifier: GPL-3.0-or-later
// One running instance per user, through the real program; the guard's
// folder and the door a second start knocks at.
#include "platform/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Starts the program from a directory of its own (no data.mdb there, so it
// waits at its start-up message) with the given runtime directory.
class ProgramRun {
public:
    // An empty `runtimeDirectory` leaves XDG_RUNTIME_DIR unset; `temporary`
    // is TMPDIR when given.
    ProgramRun(const QString &programDirectory, const QString &runtimeDirectory, const QString &temporary = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (runtimeDirectory.isEmpty())
            environment.remove("XDG_RUNTIME_DIR");
        else
            environment.insert("XDG_RUNTIME_DIR", runtimeDirectory);
        if (!temporary.isEmpty())
            environment.insert("TMPDIR", temporary);
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
    void guardOnlyInAFolderOfTheUsersOwn_data();
    void guardOnlyInAFolderOfTheUsersOwn();
    void doorReplacesOnlyASocketThatNoOneListensOn_data();
    void doorReplacesOnlyASocketThatNoOneListensOn();

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

void TestInstance::guardOnlyInAFolderOfTheUsersOwn_data()
{
    QTest::addColumn<QString>("inPlace");
    QTest::addColumn<QString>("lockIn");  // "runtime", "own" (<TMPDIR>/larkhaven-<uid>), or none
    QTest::newRow("no XDG_RUNTIME_DIR") << "no runtime folder" << "own";
    QTest::newRow("runtime folder open to others") << "runtime folder 0777" << "own";
    QTest::newRow("runtime folder a link") << "runtime folder a link" << "own";
    QTest::newRow("own folder open to others") << "own folder 0777" << "";
    QTest::newRow("own folder a link") << "own folder a link" << "";
    QTest::newRow("own folder made by another user") << "own folder of another user" << "";
    QTest::newRow("the lock a link") << "lock a link" << "";
}

// Whoever could put a lock there could stop the program from starting: the
// program never uses a folder or lock of anyone else's, and starts without
// the guard instead.
void TestInstance::guardOnlyInAFolderOfTheUsersOwn()
{
    QFETCH(QString, inPlace);
    QFETCH(QString, lockIn);
    QTemporaryDir temporary;  // TMPDIR
    QTemporaryDir elsewhere;
    const QString runtime = m_runtime.path() + "/" + QTest::currentDataTag();
    const QString own = temporary.path() + QStringLiteral("/larkhaven-%1").arg(::geteuid());
    QVERIFY(QDir().mkdir(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    QString runtimeGiven = runtime;
    if (inPlace == "no runtime folder") {
        runtimeGiven.clear();
    } else if (inPlace == "runtime folder 0777") {
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0777) == 0);
    } else if (inPlace == "runtime folder a link") {
        runtimeGiven = runtime + "-link";
        QVERIFY(QFile::link(runtime, runtimeGiven));
    } else if (inPlace == "own folder 0777") {
        runtimeGiven.clear();
        QVERIFY(QDir().mkdir(own));
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
    } else if (inPlace == "own folder a link") {
        runtimeGiven.clear();
        QVERIFY(QFile::link(elsewhere.path(), own));
    } else if (inPlace == "own folder of another user") {
        if (::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        runtimeGiven.clear();
        QVERIFY(QDir().mkdir(own));
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
    } else if (inPlace == "lock a link") {
        QVERIFY(QFile::link(elsewhere.filePath("target"), runtime + "/Larkhaven.lock"));
    }

    ProgramRun first(m_programDirectory.path(), runtimeGiven, temporary.path());
    if (lockIn == "own") {
        QTRY_VERIFY_WITH_TIMEOUT(lockIsHeld(own), 10000);
        struct stat status {};
        QVERIFY(::lstat(QFile::encodeName(own).constData(), &status) == 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0700));
        QVERIFY(!lockIsHeld(runtime));
    } else {
        // Both starts run: none of them is stopped by what is in the way.
        ProgramRun second(m_programDirectory.path(), runtimeGiven, temporary.path());
        QVERIFY(!first.process.waitForFinished(2000));
        QVERIFY(!second.process.waitForFinished(100));
        QVERIFY(!lockIsHeld(runtime) && !lockIsHeld(own));
        QVERIFY(QDir(elsewhere.path()).isEmpty());  // no link was followed
    }
}

void TestInstance::doorReplacesOnlyASocketThatNoOneListensOn_data()
{
    QTest::addColumn<QString>("inPlace");
    QTest::addColumn<bool>("doorOpens");
    QTest::newRow("nothing") << "nothing" << true;
    QTest::newRow("a socket left by a killed instance") << "stale socket" << true;
    QTest::newRow("a live program's socket") << "live socket" << false;
    QTest::newRow("a link") << "link" << false;
}

// A second start reaches the door; a door of a program still listening is
// never taken from it.
void TestInstance::doorReplacesOnlyASocketThatNoOneListensOn()
{
    QFETCH(QString, inPlace);
    QFETCH(bool, doorOpens);
    QTemporaryDir runtime;
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString name = QStringLiteral("tst_instance-door");  // never the program's own
    const QString path = runtime.filePath(name + ".socket");
    QLocalServer live;
    if (inPlace == "stale socket") {
        // Bound and closed without being removed, as a killed program leaves it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        QVERIFY(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
        ::close(fd);
    } else if (inPlace == "live socket") {
        QVERIFY(live.listen(path));
    } else if (inPlace == "link") {
        QVERIFY(QFile::link(runtime.filePath("elsewhere"), path));
    }

    InstanceActivation door(name);
    QSignalSpy asked(&door, &InstanceActivation::activationRequested);
    QCOMPARE(door.isListening(), doorOpens);
    const bool reached = requestActivation(name);
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    QCOMPARE(reached, inPlace != "link");
    if (doorOpens)
        QTRY_COMPARE(asked.count(), 1);
    if (inPlace == "live socket") {
        QVERIFY(live.isListening());
        QVERIFY(live.waitForNewConnection(5000));  // the second start's request went to it
    }
    if (inPlace == "link")
        QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(asked.count(), doorOpens ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
