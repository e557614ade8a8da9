// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LeaseCoverage.h"

#include "db/LeaseDate.h"
#include "db/SqlStatement.h"
#include "platform/TextTrim.h"
#include "platform/Utf8Text.h"

#include <sqlite3.h>

namespace {

QString textOf(std::optional<std::string_view> utf8)
{
    return fromUtf8(utf8.value_or(std::string_view()));
}

} // namespace

Coverage tenantsCovering(sqlite3 *db, const LedgerMonth &month, const RegionalFormats &formats)
{
    Coverage coverage;
    SqlStatement statement(db, "SELECT rowid, 姓名, 房号, 租金, 入住日期, 到期日期 FROM data ORDER BY rowid");
    const qint64 first = month.firstDay().toJulianDay();
    const qint64 last = month.lastDay().toJulianDay();
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        const std::string_view moveIn = statement.columnText(4).value_or(std::string_view());
        const std::string_view expiry = statement.columnText(5).value_or(std::string_view());
        qint64 start = first, end = last;
        const bool startRead = isBlankDate(moveIn) || readLeaseDay(moveIn, formats, start);
        const bool endRead = isBlankDate(expiry) || readLeaseDay(expiry, formats, end);
        if (!startRead || !endRead) {
            coverage.unreadableDates << textOf(statement.columnText(1));
            continue;
        }
        if (start > last || end < first)
            continue;
        const std::string_view room = trimmedControls(statement.columnText(2).value_or(std::string_view()));
        coverage.tenants.push_back({statement.columnInt64(0), textOf(statement.columnText(1)),
                                    fromUtf8(room),
                                    textOf(statement.columnText(3))});
    }
    if (rc != SQLITE_DONE)
        statement.throwError();
    return coverage;
}
