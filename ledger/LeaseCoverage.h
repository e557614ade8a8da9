// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "platform/RegionalFormats.h"

#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;

// A tenant of the register as a bill copies it: the record's ID, its name,
// its room (blanks around it trimmed) and its rent text.
struct CoveredTenant {
    qint64 id = 0;
    QString name;
    QString room;
    QString rentText;
    friend bool operator==(const CoveredTenant &, const CoveredTenant &) = default;
};

// The tenants whose lease covers at least one day of a month, in the
// register's order.
struct Coverage {
    std::vector<CoveredTenant> tenants;
    // The names of records whose move-in or expiry date reads as no date:
    // whether their lease covers the month cannot be told, so they are left
    // out and named.
    QStringList unreadableDates;
};

// Reads the register's records: a lease covers the month when it starts on
// or before its last day and ends on or after its first. A blank move-in
// date starts no later than any day, a blank expiry date ends no earlier;
// dates read as the due-tenant listing reads them.
Coverage tenantsCovering(sqlite3 *db, const LedgerMonth &month, const RegionalFormats &formats);
