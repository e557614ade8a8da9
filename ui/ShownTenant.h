// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class TADOQuery;

// The tenant record that the list cursor's current row shows, as 续租 and
// 退租 work on it: its rowid (the ID the ledger's bills carry) and texts.
struct ShownTenant {
    qint64 id = 0;
    QString name;
    QString room;
    QString rent;
    QString deposit;
    QString expiry;
};

// Throws, in the landlord's words, when the list has no current record or
// its rows belong to a file since replaced.
ShownTenant shownTenant(TADOQuery &list);
