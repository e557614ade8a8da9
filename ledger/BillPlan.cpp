// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/BillPlan.h"

#include "db/PlainAmount.h"
#include "ledger/RoomOrder.h"

#include <algorithm>

namespace {

std::optional<Fen> rentOf(const QString &text)
{
    long long yuan = 0;
    const QByteArray utf8 = text.toUtf8();
    if (!readPlainAmount(std::string_view(utf8.constData(), std::size_t(utf8.size())), yuan) || yuan < 0)
        return std::nullopt;
    return multiplyFen(yuan, 100);
}

// The share of `amount` of the tenant at `place` among `tenants`.
Fen shareOf(Fen amount, int place, int tenants)
{
    return amount / tenants + (place < amount % tenants ? 1 : 0);
}

LineItem itemOf(Meter meter)
{
    return meter == Meter::Water ? LineItem::Water : LineItem::Electricity;
}

} // namespace

QString lineItemKey(LineItem item)
{
    switch (item) {
    case LineItem::Rent:
        return QStringLiteral("rent");
    case LineItem::Water:
        return QStringLiteral("water");
    case LineItem::Electricity:
        return QStringLiteral("electricity");
    case LineItem::Fee:
        break;
    }
    return QStringLiteral("fee");
}

BillPlan planBills(const LedgerMonth &month, const std::vector<CoveredTenant> &tenants,
                   const std::map<QString, RoomMeters> &rooms, const Rates &rates)
{
    BillPlan plan;
    // Each tenant's place among the tenants of the room, and their number.
    std::map<QString, int> roomTenants;
    std::vector<int> places;
    for (const CoveredTenant &tenant : tenants)
        places.push_back(tenant.room.isEmpty() ? 0 : roomTenants[tenant.room]++);

    std::set<QString> unread;
    for (std::size_t i = 0; i < tenants.size(); ++i) {
        const CoveredTenant &tenant = tenants[i];
        const int sharedBy = tenant.room.isEmpty() ? 1 : roomTenants[tenant.room];
        PlannedBill bill;
        bill.tenant = tenant;
        bill.rent = rentOf(tenant.rentText);
        bill.lines.push_back({LineItem::Rent, QStringLiteral("房租"), {}, {}, {}, {}, 1, bill.rent});

        const auto room = rooms.find(tenant.room);
        for (const Meter meter : meters) {
            const MeterMonth *read = room == rooms.end() ? nullptr : &room->second.meter(meter);
            if (!read || !read->current) {
                if (!tenant.room.isEmpty())
                    unread.insert(tenant.room);
                continue;
            }
            const qint64 usage = *read->usage();
            const std::optional<Fen> price = rates.priceIn(meter, month);
            if (usage > 0 && !price)
                plan.missingPrices.insert(meter);
            const Fen charge = usage > 0 && price ? chargeFor(usage, *price) : 0;
            const Fen share = shareOf(charge, places[i], sharedBy);
            bill.lines.push_back({itemOf(meter), chargeName(meter),
                                  read->previous && !read->startsCount() ? std::optional(read->previous->value)
                                                                         : std::nullopt,
                                  read->current->value, usage, price, sharedBy, share});
            (meter == Meter::Water ? bill.water : bill.electricity) = share;
        }
        for (const Fee &fee : rates.feesFor(tenant.room, month)) {
            const Fen share = shareOf(fee.monthlyFen, places[i], sharedBy);
            bill.lines.push_back({LineItem::Fee, fee.name, {}, {}, {}, fee.monthlyFen, sharedBy, share});
            bill.other = addFen(bill.other, share);
        }
        bill.total = addFen(addFen(addFen(bill.rent.value_or(0), bill.water), bill.electricity), bill.other);
        plan.bills.push_back(std::move(bill));
    }
    for (const QString &room : unread)
        plan.unreadRooms << room;
    std::stable_sort(plan.unreadRooms.begin(), plan.unreadRooms.end(), roomBefore);
    return plan;
}
