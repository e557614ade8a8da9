#include "register/IntegerText.h"

#include "db/AppError.h"

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = 99;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::int32_t integerFromText(const QString &text)
{
    auto invalid = [&text]() { return AppError(QStringLiteral("'%1' is not a valid integer value").arg(text)); };

    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');

    int base = 10;
    if (i < text.size() && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text.at(i) == QLatin1Char('0')
               && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        throw invalid();

    const std::int64_t limit = negative ? std::int64_t(INT32_MAX) + 1 : INT32_MAX;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text.at(i), base);
        if (digit < 0)
            throw invalid();
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            throw invalid();
    }
    return std::int32_t(negative ? -magnitude : magnitude);
}
