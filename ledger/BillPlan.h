// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LeaseCoverage.h"
#include "ledger/MeterReadings.h"
#include "ledger/Money.h"
#include "ledger/Rates.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <set>
#include <vector>

// What a bill's line charges for.
enum class LineItem { Rent, Water, Electricity, Fee };
QString lineItemKey(LineItem item);  // "rent", ...: as stored

// One line of a bill.
struct BillLine {
    LineItem item = LineItem::Rent;
    QString label;  // "房租", "水费", "电费", the fee's name
    std::optional<qint64> previousReading, currentReading, quantity;  // hundredths
    std::optional<Fen> unitFen;
    int sharedBy = 1;            // a room's charge divided among its tenants
    std::optional<Fen> amount;   // none: a rent that waits for the landlord
    friend bool operator==(const BillLine &, const BillLine &) = default;
};

// A tenant's bill as it will be written.
struct PlannedBill {
    CoveredTenant tenant;
    std::optional<Fen> rent;  // none: the rent text is no plain amount
    Fen water = 0, electricity = 0, other = 0;
    Fen total = 0;            // the lines that have amounts
    std::vector<BillLine> lines;
    friend bool operator==(const PlannedBill &, const PlannedBill &) = default;
};

// The bills of a month and what kept some of their lines from being whole.
struct BillPlan {
    std::vector<PlannedBill> bills;
    QStringList unreadRooms;       // rooms billed without this month's reading of a meter
    std::set<Meter> missingPrices; // meters used this month without a price in force
    friend bool operator==(const BillPlan &, const BillPlan &) = default;
};

// The bill of every tenant of `tenants` for `month`:
// - rent: the tenant's rent text if it is a plain amount of whole 元, else
//   none (the landlord types it);
// - water and electricity of the tenant's room: the month's usage (since the
//   last reading; nothing for a reading that starts the count) at the price
//   in force, to the nearest fen; no line without the month's reading;
// - the fees the room pays that month;
// a room's water, electricity and fees divided evenly among the tenants it
// has that month, the fen left over going one each to the first of them.
// Throws AppError when an amount is past the range money can hold.
BillPlan planBills(const LedgerMonth &month, const std::vector<CoveredTenant> &tenants,
                   const std::map<QString, RoomMeters> &rooms, const Rates &rates);
