// SPDX-License-Identifier: GPL-3.0-or-later
// Reading expiry texts as dates for the due-tenant listing.
#include "db/LeaseDate.h"
#include "platform/RegionalFormats.h"

#include <QTest>

#include <sqlite3.h>

class TestLeaseDate : public QObject {
    Q_OBJECT
private slots:
    void readsDates_data();
    void readsDates();
    void sqlFunction();
    void everyDayOfEightCenturies();
};

void TestLeaseDate::readsDates_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");  // invalid: reads as no date
    const QDate jan2(2018, 1, 2);
    const QDate none;

    QTest::newRow("user yyyy/M/d") << "yyyy/M/d" << "2018/1/2" << jan2;
    QTest::newRow("blanks and line end around") << "yyyy/M/d" << " \t2018/1/2 \r\n" << jan2;
    QTest::newRow("user d/M/yyyy first") << "d/M/yyyy" << "2/1/2018" << jan2;
    QTest::newRow("user M/d/yy, windowed year") << "M/d/yy" << "1/2/18" << jan2;
    QTest::newRow("user M/d/yy, four-digit year") << "M/d/yy" << "1/2/2018" << jan2;
    QTest::newRow("user yy. M. d.") << "yy. M. d." << "18. 1. 2." << jan2;
    QTest::newRow("user with trailer") << "yyyy年M月d日" << "2018年1月2日" << jan2;
    QTest::newRow("user with quoted letters") << "'day' d/M/yyyy" << "day 2/1/2018" << jan2;
    QTest::newRow("user with quoted trailer") << "d.MM.yy 'г'." << "2.01.18 г." << jan2;
    QTest::newRow("user with month names") << "d MMM yyyy" << QLocale::system().toString(jan2, "d MMM yyyy") << jan2;
    QTest::newRow("slash form after other user format") << "d/M/yyyy" << "2018/1/2" << jan2;
    QTest::newRow("dash form") << "d/M/yyyy" << "2018-1-2" << jan2;
    QTest::newRow("dot form") << "d/M/yyyy" << "2018.1.2" << jan2;
    QTest::newRow("date with a time") << "yyyy/M/d" << "2018/1/2 0:00:00" << jan2;
    QTest::newRow("ISO date") << "M/d/yy" << "2018-01-02" << jan2;
    QTest::newRow("ISO date-time") << "M/d/yy" << "2018-01-02T23:59:59" << jan2;
    QTest::newRow("ISO with fraction and Z") << "M/d/yy" << "2018-01-02T10:20:30.125Z" << jan2;
    QTest::newRow("ISO with offset") << "M/d/yy" << "2018-01-02T10:20+08:00" << jan2;
    QTest::newRow("ISO with basic offset") << "M/d/yy" << "2018-01-02T10:20:30-0530" << jan2;
    QTest::newRow("ISO basic") << "M/d/yy" << "20180102" << jan2;
    QTest::newRow("Chinese long form") << "M/d/yy" << "2018年1月2日" << jan2;
    QTest::newRow("Chinese long form, leading zeros") << "d.M.yyyy" << "2018年01月02日" << jan2;

    QTest::newRow("empty") << "yyyy/M/d" << "" << none;
    QTest::newRow("blanks") << "yyyy/M/d" << "   " << none;
    QTest::newRow("words") << "yyyy/M/d" << "明年" << none;
    QTest::newRow("month 13") << "yyyy/M/d" << "2018/13/45" << none;
    QTest::newRow("30 February") << "yyyy/M/d" << "2018/2/30" << none;
    QTest::newRow("two-digit year for yyyy") << "yyyy/M/d" << "18/1/2" << none;
    QTest::newRow("three-digit day") << "yyyy/M/d" << "2018/1/002" << none;
    QTest::newRow("text after date") << "yyyy/M/d" << "2018/1/2到期" << none;
    QTest::newRow("T after slash form") << "yyyy/M/d" << "2018/1/2T10:00" << none;
    QTest::newRow("bad time") << "yyyy/M/d" << "2018-01-02T25:00" << none;
    QTest::newRow("bad offset") << "yyyy/M/d" << "2018-01-02T10:00+8" << none;
    QTest::newRow("ISO basic, bad month") << "yyyy/M/d" << "20181302" << none;
    QTest::newRow("Chinese long form, 31 November") << "yyyy/M/d" << "2026年11月31日" << none;
}

void TestLeaseDate::readsDates()
{
    QFETCH(QString, shortDateFormat);
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    const RegionalFormats formats = RegionalFormats::fromFormats(shortDateFormat, QStringLiteral("H:mm:ss"));
    const QByteArray utf8 = text.toUtf8();
    const std::optional<QDate> date = readLeaseDate(std::string_view(utf8.constData(), std::size_t(utf8.size())), formats);
    QCOMPARE(date.value_or(QDate()), expected);
}

void TestLeaseDate::sqlFunction()
{
    setRegionalFormats(RegionalFormats::fromFormats(QStringLiteral("d.M.yyyy"), QStringLiteral("H:mm:ss")));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    QCOMPARE(registerLeaseDayFunction(db), SQLITE_OK);
    sqlite3_stmt *statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db,
                                "select lease_day('2.1.2018'), lease_day(20180102), lease_day(NULL), "
                                "lease_day('明年'), lease_day(x'00')",
                                -1, &statement, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    const qint64 jan2 = QDate(2018, 1, 2).toJulianDay();
    QCOMPARE(sqlite3_column_int64(statement, 0), jan2);  // the program's regional format
    QCOMPARE(sqlite3_column_int64(statement, 1), jan2);  // a number stored as such
    for (int column = 2; column < 5; ++column)
        QCOMPARE(sqlite3_column_type(statement, column), SQLITE_NULL);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

// The day numbers worked out by the reader are the calendar's: leap years
// and the century rules included.
void TestLeaseDate::everyDayOfEightCenturies()
{
    const RegionalFormats formats = RegionalFormats::fromFormats(QStringLiteral("yyyy/M/d"), QStringLiteral("H:mm:ss"));
    for (QDate day(1600, 1, 1); day.year() < 2400; day = day.addDays(1)) {
        const QByteArray text = day.toString(QStringLiteral("yyyy/M/d")).toUtf8();
        qint64 read = 0;
        if (!readLeaseDay(std::string_view(text.constData(), std::size_t(text.size())), formats, read)
            || read != day.toJulianDay())
            QFAIL(text.constData());
    }
}

QTEST_MAIN(TestLeaseDate)
#include "tst_leasedate.moc"
