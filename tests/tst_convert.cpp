// SPDX-License-Identifier: GPL-3.0-or-later
// An Access data.mdb brought over into the register: through the start-up
// question, and with the command-line converter. Every outcome leaves every
// file either converted as the user was told or exactly as it was.
#include "platform/FileSteps.h"
#include "access/InPlaceConversion.h"
#include "access/JetProperties.h"
#include "access/JetValues.h"
#include "jet4/Jet4Writer.h"
#include "platform/RegionalFormats.h"
#include "support/RegisterFixture.h"
#include "ui/AccessConversion.h"
#include "ui/ConversionChild.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QUuid>
#include <QtEndian>

#include <sys/resource.h>
#include <unistd.h>

using jet4::Column;
using jet4::ColumnType;
using jet4::Format;
using jet4::Table;

Q_DECLARE_METATYPE(jet4::Format)
Q_DECLARE_METATYPE(jet4::Table)

namespace {

// How the checks show NULL, to tell it from an empty text.
const QString null = QStringLiteral("∅");

const QStringList tenantColumns{"姓名", "房号", "租金", "押金", "入住日期", "到期日期", "备注", "编辑时间"};

// The columns of the register's table.
QStringList registerColumns(const QString &path)
{
    QStringList names;
    for (const QStringList &column : sqlRows(path, "PRAGMA table_info(data)"))
        names << column[1];
    return names;
}

// The register's rows, every column, NULL as ∅.
QList<QStringList> registerRows(const QString &path)
{
    QStringList columns;
    for (const QString &column : registerColumns(path))
        columns << QStringLiteral("ifnull(\"%1\", '%2')").arg(column, null);
    return sqlRows(path, QStringLiteral("select %1 from data order by ID").arg(columns.join(',')));
}

// What the grid shows, row by row.
QList<QStringList> gridRows()
{
    QList<QStringList> rows;
    const QAbstractItemModel *model = Form1->DataSource1;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->index(row, column).data().toString();
        rows << texts;
    }
    return rows;
}

QList<QStringList> shownAsInGrid(QList<QStringList> rows)
{
    for (QStringList &row : rows)
        row.replaceInStrings(QRegularExpression(QStringLiteral("^∅$")), QString());
    return rows;
}

// Every file in `directory` with its bytes.
QMap<QString, QByteArray> filesIn(const QString &directory)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files[name] = fileBytes(QDir(directory).filePath(name));
    return files;
}

QString filled(const QString &start, int length)
{
    return start + QString(length - start.size(), QChar(u'租'));
}

Table tenantTable(const QList<Column> &columns, const QList<QVariantList> &rows, const QList<int> &deleted = {})
{
    return {QStringLiteral("data"), columns, rows, deleted};
}

// The eight columns as Text and Memo, after an AutoNumber `ID`.
QList<Column> textColumns()
{
    QList<Column> columns{{QStringLiteral("ID"), ColumnType::Long, true}};
    for (const QString &name : tenantColumns)
        columns.append({name, name == QStringLiteral("备注") ? ColumnType::Memo : ColumnType::Text});
    return columns;
}

QString questionText(const QString &database, const QString &kept)
{
    return QStringLiteral("数据库文件“%1”是 Access 数据库。\n是否将其中的房客记录转换为本程序的数据库？"
                          "原文件将另存为“%2”，内容不变。")
        .arg(database, kept);
}

QString refusalText(const QString &database)
{
    return QStringLiteral("数据库文件“%1”是 Access 数据库，本程序不能打开 Access 数据库。该文件未被改动.").arg(database);
}

// Runs larkhaven-convert with `arguments` to its end (it limits its own
// memory and time), false when it does not end.
bool runConverter(QProcess &process, const QStringList &arguments)
{
    process.start(LARKHAVEN_CONVERT_PATH, arguments);
    return process.waitForFinished(60000);
}

// The processes this one started that have not been waited for.
QString childProcesses()
{
    return QString::fromLatin1(fileBytes(QStringLiteral("/proc/self/task/%1/children").arg(getpid()))).trimmed();
}

// Presses 取消 on the conversion's progress dialog once `ready` holds, and
// times how long the conversion child takes to be gone.
class CancelWhen : public QObject {
public:
    explicit CancelWhen(std::function<bool(QProgressDialog *)> ready)
        : m_ready(std::move(ready))
    {
        qApp->installEventFilter(this);
    }
    ~CancelWhen() override { qApp->removeEventFilter(this); }
    QStringList pressed;
    qint64 answerMs = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QProgressDialog *>(watched);
        if (dialog && event->type() == QEvent::Show && pressed.isEmpty()) {
            auto *poll = new QTimer(dialog);
            connect(poll, &QTimer::timeout, this, [this, dialog, poll] {
                if (!m_ready(dialog))
                    return;
                poll->stop();
                pressed << dialog->windowTitle();
                m_clock.start();
                for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
                    if (button->text() == QStringLiteral("取消"))
                        button->click();
                }
                auto *gone = new QTimer(this);
                connect(gone, &QTimer::timeout, this, [this, gone] {
                    if (childProcesses().isEmpty()) {
                        answerMs = m_clock.elapsed();
                        gone->stop();
                    }
                });
                gone->start(1);
            });
            poll->start(5);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QProgressDialog *)> m_ready;
    QElapsedTimer m_clock;
};

// 取消 ends the child at once; what a user would notice as a freeze is
// far above it. Measured: 1 to 2 ms.
constexpr qint64 cancelAnswerMs = 200;

// The first table's definition page, after the header, the page map and
// the catalog's definition.
constexpr int catalogPage = 2;
constexpr int definitionPage = 3;
constexpr int pageSize = 4096;
// In a definition: its row count, its column count, where its usage map is.
constexpr int rowCountOffset = 16;
constexpr int columnCountOffset = 45;
constexpr int usageMapOffset = 55;

quint32 read32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The Access file `bytes`, damaged as `how` says, as a flipped bit, a
// crash or a program that wrote over it leave a file.
QByteArray damaged(QByteArray bytes, const QString &how)
{
    const qsizetype definition = definitionPage * pageSize;
    if (how == "usage map pointer flipped") {
        bytes[definition + usageMapOffset] = char(bytes[definition + usageMapOffset] ^ 0x04);
    } else if (how == "cut at the table's usage map") {
        // The pages from the one with the table's usage map on are gone.
        bytes.truncate((read32(bytes, definition + usageMapOffset) >> 8) * pageSize);
    } else if (how == "column count 3 to 255") {
        bytes[definition + columnCountOffset] = char(255);
    } else if (how == "catalog's usage map an empty row") {
        // The catalog's map pointer names the next row on the page of its
        // maps, made to end where it starts.
        const quint32 map = read32(bytes, catalogPage * pageSize + usageMapOffset);
        const qsizetype offsets = (map >> 8) * pageSize + 14 + 2 * (map & 0xff);
        bytes[catalogPage * pageSize + usageMapOffset] = char((map & 0xff) + 1);
        bytes.replace(offsets + 2, 2, bytes.mid(offsets, 2));
    } else if (how == "catalog's row count stale") {
        qToLittleEndian(read32(bytes, catalogPage * pageSize + rowCountOffset) + 3,
                        bytes.data() + catalogPage * pageSize + rowCountOffset);
    } else if (how == "property block of length 0") {
        // The block after the list of property names claims no length.
        const qsizetype properties = bytes.indexOf(QByteArray("MR2", 4));
        qToLittleEndian(quint32(0), bytes.data() + properties + 4 + read32(bytes, properties + 4));
    } else if (how == "saved with a password") {
        // Access 2007's format; the header's key, under its fixed scrambling
        // at 0x18 to 0x98, no longer 0.
        bytes[0x14] = 2;
        bytes[0x3e] = char(bytes[0x3e] ^ 0x5a);
    } else if (how.startsWith("memo chain")) {
        // A chained memo's first piece is the first row of the last long-value
        // page; its head, in the table's row, points there.
        const int pages = int(bytes.size() / pageSize);
        int last = 0;
        for (int page = 0; page < pages; ++page)
            last = bytes.mid(page * pageSize + 4, 4) == "LVAL" ? page : last;
        QByteArray first(4, '\0');
        qToLittleEndian(quint32(last) << 8, first.data());
        const int row = qFromLittleEndian<quint16>(bytes.constData() + last * pageSize + 14);
        bytes.replace(last * pageSize + row, 4, first);  // goes on to itself
        for (int page = 0; page < pages && how.endsWith("absurd length"); ++page) {
            const qsizetype head = bytes.mid(page * pageSize, pageSize).indexOf(first);
            const bool tableRows = bytes.at(page * pageSize) == 1
                && read32(bytes, page * pageSize + 4) == definitionPage;
            if (tableRows && head >= 4)
                qToLittleEndian(quint32(0x3fffffff), bytes.data() + page * pageSize + head - 4);
        }
    } else if (how == "calculated value unreadable") {
        // The wrapped value's length, just before it, runs past the row.
        const QByteArray value(reinterpret_cast<const char *>(u"计算值"), 6);
        qToLittleEndian(quint32(0xffff), bytes.data() + bytes.indexOf(value) - 4);
    } else if (how == "garbage after the header") {
        QRandomGenerator random(20171230);
        for (qsizetype i = pageSize; i < bytes.size(); ++i)
            bytes[i] = char(random.bounded(256));
    }
    return bytes;
}

// A Jet 4 file of `rows` tenants with long remarks.
Table manyTenants(int rows)
{
    Table table = tenantTable(textColumns(), {});
    for (int i = 1; i <= rows; ++i)
        table.rows.append({QVariant(), QStringLiteral("房客%1").arg(i), QString::number(100 + i % 900), "500", "0", "2017/1/1",
                           "2018/1/1", filled(QStringLiteral("备注%1").arg(i), 300), "2017/12/30 14:05:09"});
    return table;
}

} // namespace

class TestConvert : public QObject {
    Q_OBJECT
private slots:
    void yesConvertsEveryRecord_data();
    void yesConvertsEveryRecord();
    void nothingChangesWithoutAConversion_data();
    void nothingChangesWithoutAConversion();
    void commandLine_data();
    void commandLine();
    void fourDigitYears_data();
    void fourDigitYears();
    void keepingTheAccessFile_data();
    void keepingTheAccessFile();
    void compressedText_data();
    void compressedText();
    void tableProperties_data();
    void tableProperties();
};

void TestConvert::yesConvertsEveryRecord_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QList<Table>>("tables");
    QTest::addColumn<QList<QStringList>>("expected");  // ID, the eight, the extra columns; NULL as ∅
    QTest::addColumn<QStringList>("extras");           // the register's columns after the eight
    QTest::addColumn<QStringList>("leftOut");
    QTest::addColumn<QStringList>("taken");  // files already beside data.mdb, kept as they are

    const QString crlf = QStringLiteral("电话：13800000000\r\n身份证：110101199001011234\r\n");
    const QString name225 = filled(QStringLiteral("欧阳"), 225);
    QList<QVariantList> rows;
    QList<QStringList> expected;
    // Memos in the row, on one long-value page, and over several.
    const QList<int> memoLengths{jet4::memoInlineMaxChars, jet4::memoInlineMaxChars + 1, jet4::memoSinglePageMaxChars,
                                 3 * jet4::memoCharsPerChainedPage + 7};
    const QDateTime midnight(QDate(2017, 1, 5), QTime(0, 0));
    const QDateTime afternoon(QDate(2017, 12, 30), QTime(14, 5, 9));
    for (int i = 0; i < memoLengths.size(); ++i) {
        const QString memo = filled(QStringLiteral("备注\r\n%1:").arg(memoLengths[i]), memoLengths[i]);
        rows.append({QVariant(), QStringLiteral("张%1").arg(i), 1600.5, 101 + i, qlonglong(16005000), midnight,
                     afternoon, memo, true});
        expected.append({QString::number(i + 1), QStringLiteral("张%1").arg(i), "1600.5", QString::number(101 + i),
                         "1600.5", "2017/1/5", "2017/12/30 14:05:09", memo, "True"});
    }
    rows.append({QVariant(), name225, 0.1, -3, qlonglong(-30000), QDateTime(QDate(1899, 12, 30), QTime(6, 0)),
                 QDateTime(QDate(2038, 1, 19), QTime(3, 14, 8)), crlf, false});
    expected.append({"5", name225, "0.1", "-3", "-3", "1899/12/30 6:00:00", "2038/1/19 3:14:08", crlf, "False"});
    rows.append({QVariant(), QString(""), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QString(""), QVariant()});
    expected.append({"6", "", null, null, null, null, null, "", "False"});
    rows.append({QVariant(), QStringLiteral("已删除"), 1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), true});
    rows.append({42, QStringLiteral("李四"), 1e21, 1600, qlonglong(16000000), afternoon, midnight, QVariant(), true});
    expected.append({"42", "李四", "1000000000000000000000", "1600", "1600", "2017/12/30 14:05:09", "2017/1/5", null, "True"});
    const QList<Column> typed{{QStringLiteral("编号"), ColumnType::Long, true}, {QStringLiteral("姓名"), ColumnType::Text},
                              {QStringLiteral("房号"), ColumnType::Double},      {QStringLiteral("租金"), ColumnType::Long},
                              {QStringLiteral("押金"), ColumnType::Currency},      {QStringLiteral("入住日期"), ColumnType::DateTime},
                              {QStringLiteral("到期日期"), ColumnType::DateTime}, {QStringLiteral("备注"), ColumnType::Memo},
                              {QStringLiteral("编辑时间"), ColumnType::Boolean}};
    const Table other{QStringLiteral("payments"), {{QStringLiteral("姓名"), ColumnType::Text}}, {{"王五"}}, {}};
    QTest::newRow("every type; memos of every length; NULL and empty; a deleted row; a second table")
        << Format::Jet4 << QList<Table>{other, tenantTable(typed, rows, {6})} << expected << QStringList() << QStringList()
        << QStringList();

    // No AutoNumber: the first integer column that is not one of the eight;
    // columns missing give NULL, the others come after the eight.
    const QList<Column> partial{{QStringLiteral("电话"), ColumnType::Text},  {QStringLiteral("楼层"), ColumnType::Long},
                                {QStringLiteral("序号"), ColumnType::Long},  {QStringLiteral("姓名"), ColumnType::Text},
                                {QStringLiteral("已婚"), ColumnType::Boolean}};
    QTest::newRow("integer key, missing and extra columns")
        << Format::Jet4
        << QList<Table>{tenantTable(partial, {{"138", 30, 2, "张三", true}, {QVariant(), 10, 1, "李四", false}})}
        << QList<QStringList>{{"10", "李四", null, null, null, null, null, null, null, null, "1", "False"},
                              {"30", "张三", null, null, null, null, null, null, null, "138", "2", "True"}}
        << QStringList{"电话", "序号", "已婚"} << QStringList() << QStringList();

    // An integer column whose values repeat cannot be the key: the rows are
    // numbered in the file's order and the column comes across as text.
    QTest::newRow("repeating integer column: rows numbered")
        << Format::Jet4
        << QList<Table>{tenantTable(partial, {{"138", 3, 7, "张三", true}, {QVariant(), 3, 8, "李四", false}})}
        << QList<QStringList>{{"1", "张三", null, null, null, null, null, null, null, "138", "3", "7", "True"},
                              {"2", "李四", null, null, null, null, null, null, null, null, "3", "8", "False"}}
        << QStringList{"电话", "楼层", "序号", "已婚"} << QStringList() << QStringList();

    // Access 2010's calculated columns, each kind of result, unwrapped; a
    // Decimal, a GUID; an OLE column, the one kind left out; an "id" that
    // is not the key beside the register's ID. The file's row count is
    // stale, as Access leaves it after a crash.
    auto calculated = [](const QString &name, ColumnType type) {
        Column column{name, type};
        column.calculated = true;
        return column;
    };
    Table kinds = tenantTable(
        {{QStringLiteral("编号"), ColumnType::Long, true}, calculated(QStringLiteral("房号"), ColumnType::Text),
         calculated(QStringLiteral("租金"), ColumnType::Currency), calculated(QStringLiteral("押金"), ColumnType::Double),
         calculated(QStringLiteral("入住日期"), ColumnType::DateTime), calculated(QStringLiteral("备注"), ColumnType::Memo),
         calculated(QStringLiteral("已付"), ColumnType::Boolean), calculated(QStringLiteral("间数"), ColumnType::Long),
         calculated(QStringLiteral("均价"), ColumnType::Decimal), {QStringLiteral("面积"), ColumnType::Decimal},
         {QStringLiteral("标识"), ColumnType::Guid}, {QStringLiteral("照片"), ColumnType::Ole},
         {QStringLiteral("id"), ColumnType::Text}},
        {{QVariant(), "301", qlonglong(16000000), 0.1, QDateTime(QDate(2017, 12, 30), QTime(8, 0)), filled("长", 2500),
          true, 42, "-1234567890123.45", "0.05", QUuid("{7b4c91e0-774d-4889-b11a-0b9d2cf3d167}"), QVariant(), "A7"},
         {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), "短", false, QVariant(), "0", "-12", QVariant(),
          QVariant(), QVariant()}});
    kinds.declaredRows = 5;
    // Access keeps each calculated column's result type among the table's
    // properties (the type codes of text, currency, double, date, memo,
    // Yes/No, long, decimal).
    const QList<std::pair<QString, int>> resultTypes{{"房号", 10}, {"租金", 5}, {"押金", 7}, {"入住日期", 8}, {"备注", 12},
                                                     {"已付", 1},  {"间数", 4}, {"均价", 16}};
    QList<jet4::Properties> properties{{QString(), {{QStringLiteral("Orientation"), 0}}}};
    for (const auto &[column, type] : resultTypes)
        properties.append({column, {{QStringLiteral("ResultType"), type}, {QStringLiteral("ColumnWidth"), 1380}}});
    kinds.properties = jet4::propertiesValue(properties);
    QTest::newRow("calculated columns, Decimal, GUID, OLE; a stale row count")
        << Format::Ace12 << QList<Table>{kinds}
        << QList<QStringList>{{"1", null, "301", "1600", "0.1", "2017/12/30 8:00:00", null, filled("长", 2500), null,
                               "True", "42", "-1234567890123.45", "0.05", "{7B4C91E0-774D-4889-B11A-0B9D2CF3D167}", "A7"},
                              {"2", null, null, null, null, null, null, "短", null, "False", null, "0", "-12", null, null}}
        << QStringList{"已付", "间数", "均价", "面积", "标识", "id_2"} << QStringList{"照片"} << QStringList();

    // Access 2019's Date/Time Extended: as the other dates, to the second.
    QTest::newRow("Date/Time Extended")
        << Format::Ace12
        << QList<Table>{tenantTable({{QStringLiteral("入住日期"), ColumnType::ExtendedDateTime},
                                     {QStringLiteral("到期日期"), ColumnType::ExtendedDateTime}},
                                    {{QDateTime(QDate(2021, 6, 14), QTime(22, 45, 12, 345)), QDateTime(QDate(2021, 6, 14), QTime())},
                                     {QDateTime(QDate(100, 6, 14), QTime(12, 45)), QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))},
                                     {QDateTime(QDate(1765, 6, 14), QTime(6, 0)), QVariant()}})}
        << QList<QStringList>{{"1", null, null, null, null, "2021/6/14 22:45:12", "2021/6/14", null, null},
                              {"2", null, null, null, null, "0100/6/14 12:45:00", "9999/12/31 23:59:59", null, null},
                              {"3", null, null, null, null, "1765/6/14 6:00:00", null, null, null}}
        << QStringList() << QStringList() << QStringList();

    QTest::newRow("no integer column: rows numbered")
        << Format::Ace12
        << QList<Table>{tenantTable({{QStringLiteral("房号"), ColumnType::Text}, {QStringLiteral("备注"), ColumnType::Memo}},
                                    {{"201", crlf}, {"202", QVariant()}})}
        << QList<QStringList>{{"1", null, "201", null, null, null, null, crlf, null},
                              {"2", null, "202", null, null, null, null, null, null}}
        << QStringList() << QStringList() << QStringList();

    Table many = manyTenants(5000);
    many.deletedRows = {2499};
    QList<QStringList> manyExpected;
    for (int i = 1; i <= 5000; ++i) {
        if (i == 2500)
            continue;
        QStringList row{QString::number(i)};
        for (int column = 1; column <= 8; ++column)
            row << many.rows[i - 1][column].toString();
        manyExpected << row;
    }
    QTest::newRow("5,000 rows over many pages")
        << Format::Jet4 << QList<Table>{many} << manyExpected << QStringList() << QStringList() << QStringList();

    // The Access file never takes the place of another file.
    QTest::newRow("kept name taken")
        << Format::Jet4
        << QList<Table>{tenantTable({{QStringLiteral("姓名"), ColumnType::Text}}, {{"张三"}})}
        << QList<QStringList>{{"1", "张三", null, null, null, null, null, null, null}} << QStringList()
        << QStringList() << QStringList{"data_access.mdb", "data_access_3.mdb"};
}

void TestConvert::yesConvertsEveryRecord()
{
    QFETCH(Format, format);
    QFETCH(QList<Table>, tables);
    QFETCH(QList<QStringList>, expected);
    QFETCH(QStringList, extras);
    QFETCH(QStringList, leftOut);
    QFETCH(QStringList, taken);

    RegisterFixture fixture;
    const QString database = fixture.databasePath();
    for (const QString &name : taken)
        writeFile(fixture.directory() + name, name.toUtf8());
    const QString keptName = taken.isEmpty() ? QStringLiteral("data_access.mdb") : QStringLiteral("data_access_2.mdb");
    const QString kept = fixture.directory() + keptName;
    QString error;
    QVERIFY2(jet4::writeDatabase(database, tables, &error, format), qPrintable(error));
    const QByteArray access = fileBytes(database);

    const QList<SeenBox> boxes = fixture.startProgram();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, QStringLiteral("Larkhaven"));
    QCOMPARE(boxes[0].icon, QMessageBox::Question);
    QCOMPARE(boxes[0].buttons, (QStringList{"&Yes", "&No"}));
    QCOMPARE(boxes[0].text, questionText(database, kept));
    QString done = QStringLiteral("转换完成，共 %1 个记录。原 Access 数据库已另存为“%2”。").arg(expected.size()).arg(kept);
    if (const int declared = tables.last().declaredRows; declared >= 0)
        done += QStringLiteral("\nAccess 文件中记载的记录数为 %1 个，实际读出 %2 个（Access 异常关闭后会留下过时的记录数）。")
                    .arg(declared)
                    .arg(expected.size());
    if (!leftOut.isEmpty())
        done += QStringLiteral("\n以下列没有转换：") + leftOut.join(QStringLiteral("、"));
    QCOMPARE(boxes[1].text, done);
    QCOMPARE(boxes[1].icon, QMessageBox::NoIcon);

    // The full refresh lists the new register; the file holds every value.
    QCOMPARE(Form1->StatusBar1->panelText(1), QStringLiteral("共 %1 个记录").arg(expected.size()));
    QStringList columns{"ID"};
    columns << tenantColumns << extras;
    QCOMPARE(registerColumns(database), columns);
    QCOMPARE(gridRows(), shownAsInGrid(expected));
    QCOMPARE(registerRows(database), expected);
    QCOMPARE(firstColumn(sqlRows(database, "PRAGMA integrity_check")), QStringList{"ok"});
    // New records continue after the largest number.
    QCOMPARE(firstColumn(sqlRows(database, "select seq from sqlite_sequence where name = 'data'")),
             QStringList{expected.last().first()});
    // The Access file is kept byte for byte; nothing else is left behind.
    QMap<QString, QByteArray> files{{"data.mdb", fileBytes(database)}, {keptName, access}};
    for (const QString &name : taken)
        files[name] = name.toUtf8();
    QCOMPARE(filesIn(fixture.directory()), files);
}

void TestConvert::nothingChangesWithoutAConversion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("access");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");  // of the failure box (%1: the folder); none when empty

    QTemporaryDir directory;
    auto written = [&](const QList<Table> &tables) {
        const QString path = directory.filePath(QString::number(QRandomGenerator::global()->generate()));
        QString error;
        if (!jet4::writeDatabase(path, tables, &error))
            qFatal("%s", qPrintable(error));
        return fileBytes(path);
    };
    const QByteArray tenants = written({manyTenants(1000)});
    const QString damaged = damagedText();

    QTest::newRow("No") << "&No" << tenants << QString() << QString();
    QTest::newRow("取消 part way") << "&Yes" << written({manyTenants(20000)}) << "cancel part way" << QString();
    // The reading's process misbehaves as libmdb can make it: the program
    // stays responsive and reports it.
    QTest::newRow("reading hangs: the clock runs, 取消 ends it") << "&Yes" << tenants << "child hangs" << QString();
    QTest::newRow("reading crashes, leaving its file")
        << "&Yes" << tenants << "child crashes"
        << "读取文件的转换程序意外终止，文件可能已损坏（可先在 Access 中“压缩和修复”该数据库后再转换）";
    QTest::newRow("reading reports nonsense") << "&Yes" << tenants << "child says nonsense" << "转换程序的报告无法识别";
    QTest::newRow("reading reaches its memory or time limit") << "&Yes" << tenants << "child reaches a limit" << "文件太大或已损坏";
    QTest::newRow("reading program missing")
        << "&Yes" << tenants << "child missing" << "无法启动转换程序“%1/larkhaven-convert”";
    QTest::newRow("usage map pointer flipped") << "&Yes" << ::damaged(tenants, "usage map pointer flipped") << QString()
                                               << damaged;
    QTest::newRow("no table data")
        << "&Yes" << written({{QStringLiteral("tenants"), textColumns(), {}, {}}}) << QString() << "其中没有名为 data 的表";
    QTest::newRow("cut short") << "&Yes" << tenants.first(tenants.size() / 2 + 100) << QString() << damaged;
    QTest::newRow("last page lost") << "&Yes" << tenants.first(tenants.size() - 4096) << QString() << damaged;
    QTest::newRow("garbage after the header")
        << "&Yes" << ::damaged(tenants, "garbage after the header") << QString() << damaged;
    QByteArray access97 = tenants;
    access97[0x14] = 0;  // the Jet version of Access 97
    QTest::newRow("Access 97")
        << "&Yes" << access97 << QString()
        << "它是 Access 97 或更早版本的数据库，本程序只能转换 Access 2000 及以后版本的数据库（可先在 Access 中把它转换为新版本）";
    QTest::newRow("read-only folder") << "&Yes" << tenants << "read-only folder" << "文件夹“%1”不允许写入";
    QTest::newRow("read-only file") << "&Yes" << tenants << "read-only file" << "数据库文件被设为只读";
    QTest::newRow("file size limit") << "&Yes" << tenants << "file size limit" << "新文件超出了系统允许的文件大小";
}

void TestConvert::nothingChangesWithoutAConversion()
{
    QFETCH(QString, answer);
    QFETCH(QByteArray, access);
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);

    RegisterFixture fixture;
    const QString database = fixture.databasePath();
    const QString folder = QDir(fixture.directory()).absolutePath();
    writeFile(database, access);
    if (obstacle == "read-only file")
        QVERIFY(QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    // A file left by a conversion that was killed does not stand in the way;
    // a conversion that gets under way clears it.
    const QString leftOver = conversionTemporaryPath(database);
    writeFile(leftOver, "left by a run that was killed");
    QMap<QString, QByteArray> expectedFiles = filesIn(folder);
    if (answer == "&Yes" && !obstacle.startsWith("read-only"))
        expectedFiles.remove(QFileInfo(leftOver).fileName());

    const QFile::Permissions folderPermissions = QFile::permissions(folder);
    if (obstacle == "read-only folder")
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    rlimit previousLimit{};
    getrlimit(RLIMIT_FSIZE, &previousLimit);
    if (obstacle == "file size limit") {
        // The program must report this, not die of SIGXFSZ.
        rlimit limit = previousLimit;
        limit.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    const int previousDelay = accessConversionProgressDelayMs;
    QTemporaryDir programs;
    const QString child = programs.filePath("larkhaven-convert");
    if (obstacle.startsWith("child")) {
        const QMap<QString, QByteArray> scripts{
            {"child hangs", "exec sleep 60"},
            {"child crashes", "echo '{\"done\":0,\"total\":1000}'; echo part > \"$5\"; kill -SEGV $$"},
            {"child says nonsense", "echo nonsense"},
            {"child reaches a limit", "echo part > \"$5\"; exit 3"}};
        writeFile(child, "#!/bin/sh\n" + scripts.value(obstacle) + "\n");
        QVERIFY(QFile::setPermissions(child, QFile::ReadOwner | QFile::ExeOwner));
        setConversionChildProgram(obstacle == "child missing" ? folder + "/larkhaven-convert" : child);
    }
    std::unique_ptr<CancelWhen> canceller;
    if (obstacle == "cancel part way" || obstacle == "child hangs") {
        accessConversionProgressDelayMs = 0;
        // While the child works the dialog shows its progress; while it
        // hangs the clock ticks on.
        canceller = std::make_unique<CancelWhen>([obstacle](QProgressDialog *dialog) {
            return obstacle == "child hangs" ? !Form1->StatusBar1->panelText(0).isEmpty() : dialog->value() > 0;
        });
    }

    const QList<SeenBox> boxes = fixture.startProgram({answer});

    accessConversionProgressDelayMs = previousDelay;
    setrlimit(RLIMIT_FSIZE, &previousLimit);
    QFile::setPermissions(folder, folderPermissions);

    QStringList expected{questionText(database, fixture.directory() + "data_access.mdb")};
    if (!reason.isEmpty())
        expected << QStringLiteral("转换失败：%1。\n数据库文件“%2”没有改动。").arg(QString(reason).replace("%1", folder), database);
    // Then start-up goes on as after No.
    expected << refusalText(database);
    QCOMPARE(messageTexts(boxes), expected);
    if (!reason.isEmpty()) {
        QCOMPARE(boxes[1].title, QStringLiteral("Larkhaven"));
        QCOMPARE(boxes[1].icon, QMessageBox::Warning);
    }
    if (canceller) {
        QCOMPARE(canceller->pressed, QStringList{"Larkhaven"});
        QVERIFY2(canceller->answerMs >= 0 && canceller->answerMs < cancelAnswerMs,
                 qPrintable(QString::number(canceller->answerMs)));
    }
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    QCOMPARE(filesIn(folder), expectedFiles);
}

void TestConvert::commandLine_data()
{
    QTest::addColumn<QList<Table>>("tables");   // the source; none: not an Access file
    QTest::addColumn<QString>("damage");        // done to the source (see damaged())
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");        // stdout on success, stderr otherwise
    QTest::addColumn<int>("rows");

    const QList<Table> tenants{tenantTable({{QStringLiteral("ID"), ColumnType::Long, true},
                                            {QStringLiteral("姓名"), ColumnType::Text},
                                            {QStringLiteral("电话"), ColumnType::Text}},
                                           {{QVariant(), "张三", "138"}, {QVariant(), "李四", QVariant()}})};
    QTest::newRow("converted") << tenants << QString() << false << 0 << "转换完成，共 2 个记录。\n" << 2;
    // Access leaves the catalog's own row count stale too; every row read.
    QTest::newRow("catalog's row count stale")
        << tenants << "catalog's row count stale" << false << 0 << "转换完成，共 2 个记录。\n" << 2;
    QTest::newRow("target exists") << tenants << QString() << true << 1
                                   << "larkhaven-convert: 转换失败：目标文件“%2”已存在\n" << 0;
    QTest::newRow("not an Access file")
        << QList<Table>() << QString() << false << 1
        << "larkhaven-convert: 转换失败：文件“%1”不是本程序能读取的 Access 数据库\n" << 0;
    QTest::newRow("no table data")
        << QList<Table>{{QStringLiteral("其他"), textColumns(), {}, {}}} << QString() << false << 1
        << "larkhaven-convert: 转换失败：其中没有名为 data 的表\n" << 0;

    // Damaged files: refused at once in one line of the converter's own,
    // whatever libmdb makes of them.
    const QString memo = filled(QStringLiteral("备注"), 3 * jet4::memoCharsPerChainedPage + 7);
    const QList<Table> chained{tenantTable({{QStringLiteral("姓名"), ColumnType::Text}, {QStringLiteral("备注"), ColumnType::Memo}},
                                           {{"张三", memo}})};
    for (const char *damage : {"usage map pointer flipped", "memo chain back to itself",
                               "memo chain back to itself, absurd length", "garbage after the header"})
        QTest::newRow(damage) << chained << QString(damage) << false << 1
                                          << "larkhaven-convert: 转换失败：" + damagedText() + "\n" << 0;
    // Before any of its pages reach libmdb: a page past the end would read
    // as zeros (no rows, "stale count"), a column count past the definition
    // as columns named from whatever follows, an empty map row as a null map
    // (a crash), a property block of length 0 as the same block again and
    // again (memory until the end).
    for (const char *damage : {"cut at the table's usage map", "column count 3 to 255", "catalog's usage map an empty row"})
        QTest::newRow(damage) << tenants << QString(damage) << false << 1
                              << "larkhaven-convert: 转换失败：" + damagedText() + "\n" << 0;
    Column calculated{QStringLiteral("房号"), ColumnType::Text};
    calculated.calculated = true;
    Table withProperties = tenantTable({{QStringLiteral("姓名"), ColumnType::Text}, calculated}, {{"张三", "101"}});
    withProperties.properties = jet4::propertiesValue({{QStringLiteral("房号"), {{QStringLiteral("ResultType"), 10}}}});
    QTest::newRow("property block of length 0")
        << QList<Table>{withProperties} << "property block of length 0" << false << 1
        << "larkhaven-convert: 转换失败：" + damagedText() + "\n" << 0;
    QTest::newRow("saved with a password")
        << tenants << "saved with a password" << false << 1
        << "larkhaven-convert: 转换失败：文件已用数据库密码加密，本程序无法读取"
           "（可先在 Access 中用密码打开它，撤消数据库密码后保存，再转换）\n"
        << 0;
    // A calculated value in a form not understood leaves its column out.
    QTest::newRow("calculated value unreadable")
        << QList<Table>{tenantTable({{QStringLiteral("姓名"), ColumnType::Text}, calculated}, {{"张三", "计算值"}})}
        << "calculated value unreadable" << false << 0 << "转换完成，共 1 个记录。\n未转换的列：房号\n" << 1;
}

void TestConvert::commandLine()
{
    QFETCH(QList<Table>, tables);
    QFETCH(QString, damage);
    QFETCH(bool, targetExists);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(int, rows);

    QTemporaryDir directory;
    const QString source = directory.filePath("租客.mdb");
    const QString target = directory.filePath("新建/data.mdb");
    QVERIFY(QDir().mkpath(directory.filePath("新建")));
    if (tables.isEmpty())
        writeFile(source, "姓名,房号\n张三,101\n");
    else
        QVERIFY(jet4::writeDatabase(source, tables));
    writeFile(source, damaged(fileBytes(source), damage));
    if (targetExists)
        writeFile(target, "kept as it is");
    const QMap<QString, QByteArray> targetFolder = filesIn(directory.filePath("新建"));
    const QByteArray sourceBytes = fileBytes(source);

    QProcess converter;
    QVERIFY(runConverter(converter, {source, target}));
    QCOMPARE(converter.exitStatus(), QProcess::NormalExit);
    QCOMPARE(converter.exitCode(), exitCode);
    const QByteArray out = converter.readAllStandardOutput();
    const QByteArray err = converter.readAllStandardError();
    QCOMPARE(QString::fromUtf8(exitCode == 0 ? out : err), QString(output).replace("%1", source).replace("%2", target));
    QCOMPARE(exitCode == 0 ? err : out, QByteArray());
    QCOMPARE(fileBytes(source), sourceBytes);
    if (exitCode == 0) {
        QCOMPARE(registerRows(target).size(), rows);
        QCOMPARE(filesIn(directory.filePath("新建")).keys(), QStringList{"data.mdb"});
    } else {
        QCOMPARE(filesIn(directory.filePath("新建")), targetFolder);
    }

    // The program's reading child, which builds the register at its TARGET
    // itself, ends as well: no crash, and no file it did not make removed.
    const QString childTarget = directory.filePath("子进程/data.mdb");
    QVERIFY(QDir().mkpath(directory.filePath("子进程")));
    if (targetExists)
        writeFile(childTarget, "kept as it is");
    QProcess child;
    QVERIFY(runConverter(child, {"--progress", "yyyy/M/d", "H:mm:ss", source, childTarget}));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), exitCode);
    if (exitCode == 0)
        QCOMPARE(registerRows(childTarget).size(), rows);
    else
        QCOMPARE(filesIn(directory.filePath("子进程")), targetFolder);
}

void TestConvert::fourDigitYears_data()
{
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("longTime");
    QTest::addColumn<QStringList>("converted");  // 9999-12-31 and 1899-12-31 06:00
    QTest::addColumn<QString>("proposed");       // the add page's date, as a format
    QTest::newRow("en_US") << "M/d/yy" << "h:mm:ss AP" << QStringList{"12/31/9999", "12/31/1899 6:00:00 AM"} << "M/d/yyyy";
    QTest::newRow("de_DE") << "dd.MM.yy" << "HH:mm:ss" << QStringList{"31.12.9999", "31.12.1899 06:00:00"} << "dd.MM.yyyy";
}

void TestConvert::fourDigitYears()
{
    QFETCH(QString, shortDate);
    QFETCH(QString, longTime);
    QFETCH(QStringList, converted);
    QFETCH(QString, proposed);

    RegisterFixture fixture;
    setRegionalFormats(RegionalFormats::fromFormats(shortDate, longTime));
    QVERIFY(jet4::writeDatabase(
        fixture.databasePath(),
        {tenantTable({{QStringLiteral("入住日期"), ColumnType::DateTime}, {QStringLiteral("到期日期"), ColumnType::DateTime}},
                     {{QDateTime(QDate(9999, 12, 31), QTime(0, 0)), QDateTime(QDate(1899, 12, 31), QTime(6, 0))}})}));
    fixture.startProgram();
    QCOMPARE(fixture.rows("select 入住日期, 到期日期 from data"), QList<QStringList>{converted});
    QCOMPARE(Form2->DateTimePickerF->currentText(), QDate::currentDate().toString(proposed));
}

void TestConvert::keepingTheAccessFile_data()
{
    QTest::addColumn<bool>("copy");  // the way of a file system without hard links
    QTest::addColumn<bool>("taken");
    QTest::newRow("hard link") << false << false;
    QTest::newRow("copy") << true << false;
    QTest::newRow("hard link, name taken") << false << true;
    QTest::newRow("copy, name taken") << true << true;
}

void TestConvert::keepingTheAccessFile()
{
    QFETCH(bool, copy);
    QFETCH(bool, taken);
    QTemporaryDir directory;
    const QString from = directory.filePath("data.mdb");
    const QString to = directory.filePath("data_access.mdb");
    QByteArray access(300000, '\0');
    for (qsizetype i = 0; i < access.size(); ++i)
        access[i] = char(i * 7919 % 251);
    writeFile(from, access);
    if (taken)
        writeFile(to, "someone else's");
    const QMap<QString, QByteArray> before = filesIn(directory.path());

    QCOMPARE(copy ? keepByCopy(from, to) : keepUnderName(from, to), taken ? EEXIST : 0);
    QMap<QString, QByteArray> expected = before;
    if (!taken)
        expected["data_access.mdb"] = access;
    QCOMPARE(filesIn(directory.path()), expected);
}

void TestConvert::compressedText_data()
{
    // Access writes most texts "compressed"; the test files carry them plain.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain UTF-16") << QByteArray("\x20\x5f\x09\x4e", 4) << "张三";
    QTest::newRow("compressed") << QByteArray("\xff\xfe" "Room 101") << "Room 101";
    QTest::newRow("compressed, then two bytes a character, then back")
        << QByteArray("\xff\xfe" "A\0\x20\x5f\x09\x4e\0" "101", 12) << "A张三101";
    QTest::newRow("empty") << QByteArray() << "";
}

void TestConvert::compressedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(jetText(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size()), text);
}

void TestConvert::tableProperties_data()
{
    // A calculated column's result type, as the writer stores it (checked
    // against mdb-prop), then damaged: every length must hold.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("resultType");  // -1: refused
    const QByteArray written = jet4::propertiesValue(
        {{QString(), {{QStringLiteral("Orientation"), 0}}}, {QStringLiteral("房号"), {{QStringLiteral("ResultType"), 10}}}});
    const qsizetype names = 4;                                  // the block of names, after "MR2"
    const qsizetype table = names + read32(written, names);     // the table's values
    const qsizetype column = table + read32(written, table);    // the column's
    auto with32 = [&](qsizetype at, quint32 value) {
        QByteArray bytes = written;
        qToLittleEndian(value, bytes.data() + at);
        return bytes;
    };
    QTest::newRow("as Access writes them") << written << 10;
    QTest::newRow("KKD, as Access 97 names them") << QByteArray(written).replace(0, 3, "KKD") << 10;
    QTest::newRow("neither MR2 nor KKD") << QByteArray(written).replace(0, 3, "XYZ") << -1;
    QTest::newRow("a block of length 0") << with32(table, 0) << -1;
    QTest::newRow("a block past the end") << with32(column, quint32(written.size())) << -1;
    QTest::newRow("cut inside a value") << written.first(written.size() - 1) << -1;
    // The column's value names property 1 (ResultType) at 4 bytes into its
    // entry: the name part is 4 + 2 + 2 × 2 bytes.
    QTest::newRow("a value naming no property") << with32(column + 6 + 10 + 4, 0x00010007) << -1;
}

void TestConvert::tableProperties()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, resultType);
    const auto properties =
        readJetProperties(std::span(reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size())));
    QCOMPARE(properties.has_value(), resultType >= 0);
    if (properties)
        QCOMPARE(jetPropertyInteger(properties->value(QStringLiteral("房号")).value(QStringLiteral("ResultType"))),
                 std::optional<qint64>(resultType));
}

QTEST_MAIN(TestConvert)
#include "tst_convert.moc"
