// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ledger/Money.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

class TADOConnection;
struct sqlite3;

// The two meters of a room.
enum class Meter { Water, Electricity };
inline constexpr Meter meters[] = {Meter::Water, Meter::Electricity};
QString meterKey(Meter meter);     // "water", "electricity": as stored
QString chargeName(Meter meter);   // "水费", "电费"
QString unitName(Meter meter);     // "吨", "度"

// The price of a meter's unit from a month on.
struct PriceChange {
    qint64 id = 0;
    qint64 revision = 0;
    Meter meter = Meter::Water;
    LedgerMonth from;
    Fen unitFen = 0;
};

// A fixed monthly fee, for every room (room empty) or one room, from a month
// on; 0 stops it.
struct FeeChange {
    qint64 id = 0;
    qint64 revision = 0;
    QString name;
    QString room;
    LedgerMonth from;
    Fen monthlyFen = 0;
};

// A fee as a bill charges it.
struct Fee {
    QString name;
    Fen monthlyFen = 0;
    friend bool operator==(const Fee &, const Fee &) = default;
};

// Every price and fee change of the ledger, and what is in force when.
class Rates {
public:
    // The changes in the file (none when it has no ledger).
    static Rates read(sqlite3 *db, bool ledgerExists);

    void addPrice(PriceChange change);
    void addFee(FeeChange change);

    // The price in force in `month`: the latest change from that month or
    // before; none before the first.
    std::optional<Fen> priceIn(Meter meter, const LedgerMonth &month) const;
    // The fees `room` pays in `month`, in the order the fees were first set:
    // for each fee its room's own latest change if one is in force, else the
    // latest change for every room; those at 0 left out.
    std::vector<Fee> feesFor(const QString &room, const LedgerMonth &month) const;

    // Sorted by meter or name, room and month.
    const std::vector<PriceChange> &prices() const { return m_prices; }
    const std::vector<FeeChange> &fees() const { return m_fees; }
    // The change of that meter (fee and room) from that very month, if any.
    const PriceChange *priceFrom(Meter meter, const LedgerMonth &from) const;
    const FeeChange *feeFrom(const QString &name, const QString &room, const LedgerMonth &from) const;

private:
    std::vector<PriceChange> m_prices;
    std::vector<FeeChange> m_fees;
    std::vector<QString> m_feeOrder;  // fee names in the order they were first set
};

// Sets the price of `meter` from `from` on to `unitFen`. `replaced` is the
// change of that month as shown, which the new price replaces; without it,
// the month must have none. One transaction; throws when the ledger changed
// meanwhile.
void setPrice(TADOConnection &connection, unsigned shownGeneration, Meter meter, const LedgerMonth &from, Fen unitFen,
              const PriceChange *replaced);
// The same for a fee of `room` (empty: every room).
void setFee(TADOConnection &connection, unsigned shownGeneration, const QString &name, const QString &room,
            const LedgerMonth &from, Fen monthlyFen, const FeeChange *replaced);
