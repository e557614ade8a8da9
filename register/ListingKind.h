// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Which listing the record list shows: each listing routine says so beside
// its count text, so that an export or a print can name what it takes.
enum class ListingKind {
    None,              // nothing listed yet, or the last listing failed to open
    FullList,          // every tenant record
    Search,            // the keyword search
    Due,               // the tenants whose lease has run out
    EndingSoon,        // the leases ending within endingSoonDays
    UnsummedAmounts,   // rents or deposits the totals cannot add
    UnreadableExpiry,  // expiry dates that read as no date
};

// The listing's name as exports, prints and file names show it:
// "房客登记", "查询结果", "到期房客", "30天内到期房客", "未计入合计的记录",
// "到期日期无法识别" (none: "房客登记").
QString listingName(ListingKind kind);
