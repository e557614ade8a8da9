// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/ListingKind.h"

#include "register/TenantTotals.h"

QString listingName(ListingKind kind)
{
    switch (kind) {
    case ListingKind::Search:
        return QStringLiteral("查询结果");
    case ListingKind::Due:
        return QStringLiteral("到期房客");
    case ListingKind::EndingSoon:
        return QStringLiteral("%1天内到期房客").arg(endingSoonDays);
    case ListingKind::UnsummedAmounts:
        return QStringLiteral("未计入合计的记录");
    case ListingKind::UnreadableExpiry:
        return QStringLiteral("到期日期无法识别");
    case ListingKind::None:
    case ListingKind::FullList:
        break;
    }
    return QStringLiteral("房客登记");
}
