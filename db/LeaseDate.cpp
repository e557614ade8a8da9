// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/LeaseDate.h"

#include "platform/DateFormatPieces.h"
#include "platform/TextTrim.h"
#include "platform/Utf8Text.h"

#include <sqlite3.h>

#include <QLocale>

#include <array>
#include <limits>
#include <string>

namespace {

enum class Field { Year, Month, Day };

// A numeric date layout: three fields in order with the texts around them.
struct DateLayout {
    std::array<Field, 3> order{Field::Year, Field::Month, Field::Day};
    std::string leader;                    // text before the first field
    std::array<std::string, 2> separators;
    std::string trailer;                   // text after the last field, e.g. "日"
    bool twoDigitYear = false;
    bool numeric = false;  // false when the format spells month or day names
};

DateLayout layoutOf(const QString &format)
{
    DateLayout layout;
    int fields = 0;
    QString pending;  // literal text since the last field
    for (const DateFormatPiece &piece : dateFormatPieces(format, dateFormatLetters)) {
        if (!piece.isField()) {
            pending += piece.literal;
            continue;
        }
        const QChar c = piece.letter;
        if ((c != QLatin1Char('y') && piece.count > 2) || fields == 3)
            return layout;  // names of months or days: not a numeric layout
        if (fields == 0)
            layout.leader = pending.toStdString();
        else
            layout.separators[std::size_t(fields - 1)] = pending.toStdString();
        pending.clear();
        layout.order[std::size_t(fields)] = c == QLatin1Char('y') ? Field::Year
            : c == QLatin1Char('M')                               ? Field::Month
                                                                  : Field::Day;
        if (c == QLatin1Char('y'))
            layout.twoDigitYear = piece.count <= 2;
        ++fields;
    }
    layout.trailer = pending.toStdString();
    // Without separators the digits of neighbouring fields run together.
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

// Reads exactly `count` digits at pos, whatever follows them.
bool readDigits(std::string_view s, std::size_t &pos, std::size_t count, int &value)
{
    if (s.size() - pos < count)
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!isDigit(s[i]))
            return false;
        value = value * 10 + (s[i] - '0');
    }
    pos += count;
    return true;
}

bool readLiteral(std::string_view s, std::size_t &pos, std::string_view literal)
{
    // Separators are a byte or three: compared in place, no call.
    if (s.size() - pos < literal.size())
        return false;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (s[pos + i] != literal[i])
            return false;
    }
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

// What the readers below give for a text that reads as no date.
constexpr qint64 noDay = std::numeric_limits<qint64>::min();

// The Julian day of a date of the proleptic Gregorian calendar QDate uses,
// worked out here (every row of a listing reads its expiry date), or noDay.
qint64 dayNumber(int year, int month, int day)
{
    static constexpr int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > monthDays[month - 1] + (month == 2 && leap))
        return noDay;
    // Days since 1970-01-01 (H. Hinnant's days_from_civil), then the Julian day.
    const int y = year - (month <= 2);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468 + 2440588;
}

// "H:mm[:ss[.fff]]" followed by nothing, "Z" or an offset "+HH", "+HH:mm"
// or "+HHmm".
bool isTimeOfDay(std::string_view s)
{
    std::size_t pos = 0;
    int value = 0;
    std::size_t digits = 0;
    if (!readNumber(s, pos, 2, value, digits) || value > 23 || !readLiteral(s, pos, ":")
        || !readDigits(s, pos, 2, value) || value > 59)
        return false;
    if (readLiteral(s, pos, ":")) {
        if (!readDigits(s, pos, 2, value) || value > 60)
            return false;
        if (readLiteral(s, pos, ".") && !readNumber(s, pos, 9, value, digits))
            return false;
    }
    if (pos == s.size() || s.substr(pos) == "Z")
        return true;
    if (s[pos] != '+' && s[pos] != '-')
        return false;
    ++pos;
    if (!readDigits(s, pos, 2, value) || value > 23)
        return false;
    if (pos < s.size()) {
        readLiteral(s, pos, ":");
        if (!readDigits(s, pos, 2, value) || value > 59)
            return false;
    }
    return pos == s.size();
}

// The date of `s` read with `layout`. A time of day may follow after a
// blank (a date with a time is that day), or after "T" in the ISO form.
qint64 readWithLayout(std::string_view s, const DateLayout &layout, bool isoTime)
{
    int values[3] = {0, 0, 0};
    std::size_t pos = 0;
    readLiteral(s, pos, layout.leader);
    for (int i = 0; i < 3; ++i) {
        const Field field = layout.order[std::size_t(i)];
        int value = 0;
        std::size_t digits = 0;
        if (!readNumber(s, pos, field == Field::Year ? 4 : 2, value, digits))
            return noDay;
        if (field == Field::Year) {
            if (digits <= 2 && layout.twoDigitYear)
                value = windowedYear(value);
            else if (digits != 4)
                return noDay;
        }
        values[int(field)] = value;
        if (i < 2 && !readLiteral(s, pos, layout.separators[std::size_t(i)]))
            return noDay;
    }
    readLiteral(s, pos, layout.trailer);
    if (pos != s.size()) {
        const bool timeLead = s[pos] == ' ' || (isoTime && s[pos] == 'T');
        if (!timeLead || !isTimeOfDay(s.substr(pos + 1)))
            return noDay;
    }
    return dayNumber(values[int(Field::Year)], values[int(Field::Month)], values[int(Field::Day)]);
}

// The ISO basic form yyyyMMdd.
qint64 readBasicIsoDate(std::string_view s)
{
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0;
    if (s.size() != 8 || !readDigits(s, pos, 4, year) || !readDigits(s, pos, 2, month)
        || !readDigits(s, pos, 2, day))
        return noDay;
    return dayNumber(year, month, day);
}

const DateLayout &fixedLayout(char separator)
{
    static const DateLayout slash = layoutOf(QStringLiteral("yyyy/M/d"));
    static const DateLayout dash = layoutOf(QStringLiteral("yyyy-M-d"));
    static const DateLayout dot = layoutOf(QStringLiteral("yyyy.M.d"));
    return separator == '/' ? slash : separator == '-' ? dash : dot;
}

// The long form a Chinese system writes and reads, "2026年11月30日", with or
// without leading zeros.
const DateLayout &chineseLayout()
{
    static const DateLayout chinese = layoutOf(QStringLiteral("yyyy年M月d日"));
    return chinese;
}

// The layout of the user's short date format, worked out once per format.
// Only the GUI thread reads dates.
const DateLayout &userLayout(const QString &format)
{
    static QString cachedFormat;
    static DateLayout cachedLayout = layoutOf(QString());
    // The same shared text is the same format, without comparing it.
    if (format.constData() != cachedFormat.constData() && format != cachedFormat) {
        cachedLayout = layoutOf(format);
        cachedFormat = format;
    }
    return cachedLayout;
}

void leaseDayFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const std::string_view utf8(text, std::size_t(sqlite3_value_bytes(arguments[0])));
    if (qint64 day = 0; readLeaseDay(utf8, regionalFormats(), day)) {
        sqlite3_result_int64(context, day);
        return;
    }
    if (auto *tally = static_cast<UnreadableLeaseDays *>(sqlite3_user_data(context)); tally && !isBlankDate(utf8))
        ++tally->count;
    sqlite3_result_null(context);
}

} // namespace

bool readLeaseDay(std::string_view utf8, const RegionalFormats &formats, qint64 &julianDay)
{
    // Blanks and control characters around a typed date mean nothing.
    const std::string_view s = trimmedControls(utf8);
    if (s.empty())
        return false;

    qint64 day = noDay;
    const DateLayout &user = userLayout(formats.shortDateFormat);
    if (user.numeric) {
        day = readWithLayout(s, user, false);
    } else if (!formats.shortDateFormat.isEmpty()) {
        const QDate date = QLocale::system().toDate(fromUtf8(s),
                                                    formats.shortDateFormat);
        if (date.isValid())
            day = date.toJulianDay();
    }
    for (const char separator : {'/', '-', '.'}) {
        if (day == noDay)
            day = readWithLayout(s, fixedLayout(separator), separator == '-');
    }
    if (day == noDay)
        day = readWithLayout(s, chineseLayout(), false);
    if (day == noDay)
        day = readBasicIsoDate(s);
    julianDay = day;
    return day != noDay;
}

std::optional<QDate> readLeaseDate(std::string_view utf8, const RegionalFormats &formats)
{
    if (qint64 day = 0; readLeaseDay(utf8, formats, day))
        return QDate::fromJulianDay(day);
    return std::nullopt;
}

bool isBlankDate(std::string_view utf8)
{
    return trimmedControls(utf8).empty();
}

int registerLeaseDayFunction(sqlite3 *db, UnreadableLeaseDays *tally)
{
    // Not deterministic: each call counts, so SQLite calls it for every row.
    return sqlite3_create_function_v2(db, "lease_day", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, tally,
                                      &leaseDayFunction, nullptr, nullptr, nullptr);
}
