#include "db/LeaseDate.h"

#include <sqlite3.h>

#include <QLocale>

#include <array>

namespace {

enum class Field { Year, Month, Day };

// A numeric date layout: three fields in order with the texts between them.
struct DateLayout {
    std::array<Field, 3> order{Field::Year, Field::Month, Field::Day};
    std::array<std::string, 2> separators;
    std::string trailer;  // text after the last field, e.g. "日"
    bool twoDigitYear = false;
    bool numeric = false;  // false when the format spells month or day names
};

DateLayout layoutOf(const QString &format)
{
    DateLayout layout;
    int fields = 0;
    std::string pending;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        if (c == QLatin1Char('y') || c == QLatin1Char('M') || c == QLatin1Char('d')) {
            if ((c != QLatin1Char('y') && run > 2) || fields == 3)
                return layout;  // names of months or days: not a numeric layout
            if (fields > 0)
                layout.separators[std::size_t(fields - 1)] = pending;
            pending.clear();
            layout.order[std::size_t(fields)] = c == QLatin1Char('y') ? Field::Year
                : c == QLatin1Char('M')                               ? Field::Month
                                                                      : Field::Day;
            if (c == QLatin1Char('y'))
                layout.twoDigitYear = run <= 2;
            ++fields;
        } else if (c != QLatin1Char('\'')) {
            pending += QString(format.mid(i, run)).toStdString();
        }
        i += run;
    }
    layout.trailer = pending;
    layout.numeric = fields == 3 && !layout.separators[0].empty() && !layout.separators[1].empty();
    return layout;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1 to maxDigits digits at pos; false if there are none or more.
bool readNumber(std::string_view s, std::size_t &pos, std::size_t maxDigits, int &value, std::size_t &digits)
{
    value = 0;
    digits = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return digits > 0;
}

bool readLiteral(std::string_view s, std::size_t &pos, std::string_view literal)
{
    if (s.substr(pos, literal.size()) != literal)
        return false;
    pos += literal.size();
    return true;
}

// Two-digit years fall within fifty years of the current year.
int windowedYear(int twoDigits)
{
    const int thisYear = QDate::currentDate().year();
    int year = thisYear - thisYear % 100 + twoDigits;
    if (year > thisYear + 50)
        year -= 100;
    else if (year <= thisYear - 50)
        year += 100;
    return year;
}

std::optional<QDate> dateOf(int year, int month, int day)
{
    if (!QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

// "HH:mm[:ss[.fff]]" followed by nothing, "Z" or an offset "+HH[:mm]".
bool isTimeOfDay(std::string_view s)
{
    std::size_t pos = 0;
    int value = 0;
    std::size_t digits = 0;
    if (!readNumber(s, pos, 2, value, digits) || value > 23 || !readLiteral(s, pos, ":")
        || !readNumber(s, pos, 2, value, digits) || digits != 2 || value > 59)
        return false;
    if (readLiteral(s, pos, ":")) {
        if (!readNumber(s, pos, 2, value, digits) || digits != 2 || value > 60)
            return false;
        if (readLiteral(s, pos, ".") && !readNumber(s, pos, 9, value, digits))
            return false;
    }
    if (pos == s.size() || (s.substr(pos) == "Z"))
        return true;
    if (s[pos] != '+' && s[pos] != '-')
        return false;
    ++pos;
    if (!readNumber(s, pos, 2, value, digits) || digits != 2)
        return false;
    if (readLiteral(s, pos, ":") && (!readNumber(s, pos, 2, value, digits) || digits != 2))
        return false;
    return pos == s.size();
}

std::optional<QDate> readWithLayout(std::string_view s, const DateLayout &layout, bool allowTime)
{
    int values[3] = {0, 0, 0};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        const Field field = layout.order[std::size_t(i)];
        int value = 0;
        std::size_t digits = 0;
        if (!readNumber(s, pos, field == Field::Year ? 4 : 2, value, digits))
            return std::nullopt;
        if (field == Field::Year) {
            if (digits <= 2 && layout.twoDigitYear)
                value = windowedYear(value);
            else if (digits != 4)
                return std::nullopt;
        }
        values[int(field)] = value;
        if (i < 2 && !readLiteral(s, pos, layout.separators[std::size_t(i)]))
            return std::nullopt;
    }
    readLiteral(s, pos, layout.trailer);
    if (pos != s.size()) {
        if (!allowTime || (s[pos] != 'T' && s[pos] != ' ') || !isTimeOfDay(s.substr(pos + 1)))
            return std::nullopt;
    }
    return dateOf(values[int(Field::Year)], values[int(Field::Month)], values[int(Field::Day)]);
}

const DateLayout &fixedLayout(char separator)
{
    static const DateLayout slash = layoutOf(QStringLiteral("yyyy/M/d"));
    static const DateLayout dash = layoutOf(QStringLiteral("yyyy-M-d"));
    static const DateLayout dot = layoutOf(QStringLiteral("yyyy.M.d"));
    return separator == '/' ? slash : separator == '-' ? dash : dot;
}

// The layout of the user's short date format, worked out once per format.
// Only the GUI thread reads dates.
const DateLayout &userLayout(const QString &format)
{
    static QString cachedFormat;
    static DateLayout cachedLayout = layoutOf(QString());
    if (format != cachedFormat) {
        cachedLayout = layoutOf(format);
        cachedFormat = format;
    }
    return cachedLayout;
}

std::string_view trimmedBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

void leaseDayFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const auto size = std::size_t(sqlite3_value_bytes(arguments[0]));
    const std::optional<QDate> date = readLeaseDate(std::string_view(text, size), regionalFormats());
    if (date)
        sqlite3_result_int64(context, date->toJulianDay());
    else
        sqlite3_result_null(context);
}

} // namespace

std::optional<QDate> readLeaseDate(std::string_view utf8, const RegionalFormats &formats)
{
    const std::string_view s = trimmedBlanks(utf8);
    if (s.empty())
        return std::nullopt;

    const DateLayout &user = userLayout(formats.shortDateFormat);
    if (user.numeric) {
        if (auto date = readWithLayout(s, user, false))
            return date;
    } else {
        const QDate date = QLocale::system().toDate(QString::fromUtf8(s.data(), qsizetype(s.size())),
                                                    formats.shortDateFormat);
        if (date.isValid())
            return date;
    }
    for (const char separator : {'/', '-', '.'}) {
        if (auto date = readWithLayout(s, fixedLayout(separator), separator == '-'))
            return date;
    }
    // ISO basic form yyyyMMdd.
    if (s.size() == 8) {
        std::size_t pos = 0;
        int y = 0, m = 0, d = 0;
        std::size_t digits = 0;
        std::string_view ys = s.substr(0, 4), ms = s.substr(4, 2), ds = s.substr(6, 2);
        if (readNumber(ys, pos, 4, y, digits) && digits == 4 && (pos = 0, readNumber(ms, pos, 2, m, digits))
            && digits == 2 && (pos = 0, readNumber(ds, pos, 2, d, digits)) && digits == 2)
            return dateOf(y, m, d);
    }
    return std::nullopt;
}

int registerLeaseDayFunction(sqlite3 *db)
{
    return sqlite3_create_function_v2(db, "lease_day", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr,
                                      &leaseDayFunction, nullptr, nullptr, nullptr);
}
