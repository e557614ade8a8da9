// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WrittenDate.h"

#include "platform/RegionalFormats.h"

#include <QRegularExpression>

std::optional<QDate> readWrittenDate(const QString &text, const RegionalFormats &formats)
{
    const QString folded = text.normalized(QString::NormalizationForm_KC).trimmed();
    static const QRegularExpression written(QStringLiteral(
        R"(^([0-9]{4})\s*(?:年\s*([0-9]{1,2})\s*月\s*([0-9]{1,2})\s*日?|([-./])\s*([0-9]{1,2})\s*\4\s*([0-9]{1,2})))"
        R"(\s*$)"));
    if (const QRegularExpressionMatch match = written.match(folded); match.hasMatch()) {
        const bool chinese = !match.captured(2).isEmpty();
        const QDate date(match.captured(1).toInt(), match.captured(chinese ? 2 : 5).toInt(),
                         match.captured(chinese ? 3 : 6).toInt());
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    // Only the form with the century: "yy" would read 26 as 1926.
    if (const QDate date = QDate::fromString(folded, formats.fullYearDateFormat); date.isValid())
        return date;
    return std::nullopt;
}
