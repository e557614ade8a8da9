// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/JetValues.h"

#include "db/RegisterValueText.h"

#include <QDate>
#include <QUuid>
#include <QtEndian>


namespace {

// An unsigned number of ten-to-the-`scale`ths in plain form.
QString scaledText(unsigned __int128 magnitude, bool negative, int scale)
{
    QByteArray digits;
    do {
        digits.prepend(char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (digits.size() <= scale)
        digits.prepend(QByteArray(scale - digits.size() + 1, '0'));
    if (scale > 0) {
        digits.insert(digits.size() - scale, '.');
        while (digits.endsWith('0'))
            digits.chop(1);
        if (digits.endsWith('.'))
            digits.chop(1);
    }
    if (negative && digits != "0")
        digits.prepend('-');
    return QString::fromLatin1(digits);
}

// Access keeps at most 28 digits after the point.
constexpr int maxDecimalScale = 28;

// The number written in `count` decimal digits at `bytes`; empty when one
// is no digit or the number is above `largest`.
std::optional<qint64> digitsValue(const unsigned char *bytes, int count, qint64 largest)
{
    qint64 value = 0;
    for (int i = 0; i < count; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return std::nullopt;
        value = value * 10 + (bytes[i] - '0');
        if (value > largest)
            return std::nullopt;
    }
    return value;
}

} // namespace

QString jetText(const unsigned char *bytes, qsizetype size)
{
    QString text;
    if (size >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) {
        text.reserve(size - 2);
        bool oneByte = true;
        for (qsizetype i = 2; i < size;) {
            if (bytes[i] == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                text += QChar(char16_t(bytes[i]));
                ++i;
            } else if (i + 1 < size) {
                text += QChar(char16_t(bytes[i] | bytes[i + 1] << 8));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    text.resize(size / 2);
    QChar *out = text.data();
    for (qsizetype i = 0; i + 1 < size; i += 2)
        *out++ = QChar(char16_t(bytes[i] | bytes[i + 1] << 8));
    return text;
}

QString currencyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    QString text = (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000);
    if (const quint64 fraction = magnitude % 10000) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return text;
}

std::optional<QString> decimalText(std::span<const unsigned char> bytes, int scale)
{
    if (bytes.size() != 17 || scale < 0 || scale > maxDecimalScale)
        return std::nullopt;
    unsigned __int128 magnitude = 0;
    for (int word = 0; word < 4; ++word)
        magnitude = magnitude << 32 | qFromLittleEndian<quint32>(bytes.data() + 1 + 4 * word);
    return scaledText(magnitude, bytes[0] & 0x80, scale);
}

std::optional<QString> calculatedDecimalText(std::span<const unsigned char> bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    const int stored = qFromLittleEndian<quint16>(bytes.data());
    const qsizetype length = qMin<qsizetype>(((stored > 0 ? stored : qsizetype(bytes.size()) - 2) - 2) / 4 * 4, 16);
    const int scale = bytes[2];
    if (length < 4 || 4 + length > qsizetype(bytes.size()) || scale > maxDecimalScale)
        return std::nullopt;
    const unsigned char *at = bytes.data() + 4;
    unsigned __int128 magnitude = 0;
    if (length % 8 != 0) {
        magnitude = qFromLittleEndian<quint32>(at);
        at += 4;
    }
    for (const unsigned char *end = bytes.data() + 4 + length; at < end; at += 8)
        magnitude = magnitude << 64 | qFromLittleEndian<quint64>(at);
    return scaledText(magnitude, bytes[3] != 0, scale);
}

std::optional<QString> extendedDateTimeText(std::span<const unsigned char> bytes, const RegionalFormats &formats)
{
    constexpr qint64 secondsPerDay = 86400;
    if (bytes.size() != size_t(extendedDateTimeSize) || bytes[19] != ':' || bytes[39] != ':' || bytes[40] != '7'
        || bytes[41] != 0)
        return std::nullopt;
    const QDate first(1, 1, 1);
    const auto days = digitsValue(bytes.data(), 19, first.daysTo(QDate(9999, 12, 31)));
    const auto seconds = digitsValue(bytes.data() + 20, 12, secondsPerDay - 1);
    if (!days || !seconds || !digitsValue(bytes.data() + 32, 7, 9'999'999))
        return std::nullopt;
    // As a Date/Time value: whole days from 30 December 1899, the time of
    // day as a fraction that runs forward from midnight on either side.
    const qint64 whole = *days - first.daysTo(QDate(1899, 12, 30));
    const double fraction = double(*seconds) / double(secondsPerDay);
    return dateTimeText(double(whole) + (whole < 0 ? -fraction : fraction), formats);
}

std::optional<QString> guidText(std::span<const unsigned char> bytes)
{
    if (bytes.size() != 16)
        return std::nullopt;
    const unsigned char *b = bytes.data();
    const QUuid uuid(qFromLittleEndian<quint32>(b), qFromLittleEndian<quint16>(b + 4), qFromLittleEndian<quint16>(b + 6),
                     b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return uuid.toString(QUuid::WithBraces).toUpper();
}

std::optional<std::span<const unsigned char>> unwrappedCalculatedValue(std::span<const unsigned char> bytes)
{
    constexpr size_t lengthOffset = 16;
    constexpr size_t valueOffset = 20;
    if (bytes.size() < valueOffset)
        return std::nullopt;
    const quint32 length = qFromLittleEndian<quint32>(bytes.data() + lengthOffset);
    if (length > bytes.size() - valueOffset)
        return std::nullopt;
    return bytes.subspan(valueOffset, length);
}
