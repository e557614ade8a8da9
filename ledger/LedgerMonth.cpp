// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerMonth.h"

#include "platform/RegionalFormats.h"


std::optional<LedgerMonth> LedgerMonth::fromKey(const QString &key)
{
    // "yyyy-MM", read by hand: every stored month of every bill goes through here.
    if (key.size() != 7 || key[4] != QLatin1Char('-'))
        return std::nullopt;
    int year = 0, month = 0;
    for (int i = 0; i < 7; ++i) {
        if (i == 4)
            continue;
        const int digit = key[i].unicode() - '0';
        if (digit < 0 || digit > 9)
            return std::nullopt;
        int &part = i < 4 ? year : month;
        part = part * 10 + digit;
    }
    const LedgerMonth read(year, month);
    return read.isValid() ? std::optional<LedgerMonth>(read) : std::nullopt;
}

QString LedgerMonth::key() const
{
    return m_first.toString(QStringLiteral("yyyy-MM"));
}

QString LedgerMonth::text() const
{
    return QStringLiteral("%1年%2月").arg(m_first.year()).arg(m_first.month());
}

QString dayKey(const QDate &day)
{
    return day.toString(Qt::ISODate);
}

QString momentKey(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString shownDay(const QString &stored)
{
    const QDate day = QDate::fromString(stored.left(10), Qt::ISODate);
    return day.isValid() ? fullYearDateText(day, regionalFormats()) : stored;
}
