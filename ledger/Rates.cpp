// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Rates.h"

#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

Meter meterOf(const QString &key)
{
    return key == QStringLiteral("electricity") ? Meter::Electricity : Meter::Water;
}

LedgerMonth monthOf(const QString &key)
{
    return LedgerMonth::fromKey(key).value_or(LedgerMonth());
}

// Inserts a change, or replaces the one shown; the month's change must be
// as shown (none, or that one at its revision).
void writeChange(sqlite3 *db, const QByteArray &findSql, const std::function<void(LedgerStatement &)> &bindKey,
                 const char *table, const std::optional<std::pair<qint64, qint64>> &replaced,
                 const QByteArray &insertSql, const QByteArray &updateSql, Fen amount)
{
    LedgerStatement find(db, findSql);
    bindKey(find);
    const std::optional<qint64> existing = find.next() ? std::optional<qint64>(find.integer(0)) : std::nullopt;
    if (existing != (replaced ? std::optional<qint64>(replaced->first) : std::nullopt))
        throwChangedMeanwhile();
    if (replaced) {
        raiseRevision(db, table, replaced->first, replaced->second);
        LedgerStatement(db, updateSql).bind(amount).bind(replaced->first).run();
    } else {
        LedgerStatement insert(db, insertSql);
        bindKey(insert);
        insert.bind(amount).run();
    }
}

} // namespace

QString meterKey(Meter meter)
{
    return meter == Meter::Water ? QStringLiteral("water") : QStringLiteral("electricity");
}

QString chargeName(Meter meter)
{
    return meter == Meter::Water ? QStringLiteral("水费") : QStringLiteral("电费");
}

QString unitName(Meter meter)
{
    return meter == Meter::Water ? QStringLiteral("吨") : QStringLiteral("度");
}

Rates Rates::read(sqlite3 *db, bool ledgerExists)
{
    Rates rates;
    if (!ledgerExists)
        return rates;
    LedgerStatement prices(db, "SELECT id, revision, meter, from_month, unit_fen FROM ledger_price ORDER BY id");
    while (prices.next())
        rates.addPrice({prices.integer(0), prices.integer(1), meterOf(prices.text(2)), monthOf(prices.text(3)),
                        prices.integer(4)});
    LedgerStatement fees(db, "SELECT id, revision, name, room, from_month, monthly_fen FROM ledger_fee ORDER BY id");
    while (fees.next())
        rates.addFee({fees.integer(0), fees.integer(1), fees.text(2), fees.text(3), monthOf(fees.text(4)),
                      fees.integer(5)});
    return rates;
}

void Rates::addPrice(PriceChange change)
{
    const auto place = std::upper_bound(m_prices.begin(), m_prices.end(), change, [](const auto &a, const auto &b) {
        return std::pair(int(a.meter), a.from) < std::pair(int(b.meter), b.from);
    });
    m_prices.insert(place, std::move(change));
}

void Rates::addFee(FeeChange change)
{
    if (std::find(m_feeOrder.begin(), m_feeOrder.end(), change.name) == m_feeOrder.end())
        m_feeOrder.push_back(change.name);
    const auto place = std::upper_bound(m_fees.begin(), m_fees.end(), change, [this](const auto &a, const auto &b) {
        const auto rank = [this](const QString &name) {
            return std::find(m_feeOrder.begin(), m_feeOrder.end(), name) - m_feeOrder.begin();
        };
        return std::tuple(rank(a.name), a.room, a.from) < std::tuple(rank(b.name), b.room, b.from);
    });
    m_fees.insert(place, std::move(change));
}

std::optional<Fen> Rates::priceIn(Meter meter, const LedgerMonth &month) const
{
    std::optional<Fen> price;
    for (const PriceChange &change : m_prices) {
        if (change.meter == meter && change.from <= month)
            price = change.unitFen;
    }
    return price;
}

std::vector<Fee> Rates::feesFor(const QString &room, const LedgerMonth &month) const
{
    std::vector<Fee> fees;
    for (const QString &name : m_feeOrder) {
        std::optional<Fen> everyRoom, ownRoom;
        for (const FeeChange &change : m_fees) {
            if (change.name != name || month < change.from)
                continue;
            if (change.room.isEmpty())
                everyRoom = change.monthlyFen;
            else if (change.room == room && !room.isEmpty())
                ownRoom = change.monthlyFen;
        }
        const std::optional<Fen> fee = ownRoom ? ownRoom : everyRoom;
        if (fee && *fee > 0)
            fees.push_back({name, *fee});
    }
    return fees;
}

const PriceChange *Rates::priceFrom(Meter meter, const LedgerMonth &from) const
{
    const auto found = std::find_if(m_prices.begin(), m_prices.end(),
                                    [&](const PriceChange &c) { return c.meter == meter && c.from == from; });
    return found == m_prices.end() ? nullptr : &*found;
}

const FeeChange *Rates::feeFrom(const QString &name, const QString &room, const LedgerMonth &from) const
{
    const auto found = std::find_if(m_fees.begin(), m_fees.end(), [&](const FeeChange &c) {
        return c.name == name && c.room == room && c.from == from;
    });
    return found == m_fees.end() ? nullptr : &*found;
}

void setPrice(TADOConnection &connection, unsigned shownGeneration, Meter meter, const LedgerMonth &from, Fen unitFen,
              const PriceChange *replaced)
{
    LedgerWrite write(connection, shownGeneration);
    writeChange(
        write.db(), "SELECT id FROM ledger_price WHERE meter = ?1 AND from_month = ?2",
        [&](LedgerStatement &s) { s.bind(meterKey(meter)).bind(from.key()); }, "ledger_price",
        replaced ? std::optional(std::pair(replaced->id, replaced->revision)) : std::nullopt,
        "INSERT INTO ledger_price (meter, from_month, unit_fen) VALUES (?1, ?2, ?3)",
        "UPDATE ledger_price SET unit_fen = ?1 WHERE id = ?2", unitFen);
    write.commit();
}

void setFee(TADOConnection &connection, unsigned shownGeneration, const QString &name, const QString &room,
            const LedgerMonth &from, Fen monthlyFen, const FeeChange *replaced)
{
    LedgerWrite write(connection, shownGeneration);
    writeChange(
        write.db(), "SELECT id FROM ledger_fee WHERE name = ?1 AND room = ?2 AND from_month = ?3",
        [&](LedgerStatement &s) { s.bind(name).bind(room).bind(from.key()); }, "ledger_fee",
        replaced ? std::optional(std::pair(replaced->id, replaced->revision)) : std::nullopt,
        "INSERT INTO ledger_fee (name, room, from_month, monthly_fen) VALUES (?1, ?2, ?3, ?4)",
        "UPDATE ledger_fee SET monthly_fen = ?1 WHERE id = ?2", monthlyFen);
    write.commit();
}
