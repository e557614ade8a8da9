// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/TenantTotals.h"

#include "db/LeaseDate.h"
#include "db/PlainAmount.h"
#include "db/ResultSet.h"

#include <algorithm>
#include <array>

namespace {

// Adds a plain amount to `sum`; false, with `sum` unchanged, for a text that
// is none or an amount that would take the sum past the 64-bit range (it is
// then counted as not summed, like any other).
bool addAmount(std::string_view text, long long &sum)
{
    long long amount = 0;
    long long added = 0;
    if (!readPlainAmount(text, amount) || __builtin_add_overflow(sum, amount, &added))
        return false;
    sum = added;
    return true;
}

} // namespace

TenantTotals totalsOf(const ResultSet &rows, const QDate &today, const RegionalFormats &formats)
{
    const std::array<int, 3> columns{rows.columnIndex(QStringLiteral("租金")), rows.columnIndex(QStringLiteral("押金")),
                                     rows.columnIndex(QStringLiteral("到期日期"))};
    // Rent, deposit and expiry in the order of their places in a row, as
    // the one walk along each row's record takes them.
    std::array<int, 3> order{0, 1, 2};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return columns[std::size_t(a)] < columns[std::size_t(b)]; });
    std::array<int, 3> walk{};
    for (std::size_t i = 0; i < walk.size(); ++i)
        walk[i] = columns[std::size_t(order[i])];

    TenantTotals totals;
    totals.tenants = rows.rowCount();
    const qint64 day = today.toJulianDay();
    std::array<std::string_view, 3> walked;
    std::array<std::string_view, 3> texts;  // rent, deposit, expiry
    for (int row = 0; row < totals.tenants; ++row) {
        rows.cells(row, walk, walked);
        for (std::size_t i = 0; i < walked.size(); ++i)
            texts[std::size_t(order[i])] = walked[i];
        if (!addAmount(texts[0], totals.rentSum) && !isBlankAmount(texts[0]))
            ++totals.unsummedRents;
        if (!addAmount(texts[1], totals.depositSum) && !isBlankAmount(texts[1]))
            ++totals.unsummedDeposits;
        qint64 expiry = 0;
        if (!readLeaseDay(texts[2], formats, expiry)) {
            totals.unreadableExpiry += !isBlankDate(texts[2]);
            continue;
        }
        const qint64 daysLeft = expiry - day;
        totals.expired += daysLeft < 0;
        totals.endingSoon += daysLeft > 0 && daysLeft <= endingSoonDays;
        totals.endingThisWeek += daysLeft >= 0 && daysLeft <= reminderDays;
        totals.endedThisWeek += daysLeft < 0 && daysLeft >= -reminderDays;
    }
    return totals;
}

QString leaseReminderText(const TenantTotals &totals)
{
    // Short enough for the message panel at the window's first size.
    const int ending = totals.endingThisWeek;
    const int ended = totals.endedThisWeek;
    if (ending > 0 && ended > 0)
        return QStringLiteral("%1天内到期%2 位,刚到期%3 位").arg(reminderDays).arg(ending).arg(ended);
    if (ending > 0)
        return QStringLiteral("%1 位房客租约%2天内到期").arg(ending).arg(reminderDays);
    if (ended > 0)
        return QStringLiteral("%1 位房客租约%2天内已到期").arg(ended).arg(reminderDays);
    return {};
}
