// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LeaseEnd.h"

#include "db/AppError.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MeterReadings.h"
#include "ledger/Rates.h"
#include "platform/ProgramClock.h"

#include <sqlite3.h>

Fen finalRent(Fen monthlyRent, const QDate &day, bool byDays)
{
    if (!byDays)
        return monthlyRent;
    const qint64 days = day.daysInMonth();
    // Half a fen up: (2 * rent * day + days) / (2 * days).
    return addFen(multiplyFen(monthlyRent, 2 * day.day()), days) / (2 * days);
}

namespace {

// A meter's final line: the usage since its last reading at the month's
// price; none when there is no usage.
std::optional<BillLine> meterLine(Meter meter, const MeterMonth &month, std::optional<qint64> final,
                                  const Rates &rates, const LedgerMonth &billMonth)
{
    if (!final)
        return std::nullopt;
    const std::optional<StoredReading> &last = month.current ? month.current : month.previous;
    if (!last)
        return std::nullopt;  // the meter's first reading starts its count
    if (*final < last->value)
        throw AppError(QStringLiteral("%1的终表读数 %2 小于上次的读数 %3")
                           .arg(chargeName(meter), readingText(*final), readingText(last->value)));
    const qint64 usage = *final - last->value;
    if (usage == 0)
        return std::nullopt;
    const std::optional<Fen> price = rates.priceIn(meter, billMonth);
    if (!price)
        throw AppError(QStringLiteral("%1还没有设置%2单价").arg(billMonth.text(), chargeName(meter)));
    const LineItem item = meter == Meter::Water ? LineItem::Water : LineItem::Electricity;
    return BillLine{item, chargeName(meter), last->value, *final, usage, *price, 1, chargeFor(usage, *price)};
}

} // namespace

SettlementPreview previewLeaseEnd(sqlite3 *db, const LeaseEnd &end)
{
    if (!end.movedOut.isValid())
        throw AppError(QStringLiteral("退租日期无效"));
    SettlementPreview preview;
    preview.month = LedgerMonth::of(end.movedOut);
    const bool exists = ledgerExists(db);
    if (exists) {
        LedgerStatement billed(db, "SELECT 1 FROM ledger_bill WHERE tenant_id = ?1 AND month = ?2 AND kind = 'month'");
        billed.bind(end.tenantId).bind(preview.month.key());
        preview.monthBilled = billed.next();
        // The final bill of an earlier settlement is replaced, not owed beside the new one.
        const bool settled = ledgerTableExists(db, "ledger_settlement");
        LedgerStatement owed(db, settled ? "SELECT coalesce(sum(total_fen - paid_fen), 0) FROM ledger_bill WHERE tenant_id = ?1"
                                           " AND id NOT IN (SELECT final_bill_id FROM ledger_settlement"
                                           " WHERE tenant_id = ?1 AND final_bill_id IS NOT NULL)"
                                         : "SELECT coalesce(sum(total_fen - paid_fen), 0) FROM ledger_bill WHERE tenant_id = ?1");
        owed.bind(end.tenantId);
        owed.next();
        preview.owedBefore = owed.integer(0);
    }
    if (end.monthlyRent && !preview.monthBilled) {
        const Fen rent = finalRent(*end.monthlyRent, end.movedOut, end.byDays);
        const QString label = end.byDays ? QStringLiteral("房租（%1天）").arg(end.movedOut.day()) : QStringLiteral("房租");
        preview.lines.push_back({LineItem::Rent, label, {}, {}, {}, {}, 1, rent});
    }
    if (!end.room.isEmpty()) {
        const std::map<QString, RoomMeters> meters = readRoomMeters(db, exists, preview.month, {end.room});
        const RoomMeters room = meters.count(end.room) ? meters.at(end.room) : RoomMeters{};
        const Rates rates = Rates::read(db, exists);
        for (const auto &[meter, final] : {std::pair(Meter::Water, end.finalWater),
                                           std::pair(Meter::Electricity, end.finalElectricity)}) {
            if (std::optional<BillLine> line = meterLine(meter, room.meter(meter), final, rates, preview.month))
                preview.lines.push_back(std::move(*line));
        }
    }
    for (const BillLine &line : preview.lines)
        preview.finalTotal = addFen(preview.finalTotal, line.amount.value_or(0));
    return preview;
}

namespace {

// An earlier settlement of the tenant whose final bill nothing was ever paid
// of is dropped with its bill; one with payments refuses a second.
void dropEarlierSettlement(sqlite3 *db, qint64 tenantId)
{
    LedgerStatement earlier(db, "SELECT s.id, s.final_bill_id,"
                                " (SELECT count(*) FROM ledger_payment p WHERE p.bill_id = s.final_bill_id)"
                                " FROM ledger_settlement s WHERE s.tenant_id = ?1");
    earlier.bind(tenantId);
    std::vector<std::pair<qint64, std::optional<qint64>>> dropped;
    while (earlier.next()) {
        if (earlier.integer(2) > 0)
            throw AppError(QStringLiteral("这位房客已经退租结算，结算账单也已有收款"));
        dropped.emplace_back(earlier.integer(0), earlier.optionalInteger(1));
    }
    for (const auto &[settlement, bill] : dropped) {
        LedgerStatement(db, "DELETE FROM ledger_settlement WHERE id = ?1").bind(settlement).run();
        if (bill) {
            LedgerStatement(db, "DELETE FROM ledger_bill_line WHERE bill_id = ?1").bind(*bill).run();
            LedgerStatement(db, "DELETE FROM ledger_bill WHERE id = ?1").bind(*bill).run();
        }
    }
}

void saveFinalReadings(sqlite3 *db, const LeaseEnd &end, const LedgerMonth &month, const QString &now)
{
    if (end.room.isEmpty() || (!end.finalWater && !end.finalElectricity))
        return;
    const qint64 roomId = knownRoomId(db, end.room, false);
    for (const auto &[meter, final] : {std::pair(Meter::Water, end.finalWater),
                                       std::pair(Meter::Electricity, end.finalElectricity)}) {
        if (!final)
            continue;
        // The month's own reading, where there is one, stays: the final
        // reading is then on the final bill's line only.
        LedgerStatement(db, "INSERT INTO ledger_reading (room_id, meter, month, reading, new_start, entered)"
                            " SELECT ?1, ?2, ?3, ?4, NOT EXISTS (SELECT 1 FROM ledger_reading"
                            "   WHERE room_id = ?1 AND meter = ?2 AND month < ?3), ?5"
                            " WHERE NOT EXISTS (SELECT 1 FROM ledger_reading WHERE room_id = ?1 AND meter = ?2"
                            "   AND month = ?3)")
            .bind(roomId)
            .bind(meterKey(meter))
            .bind(month.key())
            .bind(*final)
            .bind(now)
            .run();
    }
}

} // namespace

qint64 recordLeaseEnd(TADOConnection &connection, const LeaseEnd &end, const SettlementPreview *shown)
{
    if (end.kept < 0 || end.kept > end.deposit)
        throw AppError(QStringLiteral("扣留的押金不能超过押金"));
    if (end.kept > 0 && end.keptReason.trimmed().isEmpty())
        throw AppError(QStringLiteral("请填写扣留押金的原因"));
    LedgerWrite write(connection, std::nullopt);
    sqlite3 *db = write.db();
    dropEarlierSettlement(db, end.tenantId);
    const SettlementPreview preview = previewLeaseEnd(db, end);
    if (shown && (shown->owed() != preview.owed() || shown->finalTotal != preview.finalTotal))
        throwChangedMeanwhile();
    const QString now = momentKey(currentLocalDateTime());
    std::optional<qint64> billId;
    if (!preview.lines.empty()) {
        Fen water = 0, electricity = 0;
        std::optional<Fen> rent;
        for (const BillLine &line : preview.lines) {
            if (line.item == LineItem::Rent)
                rent = line.amount;
            else if (line.item == LineItem::Water)
                water = *line.amount;
            else
                electricity = *line.amount;
        }
        LedgerStatement(db, "INSERT INTO ledger_bill (month, kind, tenant_id, tenant_name, room, rent_text, rent_fen,"
                            " water_fen, electricity_fen, other_fen, total_fen, created)"
                            " VALUES (?1, 'final', ?2, ?3, ?4, ?5, ?6, ?7, ?8, 0, ?9, ?10)")
            .bind(preview.month.key())
            .bind(end.tenantId)
            .bind(end.tenantName)
            .bind(end.room)
            .bind(end.monthlyRent ? plainYuanText(*end.monthlyRent) : QString())
            .bind(rent.value_or(0))
            .bind(water)
            .bind(electricity)
            .bind(preview.finalTotal)
            .bind(now)
            .run();
        billId = sqlite3_last_insert_rowid(db);
        LedgerStatement lines = billLineInsert(db);
        writeBillLines(lines, *billId, preview.lines);
    }
    saveFinalReadings(db, end, preview.month, now);
    LedgerStatement(db, "INSERT INTO ledger_settlement (tenant_id, tenant_name, room, moved_out, final_bill_id,"
                        " period_from, period_to, by_days, deposit_text, deposit_fen, kept_fen, kept_reason, owed_fen,"
                        " balance_fen, entered) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)")
        .bind(end.tenantId)
        .bind(end.tenantName)
        .bind(end.room)
        .bind(dayKey(end.movedOut))
        .bind(billId)
        .bind(dayKey(preview.month.firstDay()))
        .bind(dayKey(end.byDays ? end.movedOut : preview.month.lastDay()))
        .bind(qint64(end.byDays))
        .bind(end.depositText)
        .bind(end.deposit)
        .bind(end.kept)
        .bind(end.keptReason.trimmed())
        .bind(preview.owed())
        .bind(preview.balance(end.deposit, end.kept))
        .bind(now)
        .run();
    const qint64 settlement = sqlite3_last_insert_rowid(db);
    write.commit();
    return settlement;
}

std::set<qint64> settledTenants(sqlite3 *db)
{
    std::set<qint64> tenants;
    if (!ledgerTableExists(db, "ledger_settlement"))
        return tenants;
    LedgerStatement statement(db, "SELECT DISTINCT tenant_id FROM ledger_settlement");
    while (statement.next())
        tenants.insert(statement.integer(0));
    return tenants;
}
