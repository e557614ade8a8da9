// SPDX-License-Identifier: GPL-3.0-or-later
// Date and time texts follow the user's regional formats.
#include "platform/RegionalFormats.h"

#include <QTest>

class TestRegional : public QObject {
    Q_OBJECT
private slots:
    void clockAndBackupName_data();
    void clockAndBackupName();
    void editTimeUsesRegionalSeparators();
    void longTimeFormatLosesTimeZone();
    void formatsReadWithQuotedText_data();
    void formatsReadWithQuotedText();
};

void TestRegional::clockAndBackupName_data()
{
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("longTime");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("backupName");
    QTest::newRow("worked values") << "yyyy/M/d" << "H:mm:ss" << "今天是2017/12/30 14:05:09" << "20171230_BAK_";
    QTest::newRow("hyphen separator") << "yyyy-MM-dd" << "HH:mm:ss" << "今天是2017-12-30 14:05:09"
                                      << "2017-12-30_BAK_";
    QTest::newRow("day first, dots") << "dd.MM.yyyy" << "HH.mm.ss" << "今天是30.12.2017 14.05.09" << "30.12.2017_BAK_";
}

void TestRegional::clockAndBackupName()
{
    QFETCH(QString, shortDate);
    QFETCH(QString, longTime);
    const RegionalFormats formats = RegionalFormats::fromFormats(shortDate, longTime);
    const QDateTime moment(QDate(2017, 12, 30), QTime(14, 5, 9));
    QTEST(clockPanelText(moment, formats), "clock");
    QTEST(backupNameText(moment.date(), formats), "backupName");
}

void TestRegional::editTimeUsesRegionalSeparators()
{
    const QDateTime morning(QDate(2018, 1, 5), QTime(7, 3, 4));
    QCOMPARE(editTimeText(morning, RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss")),
             QStringLiteral("2018/01/05 07:03:04"));
    // Each part takes its regional separator; where the time's parts are
    // closed by different characters, the time takes ":".
    QCOMPARE(editTimeText(morning, RegionalFormats::fromFormats("d.M.yyyy", "H.mm.ss")),
             QStringLiteral("2018.01.05 07.03.04"));
    QCOMPARE(editTimeText(morning, RegionalFormats::fromLocale(QLocale("fi_FI"))), QStringLiteral("2018.01.05 07.03.04"));
    QCOMPARE(editTimeText(QDateTime(QDate(2018, 1, 5), QTime(18, 20, 17)), RegionalFormats::fromLocale(QLocale("ja_JP"))),
             QStringLiteral("2018/01/05 18:20:17"));
    // A 12-hour regional clock does not change the fixed 24-hour form.
    QCOMPARE(editTimeText(QDateTime(QDate(2018, 1, 5), QTime(19, 3, 4)), RegionalFormats::fromFormats("M/d/yy", "h:mm:ss AP")),
             QStringLiteral("2018/01/05 19:03:04"));
}

void TestRegional::longTimeFormatLosesTimeZone()
{
    const RegionalFormats formats = RegionalFormats::fromFormats("yyyy/M/d", "HH:mm:ss t");
    QCOMPARE(formats.longTimeFormat, QStringLiteral("HH:mm:ss"));
    QCOMPARE(formats.dateSeparator, QStringLiteral("/"));
    QCOMPARE(formats.timeSeparator, QStringLiteral(":"));
}

// Quoted text in a format is literal, its letters too, and "''" is a quote.
void TestRegional::formatsReadWithQuotedText_data()
{
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("longTime");
    QTest::addColumn<QString>("fullYear");
    QTest::addColumn<QString>("dateSeparator");
    QTest::addColumn<QString>("longTimeWithoutZone");
    QTest::newRow("plain") << "M/d/yy" << "h:mm:ss AP t" << "M/d/yyyy" << "/" << "h:mm:ss AP";
    QTest::newRow("quoted year letters") << "'yy' d.M.yy" << "HH 'at' mm" << "'yy' d.M.yyyy" << "." << "HH 'at' mm";
    QTest::newRow("quote inside") << "d''M''yy" << "H:mm" << "d''M''yyyy" << "'" << "H:mm";
}

void TestRegional::formatsReadWithQuotedText()
{
    QFETCH(QString, shortDate);
    QFETCH(QString, longTime);
    const RegionalFormats formats = RegionalFormats::fromFormats(shortDate, longTime);
    QTEST(formats.fullYearDateFormat, "fullYear");
    QTEST(formats.dateSeparator, "dateSeparator");
    QTEST(formats.longTimeFormat, "longTimeWithoutZone");
}

QTEST_GUILESS_MAIN(TestRegional)
#include "tst_regional.moc"
