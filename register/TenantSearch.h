// SPDX-License-Identifier: GPL-3.0-or-later
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

// The listings by expiry date read every row's expiry text once, with the
// lenient date rules of lease_day; a text that reads as no date is in
// none of them, and `unreadableDates`, when given, tells how many of those
// (blank texts apart) the listing left out.

// Lists the tenant records whose expiry date lies before `today` and
// returns how many there are.
int DueTenantList(RecordListView &view, const QDate &today, long long *unreadableDates = nullptr);

// Lists the tenant records whose expiry date lies after `today` and within
// endingSoonDays of it, soonest first, and returns how many there are.
int EndingSoonList(RecordListView &view, const QDate &today, long long *unreadableDates = nullptr);

// Lists the tenant records whose rent or deposit the totals could not add
// (neither blank nor a plain amount), and returns how many there are.
int UnsummableAmountList(RecordListView &view);

// Lists the tenant records whose expiry text is not blank and reads as no
// date, and returns how many there are.
int UnreadableExpiryList(RecordListView &view);

// "另有N 个记录的到期日期无法识别": what a listing by expiry date left out.
QString unreadableDatesNote(long long count);
