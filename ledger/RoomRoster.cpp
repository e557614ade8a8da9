// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RoomRoster.h"

#include "db/LeaseDate.h"
#include "db/SqlStatement.h"
#include "ledger/LedgerMonth.h"
#include "ledger/LedgerStatement.h"
#include "ledger/RoomOrder.h"
#include "platform/TextTrim.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

QString textOf(std::optional<std::string_view> utf8)
{
    const std::string_view text = trimmedControls(utf8.value_or(std::string_view()));
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// What the register tells of the rooms: who lives in each on the day, who
// moves in later, and the latest lease of each that ended before the day.
void readRegister(sqlite3 *db, const QDate &day, const RegionalFormats &formats,
                  std::map<QString, RoomStatus> &rooms, std::map<QString, qint64> &endedLeases)
{
    const qint64 today = day.toJulianDay();
    SqlStatement statement(db, "SELECT 姓名, 房号, 入住日期, 到期日期 FROM data ORDER BY rowid");
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        const QString room = textOf(statement.columnText(1));
        if (room.isEmpty())
            continue;
        RoomStatus &status = rooms[room];
        status.room = room;
        const QString name = textOf(statement.columnText(0));
        const std::string_view moveIn = statement.columnText(2).value_or(std::string_view());
        const std::string_view expiry = statement.columnText(3).value_or(std::string_view());
        qint64 start = today, end = today;
        const bool datesRead = (isBlankDate(moveIn) || readLeaseDay(moveIn, formats, start))
            && (isBlankDate(expiry) || readLeaseDay(expiry, formats, end));
        if (datesRead && start > today) {
            status.comingTenants << QStringLiteral("%1（%2 入住）")
                                        .arg(name, shortDateText(QDate::fromJulianDay(start), formats));
        } else if (datesRead && end < today) {
            qint64 &latest = endedLeases.try_emplace(room, end).first->second;
            latest = std::max(latest, end);
        } else {
            // A record whose dates cannot be read is still a tenant the
            // register lists: the room is not called empty on a guess.
            status.tenants << name;
        }
    }
    if (rc != SQLITE_DONE)
        statement.throwError();
}

// The latest month billed to each of `rooms` that has a bill. A tenant who
// left is gone from the register with the lease's dates; the bills made for
// the room still tell the months it was let.
std::map<QString, LedgerMonth> latestMonthsBilled(sqlite3 *db, std::set<QString> rooms)
{
    std::map<QString, LedgerMonth> latest;
    if (rooms.empty())
        return latest;
    const auto found = [&](const QString &room, const QString &key) {
        if (rooms.erase(room) == 0)
            return;
        if (const std::optional<LedgerMonth> month = LedgerMonth::fromKey(key))
            latest[room] = *month;
    };
    // A room left lately is among the last months' bills, read newest first
    // through the index of the months: there a room's first bill is its latest.
    {
        LedgerStatement recent(db, "SELECT room, month FROM ledger_bill ORDER BY month DESC LIMIT ?1");
        recent.bind(qint64(4 * 1024));
        while (!rooms.empty() && recent.next())
            found(recent.text(0), recent.text(1));
    }
    if (rooms.empty())
        return latest;
    // The rooms left long ago, or never billed, from one pass over the bills.
    std::map<std::string, std::string, std::less<>> months;
    for (const QString &room : rooms)
        months[room.toStdString()];
    SqlStatement all(db, "SELECT room, month FROM ledger_bill");
    int rc;
    while ((rc = all.step()) == SQLITE_ROW) {
        const auto place = months.find(all.columnText(0).value_or(std::string_view()));
        if (place == months.end())
            continue;
        const std::string_view month = all.columnText(1).value_or(std::string_view());
        if (month > place->second)
            place->second.assign(month);
    }
    if (rc != SQLITE_DONE)
        all.throwError();
    for (const auto &[room, month] : months)
        found(QString::fromStdString(room), QString::fromStdString(month));
    return latest;
}

} // namespace

std::optional<qint64> RoomStatus::daysEmpty(const QDate &day) const
{
    if (isLet() || !lastLet)
        return std::nullopt;
    return std::max<qint64>(0, lastLet->daysTo(day));
}

QString RoomStatus::tenantText() const
{
    if (tenants.isEmpty())
        return QStringLiteral("空置");
    if (tenants.size() == 1)
        return tenants.first();
    return QStringLiteral("%1（%2 人）").arg(tenants.join(QStringLiteral("、"))).arg(tenants.size());
}

std::vector<RoomStatus> readRoomRoster(sqlite3 *db, bool ledgerExists, const QDate &day,
                                       const RegionalFormats &formats)
{
    std::map<QString, RoomStatus> rooms;
    std::map<QString, qint64> endedLeases;
    readRegister(db, day, formats, rooms, endedLeases);
    std::map<QString, LedgerMonth> lastBilled;
    if (ledgerExists) {
        LedgerStatement known(db, "SELECT room, added_by_hand, default_rent_fen FROM ledger_room");
        while (known.next()) {
            RoomStatus &status = rooms[known.text(0)];
            status.room = known.text(0);
            status.addedByHand = known.integer(1) != 0;
            status.defaultRent = known.optionalInteger(2);
        }
        // (A bill's room is among them: the ledger takes it in as it bills.)
        std::set<QString> empty;
        for (const auto &[room, status] : rooms) {
            if (!status.isLet())
                empty.insert(room);
        }
        lastBilled = latestMonthsBilled(db, std::move(empty));
    }
    std::vector<RoomStatus> roster;
    roster.reserve(rooms.size());
    for (auto &[room, status] : rooms) {
        if (!status.isLet()) {
            const auto ended = endedLeases.find(room);
            const auto billed = lastBilled.find(room);
            const std::optional<QDate> expiry =
                ended != endedLeases.end() ? std::optional(QDate::fromJulianDay(ended->second)) : std::nullopt;
            // A bill of a later month than the last lease the register
            // knows was a later tenant's, since gone; a bill of the lease's
            // own month ran to its expiry.
            if (billed != lastBilled.end() && (!expiry || LedgerMonth::of(*expiry) < billed->second)) {
                status.lastLet = billed->second.lastDay();
                status.lastLetFromBill = true;
            } else {
                status.lastLet = expiry;
            }
        }
        roster.push_back(std::move(status));
    }
    std::stable_sort(roster.begin(), roster.end(),
                     [](const RoomStatus &a, const RoomStatus &b) { return roomBefore(a.room, b.room); });
    return roster;
}

QString Occupancy::rateText() const
{
    if (known == 0)
        return QStringLiteral("—");
    return QString::number(100.0 * let / known, 'f', 1) + QLatin1Char('%');
}

Occupancy occupancyOf(const std::vector<RoomStatus> &rooms)
{
    Occupancy occupancy;
    occupancy.known = int(rooms.size());
    for (const RoomStatus &room : rooms)
        occupancy.let += room.isLet() ? 1 : 0;
    return occupancy;
}
