#pragma once

#include "register/Unit_mokuai.h"

#include <QDate>
#include <QString>

// The two narrowed listings of the record list, through the one listing
// routine of Unit_mokuai.

// Lists the tenant records whose value in `column` contains `keyword`,
// both taken as the user typed them. `column` must name a column of data;
// any other text fails like an engine error and leaves the list closed.
void SearchList(RecordListView &view, const QString &column, const QString &keyword);

// Lists the tenant records whose expiry date lies before `today` and
// returns how many there are.
int DueTenantList(RecordListView &view, const QDate &today);
