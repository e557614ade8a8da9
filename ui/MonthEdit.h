// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"

class QDateEdit;

// A date box that chooses a month: "2026年12月", the arrow keys and the
// wheel stepping the year or the month.
void setUpMonthEdit(QDateEdit *edit, const LedgerMonth &month);
LedgerMonth monthOf(const QDateEdit *edit);
void showMonthIn(QDateEdit *edit, const LedgerMonth &month);
