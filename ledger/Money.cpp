// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Money.h"

#include "db/AppError.h"

#include <QRegularExpression>

namespace {

[[noreturn]] void outOfRange()
{
    throw AppError(QStringLiteral("金额超出范围"));
}

// A decimal of up to two places as hundredths: "12" -> 1200, "0.5" -> 50.
// Nothing when the text is no such number or it is too large.
std::optional<qint64> hundredthsOf(const QString &whole, const QString &fraction)
{
    qint64 value = 0;
    for (const QChar digit : whole + fraction.leftJustified(2, QLatin1Char('0'))) {
        if (__builtin_mul_overflow(value, 10, &value) || __builtin_add_overflow(value, digit.digitValue(), &value))
            return std::nullopt;
    }
    return value;
}

// "-12.345" -> sign, whole part, fraction; what kind of text it is.
struct NumberText {
    bool number = false;     // digits, with at most one point and a sign
    bool negative = false;
    bool tooManyPlaces = false;
    QString whole, fraction;
};

NumberText readNumberText(QString text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)(\\d+)(?:\\.(\\d*))?$"));
    NumberText result;
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || (match.captured(3).isEmpty() && text.endsWith(QLatin1Char('.'))))
        return result;
    result.number = true;
    result.negative = match.captured(1) == QStringLiteral("-");
    result.whole = match.captured(2);
    result.fraction = match.captured(3);
    result.tooManyPlaces = result.fraction.size() > 2;
    return result;
}

QString grouped(const QString &digits)
{
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += QLatin1Char(',');
        text += digits.at(i);
    }
    return text;
}

QString decimalText(Fen fen, bool withGroups)
{
    // The magnitude as unsigned: the most negative value has no positive twin.
    const bool negative = fen < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(fen) : quint64(fen);
    const QString whole = QString::number(magnitude / 100);
    const QString cents = QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + (withGroups ? grouped(whole) : whole) + QLatin1Char('.') + cents;
}

} // namespace

Fen addFen(Fen a, Fen b)
{
    Fen sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        outOfRange();
    return sum;
}

Fen subtractFen(Fen a, Fen b)
{
    Fen difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        outOfRange();
    return difference;
}

Fen multiplyFen(Fen a, qint64 factor)
{
    Fen product = 0;
    if (__builtin_mul_overflow(a, factor, &product))
        outOfRange();
    return product;
}

std::optional<Fen> parseYuan(const QString &text, QString *problem)
{
    QString plain = text.trimmed();
    if (plain.startsWith(QChar(0x00a5)) || plain.startsWith(QChar(0xffe5)))  // ¥ ￥
        plain = plain.mid(1).trimmed();
    plain.remove(QLatin1Char(','));
    plain.remove(QChar(0xff0c));  // ，
    const NumberText number = readNumberText(plain);
    std::optional<Fen> fen;
    if (text.trimmed().isEmpty())
        *problem = QStringLiteral("请填写金额");
    else if (!number.number)
        *problem = QStringLiteral("“%1”不是金额").arg(text.trimmed());
    else if (number.negative)
        *problem = QStringLiteral("金额不能为负数");
    else if (number.tooManyPlaces)
        *problem = QStringLiteral("金额最多两位小数");
    else if (!(fen = hundredthsOf(number.whole, number.fraction)))
        *problem = QStringLiteral("金额太大");
    return fen;
}

QString yuanText(Fen fen)
{
    return decimalText(fen, true);
}

QString plainYuanText(Fen fen)
{
    return decimalText(fen, false);
}

std::optional<qint64> parseReading(const QString &text, QString *problem)
{
    const NumberText number = readNumberText(text.trimmed());
    std::optional<qint64> value;
    if (!number.number)
        *problem = QStringLiteral("读数“%1”不是数字").arg(text.trimmed());
    else if (number.negative)
        *problem = QStringLiteral("读数不能为负数");
    else if (number.tooManyPlaces)
        *problem = QStringLiteral("读数最多两位小数");
    else if (!(value = hundredthsOf(number.whole, number.fraction)))
        *problem = QStringLiteral("读数太大");
    return value;
}

QString readingText(qint64 hundredths)
{
    QString text = decimalText(hundredths, false);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

std::optional<Fen> chargeWithin(qint64 hundredths, Fen unitFen)
{
    // Half a fen and more rounds up; both factors are never negative.
    Fen product = 0;
    if (__builtin_mul_overflow(hundredths, unitFen, &product) || __builtin_add_overflow(product, 50, &product))
        return std::nullopt;
    return product / 100;
}

Fen chargeFor(qint64 hundredths, Fen unitFen)
{
    const std::optional<Fen> charge = chargeWithin(hundredths, unitFen);
    if (!charge)
        outOfRange();
    return *charge;
}
