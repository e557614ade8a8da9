// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LeaseCoverage.h"
#include "ledger/LedgerMonth.h"

#include <QString>

#include <vector>

class TADOConnection;
struct sqlite3;

// A renewal's new rent from a month on. The register holds one rent text; a
// month before the change is billed at the text the record held before, as
// long as the record still holds the new one (an edit since decides).
void recordRentChange(TADOConnection &connection, qint64 tenantId, const LedgerMonth &from, const QString &oldText,
                      const QString &newText);

// Gives each tenant the rent text its bill of `month` takes.
void applyRentChanges(sqlite3 *db, const LedgerMonth &month, std::vector<CoveredTenant> &tenants);
