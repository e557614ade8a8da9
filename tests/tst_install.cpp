// SPDX-License-Identifier: GPL-3.0-or-later
// scripts/install.sh and scripts/uninstall.sh on this build, in a temporary
// home: the menu entry starts the installed program on the register, an
// upgrade and an uninstall keep the register and its backups byte for byte,
// and a refused install changes nothing.
#include "support/RegisterFixture.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

const QString appId = QStringLiteral("io.github.larkhaven.Larkhaven");

struct Run {
    int exitCode = -1;
    QString output;  // standard output and error together
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment = {},
        int timeoutMs = 120000)
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        return {-1, QStringLiteral("did not finish: ") + process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// A home of its own for one test, with its own runtime directory.
class Home {
public:
    Home()
    {
        m_environment.insert("HOME", path());
        m_environment.remove("XDG_DATA_HOME");
        m_environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
        m_environment.insert("LARKHAVEN_BUILD_DIR", LARKHAVEN_BUILD_DIR);
    }
    QString path() const { return m_home.path(); }
    QString dataHome() const { return path() + "/.local/share"; }
    QString entry() const { return dataHome() + "/applications/" + appId + ".desktop"; }
    QString metainfo() const { return dataHome() + "/metainfo/" + appId + ".metainfo.xml"; }
    QString icon(int size) const
    {
        return dataHome() + QStringLiteral("/icons/hicolor/%1x%1/apps/").arg(size) + appId + ".png";
    }
    QProcessEnvironment environment() const { return m_environment; }

    Run script(const QString &name, const QStringList &arguments = {}) const
    {
        return run("bash", QStringList{LARKHAVEN_SOURCE_DIR "/scripts/" + name} + arguments, m_environment);
    }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

// Every file and folder under `directory`, with the bytes of each file.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(QDir(directory).relativeFilePath(path), it.fileInfo().isDir() ? "<dir>" : fileBytes(path));
    }
    return entries;
}

QStringList filesUnder(const QString &directory)
{
    QStringList files;
    const auto entries = snapshot(directory);
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it.value() != "<dir>")
            files << it.key();
    return files;
}

QString entryValue(const QString &entryPath, const QString &key)
{
    const QStringList lines = QString::fromUtf8(fileBytes(entryPath)).split('\n');
    for (const QString &line : lines)
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    return {};
}

// The program started from `folder`, found among all processes.
pid_t processOf(const QString &program)
{
    const QStringList pids = QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs);
    for (const QString &pid : pids)
        if (QFileInfo("/proc/" + pid + "/exe").symLinkTarget() == program)
            return pid.toInt();
    return 0;
}

bool holdsOpen(pid_t pid, const QString &file)
{
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const QStringList entries = QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &fd : entries)
        if (QFileInfo(fds + '/' + fd).symLinkTarget() == file)
            return true;
    return false;
}

// A virtual X display for the test's life.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        m_server.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
        while (m_server.waitForReadyRead(10000) && !m_server.canReadLine()) {
        }
        m_name = ':' + QString::fromLatin1(m_server.readLine().trimmed());
    }
    ~VirtualDisplay()
    {
        m_server.kill();
        m_server.waitForFinished();
    }
    QString name() const { return m_name; }

    // The windows on screen, each as the class of its WM_CLASS, followed by
    // " (dialog)" when it stands for another window (a message box).
    QStringList shownWindows() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_name);
        QStringList shown;
        const QString tree = run("xwininfo", {"-root", "-children"}, environment, 10000).output;
        static const QRegularExpression windowLine(QStringLiteral("^\\s+(0x[0-9a-f]+) "),
                                                   QRegularExpression::MultilineOption);
        for (auto match = windowLine.globalMatch(tree); match.hasNext();) {
            const QString window = match.next().captured(1);
            if (!run("xwininfo", {"-id", window}, environment, 10000).output.contains("Map State: IsViewable"))
                continue;
            const QString properties = run("xprop", {"-id", window, "WM_CLASS", "WM_TRANSIENT_FOR"}, environment, 10000).output;
            static const QRegularExpression wmClass(QStringLiteral("WM_CLASS\\(STRING\\) = \"[^\"]*\", \"([^\"]*)\""));
            shown << wmClass.match(properties).captured(1)
                    + (properties.contains("WM_TRANSIENT_FOR(WINDOW)") ? " (dialog)" : "");
        }
        return shown;
    }

private:
    QProcess m_server;
    QString m_name;
};

enum class Folder { AccessJet, AccessAce, TextFile, EmptyFile, OtherDatabase, DataMdbFolder, ReadOnly, UnderReadOnly, Percent };

} // namespace

Q_DECLARE_METATYPE(Folder)

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installStartUpgradeUninstall();
    void installLeavesTheRegisterAlone_data();
    void installLeavesTheRegisterAlone();
};

void TestInstall::initTestCase()
{
    // The program that the menu entry starts becomes this test's child, to
    // be ended and reaped here.
    QCOMPARE(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
}

void TestInstall::installStartUpgradeUninstall()
{
    Home home;
    // A packager's install of the same build: the user's install must lay
    // down the same files, with Exec naming each one's own program.
    QTemporaryDir destination;
    QProcessEnvironment packaging = QProcessEnvironment::systemEnvironment();
    packaging.insert("DESTDIR", destination.path());
    Run result = run("cmake", {"--install", LARKHAVEN_BUILD_DIR, "--prefix", "/opt/larkhaven"}, packaging);
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    const QString packaged = destination.path() + "/opt/larkhaven";
    const QString packagedEntry = packaged + "/share/applications/" + appId + ".desktop";
    QCOMPARE(entryValue(packagedEntry, "Exec"), "\"/opt/larkhaven/lib/larkhaven/Quillmere\"");
    QVERIFY(!QFileInfo::exists(packaged + "/lib/larkhaven/data.mdb"));

    // Quotes, a dollar sign and spaces in the folder reach the menu entry's Exec.
    const QString folder = home.path() + "/房东 \"A\" $HOME";
    const QString program = folder + "/Quillmere";
    const QString database = folder + "/data.mdb";
    const QString backup = folder + "/20171230_BAK_.mdb";
    const QByteArray packagedProgram = fileBytes(packaged + "/lib/larkhaven/Quillmere");

    result = home.script("install.sh", {folder});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QCOMPARE(fileBytes(program), packagedProgram);
    QVERIFY(QFileInfo(program).isExecutable());
    QCOMPARE(sqlRows(database, "select count(*) from data"), QList<QStringList>{{"0"}});
    QCOMPARE(fileBytes(database), fileBytes(packaged + "/share/larkhaven/data.mdb"));
    result = run("desktop-file-validate", {home.entry()});
    QVERIFY2(result.exitCode == 0 && result.output.isEmpty(), qPrintable(result.output));
    result = run("appstreamcli", {"validate", "--no-net", home.metainfo()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QCOMPARE(fileBytes(home.metainfo()), fileBytes(packaged + "/share/metainfo/" + appId + ".metainfo.xml"));
    const auto withoutExec = [](const QString &entry) {
        return QString::fromUtf8(fileBytes(entry)).remove(QRegularExpression("^Exec=.*\n", QRegularExpression::MultilineOption));
    };
    QCOMPARE(withoutExec(home.entry()), withoutExec(packagedEntry));
    QCOMPARE(entryValue(home.entry(), "Icon"), appId);
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        QCOMPARE(QImage(home.icon(size)).size(), QSize(size, size));
        QCOMPARE(fileBytes(home.icon(size)), fileBytes(packaged + QStringLiteral("/share/icons/hicolor/%1x%1/apps/").arg(size) + appId + ".png"));
    }

    // A tenant and a backup, as the program would have made them.
    sqlRows(database, "insert into data (姓名, 房号) values ('张三', '101')");
    QVERIFY(QFile::copy(database, backup));
    const QByteArray databaseBytes = fileBytes(database);

    // Started from the menu entry: the main window, no message box, and the
    // register held open once it has been listed.
    VirtualDisplay display;
    QVERIFY(!display.name().isEmpty());
    QProcessEnvironment environment = home.environment();
    environment.insert("DISPLAY", display.name());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    // In a sanitized build: the X11 keyboard library hands strndup a buffer
    // without a terminating zero, which strict string checks report.
    if (environment.contains("ASAN_OPTIONS"))
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    // The program inherits gio's output, so it goes to a file that outlives gio.
    const QString launchLog = home.path() + "/launch.log";
    QProcess gio;
    gio.setProcessEnvironment(environment);
    gio.setStandardOutputFile(launchLog);
    gio.setStandardErrorFile(launchLog, QIODevice::Append);
    gio.start("gio", {"launch", home.entry()});
    QVERIFY(gio.waitForFinished(30000));
    QVERIFY2(gio.exitStatus() == QProcess::NormalExit && gio.exitCode() == 0, fileBytes(launchLog).constData());
    pid_t pid = 0;
    QTRY_VERIFY_WITH_TIMEOUT((pid = processOf(program)) != 0, 20000);
    const auto endProgram = qScopeGuard([pid] {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    });
    const QStringList mainWindowAlone{entryValue(home.entry(), "StartupWMClass")};
    QTRY_VERIFY2_WITH_TIMEOUT(display.shownWindows() == mainWindowAlone,
                              qPrintable(display.shownWindows().join(", ") + "\n" + fileBytes(launchLog)), 20000);
    QVERIFY(holdsOpen(pid, database));

    // An earlier version's menu entry, icon and metainfo under the id it
    // used go with the upgrade.
    const QString earlierId = QStringLiteral("example.larkhaven.Larkhaven");
    const QStringList earlierFiles{home.dataHome() + "/applications/" + earlierId + ".desktop",
                                   home.dataHome() + "/icons/hicolor/32x32/apps/" + earlierId + ".png",
                                   home.dataHome() + "/metainfo/" + earlierId + ".metainfo.xml"};
    QVERIFY(QFile::copy(home.entry(), earlierFiles[0]) && QFile::copy(home.icon(32), earlierFiles[1])
            && QFile::copy(home.metainfo(), earlierFiles[2]));

    // An upgrade while the program runs replaces the program and keeps the rest.
    result = home.script("install.sh", {folder});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QVERIFY(result.output.contains("kept as it was"));
    QCOMPARE(fileBytes(program), packagedProgram);
    QCOMPARE(fileBytes(database), databaseBytes);
    QCOMPARE(fileBytes(backup), databaseBytes);
    QCOMPARE(::kill(pid, 0), 0);
    for (const QString &file : earlierFiles)
        QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    QVERIFY(QFileInfo::exists(home.entry()));

    result = home.script("uninstall.sh", {folder});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QVERIFY(result.output.contains("  20171230_BAK_.mdb\n  data.mdb\n"));
    QCOMPARE(filesUnder(folder), (QStringList{"20171230_BAK_.mdb", "data.mdb"}));
    QCOMPARE(fileBytes(database), databaseBytes);
    QCOMPARE(fileBytes(backup), databaseBytes);
    QCOMPARE(filesUnder(home.dataHome()), QStringList());
}

void TestInstall::installLeavesTheRegisterAlone_data()
{
    QTest::addColumn<Folder>("folder");
    QTest::addColumn<QString>("refusal");  // empty: the install goes ahead
    QTest::newRow("Access (Jet) database") << Folder::AccessJet << "";
    QTest::newRow("Access (ACE) database") << Folder::AccessAce << "";
    QTest::newRow("text file") << Folder::TextFile << "data.mdb is neither a Larkhaven register nor an Access database";
    QTest::newRow("empty file") << Folder::EmptyFile << "data.mdb is empty";
    QTest::newRow("database without the tenant table")
        << Folder::OtherDatabase << "data.mdb is an SQLite database without the tenant table \"data\"";
    QTest::newRow("folder named data.mdb") << Folder::DataMdbFolder << "data.mdb is not a file";
    QTest::newRow("read-only folder") << Folder::ReadOnly << "Larkhaven: Cannot write in ";
    QTest::newRow("folder to make in a read-only folder") << Folder::UnderReadOnly << "Larkhaven: Cannot write in ";
    QTest::newRow("% in the folder's name") << Folder::Percent << "holds a line break, tab or %.";
}

void TestInstall::installLeavesTheRegisterAlone()
{
    QFETCH(Folder, folder);
    QFETCH(QString, refusal);
    Home home;
    // The default folder, except where the folder above it is read-only.
    const QString programFolder = home.path() + (folder == Folder::UnderReadOnly ? "/locked/Larkhaven" : "/Larkhaven");
    const QStringList arguments = folder == Folder::UnderReadOnly ? QStringList{programFolder}
                                  : folder == Folder::Percent     ? QStringList{programFolder + " 100%"}
                                                                  : QStringList{};
    const QString database = programFolder + "/data.mdb";
    const QString readOnly = folder == Folder::UnderReadOnly ? home.path() + "/locked" : programFolder;
    QVERIFY(QDir().mkpath(readOnly));
    switch (folder) {
    case Folder::AccessJet:
        writeFile(database, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01", 21) + QByteArray(4075, '\x5a'));
        break;
    case Folder::AccessAce:
        writeFile(database, QByteArray("\x00\x01\x00\x00Standard ACE DB\x00\x02", 21) + QByteArray(4075, '\x5a'));
        break;
    case Folder::TextFile:
        writeFile(database, "姓名,房号\n张三,101\n");
        break;
    case Folder::EmptyFile:
        writeFile(database, {});
        break;
    case Folder::OtherDatabase:
        sqlRows(database, "create table tenants (name text)");
        break;
    case Folder::DataMdbFolder:
        QVERIFY(QDir().mkpath(database));
        break;
    case Folder::Percent:
        break;
    case Folder::ReadOnly:
    case Folder::UnderReadOnly:
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        break;
    }
    const auto unlock = qScopeGuard([&] { QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
    const auto before = snapshot(home.path());

    const Run result = home.script("install.sh", arguments);
    if (refusal.isEmpty()) {
        QVERIFY2(result.exitCode == 0, qPrintable(result.output));
        QVERIFY(QFileInfo::exists(programFolder + "/Quillmere"));
        QCOMPARE(fileBytes(database), before.value("Larkhaven/data.mdb"));
    } else {
        QVERIFY(result.exitCode != 0);
        QVERIFY2(result.output.contains(refusal) && result.output.contains("Nothing was changed."),
                 qPrintable(result.output));
        QCOMPARE(snapshot(home.path()), before);
    }
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
