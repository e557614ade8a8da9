#include "register/TenantSearch.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"

namespace {

// The column of data that the field chooser's text names, quoted for SQL.
// The text is matched as SQLite matches identifiers: ASCII letters in
// either case.
QString quotedDataColumn(TADOConnection *connection, const QString &text)
{
    TADOQuery columns(QStringLiteral("columns"), connection);
    columns.setSQL(QStringLiteral("select name from pragma_table_info('data') where name = ?1 collate nocase"), {text});
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

} // namespace

void SearchList(const RecordListView &view, const QString &column, const QString &keyword)
{
    ShowListing(
        view,
        [&] {
            const QString quotedColumn = quotedDataColumn(view.list.connection(), column);
            return ListingStatement{QStringLiteral("select * from data where ") + quotedColumn
                                        + QStringLiteral(" like ?1 escape '\\'"),
                                    {containsPattern(keyword)}};
        },
        searchCountText);
}

int DueTenantList(const RecordListView &view, const QDate &today)
{
    // lease_day reads each expiry text as a date; a text that reads as no
    // date gives NULL and is not due.
    return ShowListing(
        view,
        [&] {
            return ListingStatement{QStringLiteral("select * from data where lease_day(到期日期) < ?1"),
                                    {today.toJulianDay()}};
        },
        dueCountText);
}
