// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/RegisterValueText.h"

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
    QString text = fullYearDateText(date, formats);
    if (seconds != 0)
        text += QLatin1Char(' ') + QTime(0, 0).addSecs(int(seconds)).toString(formats.longTimeFormat);
    return text;
}

QString yesNoText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
