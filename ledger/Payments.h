// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"

#include <QDate>
#include <QStringList>

class TADOConnection;

// How a tenant pays: 现金, 微信, 支付宝, 银行转账, 其他.
QStringList paymentMethods();

// Why `amount` cannot be recorded against `bill`, in the landlord's words,
// or empty when it can: more than is owed, nothing, or a bill whose rent
// is still to be typed.
QString paymentProblem(const BillSummary &bill, Fen amount);

// Records a payment of `amount` against the bill as shown, in one
// transaction with what the bill has been paid; returns the payment's
// number. Throws when the bill changed since it was shown or the payment
// is refused (paymentProblem).
qint64 recordPayment(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shown, Fen amount,
                     const QDate &paidOn, const QString &method, const QString &note);

// Cancels a payment (作废) with a reason, as shown beside its bill: the
// payment stays with the moment and the reason, and its bill owes the amount
// again. Throws when either changed since it was shown.
void cancelPayment(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shownBill,
                   const Payment &shownPayment, const QString &reason);
