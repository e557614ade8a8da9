// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor and connection over a real SQLite file, in the cases that no
// window's test reaches.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "db/ResultSet.h"
#include "support/RegisterFixture.h"

#include <QTest>

namespace {

// The text of the AppError that `action` throws, or "" if it throws none.
template <typename Action>
QString errorOf(Action action)
{
    try {
        action();
    } catch (const AppError &error) {
        return error.text();
    }
    return QString();
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void errorsNameTheCursor();
    void editOverNoRowsAddsARow();
    void failedPostWritesNothing();
    void manyRowsReadAndWrittenAsStored();
    void resultSetHoldsRowsAsRead();

private:
    RegisterFixture *m_fixture = nullptr;
    TADOConnection *m_connection = nullptr;
    TADOQuery *m_query = nullptr;
};

void TestEngine::init()
{
    m_fixture = new RegisterFixture;
    m_fixture->createRegister({{"张三", "101", "500"}, {"李四", "102", "600"}});
    m_fixture->exec("insert into data (姓名) values ('王五')");  // other columns NULL
    m_connection = new TADOConnection;
    m_connection->setDatabaseFile(m_fixture->databasePath());
    m_query = new TADOQuery("ADOQuery1", m_connection);
}

void TestEngine::cleanup()
{
    delete m_query;
    delete m_connection;
    delete m_fixture;
}

// Each error names the cursor it comes from.
void TestEngine::errorsNameTheCursor()
{
    const QString closed = "ADOQuery1: Cannot perform this operation on a closed dataset";
    QCOMPARE(errorOf([&] { m_query->RecordCount(); }), closed);
    QCOMPARE(errorOf([&] { m_query->Next(); }), closed);
    QCOMPARE(errorOf([&] { m_query->FieldAsText("姓名"); }), closed);
    QCOMPARE(errorOf([&] { m_query->Edit(); }), closed);
    QVERIFY(m_query->Eof());

    // The connection opens with the first cursor that opens.
    QVERIFY(!m_connection->Connected());
    m_query->setSQL("select 姓名 from data where 姓名 = ?1", {"nobody"});
    m_query->Open();
    QVERIFY(m_connection->Connected());
    QCOMPARE(m_query->RecordCount(), 0);
    QVERIFY(m_query->Eof());
    QCOMPARE(m_query->FieldAsText("姓名"), QString());
    QCOMPARE(errorOf([&] { m_query->FieldAsText("租金"); }), QStringLiteral("ADOQuery1: Field '租金' not found"));
    QCOMPARE(errorOf([&] { m_query->Delete(); }),
             QStringLiteral("ADOQuery1: Cannot perform this operation on an empty dataset"));
    QCOMPARE(m_fixture->count(), 3);
}

void TestEngine::editOverNoRowsAddsARow()
{
    m_query->setSQL("select * from data where 姓名 = ?1", {"nobody"});
    m_query->Open();
    m_query->Edit();
    QCOMPARE(m_query->state(), TADOQuery::State::Insert);
    m_query->SetFieldText("姓名", "赵六");
    m_query->Post();
    QCOMPARE(m_query->RecordCount(), 1);
    QCOMPARE(m_query->RecNo(), 0);
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("赵六"));
    // The new row carries the key the table gave it.
    QCOMPARE(m_query->FieldAsText("ID"), m_fixture->rows("select ID from data where 姓名 = '赵六'").first().first());
    QCOMPARE(m_fixture->count(), 4);
}

void TestEngine::failedPostWritesNothing()
{
    m_fixture->exec("create trigger refuse before update on data begin select raise(abort, 'refused'); end");
    m_query->setSQL("select * from data");
    m_query->Open();
    m_query->Edit();
    m_query->SetFieldText("姓名", "changed");
    QCOMPARE(errorOf([&] { m_query->Post(); }), QStringLiteral("refused"));
    QCOMPARE(m_query->state(), TADOQuery::State::Browse);
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("张三"));
    QCOMPARE(m_fixture->count("where 姓名 = 'changed'"), 0);
}

// A listing's values as the cursor holds them, NULL told apart from empty.
QList<QStringList> listed(const TADOQuery &query)
{
    const ResultSet &rows = query.result();
    QList<QStringList> values;
    for (int row = 0; row < rows.rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < rows.columnCount(); ++column)
            texts << (rows.isNull(row, column) ? QStringLiteral("<NULL>") : rows.text(row, column));
        values << texts;
    }
    return values;
}

// Thousands of rows of every length, with NULL and empty texts and one
// remark larger than the memory the cursor takes at a time: each value is
// held as the table holds it, also when the cursor is opened again over the
// memory of a smaller listing, and rows far down the listing are written
// back and deleted exactly.
void TestEngine::manyRowsReadAndWrittenAsStored()
{
    m_fixture->exec("delete from data");
    m_fixture->exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 6000) "
                    "insert into data (姓名, 房号, 租金, 备注) select '租客' || i, "
                    "case i % 5 when 0 then null when 1 then '' else i end, "
                    "case when i % 3 = 0 then null else i % 1000 end, "
                    "case when i = 3000 then replace(hex(zeroblob(524288)), '0', '长') "  // 3 MiB
                    "else substr(replace(hex(zeroblob(200)), '0', '备'), 1, i % 400) end from n");
    auto stored = [this] {
        QList<QStringList> rows = m_fixture->rows("select * from data");
        for (QStringList &row : rows) {
            for (QString &value : row)
                value = value.isNull() ? QStringLiteral("<NULL>") : value;
        }
        return rows;
    };

    m_query->setSQL("select * from data where length(备注) < 1000");
    m_query->Open();
    QCOMPARE(m_query->RecordCount(), 5999);
    m_query->setSQL("select * from data");
    m_query->Open();
    QCOMPARE(listed(*m_query), stored());

    m_query->setRecNo(5999);
    m_query->Edit();
    m_query->SetFieldText("姓名", "末位");
    m_query->Post();
    m_query->setRecNo(4000);
    m_query->Delete();
    QCOMPARE(m_fixture->count(), 5999);
    QCOMPARE(m_fixture->count("where 姓名 = '末位' and 房号 is null and 租金 is null"), 1);
    QCOMPARE(listed(*m_query), stored());
}

// The rows' storage itself: NULL apart from an empty text, rowids at both
// ends of their range, a row longer than a block, a replaced row, and a
// reset that writes the next rows where the last ones were.
void TestEngine::resultSetHoldsRowsAsRead()
{
    const std::string longText(100000, 'x');
    const std::vector<std::vector<ResultSet::CellText>> rows{{"a0", std::nullopt}, {longText, "b1"}, {"", ""}};
    const std::int64_t rowids[] = {-1, INT64_MIN, INT64_MAX};
    ResultSet result;
    const char *firstRecord = nullptr;
    for (int load = 0; load < 2; ++load) {
        result.reset({"a", "b"}, RowKeyKind::Rowid);
        for (int row = 0; row < 3; ++row)
            result.appendRow(rowids[row], rows[std::size_t(row)]);
        if (load == 0)
            firstRecord = result.cell(0, 0).data();
        QCOMPARE(result.cell(0, 0).data(), firstRecord);
        QCOMPARE(result.rowCount(), 3);
        QVERIFY(result.isNull(0, 1) && result.text(0, 1).isEmpty());
        QVERIFY(!result.isNull(2, 0) && !result.isNull(2, 1) && result.cell(2, 1).empty());
        QVERIFY(result.cell(1, 0) == longText);
        QCOMPARE(result.text(1, 1), QStringLiteral("b1"));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(result.rowid(row), rowids[row]);
    }
    result.replaceRow(0, {{"new", std::nullopt}, -7, {}});
    QCOMPARE(result.text(0, 0), QStringLiteral("new"));
    QVERIFY(result.isNull(0, 1));
    QCOMPARE(result.rowid(0), -7);
    QVERIFY(result.cell(1, 0) == longText);
    QCOMPARE(result.rowid(2), INT64_MAX);
}

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
