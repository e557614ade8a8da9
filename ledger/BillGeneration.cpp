// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/BillGeneration.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ReadTransaction.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "ledger/LeaseEnd.h"
#include "ledger/RentChanges.h"
#include "platform/ProgramClock.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace {

GenerationPreview planMonth(sqlite3 *db, bool ledgerExists, const LedgerMonth &month, const RegionalFormats &formats)
{
    GenerationPreview preview;
    preview.month = month;
    Coverage coverage = tenantsCovering(db, month, formats);
    applyRentChanges(db, month, coverage.tenants);
    preview.unreadableDates = coverage.unreadableDates;
    std::vector<QString> rooms;
    for (const CoveredTenant &tenant : coverage.tenants) {
        if (!tenant.room.isEmpty())
            rooms.push_back(tenant.room);
    }
    preview.plan = planBills(month, coverage.tenants, readRoomMeters(db, ledgerExists, month, rooms),
                             Rates::read(db, ledgerExists));
    preview.existing = readMonthBills(db, ledgerExists, month);

    // A rent the landlord typed into a bill made again stays, as long as
    // the register's rent text is still the one it was typed for.
    std::map<qint64, const BillSummary *> before;
    for (const BillSummary &bill : preview.existing)
        before[bill.tenantId] = &bill;
    for (PlannedBill &bill : preview.plan.bills) {
        const auto typed = before.find(bill.tenant.id);
        if (bill.rent || typed == before.end() || !typed->second->rent
            || typed->second->rentText != bill.tenant.rentText)
            continue;
        bill.rent = typed->second->rent;
        bill.lines.front().amount = bill.rent;
        bill.total = addFen(bill.total, *bill.rent);
    }

    std::set<qint64> planned;
    for (const PlannedBill &bill : preview.plan.bills) {
        planned.insert(bill.tenant.id);
        preview.rentsWaiting += !bill.rent;
    }
    // Bills with payments, cancelled ones too, are never removed; those
    // with a payment that stands are never made again.
    std::set<qint64> billed, withPayments;
    const std::set<qint64> settled = settledTenants(db);
    if (ledgerExists) {
        LedgerStatement paid(db, "SELECT DISTINCT p.bill_id FROM ledger_payment p JOIN ledger_bill b ON b.id = p.bill_id"
                                 " WHERE b.month = ?1");
        paid.bind(month.key());
        while (paid.next())
            withPayments.insert(paid.integer(0));
    }
    for (const BillSummary &bill : preview.existing) {
        billed.insert(bill.tenantId);
        // A lease ended keeps its bills with its settlement.
        if (bill.paid > 0 || settled.contains(bill.tenantId)
            || (!planned.contains(bill.tenantId) && withPayments.contains(bill.id)))
            preview.kept.push_back(bill);
        else if (planned.contains(bill.tenantId))
            ++preview.replaced;
        else
            preview.removed.push_back(bill);
    }
    for (const PlannedBill &bill : preview.plan.bills)
        preview.created += !billed.contains(bill.tenant.id);
    return preview;
}

bool sameBills(const std::vector<BillSummary> &a, const std::vector<BillSummary> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const BillSummary &x, const BillSummary &y) {
        return x.id == y.id && x.revision == y.revision;
    });
}

} // namespace

GenerationPreview previewBills(TADOConnection &connection, const LedgerMonth &month, const RegionalFormats &formats)
{
    const LedgerRead read(connection);
    // One snapshot of the register and the ledger.
    const ReadTransaction snapshot(read.db);
    if (!snapshot.locked())
        throwEngineError(read.db);
    GenerationPreview preview = planMonth(read.db, read.exists, month, formats);
    preview.generation = read.generation;
    return preview;
}

void generateBills(TADOConnection &connection, const GenerationPreview &shown, const RegionalFormats &formats)
{
    if (!shown.plan.missingPrices.empty())
        throw AppError(QStringLiteral("%1没有设置%2单价").arg(shown.month.text(),
                                                          shown.plan.missingPrices.contains(Meter::Water)
                                                              ? QStringLiteral("水费")
                                                              : QStringLiteral("电费")));
    LedgerWrite write(connection, shown.generation);
    sqlite3 *db = write.db();
    const GenerationPreview now = planMonth(db, true, shown.month, formats);
    if (!(now.plan == shown.plan) || !sameBills(now.existing, shown.existing))
        throw AppError(QStringLiteral("预览之后登记表或账本有了变化，没有生成账单；请重新生成"));

    std::map<qint64, const BillSummary *> replaceable;
    for (const BillSummary &bill : now.existing)
        replaceable[bill.tenantId] = &bill;
    for (const BillSummary &kept : now.kept)
        replaceable.erase(kept.tenantId);
    for (const BillSummary &removed : now.removed) {
        LedgerStatement(db, "DELETE FROM ledger_bill_line WHERE bill_id = ?1").bind(removed.id).run();
        LedgerStatement(db, "DELETE FROM ledger_bill WHERE id = ?1 AND revision = ?2")
            .bind(removed.id)
            .bind(removed.revision)
            .run();
        replaceable.erase(removed.tenantId);
    }

    const QString created = momentKey(currentLocalDateTime());
    LedgerStatement insert(db, "INSERT INTO ledger_bill (tenant_name, room, room_id, rent_text, rent_fen, water_fen,"
                               " electricity_fen, other_fen, total_fen, created, month, tenant_id)"
                               " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    LedgerStatement update(db, "UPDATE ledger_bill SET tenant_name = ?1, room = ?2, room_id = ?3, rent_text = ?4,"
                               " rent_fen = ?5, water_fen = ?6, electricity_fen = ?7, other_fen = ?8,"
                               " total_fen = ?9, created = ?10, revision = revision + 1"
                               " WHERE id = ?11 AND revision = ?12 AND paid_fen = 0");
    LedgerStatement lines = billLineInsert(db);
    LedgerStatement removeLines(db, "DELETE FROM ledger_bill_line WHERE bill_id = ?1");
    std::map<QString, KnownRoom> rooms = readKnownRooms(db, true);
    std::set<qint64> keptTenants;
    for (const BillSummary &kept : now.kept)
        keptTenants.insert(kept.tenantId);
    for (const PlannedBill &bill : now.plan.bills) {
        if (keptTenants.contains(bill.tenant.id))
            continue;
        std::optional<qint64> roomId;
        if (!bill.tenant.room.isEmpty()) {
            const auto known = rooms.find(bill.tenant.room);
            roomId = known != rooms.end() ? known->second.id : knownRoomId(db, bill.tenant.room, false);
            rooms[bill.tenant.room].id = *roomId;
        }
        // The columns a bill made again and a new bill share, in this order.
        const auto bindBill = [&](LedgerStatement &statement) -> LedgerStatement & {
            statement.rebind();
            return statement.bind(bill.tenant.name)
                .bind(bill.tenant.room)
                .bind(roomId)
                .bind(bill.tenant.rentText)
                .bind(bill.rent)
                .bind(bill.water)
                .bind(bill.electricity)
                .bind(bill.other)
                .bind(bill.total)
                .bind(created);
        };
        qint64 billId = 0;
        if (const auto place = replaceable.find(bill.tenant.id); place != replaceable.end()) {
            billId = place->second->id;
            if (bindBill(update).bind(billId).bind(place->second->revision).run() != 1)
                throwChangedMeanwhile();
            removeLines.rebind();
            removeLines.bind(billId).run();
        } else {
            bindBill(insert).bind(shown.month.key()).bind(bill.tenant.id).run();
            billId = sqlite3_last_insert_rowid(db);
        }
        writeBillLines(lines, billId, bill.lines);
    }
    write.commit();
}
