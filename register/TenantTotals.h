// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RegionalFormats.h"

#include <QDate>
#include <QString>

class ResultSet;

// How many days ahead the ending-soon listing and its total look, and how
// many days around today the start-up reminder looks.
constexpr int endingSoonDays = 30;
constexpr int reminderDays = 7;

// The month's figures of the register, added up from the rows of a full
// listing: the rows already read, never a scan of their own.
struct TenantTotals {
    int tenants = 0;
    long long rentSum = 0;     // the rents that are plain amounts
    long long depositSum = 0;  // the deposits that are plain amounts
    int unsummedRents = 0;     // neither blank nor a plain amount
    int unsummedDeposits = 0;
    int expired = 0;           // expiry before today: the due tenants
    int endingSoon = 0;        // expiry after today, within endingSoonDays
    int unreadableExpiry = 0;  // an expiry text that reads as no date
    int endingThisWeek = 0;    // expiry today or within reminderDays
    int endedThisWeek = 0;     // expiry within the reminderDays before today
};

// The figures of the rows of `rows` (a listing of data: 租金, 押金 and
// 到期日期 are read where the listing has them), with expiry dates read as
// the due-tenant listing reads them.
TenantTotals totalsOf(const ResultSet &rows, const QDate &today, const RegionalFormats &formats);

// The start-up reminder: one short line when leases end within the next
// reminderDays or ended within the last ones, else empty.
QString leaseReminderText(const TenantTotals &totals);
