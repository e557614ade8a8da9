// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/TenantSearch.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "register/TenantTotals.h"

namespace {

// The name a column is written as in SQL, without the blanks around it, a
// qualifying "data." or the square brackets around it: "[房号]",
// "data.房号" and " 房号 " all name 房号.
QString unwrappedColumnName(const QString &text)
{
    QString name = text.trimmed();
    if (name.startsWith(QStringLiteral("data."), Qt::CaseInsensitive))
        name = name.mid(5).trimmed();
    if (name.size() > 2 && name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    return name;
}

// The column of data that the field chooser's text names, quoted for SQL.
// The text is matched as SQLite matches identifiers: ASCII letters in
// either case. A column whose name is the text itself comes first, then one
// that the text names in another way SQL has of writing it.
QString quotedDataColumn(TADOConnection *connection, const QString &text)
{
    TADOQuery columns(QStringLiteral("columns"), connection);
    columns.setSQL(QStringLiteral("select name from pragma_table_info('data') where name = ?1 collate nocase "
                                  "or name = ?2 collate nocase order by name <> ?1 collate nocase limit 1"),
                   {text, unwrappedColumnName(text)});
    columns.Open();
    if (columns.RecordCount() == 0)
        throw AppError(QStringLiteral("no column '%1' in table data").arg(text));
    QString name = columns.FieldAsText(QStringLiteral("name"));
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// A LIKE pattern (escape character "\") that finds `keyword` anywhere, each
// of its characters standing for itself.
QString containsPattern(const QString &keyword)
{
    QString pattern = QStringLiteral("%");
    for (const QChar c : keyword) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('%');
}

QString searchCountText(int count)
{
    return QStringLiteral("共找到") + QString::number(count) + QStringLiteral(" 个记录");
}

QString dueCountText(int count)
{
    return QStringLiteral("共") + QString::number(count) + QStringLiteral(" 个到期的房客");
}

QString endingSoonCountText(int count)
{
    return QStringLiteral("共") + QString::number(count) + QStringLiteral(" 个%1天内到期的房客").arg(endingSoonDays);
}

// A listing by expiry date, counting the expiry texts lease_day could not
// read while the statement ran.
int showExpiryListing(RecordListView &view, ListingKind kind, const ListingStatement &listing,
                      QString (*countText)(int), long long *unreadableDates)
{
    UnreadableLeaseDays &tally = view.listCursor().connection()->unreadableLeaseDays();
    tally.count = 0;
    const int count = ShowListing(view, kind, [&] { return listing; }, countText);
    if (unreadableDates)
        *unreadableDates = tally.count;
    return count;
}

} // namespace

void SearchList(RecordListView &view, const QString &column, const QString &keyword)
{
    ShowListing(
        view, ListingKind::Search,
        [&] {
            const QString quotedColumn = quotedDataColumn(view.listCursor().connection(), column);
            return ListingStatement{QStringLiteral("select * from data where ") + quotedColumn
                                        + QStringLiteral(" like ?1 escape '\\'"),
                                    {containsPattern(keyword)}};
        },
        searchCountText);
}

int DueTenantList(RecordListView &view, const QDate &today, long long *unreadableDates)
{
    // lease_day reads each expiry text as a date; a text that reads as no
    // date gives NULL and is not due.
    return showExpiryListing(
        view, ListingKind::Due, ListingStatement{QStringLiteral("select * from data where lease_day(到期日期) < ?1"), {today.toJulianDay()}},
        dueCountText, unreadableDates);
}

int EndingSoonList(RecordListView &view, const QDate &today, long long *unreadableDates)
{
    // BETWEEN reads the expiry once per row; the ordering reads it again
    // only for the rows listed, whose texts are dates.
    return showExpiryListing(
        view, ListingKind::EndingSoon,
        ListingStatement{QStringLiteral("select * from data where lease_day(到期日期) between ?1 and ?2 "
                                        "order by lease_day(到期日期)"),
                         {today.toJulianDay() + 1, today.toJulianDay() + endingSoonDays}},
        endingSoonCountText, unreadableDates);
}

int UnsummableAmountList(RecordListView &view)
{
    return ShowListing(
        view, ListingKind::UnsummedAmounts,
        [] {
            return ListingStatement{
                QStringLiteral("select * from data where unsummable_amount(租金) or unsummable_amount(押金)")};
        },
        [](int count) { return QStringLiteral("共") + QString::number(count) + QStringLiteral(" 个未计入合计的记录"); });
}

int UnreadableExpiryList(RecordListView &view)
{
    // Blank is what the date rules trim: every character of code 32 or less.
    QString blanks;
    for (char16_t c = 1; c <= 32; ++c)
        blanks += QChar(c);
    return ShowListing(
        view, ListingKind::UnreadableExpiry,
        [&] {
            return ListingStatement{QStringLiteral("select * from data where lease_day(到期日期) is null "
                                                   "and trim(到期日期, ?1) <> ''"),
                                    {blanks}};
        },
        [](int count) { return QStringLiteral("共") + QString::number(count) + QStringLiteral(" 个到期日期无法识别"); });
}

QString unreadableDatesNote(long long count)
{
    return QStringLiteral("另有") + QString::number(count) + QStringLiteral(" 个记录的到期日期无法识别");
}
