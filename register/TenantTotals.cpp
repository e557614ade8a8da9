#include "register/TenantTotals.h"

#include "db/LeaseDate.h"
#include "db/PlainAmount.h"
#include "db/ResultSet.h"

namespace {

// Adds a plain amount to `sum`; false, with `sum` unchanged, for a text that
// is none or a sum that would overflow.
bool addAmount(std::string_view text, long long &sum)
{
    const std::optional<long long> amount = plainAmount(text);
    return amount && !__builtin_add_overflow(sum, *amount, &sum);
}

} // namespace

TenantTotals totalsOf(const ResultSet &rows, const QDate &today, const RegionalFormats &formats)
{
    TenantTotals totals;
    totals.tenants = rows.rowCount();
    const int rentColumn = rows.columnIndex(QStringLiteral("租金"));
    const int depositColumn = rows.columnIndex(QStringLiteral("押金"));
    const int expiryColumn = rows.columnIndex(QStringLiteral("到期日期"));
    const qint64 day = today.toJulianDay();
    for (int row = 0; row < totals.tenants; ++row) {
        if (rentColumn >= 0) {
            const std::string_view rent = rows.cell(row, rentColumn);
            if (!isBlankAmount(rent) && !addAmount(rent, totals.rentSum))
                ++totals.unsummedRents;
        }
        if (depositColumn >= 0) {
            const std::string_view deposit = rows.cell(row, depositColumn);
            if (!isBlankAmount(deposit) && !addAmount(deposit, totals.depositSum))
                ++totals.unsummedDeposits;
        }
        if (expiryColumn < 0)
            continue;
        const std::string_view expiryText = rows.cell(row, expiryColumn);
        const std::optional<QDate> expiry = readLeaseDate(expiryText, formats);
        if (!expiry) {
            if (!isBlankDate(expiryText))
                ++totals.unreadableExpiry;
            continue;
        }
        const qint64 daysLeft = expiry->toJulianDay() - day;
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
