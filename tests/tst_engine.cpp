// The cursor and connection over a real SQLite file.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "db/DataSource.h"
#include "support/RegisterFixture.h"
#include "ui/DBGrid.h"

#include <QFile>
#include <QSignalSpy>
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

    void openReadsEveryRowAndWalks();
    void closedCursorRefusesWork();
    void missingFieldIsNamed();
    void emptyResultRefusesDelete();
    void editPostsToTheRowByKey();
    void editOverNoRowsAddsARow();
    void failedPostWritesNothing();
    void deleteRemovesTheCurrentRowOnly();
    void execSqlLeavesCursorClosed();
    void valuesAreBoundNotJoined();
    void connectionNeverCreatesTheFile();
    void fileThatIsNoDatabase();
    void failedOpenLeavesCursorClosed();
    void gridAndCursorShareTheCurrentRow();

private:
    RegisterFixture *m_fixture = nullptr;
    TADOConnection *m_connection = nullptr;
    TADOQuery *m_query = nullptr;
};

void TestEngine::init()
{
    m_fixture = new RegisterFixture;
    m_fixture->createRegister();
    m_fixture->addTenant("张三", "101", "500");
    m_fixture->addTenant("李四", "102", "600");
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

void TestEngine::openReadsEveryRowAndWalks()
{
    QVERIFY(!m_connection->Connected());
    m_query->setSQL("select * from data");
    m_query->Open();
    QVERIFY(m_connection->Connected());
    QCOMPARE(m_query->RecordCount(), 3);
    QCOMPARE(m_query->result().columnCount(), 9);
    QCOMPARE(m_query->RecNo(), 0);
    QVERIFY(!m_query->Eof());
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("张三"));
    m_query->Next();
    m_query->Next();
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("王五"));
    QCOMPARE(m_query->FieldAsText("租金"), QString());  // NULL reads as empty
    QVERIFY(!m_query->Eof());
    m_query->Next();  // on the last row: the flag, and the row stays
    QVERIFY(m_query->Eof());
    QCOMPARE(m_query->RecNo(), 2);
}

void TestEngine::closedCursorRefusesWork()
{
    const QString closed = "ADOQuery1: Cannot perform this operation on a closed dataset";
    QCOMPARE(errorOf([&] { m_query->RecordCount(); }), closed);
    QCOMPARE(errorOf([&] { m_query->Next(); }), closed);
    QCOMPARE(errorOf([&] { m_query->FieldAsText("姓名"); }), closed);
    QCOMPARE(errorOf([&] { m_query->Edit(); }), closed);
    QCOMPARE(errorOf([&] { m_query->Delete(); }), closed);
    QVERIFY(m_query->Eof());
}

void TestEngine::missingFieldIsNamed()
{
    m_query->setSQL("select 姓名 from data");
    m_query->Open();
    QCOMPARE(errorOf([&] { m_query->FieldAsText("租金"); }), QStringLiteral("ADOQuery1: Field '租金' not found"));
}

void TestEngine::emptyResultRefusesDelete()
{
    m_query->setSQL("select * from data where 姓名 = ?1", {"nobody"});
    m_query->Open();
    QCOMPARE(m_query->RecordCount(), 0);
    QVERIFY(m_query->Eof());
    QCOMPARE(m_query->FieldAsText("姓名"), QString());
    QCOMPARE(errorOf([&] { m_query->Delete(); }),
             QStringLiteral("ADOQuery1: Cannot perform this operation on an empty dataset"));
    QCOMPARE(m_fixture->count(), 3);
}

void TestEngine::editPostsToTheRowByKey()
{
    m_query->setSQL("select * from data");
    m_query->Open();
    m_query->setRecNo(1);
    QSignalSpy changed(m_query, &TADOQuery::rowChanged);
    m_query->Edit();
    m_query->SetFieldText("房号", "202");
    m_query->SetFieldText("租金", "650");
    m_query->Post();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_query->FieldAsText("房号"), QStringLiteral("202"));
    QCOMPARE(m_fixture->rows("select 姓名, 房号, 租金 from data order by ID"),
             (QList<QStringList>{{"张三", "101", "500"}, {"李四", "202", "650"}, {"王五", "", ""}}));
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

void TestEngine::deleteRemovesTheCurrentRowOnly()
{
    m_query->setSQL("select * from data");
    m_query->Open();
    m_query->setRecNo(1);
    m_query->Delete();
    QCOMPARE(m_query->RecordCount(), 2);
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("王五"));  // the next row is current
    m_query->Delete();
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("张三"));  // the last went: the one before
    QCOMPARE(m_fixture->rows("select 姓名, 房号, 租金 from data"), (QList<QStringList>{{"张三", "101", "500"}}));
}

void TestEngine::execSqlLeavesCursorClosed()
{
    m_query->setSQL("insert into data (姓名) values (?1)", {"新"});
    m_query->ExecSQL();
    QVERIFY(!m_query->Active());
    QCOMPARE(m_fixture->count("where 姓名 = '新'"), 1);
}

void TestEngine::valuesAreBoundNotJoined()
{
    const QString hostile = "x' or '1'='1'; DROP TABLE data; --";
    m_query->setSQL("insert into data (姓名) values (?1)", {hostile});
    m_query->ExecSQL();
    m_query->setSQL("select 姓名 from data where 姓名 = ?1", {hostile});
    m_query->Open();
    QCOMPARE(m_query->RecordCount(), 1);
    QCOMPARE(m_query->FieldAsText("姓名"), hostile);
    QCOMPARE(m_fixture->count(), 4);
}

void TestEngine::connectionNeverCreatesTheFile()
{
    TADOConnection unset;
    TADOQuery query("ADOQuery1", &unset);
    query.setSQL("select * from data");
    QCOMPARE(errorOf([&] { query.Open(); }), QStringLiteral("unable to open database file"));

    const QString missing = m_fixture->directory() + "missing.mdb";
    unset.setDatabaseFile(missing);
    QCOMPARE(errorOf([&] { query.Open(); }), QStringLiteral("unable to open database file"));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!query.Active());
}

void TestEngine::fileThatIsNoDatabase()
{
    const QString path = m_fixture->directory() + "text.mdb";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("this is a text file, not a register\n").repeated(200));
    file.close();
    TADOConnection connection;
    connection.setDatabaseFile(path);
    TADOQuery query("ADOQuery1", &connection);
    query.setSQL("select * from data");
    QCOMPARE(errorOf([&] { query.Open(); }), QStringLiteral("file is not a database"));
}

void TestEngine::failedOpenLeavesCursorClosed()
{
    m_query->setSQL("select * from data");
    m_query->Open();
    m_query->setSQL("select * from nowhere");
    QCOMPARE(errorOf([&] { m_query->Open(); }), QStringLiteral("no such table: nowhere"));
    QVERIFY(!m_query->Active());
}

void TestEngine::gridAndCursorShareTheCurrentRow()
{
    TDataSource source(m_query);
    TDBGrid grid;
    grid.setDataSource(&source);
    grid.resize(600, 300);
    grid.show();
    m_query->setSQL("select * from data");
    m_query->Open();
    QCOMPARE(grid.currentIndex().row(), 0);
    m_query->Next();
    QCOMPARE(grid.currentIndex().row(), 1);
    // A click on a row makes it the cursor's current row.
    const QRect third = grid.visualRect(source.index(2, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(m_query->RecNo(), 2);
    QCOMPARE(m_query->FieldAsText("姓名"), QStringLiteral("王五"));
    // So does a press of the right button.
    const QRect first = grid.visualRect(source.index(0, 1));
    QTest::mousePress(grid.viewport(), Qt::RightButton, {}, first.center());
    QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, first.center());
    QCOMPARE(m_query->RecNo(), 0);
    m_query->Close();
    QCOMPARE(source.rowCount(), 0);
    QCOMPARE(source.columnCount(), 0);
}

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
