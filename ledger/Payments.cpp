// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Payments.h"

#include "db/AppError.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"

#include <sqlite3.h>

QStringList paymentMethods()
{
    return {QStringLiteral("现金"), QStringLiteral("微信"), QStringLiteral("支付宝"), QStringLiteral("银行转账"),
            QStringLiteral("其他")};
}

QString paymentProblem(const BillSummary &bill, Fen amount)
{
    if (!bill.rent)
        return QStringLiteral("这份账单的租金还没有填写，请先填写租金");
    if (amount <= 0)
        return QStringLiteral("收款金额必须大于 0");
    if (amount > bill.owed())
        return QStringLiteral("收款金额 %1 元超过了未收的 %2 元").arg(yuanText(amount), yuanText(bill.owed()));
    return {};
}

qint64 recordPayment(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shown, Fen amount,
                     const QDate &paidOn, const QString &method, const QString &note)
{
    if (const QString problem = paymentProblem(shown, amount); !problem.isEmpty())
        throw AppError(problem);
    if (!paymentMethods().contains(method) || !paidOn.isValid())
        throw AppError(QStringLiteral("收款方式或日期无效"));
    LedgerWrite write(connection, shownGeneration);
    sqlite3 *db = write.db();
    raiseRevision(db, "ledger_bill", shown.id, shown.revision);
    LedgerStatement(db, "UPDATE ledger_bill SET paid_fen = paid_fen + ?1 WHERE id = ?2").bind(amount).bind(shown.id).run();
    LedgerStatement(db, "INSERT INTO ledger_payment (bill_id, amount_fen, paid_on, method, note, entered)"
                        " VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(shown.id)
        .bind(amount)
        .bind(dayKey(paidOn))
        .bind(method)
        .bind(note)
        .bind(momentKey(currentLocalDateTime()))
        .run();
    const qint64 payment = sqlite3_last_insert_rowid(db);
    write.commit();
    return payment;
}

void cancelPayment(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shownBill,
                   const Payment &shownPayment, const QString &reason)
{
    if (reason.trimmed().isEmpty())
        throw AppError(QStringLiteral("请填写作废的原因"));
    if (shownPayment.isCancelled() || shownPayment.billId != shownBill.id)
        throwChangedMeanwhile();
    LedgerWrite write(connection, shownGeneration);
    sqlite3 *db = write.db();
    raiseRevision(db, "ledger_bill", shownBill.id, shownBill.revision);
    raiseRevision(db, "ledger_payment", shownPayment.id, shownPayment.revision);
    if (LedgerStatement(db, "UPDATE ledger_payment SET cancelled = ?1, cancel_reason = ?2"
                            " WHERE id = ?3 AND cancelled IS NULL AND amount_fen = ?4")
            .bind(momentKey(currentLocalDateTime()))
            .bind(reason.trimmed())
            .bind(shownPayment.id)
            .bind(shownPayment.amount)
            .run()
        != 1)
        throwChangedMeanwhile();
    LedgerStatement(db, "UPDATE ledger_bill SET paid_fen = paid_fen - ?1 WHERE id = ?2")
        .bind(shownPayment.amount)
        .bind(shownBill.id)
        .run();
    write.commit();
}
