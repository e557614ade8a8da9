// The cursor and connection over a real SQLite file, in the cases that no
// window's test reaches.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/AppError.h"
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

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
