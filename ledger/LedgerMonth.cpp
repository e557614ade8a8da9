// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerMonth.h"

#include "platform/RegionalFormats.h"

#include <QRegularExpression>

std::optional<LedgerMonth> LedgerMonth::fromKey(const QString &key)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(key);
    if (!match.hasMatch())
        return std::nullopt;
    const LedgerMonth month(match.captured(1).toInt(), match.captured(2).toInt());
    return month.isValid() ? std::optional<LedgerMonth>(month) : std::nullopt;
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
