// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

#include <optional>

// A calendar month of the rent round. The ledger stores it as "2026-12",
// which sorts as the months do, and shows it as "2026年12月".
class LedgerMonth {
public:
    LedgerMonth() = default;
    LedgerMonth(int year, int month) : m_first(year, month, 1) {}
    static LedgerMonth of(const QDate &day) { return LedgerMonth(day.year(), day.month()); }
    // "2026-12"; nothing for any other text.
    static std::optional<LedgerMonth> fromKey(const QString &key);

    bool isValid() const { return m_first.isValid(); }
    QString key() const;   // "2026-12"
    QString text() const;  // "2026年12月"
    QDate firstDay() const { return m_first; }
    QDate lastDay() const { return m_first.addMonths(1).addDays(-1); }
    LedgerMonth next() const { return of(m_first.addMonths(1)); }
    LedgerMonth previous() const { return of(m_first.addMonths(-1)); }

    friend auto operator<=>(const LedgerMonth &a, const LedgerMonth &b)
    {
        return a.m_first.toJulianDay() <=> b.m_first.toJulianDay();
    }
    friend bool operator==(const LedgerMonth &a, const LedgerMonth &b) = default;

private:
    QDate m_first;
};

// How the ledger stores a day and a moment: "2026-12-09", "2026-12-09T10:30:00".
QString dayKey(const QDate &day);
QString momentKey(const QDateTime &moment);
// A stored day in the regional short date, for the screen.
QString shownDay(const QString &stored);
