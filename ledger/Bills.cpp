// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Bills.h"

#include "db/AppError.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "ledger/RoomOrder.h"

#include <algorithm>

const char *const billColumns = "id, revision, month, tenant_id, tenant_name, room, rent_text, rent_fen, water_fen, "
                                "electricity_fen, other_fen, total_fen, paid_fen, kind";

namespace {

LineItem lineItemOf(const QString &key)
{
    for (const LineItem item : {LineItem::Rent, LineItem::Water, LineItem::Electricity})
        if (lineItemKey(item) == key)
            return item;
    return LineItem::Fee;
}

} // namespace

BillSummary billOf(const LedgerStatement &row)
{
    BillSummary bill;
    bill.id = row.integer(0);
    bill.revision = row.integer(1);
    bill.month = LedgerMonth::fromKey(row.text(2)).value_or(LedgerMonth());
    bill.tenantId = row.integer(3);
    bill.tenantName = row.text(4);
    bill.room = row.text(5);
    bill.rentText = row.text(6);
    bill.rent = row.optionalInteger(7);
    bill.water = row.integer(8);
    bill.electricity = row.integer(9);
    bill.other = row.integer(10);
    bill.total = row.integer(11);
    bill.finalBill = row.text(13) == QLatin1String("final");
    bill.paid = row.integer(12);
    return bill;
}

BillState BillSummary::state() const
{
    if (!rent)
        return BillState::RentWaiting;
    if (paid >= total)
        return BillState::Paid;
    return paid > 0 ? BillState::PartPaid : BillState::Unpaid;
}

QString billStateText(BillState state)
{
    switch (state) {
    case BillState::Unpaid:
        return QStringLiteral("未收");
    case BillState::PartPaid:
        return QStringLiteral("部分");
    case BillState::Paid:
        return QStringLiteral("已收");
    case BillState::RentWaiting:
        break;
    }
    return QStringLiteral("租金待填");
}

std::vector<BillSummary> readMonthBills(sqlite3 *db, bool ledgerExists, const LedgerMonth &month, bool withFinal)
{
    std::vector<BillSummary> bills;
    if (!ledgerExists)
        return bills;
    LedgerStatement statement(db, QByteArray("SELECT ") + billColumns + " FROM ledger_bill WHERE month = ?1 AND "
                                      + (withFinal ? "kind IN ('month', 'final')" : "kind = 'month'")
                                      + " ORDER BY tenant_id, kind DESC");
    statement.bind(month.key());
    while (statement.next())
        bills.push_back(billOf(statement));
    std::stable_sort(bills.begin(), bills.end(),
                     [](const BillSummary &a, const BillSummary &b) { return roomBefore(a.room, b.room); });
    return bills;
}

MonthFigures figuresOf(const std::vector<BillSummary> &bills)
{
    MonthFigures figures;
    for (const BillSummary &bill : bills) {
        ++figures.bills;
        figures.rentsWaiting += !bill.rent;
        figures.due = addFen(figures.due, bill.total);
        figures.paid = addFen(figures.paid, bill.paid);
    }
    return figures;
}

MonthFigures readMonthFigures(sqlite3 *db, bool ledgerExists, const LedgerMonth &month)
{
    MonthFigures figures;
    if (!ledgerExists)
        return figures;
    // sum() fails, rather than wraps, past the range of an integer.
    LedgerStatement statement(db, "SELECT count(*), coalesce(sum(rent_fen IS NULL), 0), coalesce(sum(total_fen), 0),"
                                  " coalesce(sum(paid_fen), 0) FROM ledger_bill WHERE month = ?1 AND kind IN ('month', 'final')");
    statement.bind(month.key());
    if (statement.next()) {
        figures.bills = int(statement.integer(0));
        figures.rentsWaiting = int(statement.integer(1));
        figures.due = statement.integer(2);
        figures.paid = statement.integer(3);
    }
    return figures;
}

std::optional<BillDetail> readBill(sqlite3 *db, qint64 billId)
{
    LedgerStatement bill(db, QByteArray("SELECT ") + billColumns + " FROM ledger_bill WHERE id = ?1");
    bill.bind(billId);
    if (!bill.next())
        return std::nullopt;
    BillDetail detail{billOf(bill), {}, {}};
    LedgerStatement lines(db, "SELECT item, label, previous_reading, current_reading, quantity, unit_fen, shared_by,"
                              " amount_fen FROM ledger_bill_line WHERE bill_id = ?1 ORDER BY position");
    lines.bind(billId);
    while (lines.next())
        detail.lines.push_back({lineItemOf(lines.text(0)), lines.text(1), lines.optionalInteger(2),
                                lines.optionalInteger(3), lines.optionalInteger(4), lines.optionalInteger(5),
                                int(lines.integer(6)), lines.optionalInteger(7)});
    LedgerStatement payments(db, "SELECT id, revision, bill_id, amount_fen, paid_on, method, note, entered,"
                                 " coalesce(cancelled, ''), coalesce(cancel_reason, '')"
                                 " FROM ledger_payment WHERE bill_id = ?1 ORDER BY id");
    payments.bind(billId);
    while (payments.next())
        detail.payments.push_back({payments.integer(0), payments.integer(1), payments.integer(2), payments.integer(3),
                                   payments.text(4), payments.text(5), payments.text(6), payments.text(7),
                                   payments.text(8), payments.text(9)});
    return detail;
}

void setBillRent(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shown, Fen rent)
{
    if (shown.paid > 0)
        throw AppError(QStringLiteral("这份账单已有收款，不能再改租金"));
    LedgerWrite write(connection, shownGeneration);
    sqlite3 *db = write.db();
    raiseRevision(db, "ledger_bill", shown.id, shown.revision);
    const Fen total = addFen(addFen(addFen(rent, shown.water), shown.electricity), shown.other);
    LedgerStatement(db, "UPDATE ledger_bill SET rent_fen = ?1, total_fen = ?2 WHERE id = ?3 AND paid_fen = 0")
        .bind(rent)
        .bind(total)
        .bind(shown.id)
        .run();
    if (LedgerStatement(db, "UPDATE ledger_bill_line SET amount_fen = ?1 WHERE bill_id = ?2 AND item = 'rent'")
            .bind(rent)
            .bind(shown.id)
            .run()
        != 1)
        throwChangedMeanwhile();
    write.commit();
}

LedgerStatement billLineInsert(sqlite3 *db)
{
    return LedgerStatement(db, "INSERT INTO ledger_bill_line (bill_id, position, item, label, previous_reading,"
                               " current_reading, quantity, unit_fen, shared_by, amount_fen)"
                               " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
}

void writeBillLines(LedgerStatement &insert, qint64 billId, const std::vector<BillLine> &lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const BillLine &line = lines[i];
        insert.rebind();
        insert.bind(billId)
            .bind(qint64(i + 1))
            .bind(lineItemKey(line.item))
            .bind(line.label)
            .bind(line.previousReading)
            .bind(line.currentReading)
            .bind(line.quantity)
            .bind(line.unitFen)
            .bind(qint64(line.sharedBy))
            .bind(line.amount)
            .run();
    }
}
