// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/PlainAmount.h"

#include "platform/TextTrim.h"

#include <QRegularExpression>
#include <QString>

#include <sqlite3.h>

#include <charconv>

namespace {

constexpr std::size_t maximumDigits = 15;

void unsummableAmountFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    if (!text) {
        sqlite3_result_int(context, 0);
        return;
    }
    const std::string_view utf8(text, std::size_t(sqlite3_value_bytes(arguments[0])));
    long long amount = 0;
    sqlite3_result_int(context, !isBlankAmount(utf8) && !readPlainAmount(utf8, amount));
}

} // namespace

bool readPlainAmount(std::string_view utf8, long long &amount)
{
    std::string_view text = trimmedControls(utf8);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > maximumDigits)
        return false;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    amount = negative ? -value : value;
    return true;
}

bool isPlainAmountAsWritten(std::string_view utf8)
{
    long long amount = 0;
    if (!readPlainAmount(utf8, amount))
        return false;
    char printed[24];
    const auto end = std::to_chars(printed, printed + sizeof printed, amount).ptr;
    return utf8 == std::string_view(printed, std::size_t(end - printed));
}

std::optional<std::string> plainAmountOfWritten(std::string_view utf8)
{
    long long amount = 0;
    if (readPlainAmount(utf8, amount))
        return std::nullopt;
    // NFKC folds the full-width comma, yen sign, digits and blank.
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).normalized(QString::NormalizationForm_KC);
    static const QRegularExpression written(
        QStringLiteral(R"(^\s*[¥]?\s*(-?)\s*([0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)(?:\.0+)?\s*(?:元)?\s*$)"));
    const QRegularExpressionMatch match = written.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString digits = match.captured(2);
    digits.remove(QLatin1Char(','));
    const std::string plain = (match.captured(1) + digits).toStdString();
    if (!readPlainAmount(plain, amount))
        return std::nullopt;
    return std::to_string(amount);
}

bool isBlankAmount(std::string_view utf8)
{
    return trimmedControls(utf8).empty();
}

int registerAmountFunction(sqlite3 *db)
{
    return sqlite3_create_function_v2(db, "unsummable_amount", 1,
                                      SQLITE_UTF8 | SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC, nullptr,
                                      &unsummableAmountFunction, nullptr, nullptr, nullptr);
}
