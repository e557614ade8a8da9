// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegionalFormats.h"

#include "platform/DateFormatPieces.h"

#include <optional>

namespace {

// The first character of `format` outside quotes that is not a format
// letter or a blank, or `fallback` when there is none.
QString firstSeparator(const QString &format, const QString &letters, const QString &fallback)
{
    for (const DateFormatPiece &piece : dateFormatPieces(format, letters)) {
        for (const QChar c : piece.unquoted) {
            if (!c.isSpace())
                return QString(c);
        }
    }
    return fallback;
}

// Qt's long time format ends in a time-zone token "t" that the regional
// long time format does not have; drop it with the blanks before it.
QString withoutTimeZone(const QString &format)
{
    QString result;
    for (const DateFormatPiece &piece : dateFormatPieces(format, timeFormatLetters)) {
        if (piece.letter != QLatin1Char('t'))
            result += piece.source;
    }
    return result.trimmed();
}

// `format` with every year shorter than four digits ("yy") widened to
// "yyyy"; quoted text stays as it is.
QString withFullYear(const QString &format)
{
    QString result;
    for (const DateFormatPiece &piece : dateFormatPieces(format, dateFormatLetters))
        result += piece.letter == QLatin1Char('y') && piece.count < 4 ? QStringLiteral("yyyy") : piece.source;
    return result;
}

std::optional<RegionalFormats> &chosenFormats()
{
    static std::optional<RegionalFormats> formats;
    return formats;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Whether the long time format puts `separator`, and only it, between hour
// and minute and between minute and second ("H.mm.ss" with "."; not
// "H時mm分ss秒", whose parts are closed by different characters).
bool separatesTimeWith(const QString &longTime, const QString &separator)
{
    QStringList between;  // the text after each field, up to the next field
    QChar field;
    for (const DateFormatPiece &piece : dateFormatPieces(longTime, QStringLiteral("hHms"))) {
        const QChar letter = piece.letter.toLower();
        if (piece.isField() && letter != field) {
            field = letter;
            between << QString();
        } else if (!piece.isField() && !field.isNull()) {
            between.last() += piece.literal;
        }
    }
    return between.size() >= 3 && between[0] == separator && between[1] == separator;
}

// The fixed "yyyy/mm/dd" form with the regional date separator.
QString fixedDateText(const QDate &date, const RegionalFormats &formats)
{
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + formats.dateSeparator
        + twoDigits(date.month()) + formats.dateSeparator + twoDigits(date.day());
}

} // namespace

RegionalFormats RegionalFormats::fromFormats(const QString &shortDate, const QString &longTime)
{
    RegionalFormats formats;
    formats.shortDateFormat = shortDate;
    formats.fullYearDateFormat = withFullYear(shortDate);
    formats.longTimeFormat = withoutTimeZone(longTime);
    formats.dateSeparator = firstSeparator(shortDate, QStringLiteral("dMy"), QStringLiteral("/"));
    formats.timeSeparator = firstSeparator(formats.longTimeFormat, QStringLiteral("hHmszaAp"), QStringLiteral(":"));
    return formats;
}

RegionalFormats RegionalFormats::fromLocale(const QLocale &locale)
{
    // A system without regional settings (the neutral "C" locale) gets the
    // formats of the program's own language rather than English month names.
    const QLocale regional = locale.language() == QLocale::C ? QLocale(QLocale::Chinese, QLocale::China) : locale;
    return fromFormats(regional.dateFormat(QLocale::ShortFormat), regional.timeFormat(QLocale::LongFormat));
}

const RegionalFormats &regionalFormats()
{
    if (!chosenFormats())
        chosenFormats() = RegionalFormats::fromLocale(QLocale::system());
    return *chosenFormats();
}

void setRegionalFormats(const RegionalFormats &formats)
{
    chosenFormats() = formats;
}

QString shortDateText(const QDate &date, const RegionalFormats &formats)
{
    return date.toString(formats.shortDateFormat);
}

QString fullYearDateText(const QDate &date, const RegionalFormats &formats)
{
    return date.toString(formats.fullYearDateFormat);
}

QString clockPanelText(const QDateTime &now, const RegionalFormats &formats)
{
    return QStringLiteral("今天是") + shortDateText(now.date(), formats) + QLatin1Char(' ')
        + now.time().toString(formats.longTimeFormat);
}

QString backupNameText(const QDate &date, const RegionalFormats &formats)
{
    return shortDateText(date, formats).remove(QLatin1Char('/')) + QStringLiteral("_BAK_");
}

QString editTimeText(const QDateTime &now, const RegionalFormats &formats)
{
    // The regional time separator, where the long time format has one
    // between all its parts; otherwise ("H時mm分ss秒") ":".
    const QString separator = separatesTimeWith(formats.longTimeFormat, formats.timeSeparator) ? formats.timeSeparator
                                                                                                 : QStringLiteral(":");
    const QTime time = now.time();
    return fixedDateText(now.date(), formats) + QLatin1Char(' ') + twoDigits(time.hour()) + separator
        + twoDigits(time.minute()) + separator + twoDigits(time.second());
}
