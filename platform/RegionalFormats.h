// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The user's regional date and time settings, read once from the system
// locale. Every date text the program writes is a pure function of a
// QDateTime and this value.
struct RegionalFormats {
    QString shortDateFormat;  // Qt format, e.g. "yyyy/M/d"
    // The short date format with a four-digit year, e.g. "M/d/yyyy" for
    // "M/d/yy": the form of every date the program proposes or writes.
    QString fullYearDateFormat;
    QString longTimeFormat;   // Qt format without the time-zone token, e.g. "H:mm:ss"
    QString dateSeparator;    // e.g. "/"
    QString timeSeparator;    // e.g. ":"

    static RegionalFormats fromLocale(const QLocale &locale);
    static RegionalFormats fromFormats(const QString &shortDate, const QString &longTime);
};

// The formats the program uses; the system's unless a test set others.
const RegionalFormats &regionalFormats();
void setRegionalFormats(const RegionalFormats &formats);

// Today's date in the short date format ("2017/12/30").
QString shortDateText(const QDate &date, const RegionalFormats &formats);

// A date in the short date format with its century, so that a stored date
// never loses it: "12/31/9999" where the short date gives "12/31/99".
QString fullYearDateText(const QDate &date, const RegionalFormats &formats);

// "今天是" + short date + " " + long time: the clock panel.
QString clockPanelText(const QDateTime &now, const RegionalFormats &formats);

// The short date text with every "/" removed, then "_BAK_".
QString backupNameText(const QDate &date, const RegionalFormats &formats);

// The fixed "yyyy/mm/dd hh:mm:ss" form of the last-edit time, with the
// regional date separator, the regional time separator (":" where the long
// time format has no single one) and a 24-hour clock.
QString editTimeText(const QDateTime &now, const RegionalFormats &formats);
