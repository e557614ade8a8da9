// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Money in the ledger: whole fen (1 元 = 100 分), never floating point.
using Fen = qint64;

// Sums and products of amounts that refuse, rather than wrap, a result past
// what an amount can hold: they throw AppError("金额超出范围").
Fen addFen(Fen a, Fen b);
Fen subtractFen(Fen a, Fen b);
Fen multiplyFen(Fen a, qint64 factor);

// An amount the landlord types, in 元 with up to two decimals: "1586.5",
// "1,586.50", "¥800" give fen. Anything else gives nothing and `problem`
// says why in the landlord's words ("金额不能为负数", ...).
std::optional<Fen> parseYuan(const QString &text, QString *problem);

// "1,586.50": grouped by thousands, always two decimals.
QString yuanText(Fen fen);
// "1586.50": the same without grouping, as a spreadsheet reads a number.
QString plainYuanText(Fen fen);

// A meter reading the landlord types: a number of tons or kWh with up to two
// decimals, held as hundredths ("1234.5" -> 123450). Anything else gives
// nothing, with `problem` saying why ("读数不能为负数", ...).
std::optional<qint64> parseReading(const QString &text, QString *problem);
// "1234.5", "1234": a reading or a usage in hundredths, as typed.
QString readingText(qint64 hundredths);

// What `hundredths` of a unit cost at `unitFen` per unit, to the nearest fen
// (half a fen up). Throws AppError when it is past an amount's range.
Fen chargeFor(qint64 hundredths, Fen unitFen);
// The same, nothing where it is past the range.
std::optional<Fen> chargeWithin(qint64 hundredths, Fen unitFen);
