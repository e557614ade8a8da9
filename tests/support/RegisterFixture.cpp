// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RegisterFixture.h"

#include "db/RegisterFile.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "platform/Utf8Text.h"
#include "ui/ConversionChild.h"
#include "ui/DataSource.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

RegisterFixture::RegisterFixture()
{
    setProgramDirectory(m_directory.path());
    setConversionChildProgram(QStringLiteral(LARKHAVEN_CONVERT_PATH));
    setRegionalFormats(RegionalFormats::fromFormats(QStringLiteral("yyyy/M/d"), QStringLiteral("H:mm:ss")));
}

RegisterFixture::~RegisterFixture()
{
    if (m_started)
        destroyProgramWindows();
    setProgramDirectory(QString());
    setCurrentLocalDateTime({});
}

QString RegisterFixture::directory() const
{
    return m_directory.path() + QLatin1Char('/');
}

QString RegisterFixture::databasePath() const
{
    return directory() + QStringLiteral("data.mdb");
}

void RegisterFixture::createRegister(const QList<QStringList> &tenants)
{
    QString error;
    if (!createEmptyRegister(databasePath(), &error))
        qFatal("cannot create the register: %s", qPrintable(error));
    for (const QStringList &tenant : tenants)
        addTenant(tenant);
}

void RegisterFixture::createRegisterWith(const QString &createTable)
{
    exec(createTable);
}

void RegisterFixture::exec(const QString &sql, const QVariantList &parameters)
{
    rows(sql, parameters);
}

QList<QStringList> RegisterFixture::rows(const QString &sql, const QVariantList &parameters)
{
    return sqlRows(databasePath(), sql, parameters);
}

int RegisterFixture::count(const QString &where)
{
    return rows(QStringLiteral("select count(*) from data ") + where).first().first().toInt();
}

void RegisterFixture::addTenant(const QStringList &columns)
{
    QVariantList values;
    for (int i = 0; i < 8; ++i)
        values << columns.value(i);
    exec(QStringLiteral("insert into data (姓名,房号,租金,押金,入住日期,到期日期,备注,编辑时间) values (?,?,?,?,?,?,?,?)"),
         values);
}

QList<SeenBox> RegisterFixture::startProgram(const QStringList &answers)
{
    m_started = true;
    const QList<SeenBox> boxes = runAnsweringBoxes([] { createProgramWindows(); }, answers);
    // Every test of the windows checks the grid's model against Qt's
    // contract for item models as it goes.
    new QAbstractItemModelTester(Form1->DataSource1, QAbstractItemModelTester::FailureReportingMode::QtTest, Form1);
    return boxes;
}

void RegisterFixture::startShown()
{
    QVERIFY(startProgram().isEmpty());
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

QList<QStringList> sqlRows(const QString &path, const QString &sql, const QVariantList &parameters)
{
    sqlite3 *db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        qFatal("cannot open %s", file.constData());
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), -1, &statement, nullptr) != SQLITE_OK)
        qFatal("%s: %s", text.constData(), sqlite3_errmsg(db));
    for (int i = 0; i < parameters.size(); ++i) {
        if (parameters.at(i).isNull()) {
            sqlite3_bind_null(statement, i + 1);
        } else {
            const QByteArray value = parameters.at(i).toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
    }
    QList<QStringList> result;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto *value = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
            row << (value ? fromUtf8(std::string_view(value, std::size_t(sqlite3_column_bytes(statement, i))))
                          : QString());
        }
        result << row;
    }
    if (rc != SQLITE_DONE)
        qFatal("%s: %s", text.constData(), sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

QStringList firstColumn(const QList<QStringList> &rows)
{
    QStringList values;
    for (const QStringList &row : rows)
        values << row.value(0);
    return values;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}
