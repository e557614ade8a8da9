// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Money.h"
#include "platform/RegionalFormats.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct sqlite3;

// A room as the rooms list shows it on a given day.
struct RoomStatus {
    QString room;
    // The register's tenants whose lease covers the day (or whose dates
    // cannot be read, whom the register still lists), in its order.
    QStringList tenants;
    // Tenants whose lease starts after the day, with that day.
    QStringList comingTenants;
    bool addedByHand = false;
    std::optional<Fen> defaultRent;
    // For an empty room, the last day it is known to have been let: a lease's
    // expiry in the register, else the last day of the latest month billed.
    std::optional<QDate> lastLet;
    bool lastLetFromBill = false;

    bool isLet() const { return !tenants.isEmpty(); }
    // Days it has stood empty up to the day (0 while its last bill's month
    // runs); nothing while it is let or nothing tells since when.
    std::optional<qint64> daysEmpty(const QDate &day) const;
    // "张三", "张三、李四（2 人）", "空置".
    QString tenantText() const;
};

// Every room the program knows on `day`: each 房号 of the register, each
// room of the ledger (read, billed or added by hand), in walking order.
std::vector<RoomStatus> readRoomRoster(sqlite3 *db, bool ledgerExists, const QDate &day,
                                       const RegionalFormats &formats);

// Rooms let and rooms known.
struct Occupancy {
    int let = 0;
    int known = 0;
    // "75.0%"; "—" when no room is known.
    QString rateText() const;
};
Occupancy occupancyOf(const std::vector<RoomStatus> &rooms);
