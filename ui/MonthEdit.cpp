// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MonthEdit.h"

#include <QDateEdit>

void setUpMonthEdit(QDateEdit *edit, const LedgerMonth &month)
{
    edit->setDisplayFormat(QStringLiteral("yyyy年M月"));
    edit->setMinimumDate(QDate(1900, 1, 1));
    edit->setMaximumDate(QDate(9999, 12, 31));
    edit->setCurrentSection(QDateTimeEdit::MonthSection);
    showMonthIn(edit, month);
}

LedgerMonth monthOf(const QDateEdit *edit)
{
    return LedgerMonth::of(edit->date());
}

void showMonthIn(QDateEdit *edit, const LedgerMonth &month)
{
    if (monthOf(edit) != month || edit->date().day() != 1)
        edit->setDate(month.firstDay());
}
