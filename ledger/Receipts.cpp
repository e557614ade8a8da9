// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Receipts.h"

#include "db/AppError.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerSettings.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"

QString Receipt::receivedText() const
{
    QStringList labels;
    for (const Item &item : items)
        labels << item.label;
    const QString who = room.isEmpty() ? tenantName : QStringLiteral("%1（%2 房）").arg(tenantName, room);
    return QStringLiteral("今收到 %1 交来 %2 年 %3 月 %4%5")
        .arg(who)
        .arg(month.firstDay().year())
        .arg(month.firstDay().month())
        .arg(finalBill ? QStringLiteral("退租结算 ") : QString(), labels.join(QStringLiteral("、")));
}

qint64 nextReceiptNumber(sqlite3 *db, const QDate &day)
{
    const qint64 first = (qint64(day.year()) * 100 + day.month()) * 10000;
    LedgerStatement last(db, "SELECT max(number) FROM ledger_receipt WHERE number > ?1 AND number < ?2");
    last.bind(first).bind(first + 10000);
    const qint64 number = last.next() && !last.isNull(0) ? last.integer(0) + 1 : first + 1;
    if (number >= first + 10000)
        throw AppError(QStringLiteral("本月的收据编号已经用完"));
    return number;
}

std::optional<Receipt> readReceipt(sqlite3 *db, qint64 paymentId)
{
    if (!ledgerTableExists(db, "ledger_receipt"))
        return std::nullopt;
    LedgerStatement row(db, "SELECT r.number, r.printed, p.cancelled, p.cancel_reason, p.paid_on, p.amount_fen,"
                            " p.method, b.tenant_name, b.room, b.month, b.kind, b.total_fen, b.id"
                            " FROM ledger_receipt r JOIN ledger_payment p ON p.id = r.payment_id"
                            " JOIN ledger_bill b ON b.id = p.bill_id WHERE r.payment_id = ?1");
    row.bind(paymentId);
    if (!row.next())
        return std::nullopt;
    Receipt receipt;
    receipt.number = row.integer(0);
    receipt.printed = int(row.integer(1));
    receipt.cancelled = !row.isNull(2);
    receipt.cancelReason = row.text(3);
    receipt.paidOn = QDate::fromString(row.text(4), Qt::ISODate);
    receipt.amount = row.integer(5);
    receipt.method = row.text(6);
    receipt.tenantName = row.text(7);
    receipt.room = row.text(8);
    receipt.month = LedgerMonth::fromKey(row.text(9)).value_or(LedgerMonth());
    receipt.finalBill = row.text(10) == QLatin1String("final");
    receipt.billTotal = row.integer(11);
    LedgerStatement lines(db, "SELECT label, amount_fen FROM ledger_bill_line"
                              " WHERE bill_id = ?1 AND amount_fen IS NOT NULL ORDER BY position");
    lines.bind(row.integer(12));
    while (lines.next())
        receipt.items.push_back({lines.text(0), lines.integer(1)});
    receipt.payee = readPayee(db);
    return receipt;
}

Receipt issueReceipt(TADOConnection &connection, unsigned shownGeneration, const Payment &shown)
{
    LedgerWrite write(connection, shownGeneration);
    sqlite3 *db = write.db();
    LedgerStatement payment(db, "SELECT revision FROM ledger_payment WHERE id = ?1");
    payment.bind(shown.id);
    if (!payment.next() || payment.integer(0) != shown.revision)
        throwChangedMeanwhile();
    const QString now = momentKey(currentLocalDateTime());
    const int reprinted = LedgerStatement(db, "UPDATE ledger_receipt SET printed = printed + 1, last_printed = ?1,"
                                              " revision = revision + 1 WHERE payment_id = ?2")
                              .bind(now)
                              .bind(shown.id)
                              .run();
    if (reprinted == 0) {
        LedgerStatement(db, "INSERT INTO ledger_receipt (number, payment_id, issued, last_printed) VALUES (?1, ?2, ?3, ?3)")
            .bind(nextReceiptNumber(db, currentLocalDateTime().date()))
            .bind(shown.id)
            .bind(now)
            .run();
    }
    std::optional<Receipt> receipt = readReceipt(db, shown.id);
    write.commit();
    return *receipt;
}
