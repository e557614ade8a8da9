// SPDX-License-Identifier: GPL-3.0-or-later
// Export, import and print through the windows and larkhaven-convert, on
// real registers and spreadsheet files.
#include "sheets/ImportPlan.h"
#include "sheets/SheetReading.h"
#include "sheets/ZipArchive.h"
#include "platform/RegionalFormats.h"
#include "support/RegisterFixture.h"
#include "ui/PrintFlow.h"
#include "ui/Unit1.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>

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
    for (int column = 0; column < TenantRows::columnCount; ++column) {
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

} // namespace

class TestSpreadsheet : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void importRules_data();
    void importRules();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
    void printedPdfHoldsEveryName();
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
    const ImportPlan plan = planImport(path, 0, NameSet{"王伟"}, regionalFormats(), control);
    QStringList added;
    for (qsizetype row = 0; row < plan.rows.size(); ++row)
        added << rowText(plan.rows, row);
    QCOMPARE(added, (QStringList{"3:赵六|3-301|800|1600|2026/1/5|2027/1/4|电话：13800000001\n第二行",
                                 "5:钱七|302|850.5|NULL|2026/2/1|2027/1/31 12:00:00|押一付三",
                                 "8:孙八|0305|700|1400|2026/3/1|2027/2/28|NULL"}));
    QStringList skipped;
    for (const SkippedRow &row : plan.skipped)
        skipped << QStringLiteral("%1:%2:%3").arg(row.row).arg(row.name, row.reason);
    QCOMPARE(skipped, (QStringList{"4:王伟:登记表中已有此姓名", "6::姓名为空", "7:赵六:与第 3 行的姓名相同"}));
    QCOMPARE(plan.headerRow, 2);
    QCOMPARE(plan.leftOutColumns, QStringList{"微信"});
}

void TestSpreadsheet::badInputChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("message");
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
}

// Nothing is written, no backup is taken, and the message says why.
void TestSpreadsheet::badInputChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, answers);
    QFETCH(QString, message);
    RegisterFixture fixture;
    fixture.createRegister({{"王伟", "1-101"}});
    const QString path = fixture.directory() + name;
    writeFile(path, bytes);
    fixture.startShown();
    const QByteArray before = fileBytes(fixture.databasePath());
    const auto boxes = runAnsweringBoxes([] { Form1->transferPage->importButton->click(); }, QStringList{path} + answers);
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes.last().text.contains(message), qPrintable(boxes.last().text));
    QCOMPARE(fileBytes(fixture.databasePath()), before);
    QCOMPARE(QDir(fixture.directory()).entryList({QStringLiteral("导入前*")}), QStringList());
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

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    // Folds look-alike radicals that a font's glyph table may give back.
    const auto folded = [](const QString &text) { return text.normalized(QString::NormalizationForm_KC); };
    const QString printed = folded(QString::fromUtf8(text.readAllStandardOutput()));
    for (const QString &name : names)
        QVERIFY2(printed.contains(name), qPrintable(name));
    const QString last = printed.section(folded(QStringLiteral("第 1 页，共 ")), 1).section(QStringLiteral(" 页"), 0, 0);
    QVERIFY2(last.toInt() > 1, qPrintable(last));
    for (int page = 1; page <= last.toInt(); ++page)
        QVERIFY(printed.contains(folded(QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(last))));
    QVERIFY(!printed.contains(QStringLiteral("第 %1 页").arg(last.toInt() + 1)));
}

QTEST_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
