// SPDX-License-Identifier: GPL-3.0-or-later
// Export, import and print through the windows and larkhaven-convert, on
// real registers and spreadsheet files.
#include "db/ADOConnection.h"
#include "db/SqlStatement.h"
#include "platform/Utf8Text.h"
#include "sheets/ImportPlan.h"
#include "sheets/SheetReading.h"
#include "sheets/SheetTable.h"
#include "sheets/ZipArchive.h"
#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"
#include "support/FullDisk.h"
#include "support/RegisterFixture.h"
#include "support/SpreadsheetFiles.h"
#include "ui/BackgroundWork.h"
#include "ui/ConversionChild.h"
#include "ui/ImportPreview.h"
#include "ui/PrintFlow.h"
#include "ui/SheetChild.h"
#include "ui/Unit1.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTableView>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>
#include <optional>

namespace {

const QString sevenColumns = QStringLiteral(
    "select quote(姓名), quote(房号), quote(租金), quote(押金), quote(入住日期), quote(到期日期), quote(备注) "
    "from data order by ID");

// What a register holds that a spreadsheet must carry unchanged.
const QList<QStringList> trickyTenants{
    {"张三", "101", "500", "1000", "2017/12/30", "2018/12/30",
     "联系电话：13800000000\r\n身份证编号：110101199001011234\r\n其他备注：无", "2017/12/30 14:05:09"},
    {"李四", "0102", "0500", "-0", "", "", "=SUM(A1:A2)", ""},
    {"王五 ", "  ", "", "1,000", "\"引号\"", "x_x0041_y", "甲\t乙\n丙" + QString(5000, QChar(u'长')), ""},
    {"欧阳娜娜"},
};

QString convertOutput(const QStringList &arguments, int expectedStatus)
{
    QProcess convert;
    convert.start(QStringLiteral(LARKHAVEN_CONVERT_PATH), arguments);
    convert.waitForFinished(60000);
    [&] { QCOMPARE(convert.exitCode(), expectedStatus); }();
    return QString::fromLocal8Bit(convert.readAllStandardOutput() + convert.readAllStandardError());
}

// `count` more tenants, 租客1, 租客2, ..., in one statement.
void addTenants(RegisterFixture &fixture, int count, const QString &remark)
{
    fixture.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < cast(? as integer)) "
                                "insert into data (姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间) "
                                "select '租客' || i, i % 300, '500', '1000', '2025/1/1', '2026/1/1', ?, '' from n"),
                 {count, remark});
}

// The text pdftotext finds in a PDF, with look-alike radicals that a
// font's glyph table may give back folded into the characters printed.
QString pdfText(const QString &pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// What is in a folder, hidden files included.
QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray zipEntry(const QString &path, const QString &name)
{
    QByteArray bytes;
    ZipArchive(path).read(name, [&](const char *data, qsizetype size) { bytes.append(data, size); });
    return bytes;
}

// A row to add as the preview lists it, NULL as "NULL".
QString rowText(const TenantRows &rows, qsizetype row)
{
    QStringList cells;
    for (int column = 0; column < rows.columnCount(); ++column) {
        const auto cell = rows.cell(row, column);
        cells << (cell ? QString::fromUtf8(cell->data(), qsizetype(cell->size())) : QStringLiteral("NULL"));
    }
    return QString::number(rows.sourceRow(row)) + QLatin1Char(':') + cells.join(QLatin1Char('|'));
}

// The fixtures' sheet as Chinese Excel saves it as CSV: GBK, CRLF.
void writeGbkCsv(const QString &path)
{
    const QString text = QStringLiteral(
        "2026年房客名单,,,,,,,\r\n姓名, 房号 ,租金,押金,入住日期,到期日期,备注,微信\r\n"
        "赵六,3-301,800,1600,2026/1/5,2027/1/4,\"电话：13800000001\n第二行\",zl001\r\n"
        "王伟,1-101,500,1000,2025/1/1,2026/1/1,已在登记表中,\r\n"
        "钱七,302,850.5,,2026/2/1,2027/1/31 12:00:00,押一付三,\r\n"
        ",3-303,900,1800,,,名字漏填,\r\n赵六,3-304,900,1800,,,重名,\r\n孙八,0305,700,1400,2026/3/1,2027/2/28,,\r\n");
    writeFile(path, QStringEncoder("GB18030").encode(text));
}

// The peak resident memory of this process, in MB.
double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// What reading a small hostile file may cost: the program's own growth,
// and the heap of the command line, which runs under that limit (a
// child's peak resident memory counts the process it was forked from, so
// it is limited rather than measured). AddressSanitizer keeps terabytes
// of its own and cannot run under it.
constexpr double windowGrowthMb = 100;
constexpr rlim_t readerHeapBytes = 200 * 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool heapLimited = false;
#else
constexpr bool heapLimited = true;
#endif

// The files in `directory`.
QStringList filesIn(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// The processes this one started that have not been waited for.
QString childProcesses()
{
    return QString::fromLatin1(fileBytes(QStringLiteral("/proc/self/task/%1/children").arg(getpid()))).trimmed();
}

// A sheet read in this process, as the command line reads it.
SheetTable readHere(const QString &path)
{
    ReadControl control;
    return readSheetTable(path, 0, regionalFormats(), control);
}

// A sheet read by the reading child, as the program reads it.
std::shared_ptr<const SheetTable> readByChild(const QString &path, QString *failure = nullptr)
{
    setConversionChildProgram(QStringLiteral(LARKHAVEN_CONVERT_PATH));
    SheetChild child;
    QEventLoop loop;
    QObject::connect(&child, &SheetChild::finished, &loop, &QEventLoop::quit);
    child.start(path, 0, regionalFormats());
    loop.exec();
    if (failure)
        *failure = child.failure();
    return child.table();
}

// A row of a table as "text:kind" per cell, a formula's kind marked "=".
QStringList cellsOf(const SheetTable &table, qsizetype row)
{
    QStringList cells;
    for (const SheetCell &cell : table.cells(row))
        cells << QStringLiteral("%1:%2:%3").arg(cell.column).arg(fromUtf8(cell.text)).arg(
            QString(cell.formula ? "=" : "") + QString::number(int(cell.kind)));
    return cells;
}

QList<QStringList> allCells(const SheetTable &table)
{
    QList<QStringList> rows;
    for (qsizetype row = 0; row < table.rowCount(); ++row)
        rows << (QStringList{QString::number(table.sourceRow(row))} + cellsOf(table, row));
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(CellKind)

class TestSpreadsheet : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void importRules_data();
    void importRules();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
    void childFailures_data();
    void childFailures();
    void childLimits_data();
    void childLimits();
    void cancelEndsTheChild();
    void odsCells_data();
    void odsCells();
    void importOutcomes_data();
    void importOutcomes();
    void printedPdfHoldsEveryName();
    void writesWithoutRoomChangeNothing_data();
    void writesWithoutRoomChangeNothing();
    void xlsxTemporaryFilesStayBesideTheFile_data();
    void xlsxTemporaryFilesStayBesideTheFile();
    void exportAllLeavesTheWindowsWritesAlone();
    void remarkOfManyPagesPrintsOnce();
    void landlordHeaders_data();
    void landlordHeaders();
    void landlordValues_data();
    void landlordValues();
    void totalsAndFormulas_data();
    void totalsAndFormulas();
    void columnChoices_data();
    void columnChoices();
    void csvGuard_data();
    void csvGuard();
    void csvRecords_data();
    void csvRecords();
};

void TestSpreadsheet::roundTrip_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("commandLine");
    QTest::newRow("xlsx, windows") << "xlsx" << false;
    QTest::newRow("csv, windows") << "csv" << false;
    QTest::newRow("xlsx, larkhaven-convert") << "xlsx" << true;
    QTest::newRow("csv, larkhaven-convert") << "csv" << true;
}

// The whole register out and into an empty register: every text comes back
// as it was, NULL as NULL.
void TestSpreadsheet::roundTrip()
{
    QFETCH(QString, suffix);
    QFETCH(bool, commandLine);
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("房客.") + suffix);
    QList<QStringList> exported;
    {
        RegisterFixture source;
        source.createRegister(trickyTenants);
        source.exec(QStringLiteral("update data set 房号 = NULL, 租金 = NULL, 备注 = NULL where 姓名 = '欧阳娜娜'"));
        exported = source.rows(sevenColumns);
        // A deposit written "1,000" comes back as the amount it is.
        exported[2][3] = QStringLiteral("'1000'");
        if (commandLine) {
            QVERIFY(convertOutput({source.databasePath(), file}, 0).startsWith(QStringLiteral("导出完成，共 4 个记录")));
        } else {
            source.startShown();
            const auto boxes = runAnsweringBoxes([] { Form1->transferPage->exportAllButton->click(); }, {file});
            QCOMPARE(messageTexts(boxes),
                     (QStringList{QStringLiteral("房客登记_%1.xlsx").arg(QDate::currentDate().toString("yyyy-MM-dd")),
                                  QStringLiteral("已导出 4 个记录到“%1”。").arg(QDir::toNativeSeparators(file))}));
        }
    }
    if (suffix == QLatin1String("xlsx")) {
        // Texts stay texts, formulas included; a plain integer rent is a number.
        const QByteArray sheet = zipEntry(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(!sheet.contains("<f>") && sheet.contains("<t>=SUM(A1:A2)</t>"));
        QVERIFY(sheet.contains("<c r=\"D2\"><v>500</v></c>") && sheet.contains("<t>0500</t>"));
    } else {
        QVERIFY(fileBytes(file).startsWith("\xEF\xBB\xBF" "ID,姓名,房号,租金,押金,入住日期,到期日期,备注,编辑时间\r\n"));
    }

    RegisterFixture target;
    if (commandLine) {
        QVERIFY(convertOutput({file, target.databasePath()}, 0).startsWith(QStringLiteral("导入完成，共 4 个记录，跳过 0 行。")));
    } else {
        target.createRegister();
        target.startShown();
        const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {file, QStringLiteral("确认导入")});
        QCOMPARE(boxes.size(), 3);
        QVERIFY2(boxes.at(1).text.contains(QStringLiteral("将添加 4 个记录，跳过 0 行。")), qPrintable(boxes.at(1).text));
        const QString done = boxes.at(2).text;
        QVERIFY2(done.startsWith(QStringLiteral("导入完成：添加了 4 个记录，跳过 0 行。")), qPrintable(done));
        const QString backup = done.section(QStringLiteral("“"), 1).section(QStringLiteral("”"), 0, 0);
        QCOMPARE(sqlRows(target.directory() + backup, QStringLiteral("select count(*) from data")).first().first(), "0");
        QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 4 个记录"));
    }
    QCOMPARE(target.rows(sevenColumns), exported);
}

void TestSpreadsheet::importRules_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("openpyxl: absolute part names, inline strings") << "openpyxl.xlsx";
    QTest::newRow("LibreOffice .xlsx: shared strings") << "libreoffice.xlsx";
    QTest::newRow("LibreOffice .ods") << "libreoffice.ods";
    QTest::newRow("GBK .csv from Chinese Excel") << "gbk.csv";
}

// The same sheet from four writers: a title row above the header, dates,
// numbers, a missing deposit, a name in the register, an empty name and a
// name twice.
void TestSpreadsheet::importRules()
{
    QFETCH(QString, file);
    RegisterFixture fixture;
    QString path = QStringLiteral(SPREADSHEET_FIXTURES "/") + file;
    if (file.endsWith(QLatin1String(".csv"))) {
        path = fixture.directory() + file;
        writeGbkCsv(path);
    }
    ReadControl control;
    const ImportPlan plan
        = planImport(std::make_shared<const SheetTable>(readSheetTable(path, 0, regionalFormats(), control)), NameSet{"王伟"});
    QStringList added;
    for (qsizetype row = 0; row < plan.rows.size(); ++row)
        added << rowText(plan.rows, row);
    QCOMPARE(added, (QStringList{"3:赵六|3-301|800|1600|2026/1/5|2027/1/4|电话：13800000001\n第二行|zl001",
                                 "5:钱七|302|850.5|NULL|2026/2/1|2027/1/31 12:00:00|押一付三|NULL",
                                 "8:孙八|0305|700|1400|2026/3/1|2027/2/28|NULL|NULL"}));
    QStringList skipped;
    for (const SkippedRow &row : plan.skipped)
        skipped << QStringLiteral("%1:%2:%3").arg(row.row).arg(row.name, row.reason);
    QCOMPARE(skipped, (QStringList{"4:王伟:登记表中已有此姓名", "6::姓名为空", "7:赵六:与第 3 行的姓名相同"}));
    QCOMPARE(plan.headerRow, 2);
    QCOMPARE(plan.addedColumns, QStringList{"微信"});
    QCOMPARE(plan.leftOutColumns, QStringList());
}

void TestSpreadsheet::badInputChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("reason");  // of the failure box and the command line's line, or in the preview
    const QByteArray good = fileBytes(QStringLiteral(SPREADSHEET_FIXTURES "/openpyxl.xlsx"));
    const QByteArray names = "\xEF\xBB\xBF姓名,房号\r\n张三,101\r\n";
    QTest::newRow("damaged") << "a.xlsx" << good.left(good.size() / 2) << QStringList() << "文件已损坏";
    QTest::newRow("encrypted") << "b.xlsx" << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" "\0\0\0\0", 12)
                               << QStringList() << "加密";
    QTest::newRow("an image") << "c.csv" << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << QStringList()
                              << "不是 CSV 文本";
    QTest::newRow("empty file") << "d.csv" << QByteArray() << QStringList() << "文件是空的";
    QTest::newRow("empty sheet") << "e.csv" << QByteArray(",,\r\n\r\n") << QStringList() << "是空的";
    QTest::newRow("no 姓名 column") << "f.csv" << QByteArray("房号,租金\r\n101,500\r\n") << QStringList()
                                    << "找不到“姓名”列";
    QTest::newRow("preview cancelled") << "g.csv" << names << QStringList{"取消"} << "将添加 1 个记录";

    // Files made to crash, exhaust or fool the readers.
    QTemporaryDir made;
    const auto xlsx = [&](const QByteArray &rows, qint64 declaredSize = -1) {
        writeXlsx(made.filePath("f"), rows, declaredSize);
        return fileBytes(made.filePath("f"));
    };
    const auto ods = [&](const QByteArray &rows) {
        writeOds(made.filePath("f"), rows);
        return fileBytes(made.filePath("f"));
    };
    const QByteArray header = xlsxRow(1, {{"A1", "姓名"}});
    const QByteArray odsHeader = "<table:table-row>" + odsText("姓名") + odsText("备注") + "</table:table-row>";
    const QString damaged = QStringLiteral("文件已损坏（%1）");
    const QString tooLarge = QStringLiteral("文件太大或已损坏（“xl/worksheets/sheet1.xml”解压后过大）");

    const auto refused = [](const char *row, const char *name, const QByteArray &bytes, const QString &reason) {
        QTest::newRow(row) << name << bytes << QStringList() << reason;
    };
    refused("cell past column XFD", "h.xlsx", xlsx(header + xlsxRow(2, {{"A2", "张三"}, {"ZZZZZZZZ2", "x"}})),
            damaged.arg("第 2 行的单元格“ZZZZZZZZ2”超出了表格的 16384 列"));
    refused("header past column XFD", "i.xlsx", xlsx(xlsxRow(1, {{"A1", "姓名"}, {"ZZZZZZ1", "备注"}}) + xlsxRow(2, {{"A2", "张三"}})),
            damaged.arg("第 1 行的单元格“ZZZZZZ1”超出了表格的 16384 列"));
    refused("row past 1,048,576", "j.xlsx", xlsx(header + xlsxRow(1048577, {{"A1048577", "张三"}})),
            damaged.arg("行号“1048577”不在表格的 1 至 1048576 行之内"));
    refused("cell past 32,767 characters", "k.xlsx", xlsx(header + xlsxRow(2, {{"A2", QByteArray(32768, 'x')}})),
            "第 2 行第 1 列的单元格超过了表格单元格的 32767 个字符上限，文件已损坏");
    refused("sheet declaring 3 GB", "l.xlsx", xlsx(header, 3'000'000'000LL), tooLarge);
    refused("sheet inflating a thousandfold", "m.xlsx", xlsx(header + QByteArray(20 << 20, ' ')), tooLarge);
    refused(".ods rows repeated past row 1,048,576", "n.ods",
            ods(odsHeader + "<table:table-row table:number-rows-repeated=\"2000000\">" + odsText("张三") + "</table:table-row>"),
            damaged.arg("第 2 行重复 2000000 次，超出了表格的 1048576 行"));
    refused(".ods cells repeated past column XFD", "o.ods",
            ods("<table:table-row>" + odsText("姓名") + odsText("x", 20000) + "</table:table-row>"),
            damaged.arg("第 1 行的单元格超出了表格的 16384 列"));
    refused(".ods repeats past what an import holds", "p.ods",
            ods(odsHeader + "<table:table-row table:number-rows-repeated=\"1000000\">" + odsText("张三") + odsText("x", 16000)
                + "</table:table-row>"),
            sheetTooLargeText());
    refused(".ods 2,000,000,000 blanks", "q.ods",
            ods(odsHeader + "<table:table-row>" + odsText("张三") + odsText(R"(<text:s text:c="2000000000"/>)") + "</table:table-row>"),
            "第 2 行第 2 列的单元格超过了表格单元格的 32767 个字符上限，文件已损坏");
}

// Nothing is written, no backup is taken, and the message says why; the
// command line refuses the same file in its one line, with nothing left
// behind. Neither spends much memory on it.
void TestSpreadsheet::badInputChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, answers);
    QFETCH(QString, reason);
    RegisterFixture fixture;
    fixture.createRegister({{"王伟", "1-101"}});
    const QString path = fixture.directory() + name;
    writeFile(path, bytes);
    fixture.startShown();
    const QByteArray before = fileBytes(fixture.databasePath());
    const QStringList files = filesIn(fixture.directory());
    const double ownPeak = peakMb();

    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, QStringList{path} + answers);
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes.last().text.contains(reason), qPrintable(boxes.last().text));
    if (answers.isEmpty())
        QVERIFY2(boxes.last().text.endsWith(QStringLiteral("。\n登记表没有改动。")), qPrintable(boxes.last().text));
    QCOMPARE(fileBytes(fixture.databasePath()), before);
    QCOMPARE(filesIn(fixture.directory()), files);
    QVERIFY2(peakMb() - ownPeak < windowGrowthMb, qPrintable(QString::number(peakMb() - ownPeak)));
    if (!answers.isEmpty())
        return;

    QProcess convert;
    convert.setChildProcessModifier([] {
        const rlimit heap{readerHeapBytes, readerHeapBytes};
        if (heapLimited)
            setrlimit(RLIMIT_DATA, &heap);
    });
    convert.start(QStringLiteral(LARKHAVEN_CONVERT_PATH), {path, fixture.directory() + QStringLiteral("new.mdb")});
    QVERIFY(convert.waitForFinished(60000));
    QCOMPARE(convert.exitStatus(), QProcess::NormalExit);
    QCOMPARE(convert.exitCode(), 1);
    QCOMPARE(convert.readAllStandardOutput(), QByteArray());
    const QString line = QString::fromLocal8Bit(convert.readAllStandardError());
    QVERIFY2(line.startsWith(QStringLiteral("larkhaven-convert: 导入失败：")) && line.contains(reason)
                 && line.indexOf(QLatin1Char('\n')) == line.size() - 1,
             qPrintable(line));
    QCOMPARE(filesIn(fixture.directory()), files);
}

void TestSpreadsheet::childFailures_data()
{
    QTest::addColumn<QByteArray>("script");  // the reading child's part
    QTest::addColumn<QString>("reason");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << tooLargeOrDamagedText();
    QTest::newRow("reaches a limit") << QByteArray("exit 3") << tooLargeOrDamagedText();
    QTest::newRow("killed past its processor time") << QByteArray("kill -KILL $$") << tooLargeOrDamagedText();
    QTest::newRow("its file changes under it") << QByteArray("exit 4") << fileChangedWhileReadingText();
    QTest::newRow("says nonsense") << QByteArray("echo nonsense") << "读取表格的程序的报告无法识别";
    QTest::newRow("says nothing") << QByteArray("exit 0") << "转换程序出错退出（退出码 0）";
}

// Whatever becomes of the reading child, the window says why in the
// landlord's words and nothing changes.
void TestSpreadsheet::childFailures()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, reason);
    RegisterFixture fixture;
    fixture.createRegister({{"王伟", "1-101"}});
    const QString path = fixture.directory() + QStringLiteral("房客.csv");
    writeFile(path, "姓名\r\n张三\r\n");
    const QString child = fixture.directory() + QStringLiteral("child.sh");
    writeFile(child, "#!/bin/sh\n" + script + "\n");
    QVERIFY(QFile::setPermissions(child, QFile::ReadOwner | QFile::ExeOwner));
    setConversionChildProgram(child);
    fixture.startShown();
    const QByteArray before = fileBytes(fixture.databasePath());

    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {path});
    setConversionChildProgram(QStringLiteral(LARKHAVEN_CONVERT_PATH));
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.last().text, QStringLiteral("无法导入“房客.csv”：%1。\n登记表没有改动。").arg(reason));
    QCOMPARE(fileBytes(fixture.databasePath()), before);
}

void TestSpreadsheet::childLimits_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("exitStatus");
    QTest::newRow("processor time used up") << int(SIGXCPU) << readingLimits::limitExitStatus;
    QTest::newRow("aborted, out of memory") << int(SIGABRT) << readingLimits::limitExitStatus;
    QTest::newRow("its file changed under its map") << int(SIGBUS) << readingLimits::readFaultExitStatus;
}

// The reading child runs under its limits, reports where no library can
// write, and ends with the status that names what stopped it. It is held
// still by a report channel that nobody reads.
void TestSpreadsheet::childLimits()
{
    QFETCH(int, signal);
    QFETCH(int, exitStatus);
    QTemporaryDir directory;
    const QString path = directory.filePath("房客.csv");
    QByteArray rows = "姓名\n";
    for (int i = 0; i < 20000; ++i)
        rows += "房客" + QByteArray::number(i) + "\n";
    writeFile(path, rows);
    QProcess child;
    child.start(QStringLiteral(LARKHAVEN_CONVERT_PATH),
                {"--read-sheet", "yyyy/M/d", "H:mm:ss", "0", path});
    QVERIFY(child.waitForStarted());
    const QString proc = QStringLiteral("/proc/%1/").arg(child.processId());
    // Once it handles the signals, it has taken its report channel.
    const auto handled = [&] {
        const QByteArray status = fileBytes(proc + "status");
        const qsizetype at = status.indexOf("SigCgt:");
        return at >= 0 && (status.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (SIGXCPU - 1) & 1);
    };
    for (int i = 0; i < 2000 && !handled(); ++i)
        QThread::msleep(5);
    QVERIFY(handled());
    QCOMPARE(QFile::symLinkTarget(proc + "fd/1"), QStringLiteral("/dev/null"));
    const QByteArray limits = fileBytes(proc + "limits");
    QVERIFY2(limits.contains(QStringLiteral("Max cpu time              %1                  %2                  seconds")
                                 .arg(readingLimits::cpuSeconds)
                                 .arg(readingLimits::cpuSecondsHard)
                                 .toLatin1()),
             limits.constData());
    ::kill(pid_t(child.processId()), signal);
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), exitStatus);
}

// 取消 on the reading's progress ends the child there and then; nothing
// is changed.
void TestSpreadsheet::cancelEndsTheChild()
{
    RegisterFixture fixture;
    fixture.createRegister({{"王伟", "1-101"}});
    const QString path = fixture.directory() + QStringLiteral("房客.csv");
    QByteArray rows = "姓名,备注\n";
    for (int i = 0; i < 300000; ++i)
        rows += "房客" + QByteArray::number(i) + ",第" + QByteArray::number(i) + "个\n";
    writeFile(path, rows);
    fixture.startShown();
    const QByteArray before = fileBytes(fixture.databasePath());
    const int delay = progressDialogDelayMs;
    progressDialogDelayMs = 0;
    QStringList seen;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || childProcesses().isEmpty())
            return;
        seen << dialog->labelText();
        cancel.stop();
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("取消"))
                button->click();
        }
    });
    cancel.start(1);
    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {path});
    progressDialogDelayMs = delay;
    QCOMPARE(seen, QStringList{QStringLiteral("正在读取“房客.csv”……")});
    QCOMPARE(childProcesses(), QString());
    QCOMPARE(boxes.size(), 1);  // the file dialog only
    QCOMPARE(fileBytes(fixture.databasePath()), before);
}

void TestSpreadsheet::odsCells_data()
{
    QTest::addColumn<QByteArray>("cells");        // of the row under the header, after its name
    QTest::addColumn<QStringList>("expected");    // column:text:kind ("=" before a formula's kind)
    const auto cell = [](const QByteArray &attributes, const QByteArray &content = {}) {
        return "<table:table-cell " + attributes + ">" + content + "</table:table-cell>";
    };
    const QString text = QString::number(int(CellKind::Text));
    const QString number = QString::number(int(CellKind::Number));
    const QString date = QString::number(int(CellKind::Date));
    QTest::newRow("float") << cell(R"(office:value-type="float" office:value="1600")", "<text:p>1,600</text:p>")
                           << QStringList{"1:1600:" + number};
    QTest::newRow("currency, then a text") << cell(R"(office:value-type="currency" office:currency="CNY" office:value="1500")",
                                                   "<text:p>¥1,500.00</text:p>")
                                                  + odsText("乙")
                                           << QStringList{"1:1500:" + number, "2:乙:" + text};
    QTest::newRow("percentage") << cell(R"(office:value-type="percentage" office:value="0.3")", "<text:p>30%</text:p>")
                                << QStringList{"1:0.3:" + number};
    QTest::newRow("date") << cell(R"(office:value-type="date" office:date-value="2026-11-30")", "<text:p>2026年11月30日</text:p>")
                          << QStringList{"1:2026/11/30:" + date};
    QTest::newRow("date and time") << cell(R"(office:value-type="date" office:date-value="2026-11-30T14:30:00")")
                                   << QStringList{"1:2026/11/30 14:30:00:" + date};
    QTest::newRow("time") << cell(R"(office:value-type="time" office:time-value="PT14H30M00S")", "<text:p>14:30</text:p>")
                          << QStringList{"1:1899/12/30 14:30:00:" + date};
    QTest::newRow("boolean") << cell(R"(office:value-type="boolean" office:boolean-value="true")", "<text:p>TRUE</text:p>")
                             << QStringList{"1:True:" + QString::number(int(CellKind::Boolean))};
    QTest::newRow("boolean, as pandas writes it") << cell(R"(office:value-type="boolean" office:value="false")", "<text:p>FALSE</text:p>")
                                                  << QStringList{"1:False:" + QString::number(int(CellKind::Boolean))};
    QTest::newRow("string value, as pandas writes it")
        << cell(R"(office:value-type="string" office:string-value=" 王芳 ")", "<text:p>王芳</text:p>") << QStringList{"1: 王芳 :" + text};
    QTest::newRow("blanks and line ends kept, as LibreOffice writes them")
        << cell(R"(office:value-type="string")", R"(<text:p><text:s text:c="2"/>两头 <text:s/>空格<text:s/></text:p>)")
        << QStringList{"1:  两头  空格 :" + text};
    QTest::newRow("blanks and line ends kept, as pandas writes them")
        << cell(R"(office:value-type="string" office:value=" 甲  乙 ")", "<text:p> 甲  乙\n丙 </text:p>")
        << QStringList{"1: 甲  乙\n丙 :" + text};
    QTest::newRow("tab and line break") << cell(R"(office:value-type="string")", "<text:p>制<text:tab/>表符<text:line-break/>第二行</text:p>")
                                        << QStringList{"1:制\t表符\n第二行:" + text};
    QTest::newRow("paragraphs, spans, links, an empty one")
        << cell(R"(office:value-type="string")",
                R"(<text:p>第<text:span text:style-name="T1">一</text:span>行</text:p><text:p/><text:p><text:a xlink:href="http://x">链接</text:a></text:p>)")
        << QStringList{"1:第一行\n\n链接:" + text};
    QTest::newRow("comment and shape left out")
        << cell(R"(office:value-type="string")",
                R"(<office:annotation><text:p>批注</text:p></office:annotation><draw:frame><text:p>图</text:p></draw:frame><text:p>张三</text:p>)")
        << QStringList{"1:张三:" + text};
    QTest::newRow("empty paragraph is no cell") << "<table:table-cell><text:p/></table:table-cell>" + odsText("王芳")
                                                << QStringList{"2:王芳:" + text};
    QTest::newRow("formula and its value") << cell(R"(table:formula="of:=[.B1]*2" office:value-type="float" office:value="1600")",
                                                   "<text:p>1600</text:p>")
                                           << QStringList{"1:1600:=" + number};
    QTest::newRow("formula without a value") << cell(R"x(table:formula="of:=SUM([.C3:.C42])")x")
                                             << QStringList{"1:=SUM([.C3:.C42]):=" + QString::number(int(CellKind::NoResult))};
    QTest::newRow("error") << cell(R"(table:formula="of:=1/0" office:value-type="float" office:value="0" calcext:value-type="error")",
                                   "<text:p>#DIV/0!</text:p>")
                           << QStringList{"1:#DIV/0!:=" + QString::number(int(CellKind::Error))};
    QTest::newRow("two lines repeated over columns")
        << cell(R"(office:value-type="string" table:number-columns-repeated="2")", "<text:p>一</text:p><text:p>二</text:p>")
        << QStringList{"1:一\n二:" + text, "2:一\n二:" + text};
}

// Each cell of an .ods file by its value type, as the register's text,
// the same through the reading child as here.
void TestSpreadsheet::odsCells()
{
    QFETCH(QByteArray, cells);
    QFETCH(QStringList, expected);
    QTemporaryDir directory;
    const QString path = directory.filePath("cells.ods");
    writeOds(path, "<table:table-row>" + odsText("姓名") + "</table:table-row><table:table-row>" + odsText("张三") + cells
                       + "</table:table-row>");
    const SheetTable here = readHere(path);
    QCOMPARE(here.rowCount(), 2);
    QCOMPARE(cellsOf(here, 1), QStringList{"0:张三:" + QString::number(int(CellKind::Text))} + expected);
    QString failure;
    const std::shared_ptr<const SheetTable> byChild = readByChild(path, &failure);
    QVERIFY2(byChild, qPrintable(failure));
    QCOMPARE(allCells(*byChild), allCells(here));
}

void TestSpreadsheet::importOutcomes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lengthLimit");       // set on the program's connection; 0: SQLite's own
    QTest::addColumn<QString>("preview");       // a line of the preview
    QTest::addColumn<QStringList>("stored");    // 姓名 and 备注 of the records added, as hex
    QTest::addColumn<QString>("outcome");       // the start of the last box
    QTemporaryDir made;
    writeXlsx(made.filePath("f"), xlsxRow(1, {{"A1", "姓名"}}) + xlsxRow(2, {{"A2", "张\xff三"}}));
    QTest::newRow("bytes that are no UTF-8") << "a.xlsx" << fileBytes(made.filePath("f")) << 0
                                             << "有 1 个单元格含有无法识别的字符（不是 UTF-8 编码），已替换为“\uFFFD”。"
                                             << QStringList{QString("张\uFFFD三").toUtf8().toHex()} << "导入完成：添加了 1 个记录";
    QTest::newRow("U+FEFF in a value, after the file's own")
        << "b.csv" << QByteArray("\xEF\xBB\xBF姓名\r\n张三\r\n\xEF\xBB\xBF张三\r\n\xEF\xBB\xBF张三\r\n") << 0 << "将添加 2 个记录，跳过 1 行。"
        << QStringList{QByteArray("张三").toHex(), QByteArray("\xEF\xBB\xBF张三").toHex()} << "导入完成：添加了 2 个记录";
    QByteArray columns = "姓名";
    QByteArray values = "张三";
    for (int i = 1; i <= 30; ++i) {
        columns += ",列" + QByteArray::number(i);
        values += "," + QByteArray::number(i);
    }
    QTest::newRow("thirty columns added")
        << "c.csv" << columns + "\r\n" + values + "\r\n" << 0
        << "登记表将新增以下列：列1、列2、列3、列4、列5、列6、列7、列8、列9、列10、列11、列12、列13、列14、列15、列16、列17、列18、列19、列20 等 30 列"
        << QStringList{QByteArray("张三").toHex()} << "导入完成：添加了 1 个记录";
    QTest::newRow("a value SQLite refuses") << "d.csv" << "姓名,备注\r\n张三,短\r\n李四," + QByteArray(200, 'x') + "\r\n" << 100
                                            << "将添加 2 个记录，跳过 0 行。" << QStringList()
                                            << "导入失败：写入表格第 3 行时出错（string or blob too big）。";
}

// The import as a landlord runs it: the preview says what it will do, and
// the records hold exactly the texts the preview checked.
void TestSpreadsheet::importOutcomes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, lengthLimit);
    QFETCH(QString, preview);
    QFETCH(QStringList, stored);
    QFETCH(QString, outcome);
    RegisterFixture fixture;
    fixture.createRegister();
    const QString path = fixture.directory() + name;
    writeFile(path, bytes);
    fixture.startShown();
    if (lengthLimit > 0)
        sqlite3_limit(Form1->ADOConnection1->handle(), SQLITE_LIMIT_LENGTH, lengthLimit);

    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {path, QStringLiteral("确认导入")});
    QCOMPARE(boxes.size(), 3);
    QVERIFY2(boxes.at(1).text.split(QLatin1Char('\n')).contains(preview), qPrintable(boxes.at(1).text));
    QVERIFY2(boxes.at(2).text.startsWith(outcome), qPrintable(boxes.at(2).text));
    QCOMPARE(firstColumn(fixture.rows(QStringLiteral("select hex(姓名) from data order by ID"))).join(',').toLower(),
             stored.join(','));
}

// A listing of several pages printed to PDF: pdftotext finds every name and
// the page numbers.
void TestSpreadsheet::printedPdfHoldsEveryName()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    RegisterFixture fixture;
    fixture.createRegister();
    QStringList names;
    for (int i = 0; i < 60; ++i) {
        names << QStringLiteral("金%1号一日").arg(i);
        fixture.addTenant({names.last(), "101", "500", "1000", "2025/1/1", "2026/1/1",
                           "联系电话：139\r\n身份证编号：1101\r\n" + QString(150, QChar(u'备'))});
    }
    fixture.startShown();
    const QString pdf = fixture.directory() + QStringLiteral("房客.pdf");
    QCOMPARE(saveListingPdf(Form1->ADOQuery1->result(), QStringLiteral("房客登记"), pdf), QString());

    const auto folded = [](const QString &text) { return text.normalized(QString::NormalizationForm_KC); };
    const QString printed = pdfText(pdf);
    for (const QString &name : names)
        QVERIFY2(printed.contains(name), qPrintable(name));
    const QString last = printed.section(folded(QStringLiteral("第 1 页，共 ")), 1).section(QStringLiteral(" 页"), 0, 0);
    QVERIFY2(last.toInt() > 1, qPrintable(last));
    for (int page = 1; page <= last.toInt(); ++page)
        QVERIFY(printed.contains(folded(QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(last))));
    QVERIFY(!printed.contains(QStringLiteral("第 %1 页").arg(last.toInt() + 1)));
}

void TestSpreadsheet::writesWithoutRoomChangeNothing_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("sizeLimit");  // else a full folder
    QTest::addColumn<QString>("reason");
    const QString full = QStringLiteral("磁盘空间不足");
    const QString tooLarge = QStringLiteral("新文件超出了系统允许的文件大小");
    for (const char *suffix : {"pdf", "xlsx", "csv"}) {
        QTest::addRow("%s, full folder", suffix) << suffix << false << full;
        QTest::addRow("%s, file size limit", suffix) << suffix << true << tooLarge;
    }
}

// A PDF or an export that runs out of room says so and leaves the file of
// that name as it was, and nothing beside it.
void TestSpreadsheet::writesWithoutRoomChangeNothing()
{
    QFETCH(QString, suffix);
    QFETCH(bool, sizeLimit);
    QFETCH(QString, reason);
    constexpr qint64 room = 64 * 1024;
    std::optional<SmallDisk> disk;
    QTemporaryDir roomy;
    QString folder = roomy.path() + QLatin1Char('/');
    if (!sizeLimit) {
        disk.emplace(room);
        if (disk->path().isEmpty())
            QSKIP(qPrintable(disk->failure()));
        folder = disk->path();
    }
    RegisterFixture fixture;
    fixture.createRegister();
    addTenants(fixture, 2000, QStringLiteral("押一付三，电话 13800000000"));
    fixture.startShown();
    const QString target = folder + QStringLiteral("房客.") + suffix;
    writeFile(target, "原来的文件");

    // The file dialog's own question, asked inside the answer to the dialog.
    QTimer replace;
    QObject::connect(&replace, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->button(QMessageBox::Yes))
            box->button(QMessageBox::Yes)->click();
    });
    replace.start(5);
    QString message;
    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimit)
            limit.emplace(room);
        const auto exportAll = [] { Form1->transferPage->exportAllButton->click(); };
        message = suffix == QLatin1String("pdf")
            ? saveListingPdf(Form1->ADOQuery1->result(), QStringLiteral("房客登记"), target)
            : messageTexts(runAnsweringBoxes(exportAll, {target})).last();
    }
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(fileBytes(target), QByteArray("原来的文件"));
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("房客.") + suffix});
}

void TestSpreadsheet::xlsxTemporaryFilesStayBesideTheFile_data()
{
    QTest::addColumn<bool>("tmpFull");  // else the target's folder is full
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::newRow("/tmp full") << true << 0 << "导出完成，共 2000 个记录：";
    QTest::newRow("target's folder full") << false << 1 << "larkhaven-convert: 导出失败：磁盘空间不足\n";
}

// libxlsxwriter's temporary files go to the target's folder: a full /tmp
// does not matter, and a full folder is told in one line of the program's,
// none of libxlsxwriter's.
void TestSpreadsheet::xlsxTemporaryFilesStayBesideTheFile()
{
    QFETCH(bool, tmpFull);
    QFETCH(int, status);
    QFETCH(QString, output);
    // Outside /tmp, which a small file system covers for the child alone.
    QTemporaryDir files(QCoreApplication::applicationDirPath() + QStringLiteral("/export-XXXXXX"));
    const QString source = files.filePath(QStringLiteral("data.mdb"));
    {
        RegisterFixture fixture;
        fixture.createRegister();
        addTenants(fixture, 2000, QStringLiteral("押一付三"));
        QVERIFY(QFile::copy(fixture.databasePath(), source));
    }
    std::optional<SmallDisk> disk;
    QString folder = files.path() + QLatin1Char('/');
    QProcess convert;
    convert.setProcessChannelMode(QProcess::MergedChannels);
    if (tmpFull) {
        if (QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty())
            QSKIP("unshare (util-linux) is not installed");
        const QString script = QStringLiteral("mount -t tmpfs -o size=64k tmpfs /tmp || exit 99; exec \"$@\"");
        convert.start(QStringLiteral("unshare"), {"--mount", "sh", "-c", script, "sh", LARKHAVEN_CONVERT_PATH, source,
                                                  folder + QStringLiteral("房客.xlsx")});
    } else {
        disk.emplace(64 * 1024);
        if (disk->path().isEmpty())
            QSKIP(qPrintable(disk->failure()));
        folder = disk->path();
        convert.start(QStringLiteral(LARKHAVEN_CONVERT_PATH), {source, folder + QStringLiteral("房客.xlsx")});
    }
    QVERIFY(convert.waitForFinished(60000));
    const QString printed = QString::fromLocal8Bit(convert.readAll());
    if (convert.exitCode() == 99)
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs over /tmp (needs root): ") + printed));
    QCOMPARE(convert.exitCode(), status);
    QVERIFY2(printed.startsWith(output) && printed.count(QLatin1Char('\n')) == 1, qPrintable(printed));
    if (status != 0) {
        QCOMPARE(folderEntries(folder), QStringList());
        return;
    }
    const QString file = folder + QStringLiteral("房客.xlsx");
    QVERIFY(zipEntry(file, QStringLiteral("[Content_Types].xml")).endsWith("</Types>"));
    QCOMPARE(zipEntry(file, QStringLiteral("xl/worksheets/sheet1.xml")).count("<row "), 2001);
}

// The whole register's export packs its file with events let through
// before its progress dialog shows: what the user clicks then is not done,
// and a write the window makes then is kept (the export reads through a
// connection of its own, whose transaction cannot take the write along).
void TestSpreadsheet::exportAllLeavesTheWindowsWritesAlone()
{
    RegisterFixture fixture;
    fixture.createRegister();
    addTenants(fixture, 20000, QStringLiteral("押一付三"));
    fixture.startShown();
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("房客.xlsx"));
    int written = -1;
    QTimer meanwhile;
    QObject::connect(&meanwhile, &QTimer::timeout, [&] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const bool packing = std::any_of(windows.begin(), windows.end(), [](QWidget *window) {
            auto *dialog = qobject_cast<QProgressDialog *>(window);
            return dialog && dialog->labelText().startsWith(QStringLiteral("正在写入"));
        });
        if (!packing || written != -1)
            return;
        written = executeSql(Form1->ADOConnection1->handle(), "update data set 备注 = '改过' where 姓名 = '租客1'");
        QTest::mouseClick(Form1->transferPage->exportListingButton, Qt::LeftButton);
    });
    meanwhile.start(0);
    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->exportAllButton->click(); }, {file});
    meanwhile.stop();
    QCOMPARE(written, SQLITE_OK);
    QCOMPARE(fixture.rows(QStringLiteral("select 备注 from data where 姓名 = '租客1'")),
             QList<QStringList>{{QStringLiteral("改过")}});
    QCOMPARE(messageTexts(boxes),
             (QStringList{QStringLiteral("房客登记_%1.xlsx").arg(QDate::currentDate().toString("yyyy-MM-dd")),
                          QStringLiteral("已导出 20000 个记录到“%1”。").arg(QDir::toNativeSeparators(file))}));
}

// A remark over many pages is broken into lines once: each page holds its
// own lines only, every character is printed once, and the preview's
// progress dialog stops it with 取消 before it shows.
void TestSpreadsheet::remarkOfManyPagesPrintsOnce()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    constexpr int length = 60000;
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"},
                            {"李四", "102", "600", "", "", "", QString(length, QChar(u'字')) + QStringLiteral("尾")},
                            {"王五", "103"}});
    fixture.startShown();
    const QString pdf = fixture.directory() + QStringLiteral("房客.pdf");
    QCOMPARE(saveListingPdf(Form1->ADOQuery1->result(), QStringLiteral("房客登记"), pdf), QString());
    const QString printed = pdfText(pdf);
    QCOMPARE(printed.count(QChar(u'字')), length);
    QCOMPARE(printed.count(QStringLiteral("尾")), 1);
    QVERIFY2(printed.contains(QStringLiteral("第 20 页")), "a remark of 60,000 characters fills some 25 pages");
    QVERIFY2(QFileInfo(pdf).size() < 1024 * 1024, qPrintable(QString::number(QFileInfo(pdf).size())));

    progressDialogDelayMs = 0;
    bool stopped = false;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()); progress && !stopped) {
            stopped = true;
            progress->cancel();
        }
    });
    cancel.start(0);
    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->printListingButton->click(); });
    progressDialogDelayMs = 500;
    QVERIFY(stopped);
    QCOMPARE(messageTexts(boxes), QStringList());  // no preview
}

// A plan of the CSV text `csv`, read as the command line reads it.
ImportPlan csvPlan(const QByteArray &csv, const ImportOptions &options = {})
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("a.csv"));
    writeFile(path, csv);
    return planImport(std::make_shared<const SheetTable>(readHere(path)), {}, options);
}

QString choiceText(const ColumnChoice &choice)
{
    switch (choice.use) {
    case ColumnUse::Register:
        return importedColumns()[std::size_t(choice.registerColumn)];
    case ColumnUse::NewColumn:
        return QStringLiteral("新增");
    case ColumnUse::IntoRemark:
        return QStringLiteral("备注+");
    case ColumnUse::LeaveOut:
        break;
    }
    return QStringLiteral("不导入");
}

void TestSpreadsheet::landlordHeaders_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("skipUnmatched");
    QTest::addColumn<QString>("choices");  // per column of the sheet
    QTest::addColumn<QString>("added");
    QTest::newRow("a landlord's sheet") << QByteArray("序号,姓名,房间号,月租,押金,入住时间,到期时间,电话,备注\r\n1,张三,101,500,1000,,,138,无\r\n")
                                        << false << "不导入 姓名 房号 租金 押金 入住日期 到期日期 新增 备注" << "电话";
    QTest::newRow("--skip-unmatched") << QByteArray("序号,姓名,房间号,电话\r\n1,张三,101,138\r\n") << true
                                      << "不导入 姓名 房号 不导入" << "";
    QTest::newRow("blanks, full-width forms, a unit")
        << QByteArray("租客 姓名,房　间,租金（元）,保证金,起租日,退租日期,说明,No.\r\n张三,1,2,3,4,5,6,7\r\n") << false
        << "姓名 房号 租金 押金 入住日期 到期日期 备注 不导入" << "";
    QTest::newRow("the exact name wins, one column each")
        << QByteArray("房间,姓名,房号,房客,月租,房租\r\n1,张三,2,李四,5,6\r\n") << false << "新增 姓名 房号 新增 租金 新增"
        << "房间,房客,房租";
    QTest::newRow("no header; the program's own ID and 编辑时间")
        << QByteArray("姓名,,ID,编辑时间,id\r\n张三,x,1,2026/1/1,9\r\n") << false << "姓名 新增 不导入 不导入 不导入" << "第 2 列";
    // A table has room for 2,000 columns: a hundred are added unasked.
    QByteArray header = "姓名", values = "张三";
    QStringList wide{"姓名"}, added;
    for (int i = 1; i <= 120; ++i) {
        header += ",c" + QByteArray::number(i);
        values += ",1";
        wide << (i <= 100 ? "新增" : "不导入");
        if (i <= 100)
            added << QStringLiteral("c%1").arg(i);
    }
    QTest::newRow("120 columns") << header + "\r\n" + values + "\r\n" << false << wide.join(' ') << added.join(',');
}

// Headers as landlords write them: which register column each fills by
// default, and which columns the import adds.
void TestSpreadsheet::landlordHeaders()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, skipUnmatched);
    QFETCH(QString, choices);
    QFETCH(QString, added);
    ImportOptions options;
    options.skipUnmatched = skipUnmatched;
    const ImportPlan plan = csvPlan(csv, options);
    QStringList chosen;
    for (const SheetColumn &column : plan.columns)
        chosen << choiceText(column.choice);
    QCOMPARE(chosen.join(' '), choices);
    QCOMPARE(plan.addedColumns.join(','), added);
    QCOMPARE(plan.rows.size(), 1);

    // The command line, with the same defaults, adds those columns and says so.
    RegisterFixture target;
    const QString path = target.directory() + QStringLiteral("a.csv");
    writeFile(path, csv);
    const QString output = convertOutput(QStringList(skipUnmatched ? QStringList{"--skip-unmatched"} : QStringList())
                                             << path << target.databasePath(), 0);
    QCOMPARE(output.contains(QStringLiteral("新增的列：") + summarisedColumns(added.split(','))), !added.isEmpty());
    QCOMPARE(firstColumn(target.rows(QStringLiteral("select name from pragma_table_info('data') where cid > 8"))).join(','),
             added);
}

void TestSpreadsheet::landlordValues_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("note");  // on the rows to look at; "?" for a date kept as written
    const QString notPlain = QStringLiteral("租金不是整数，合计不会计入");
    for (const char *written : {"1,200", "1，200", "¥1,200.00", "￥1200", "1200元", "1,200.00 元", "１２００"})
        QTest::newRow(written) << "月租" << written << "1200" << "";
    QTest::newRow("deposit") << "保证金" << "¥2,400" << "2400" << "";
    QTest::newRow("cents") << "租金" << "1500.50" << "1500.50" << notPlain;
    QTest::newRow("grouped wrong") << "租金" << "1,20" << "1,20" << notPlain;
    QTest::newRow("words") << "租金" << "面议" << "面议" << notPlain;
    QTest::newRow("a plain amount as written") << "租金" << "0500" << "0500" << "";
    const QString date = fullYearDateText(QDate(2026, 11, 30), regionalFormats());
    for (const char *written : {"2026年11月30日", "2026 年 11 月 30 日", "2026-11-30", "2026.11.30", "2026/11/30"})
        QTest::newRow(written) << "到期时间" << written << date << "";
    QTest::newRow("no such day") << "入住日期" << "2026-02-30" << "2026-02-30" << "?";
    QTest::newRow("words for a date") << "入住日期" << "下月初" << "下月初" << "?";
}

// Amounts and dates written as text, as landlords write them.
void TestSpreadsheet::landlordValues()
{
    QFETCH(QString, header);
    QFETCH(QString, written);
    QFETCH(QString, stored);
    QFETCH(QString, note);
    const ImportPlan plan = csvPlan(QStringLiteral("姓名,%1\r\n张三,\"%2\"\r\n").arg(header, written).toUtf8());
    QStringList values = rowText(plan.rows, 0).section('|', 1).split('|');
    values.removeAll(QStringLiteral("NULL"));
    QCOMPARE(values, QStringList{stored});
    QCOMPARE(plan.notes.empty() ? (plan.unreadableDates ? QStringLiteral("?") : QString()) : plan.notes.front().reason,
             note);
}

void TestSpreadsheet::totalsAndFormulas_data()
{
    QTest::addColumn<QByteArray>("row");  // row 2 of a sheet headed 姓名 租金
    QTest::addColumn<bool>("recalculateOnOpen");
    QTest::addColumn<QString>("outcome");
    const auto row = [](const char *name, const QByteArray &rent) {
        return R"(<row r="2"><c r="A2" t="inlineStr"><is><t>)" + QByteArray(name) + R"(</t></is></c>)"
            + R"(<c r="B2">)" + rent + "</c></row>";
    };
    const QString noResult = QStringLiteral("added:NULL:公式没有计算结果，请在 Excel 或 WPS 中打开并保存后再导入");
    QTest::newRow("合计 with its sum") << row("合计", "<f>SUM(B1:B1)</f><v>500</v>") << false << "skipped:合计行";
    QTest::newRow("小 计, a plain value") << row(" 小 计", "<v>500</v>") << false << "skipped:合计行";
    QTest::newRow("平均") << row("平均", "<v>500</v>") << false << "skipped:合计行";
    QTest::newRow("no name, a formula") << row("", "<f>B1*2</f><v>500</v>") << false << "skipped:合计行";
    QTest::newRow("no name, a value") << row("", "<v>500</v>") << false << "skipped:姓名为空";
    QTest::newRow("合计 in a name") << row("合计张", "<v>500</v>") << false << "added:500";
    QTest::newRow("a formula without its result") << row("张三", "<f>B1*2</f>") << false << noResult;
    QTest::newRow("0 to be calculated on open") << row("张三", "<f>B1*2</f><v>0</v>") << true << noResult;
    QTest::newRow("0 calculated") << row("张三", "<f>B1*2</f><v>0</v>") << false << "added:0";
    QTest::newRow("a value of 0 in a book to calculate") << row("张三", "<v>0</v>") << true << "added:0";
}

// Totals rows are no tenants; a formula's text is no value.
void TestSpreadsheet::totalsAndFormulas()
{
    QFETCH(QByteArray, row);
    QFETCH(bool, recalculateOnOpen);
    QFETCH(QString, outcome);
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("a.xlsx"));
    writeXlsx(path, xlsxRow(1, {{"A1", "姓名"}, {"B1", "租金"}}) + row, -1, recalculateOnOpen);
    const ImportPlan plan = planImport(std::make_shared<const SheetTable>(readHere(path)), {});
    QStringList seen;
    for (const SkippedRow &skipped : plan.skipped)
        seen << QStringLiteral("skipped:") + skipped.reason;
    for (qsizetype added = 0; added < plan.rows.size(); ++added) {
        seen << QStringLiteral("added:") + rowText(plan.rows, added).section('|', 2, 2);
        for (const SkippedRow &noted : plan.notes)
            seen.last() += QLatin1Char(':') + noted.reason;
    }
    QCOMPARE(seen, QStringList{outcome});
}

void TestSpreadsheet::columnChoices_data()
{
    QTest::addColumn<QString>("column");  // the sheet column changed in the preview, or none
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("addedMeanwhile");  // another program adds 电话 while the preview shows
    QTest::addColumn<QString>("added");  // columns after the register's own
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("outcome");
    const QString date = fullYearDateText(QDate(2026, 1, 5), regionalFormats());
    const QString date2 = fullYearDateText(QDate(2026, 2, 1), regionalFormats());
    const QString done = QStringLiteral("导入完成：添加了 3 个记录，跳过 1 行。\n");
    QTest::newRow("新增为一列") << "" << "" << false << "电话 TEXT"
                           << QStringList{"张三|101|1200|2400|" + date + "|押一付三|13800001111", "李四|102|1500|3000|" + date2 + "||13900002222",
                                          "王五|201|1500.50||||13700003333"}
                           << done + "新增的列：电话";
    QTest::newRow("并入备注") << "电话" << "并入备注" << false << ""
                          << QStringList{"张三|101|1200|2400|" + date + "|押一付三\r\n电话：13800001111|",
                                         "李四|102|1500|3000|" + date2 + "|电话：13900002222|", "王五|201|1500.50|||电话：13700003333|"}
                          << done + "导入前";
    QTest::newRow("不导入") << "电话" << "不导入" << false << ""
                         << QStringList{"张三|101|1200|2400|" + date + "|押一付三|", "李四|102|1500|3000|" + date2 + "||",
                                        "王五|201|1500.50||||"}
                         << done + "导入前";
    QTest::newRow("no rent: Enter does not import") << "月租" << "不导入" << false << "" << QStringList() << "";
    QTest::newRow("电话 added meanwhile") << "" << "" << true << "电话 TEXT" << QStringList()
                                      << "导入失败：写入数据库时出错（duplicate column name: 电话）";
}

// The landlord's sheet through the real preview, a column's choice
// changed, and Enter pressed: what lands in the file.
void TestSpreadsheet::columnChoices()
{
    QFETCH(QString, column);
    QFETCH(QString, choice);
    QFETCH(bool, addedMeanwhile);
    QFETCH(QString, added);
    QFETCH(QStringList, stored);
    QFETCH(QString, outcome);
    RegisterFixture fixture;
    fixture.createRegister();
    const QString path = fixture.directory() + QStringLiteral("登记表.xlsx");
    writeLandlordXlsx(path);
    fixture.startShown();
    bool warned = false;
    bool importByDefault = false;
    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, {path}, {[&](QDialog *dialog) {
        auto *preview = qobject_cast<TImportPreview *>(dialog);
        // Each of the preview's lists is planned again on every choice.
        std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
        for (QTableView *view : {preview->TableViewAdd, preview->TableViewSkip, preview->TableViewNotes})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                view->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
        for (int row = 0; row < preview->TableColumns->rowCount(); ++row) {
            if (preview->TableColumns->item(row, 0)->text() != column)
                continue;
            auto *combo = qobject_cast<QComboBox *>(preview->TableColumns->cellWidget(row, 2));
            combo->setCurrentIndex(combo->findText(choice));
            emit combo->activated(combo->currentIndex());
        }
        warned = preview->LabelWarning->isVisible();
        importByDefault = preview->ButtonImport->isDefault();
        if (addedMeanwhile)
            fixture.exec(QStringLiteral("alter table data add column 电话 TEXT"));
        preview->TableViewAdd->setFocus();
        QTest::keyClick(preview->TableViewAdd, Qt::Key_Return);
    }});
    QCOMPARE(warned, outcome.isEmpty());
    QCOMPARE(importByDefault, !warned);
    QVERIFY2(outcome.isEmpty() || boxes.last().text.startsWith(outcome), qPrintable(boxes.last().text));
    if (!stored.isEmpty())  // the grid lists the columns the import added
        QCOMPARE(Form1->DataSource1->headerData(9, Qt::Horizontal).toString(), added.section(' ', 0, 0));
    QCOMPARE(firstColumn(fixture.rows(QStringLiteral("select group_concat(name || ' ' || type, ',') from pragma_table_info('data') "
                                                     "where cid > 8"))).join(QString()),
             added);
    const QString phone = added.isEmpty() ? QStringLiteral("''") : QStringLiteral("ifnull(电话, '')");
    QCOMPARE(firstColumn(fixture.rows(QStringLiteral("select 姓名 || '|' || 房号 || '|' || 租金 || '|' || ifnull(押金, '') || '|' "
                                                     "|| ifnull(入住日期, '') || '|' || ifnull(备注, '') || '|' || %1 "
                                                     "from data order by ID").arg(phone))),
             stored);
}

void TestSpreadsheet::csvGuard_data()
{
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QByteArray>("field");  // as the export writes it
    QTest::newRow("a formula") << "=CMD|' /C calc'!A0" << QByteArray("'=CMD|' /C calc'!A0");
    QTest::newRow("=1+1") << "=1+1" << QByteArray("'=1+1");
    QTest::newRow("+ and a comma") << "+86,138" << QByteArray("\"'+86,138\"");
    QTest::newRow("@") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
    QTest::newRow("a lone -") << "-" << QByteArray("'-");
    QTest::newRow("a negative number") << "-500" << QByteArray("-500");
    QTest::newRow("a number with a fraction") << "-0.5" << QByteArray("-0.5");
    QTest::newRow("an apostrophe before =") << "'=x" << QByteArray("''=x");
    QTest::newRow("two before -") << "''-500" << QByteArray("'''-500");
    QTest::newRow("an apostrophe before a letter") << "'abc" << QByteArray("'abc");
    QTest::newRow("= inside") << "a=b" << QByteArray("a=b");
}

// A CSV export guards what a spreadsheet would run; the import gives the
// text back exactly.
void TestSpreadsheet::csvGuard()
{
    QFETCH(QString, remark);
    QFETCH(QByteArray, field);
    RegisterFixture source;
    source.createRegister({{"张三", "101", "500", "", "", "", remark, ""}});
    const QString file = source.directory() + QStringLiteral("导出.csv");
    convertOutput({source.databasePath(), file}, 0);
    // The remark is the row's last field but 编辑时间's (an empty text).
    QCOMPARE(fileBytes(file).split('\n').value(1).split(',').mid(7).join(',').chopped(4), field);
    RegisterFixture target;
    convertOutput({file, target.databasePath()}, 0);
    QCOMPARE(target.rows(QStringLiteral("select 备注 from data")), QList<QStringList>{{remark}});
}

void TestSpreadsheet::csvRecords_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<QStringList>>("rows");  // row number, then column:text:kind per cell
    QTest::addColumn<QString>("failure");
    QTest::newRow("CRLF, LF, an empty field, a trailing comma")
        << QByteArray("a,,b,\r\nc\n\nd") << QList<QStringList>{{"1", "0:a:0", "2:b:0"}, {"2", "0:c:0"}, {"4", "0:d:0"}} << "";
    QTest::newRow("quotes: doubled, line breaks, empty, text after the closing one")
        << QByteArray("\"x\"\"y\",\"1\r\n2\",\"\",\"a\"b\r\n")
        << QList<QStringList>{{"1", "0:x\"y:0", "1:1\r\n2:0", "2::0", "3:ab:0"}} << "";
    QTest::newRow("a lone CR separates fields") << QByteArray("a\rb") << QList<QStringList>{{"1", "0:a:0", "1:b:0"}} << "";
    QTest::newRow("a quote that never closes") << QByteArray("a,\"b\r\nc") << QList<QStringList>() << "CSV 文件格式有误（引号没有配对）";
}

// The records of a CSV, as the import takes them.
void TestSpreadsheet::csvRecords()
{
    QFETCH(QByteArray, csv);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, failure);
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("a.csv"));
    writeFile(path, csv);
    try {
        QCOMPARE(allCells(readHere(path)), rows);
        QVERIFY(failure.isEmpty());
    } catch (const AppError &error) {
        QCOMPARE(error.text(), failure);
    }
}

QTEST_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
