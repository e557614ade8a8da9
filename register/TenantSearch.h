#pragma once

#include <QDate>
#include <QString>

// The two narrowed listings of the record list. Like RefreshList they work
// on the main window through Form1: close the list cursor, give it a new
// statement, open it, write the count text and set the column widths.

// Lists the tenant records whose value in `column` contains `keyword`,
// both taken as the user typed them. `column` must name a column of data;
// any other text fails like an engine error and leaves the list closed.
void SearchList(const QString &column, const QString &keyword);

// Lists the tenant records whose expiry date lies before `today` and
// returns how many there are.
int DueTenantList(const QDate &today);

// "共找到N 个记录", the count text of the search.
QString searchCountText(int count);

// "共N 个到期的房客", the count text of the due-tenant listing.
QString dueCountText(int count);
