// SPDX-License-Identifier: GPL-3.0-or-later
// The test writer of Access files, checked against mdbtools' own tools: what
// it writes, mdb-export gives back exactly.
#include "jet4/Jet4Writer.h"
#include "support/RegisterFixture.h"

#include <QProcess>
#include <QTest>
#include <QUuid>

#include <limits>

using namespace jet4;

Q_DECLARE_METATYPE(jet4::Format)
Q_DECLARE_METATYPE(jet4::Table)

namespace {

struct ToolRun {
    QString out;
    QString err;
};

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {QString(), QStringLiteral("%1 failed: %2").arg(program, process.readAllStandardError())};
    return {QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// Every row of the table as mdb-export gives it, cut at separators that no
// test value holds, so that quotes, commas and line breaks come back as they are.
QList<QStringList> exportedRows(const QString &path, const QString &table, QString *warnings)
{
    const QString dateFormat = QStringLiteral("%Y-%m-%d %H:%M:%S");
    const ToolRun run = runTool(QStringLiteral("mdb-export"),
                                {"-H", "-Q", "-d", "\x1f", "-R", "\x1e", "-D", dateFormat, "-T", dateFormat, path, table});
    *warnings = run.err;
    QList<QStringList> rows;
    for (const QString &row : run.out.split(QChar(0x1e), Qt::SkipEmptyParts))
        rows.append(row.split(QChar(0x1f)));
    return rows;
}

QString filled(const QString &start, int length)
{
    return start + QString(length - start.size(), QChar(u'租'));
}

Table tenantTable(const QList<QVariantList> &rows)
{
    return {QStringLiteral("data"),
            {{QStringLiteral("ID"), ColumnType::Long, true},
             {QStringLiteral("姓名"), ColumnType::Text},
             {QStringLiteral("备注"), ColumnType::Memo}},
            rows,
            {}};
}

// One row's expected export, from its AutoNumber and texts.
QStringList exported(int id, const QString &name, const QString &remarks)
{
    return {QString::number(id), name, remarks};
}

} // namespace

class TestJet4Writer : public QObject {
    Q_OBJECT
private slots:
    void exportGivesBackEveryValue_data();
    void exportGivesBackEveryValue();
    void fileDescribesItsColumns();
    void catalogKeepsProperties();
};

void TestJet4Writer::exportGivesBackEveryValue_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QList<Table>>("tables");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QStringList>>("expected");

    const QString crlf = QStringLiteral("电话：13800000000\r\n身份证：\"110101\",'x'\r\n");
    const QString name225 = filled(QStringLiteral("欧阳"), 225);
    QTest::newRow("Chinese, quotes, CR LF, full-length text, NULL and empty")
        << Format::Jet4
        << QList<Table>{tenantTable({{1, QStringLiteral("张三"), crlf},
                                     {2, name225, QString()},
                                     {3, QString(""), QVariant()},
                                     {4, QVariant(), QString("")}})}
        << "data"
        << QList<QStringList>{exported(1, "张三", crlf), exported(2, name225, ""), exported(3, "", ""), exported(4, "", "")};

    // Memos at each side of where they leave the row, fill one long-value
    // page, and run over several.
    QList<QVariantList> memoRows;
    QList<QStringList> memoExpected;
    for (int length : {memoInlineMaxChars, memoInlineMaxChars + 1, memoSinglePageMaxChars,
                       memoSinglePageMaxChars + 1, 3 * memoCharsPerChainedPage + 7}) {
        const QString memo = filled(QStringLiteral("备注\r\n%1:").arg(length), length);
        memoRows.append({QVariant(), QStringLiteral("长备注"), memo});
        memoExpected.append(exported(int(memoRows.size()), "长备注", memo));
    }
    QTest::newRow("memos inline, on one page, on several") << Format::Jet4 << QList<Table>{tenantTable(memoRows)} << "data" << memoExpected;

    Table typed{QStringLiteral("data"),
                {{QStringLiteral("ID"), ColumnType::Long, true},
                 {QStringLiteral("已付"), ColumnType::Boolean},
                 {QStringLiteral("间数"), ColumnType::Long},
                 {QStringLiteral("面积"), ColumnType::Double},
                 {QStringLiteral("租金"), ColumnType::Currency},
                 {QStringLiteral("入住日期"), ColumnType::DateTime}},
                {{7, true, -3, 1600.5, qlonglong(16000000), QDateTime(QDate(2017, 12, 30), QTime(8, 30, 5))},
                 {QVariant(), false, 2147483647, 0.1, qlonglong(-5), QDateTime(QDate(2000, 2, 29), QTime(0, 0))},
                 {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
                 {100, true, -2147483647 - 1, 1e15, std::numeric_limits<qlonglong>::max(),
                  QDateTime(QDate(2038, 1, 19), QTime(3, 14, 8))}},
                {}};
    QTest::newRow("Yes/No, Long, Double, Currency, Date/Time, AutoNumber")
        << Format::Jet4 << QList<Table>{typed} << "data"
        << QList<QStringList>{{"7", "1", "-3", "1600.5", "1600.0000", "2017-12-30 08:30:05"},
                              {"8", "0", "2147483647", "0.1", "-0.0005", "2000-02-29 00:00:00"},
                              {"9", "0", "", "", "", ""},
                              {"100", "1", "-2147483648", "1000000000000000", "922337203685477.5807", "2038-01-19 03:14:08"}};

    Column area{QStringLiteral("面积"), ColumnType::Decimal};
    area.scale = 4;
    const Table decimals{QStringLiteral("data"),
                         {{QStringLiteral("ID"), ColumnType::Long, true}, area, {QStringLiteral("标识"), ColumnType::Guid},
                          {QStringLiteral("照片"), ColumnType::Ole}},
                         {{QVariant(), "-1234.5", QUuid("{7b4c91e0-774d-4889-b11a-0b9d2cf3d167}"), QVariant()},
                          {QVariant(), "123456789012345678901234.5678", QVariant(), QVariant()}},
                         {}};
    QTest::newRow("Decimal, Replication ID, OLE")
        << Format::Jet4 << QList<Table>{decimals} << "data"
        << QList<QStringList>{{"1", "-1234.5000", "{7B4C91E0-774D-4889-B11A0B9D2CF3D167}", ""},
                              {"2", "123456789012345678901234.5678", "", ""}};

    // Long rows, so that the table's pages outgrow the usage map kept inside
    // its row and are listed on bitmap pages.
    Table many = tenantTable({});
    QList<QStringList> manyExpected;
    for (int i = 1; i <= 5000; ++i) {
        const QString name = filled(QStringLiteral("房客%1号").arg(i), 226);
        many.rows.append({QVariant(), name, QStringLiteral("第%1行").arg(i)});
        if (i != 2500)
            manyExpected.append(exported(i, name, QStringLiteral("第%1行").arg(i)));
    }
    many.deletedRows = {2499};
    QTest::newRow("5,000 rows over many pages, one deleted") << Format::Jet4 << QList<Table>{many} << "data" << manyExpected;

    const Table payments{QStringLiteral("payments"),
                         {{QStringLiteral("房号"), ColumnType::Long}, {QStringLiteral("金额"), ColumnType::Currency}},
                         {{101, qlonglong(5000000)}, {102, QVariant()}},
                         {}};
    QTest::newRow("a second table beside data")
        << Format::Jet4 << QList<Table>{tenantTable({{1, QStringLiteral("张三"), QVariant()}}), payments} << "payments"
        << QList<QStringList>{{"101", "500.0000"}, {"102", ""}};

    QTest::newRow("Access 2007 signature")
        << Format::Ace12 << QList<Table>{tenantTable({{1, QStringLiteral("李四"), crlf}})} << "data"
        << QList<QStringList>{exported(1, "李四", crlf)};
}

void TestJet4Writer::exportGivesBackEveryValue()
{
    QFETCH(Format, format);
    QFETCH(QList<Table>, tables);
    QFETCH(QString, table);
    QFETCH(QList<QStringList>, expected);

    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("data.mdb"));
    QString error;
    QVERIFY2(writeDatabase(path, tables, &error, format), qPrintable(error));

    QCOMPARE(runTool(QStringLiteral("mdb-ver"), {path}).out, format == Format::Ace12 ? "ACE12\n" : "JET4\n");
    QStringList names;
    for (const Table &written : tables)
        names.append(written.name);
    QCOMPARE(runTool(QStringLiteral("mdb-tables"), {"-1", path}).out.split('\n', Qt::SkipEmptyParts), names);

    QString warnings;
    const QList<QStringList> rows = exportedRows(path, table, &warnings);
    QCOMPARE(warnings, QString());  // no guessing at pages the usage map missed
    QCOMPARE(rows.size(), expected.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i], expected[i]);
}

void TestJet4Writer::fileDescribesItsColumns()
{
    const Table table{QStringLiteral("data"),
                      {{QStringLiteral("ID"), ColumnType::Long, true},
                       {QStringLiteral("已付"), ColumnType::Boolean},
                       {QStringLiteral("面积"), ColumnType::Double},
                       {QStringLiteral("租金"), ColumnType::Currency},
                       {QStringLiteral("入住日期"), ColumnType::DateTime},
                       {QStringLiteral("姓名"), ColumnType::Text},
                       {QStringLiteral("房号"), ColumnType::Text},
                       {QStringLiteral("备注"), ColumnType::Memo}},
                      {{1, true, 1.5, qlonglong(1), QDateTime(QDate(2017, 12, 30), QTime()), QVariant(), QString(""), QVariant()}},
                      {}};
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("data.mdb"));
    QVERIFY(writeDatabase(path, {table}));
    QVERIFY(!writeDatabase(path, {table}));  // an existing file is never replaced

    QStringList columns;
    for (const QString &line : runTool(QStringLiteral("mdb-schema"), {"-T", "data", path}).out.split('\n')) {
        if (line.startsWith('\t'))
            columns.append(line.simplified());
    }
    QCOMPARE(columns, (QStringList{"[ID] Long Integer,", "[已付] Boolean NOT NULL,", "[面积] Double,", "[租金] Currency,",
                                   "[入住日期] DateTime,", "[姓名] Text (255),", "[房号] Text (255),",
                                   "[备注] Memo/Hyperlink (255)"}));

    // mdb-export shows NULL and empty text alike; the row's null mask, its
    // last byte and so the last byte of the table's one data page (after the
    // header, the page map, the catalog's and the table's definitions, the
    // catalog's maps and rows and the table's maps), tells them apart: set
    // for the columns with a value and for Yes.
    constexpr int pageSize = 4096;
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(quint8(bytes.at(8 * pageSize - 1)), quint8(0b01011111));
}

void TestJet4Writer::catalogKeepsProperties()
{
    // The table's properties as mdb-prop reads them from the catalog, and a
    // Date/Time Extended column (Access 2019), which mdbtools does not know.
    const Table table{QStringLiteral("data"),
                      {{QStringLiteral("姓名"), ColumnType::Text}, {QStringLiteral("退房时间"), ColumnType::ExtendedDateTime}},
                      {{QStringLiteral("张三"), QDateTime(QDate(2021, 6, 14), QTime(22, 45, 12, 345))}},
                      {},
                      -1,
                      propertiesValue({{QString(), {{QStringLiteral("Orientation"), 0}}},
                                       {QStringLiteral("姓名"), {{QStringLiteral("ResultType"), 10},
                                                                 {QStringLiteral("ColumnWidth"), 1380}}}})};
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("data.mdb"));
    QString error;
    QVERIFY2(writeDatabase(path, {table}, &error, Format::Ace12), qPrintable(error));

    QStringList properties = runTool(QStringLiteral("mdb-prop"), {path, "data"}).out.split('\n', Qt::SkipEmptyParts);
    std::sort(properties.begin(), properties.end());
    QCOMPARE(properties, (QStringList{"\tColumnWidth: 1380", "\tOrientation: 0", "\tResultType: 10", "name: (none)",
                                      "name: 姓名"}));
    QVERIFY(runTool(QStringLiteral("mdb-schema"), {"-T", "data", path}).out.contains("[退房时间]\t\t\tUnknown_0014"));
    // The days since 1 January 1, the seconds of the day and their
    // ten-millionths, as in Access's own files.
    QVERIFY(fileBytes(path).contains(QByteArray("0000000000000737954:0000000819123450000:7\0", 42)));
}

QTEST_MAIN(TestJet4Writer)
#include "tst_jet4writer.moc"
