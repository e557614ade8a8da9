#include "convert/JetValues.h"

#include "platform/RegionalFormats.h"

#include <QDate>
#include <QTime>

#include <charconv>
#include <cmath>

namespace {

template <typename Real>
QString shortestFixed(Real value)
{
    // Also turns -0 into "0".
    if (value == 0)
        return QStringLiteral("0");
    char digits[512];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    if (end.ec != std::errc())
        return QString::number(double(value), 'g', 17);
    return QString::fromLatin1(digits, end.ptr - digits);
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

QString plainNumberText(qint64 value)
{
    return QString::number(value);
}

QString plainNumberText(double value)
{
    return shortestFixed(value);
}

QString plainNumberText(float value)
{
    return shortestFixed(value);
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

std::optional<QString> dateTimeText(double days, const RegionalFormats &formats)
{
    // Access keeps dates from the year 100 to 9999.
    if (!std::isfinite(days) || std::abs(days) > 3'000'000)
        return std::nullopt;
    // Before 1899 the whole days count back while the fraction still runs
    // forward from midnight: -1.25 is 29 December 1899, 06:00.
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::abs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    if (seconds >= 86400) {
        seconds -= 86400;
        date = date.addDays(1);
    }
    if (!date.isValid())
        return std::nullopt;
    QString text = shortDateText(date, formats);
    if (seconds != 0)
        text += QLatin1Char(' ') + QTime(0, 0).addSecs(int(seconds)).toString(formats.longTimeFormat);
    return text;
}

QString yesNoText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
