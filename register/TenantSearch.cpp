#include "register/TenantSearch.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "register/Unit_mokuai.h"
#include "ui/Unit1.h"

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

} // namespace

QString searchCountText(int count)
{
    return QStringLiteral("共找到") + QString::number(count) + QStringLiteral(" 个记录");
}

QString dueCountText(int count)
{
    return QStringLiteral("共") + QString::number(count) + QStringLiteral(" 个到期的房客");
}

void SearchList(const QString &column, const QString &keyword)
{
    TADOQuery *query = Form1->ADOQuery1;
    query->Close();
    const QString quotedColumn = quotedDataColumn(query->connection(), column);
    query->setSQL(QStringLiteral("select * from data where ") + quotedColumn + QStringLiteral(" like ?1 escape '\\'"),
                  {containsPattern(keyword)});
    query->Open();
    Form1->StatusBar1->setPanelText(1, searchCountText(query->RecordCount()));
    SetListColumnWidths();
}

int DueTenantList(const QDate &today)
{
    // lease_day reads each expiry text as a date; a text that reads as no
    // date gives NULL and is not due.
    TADOQuery *query = Form1->ADOQuery1;
    query->Close();
    query->setSQL(QStringLiteral("select * from data where lease_day(到期日期) < ?1"), {today.toJulianDay()});
    query->Open();
    const int count = query->RecordCount();
    Form1->StatusBar1->setPanelText(1, dueCountText(count));
    SetListColumnWidths();
    return count;
}
