// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line programs: --help shows the usage, an unknown option is
// refused with it, and neither does anything else.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void helpAndUnknownOptions_data();
    void helpAndUnknownOptions();
};

void TestCommandLine::helpAndUnknownOptions_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("usage");  // a text of its usage
    for (const auto &[program, usage] : std::initializer_list<std::pair<const char *, const char *>>{
             {CREATE_DATA_FILE_PATH, "PATH"}, {LARKHAVEN_CONVERT_PATH, "用法：larkhaven-convert"},
             {LARKHAVEN_BENCH_PATH, "--sizes"}, {CONVERT_BENCH_PATH, "--rows"}, {SPREADSHEET_BENCH_PATH, "--print-rows"},
             {RENT_ROUND_BENCH_PATH, "--rooms"},
             {QT_MODEL_PEER_PATH, "query|table"}, {MEASURE_CHILD_PATH, "PROGRAM"}, {SCALE_ICON_PATH, "SOURCE.png"}})
        QTest::newRow(qPrintable(QFileInfo(program).fileName())) << QString(program) << QString::fromUtf8(usage);
}

void TestCommandLine::helpAndUnknownOptions()
{
    QFETCH(QString, program);
    QFETCH(QString, usage);
    QTemporaryDir work;
    for (const char *option : {"--help", "--no-such-option"}) {
        QProcess run;
        run.setWorkingDirectory(work.path());
        run.start(program, {option, "x.mdb", "y.mdb"});
        QVERIFY(run.waitForFinished(60000));  // a benchmark that started a run would not end
        const bool help = option == QByteArray("--help");  // usage on stdout, else on stderr
        QCOMPARE(run.exitCode(), help ? 0 : 2);
        QVERIFY(QString::fromLocal8Bit(help ? run.readAllStandardOutput() : run.readAllStandardError()).contains(usage));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
