// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LeaseRenewalDialog.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "db/LeaseDate.h"
#include "db/PlainAmount.h"
#include "ledger/RentChanges.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/RecordListView.h"
#include "ui/DigitFilter.h"
#include "ui/GuardedConnect.h"
#include "ui/MonthEdit.h"
#include "ui/RegisterWindow.h"
#include "ui/ShownTenant.h"
#include "ui/Unit_add_edit_del_info.h"

LeaseRenewalDialog::LeaseRenewalDialog(RegisterWindow &window, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
{
    setupUi(this);
    // The boxes' first row below their titles.
    for (QGroupBox *group : {periodGroup, rentGroup})
        group->setStyleSheet(QStringLiteral("QGroupBox { padding-top: 12px; }"));
    const ShownTenant tenant = shownTenant(window.recordList().listCursor());
    m_tenantId = tenant.id;
    m_rentText = tenant.rent;
    m_expiry = readLeaseDate(tenant.expiry.toStdString(), regionalFormats());
    const QDate today = currentLocalDateTime().date();
    tenantLabel->setText(QStringLiteral("%1　房号 %2　租金 %3\n现在的到期日期：%4")
                             .arg(tenant.name, tenant.room.isEmpty() ? QStringLiteral("无") : tenant.room,
                                  tenant.rent.isEmpty() ? QStringLiteral("无") : tenant.rent,
                                  tenant.expiry.isEmpty() ? QStringLiteral("未填写") : tenant.expiry));
    chosenDateEdit->setDate((m_expiry ? *m_expiry : today).addYears(1));
    if (!m_expiry)
        chosenDateButton->setChecked(true);
    newRentEdit->setText(tenant.rent);
    DigitFilter::install(newRentEdit);
    // The new rent from the month after the lease ran to, or this month.
    setUpMonthEdit(rentFromEdit, LedgerMonth::of(m_expiry && *m_expiry > today ? m_expiry->addDays(1) : today));

    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{
             oneMonthButton, threeMonthsButton, sixMonthsButton, twelveMonthsButton, chosenDateButton})
        connectGuarded(button, &QAbstractButton::toggled, this, &LeaseRenewalDialog::showNewExpiry);
    connectGuarded(chosenDateEdit, &QDateEdit::dateChanged, this, [this] {
        chosenDateButton->setChecked(true);
        showNewExpiry();
    });
    connectGuarded(renewButton, &QPushButton::clicked, this, &LeaseRenewalDialog::renew);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    showNewExpiry();
}

std::optional<QDate> LeaseRenewalDialog::newExpiry() const
{
    if (chosenDateButton->isChecked())
        return chosenDateEdit->date();
    if (!m_expiry)
        return std::nullopt;
    const int months = oneMonthButton->isChecked() ? 1
        : threeMonthsButton->isChecked()            ? 3
        : sixMonthsButton->isChecked()              ? 6
                                                    : 12;
    // QDate keeps a month end within the shorter month.
    return m_expiry->addMonths(months);
}

void LeaseRenewalDialog::showNewExpiry()
{
    const std::optional<QDate> expiry = newExpiry();
    newExpiryLabel->setText(expiry ? QStringLiteral("新的到期日期：%1").arg(fullYearDateText(*expiry, regionalFormats()))
                                   : QStringLiteral("现在的到期日期无法识别，请选择“续至”的日期。"));
}

void LeaseRenewalDialog::renew()
{
    const std::optional<QDate> expiry = newExpiry();
    if (!expiry)
        throw AppError(QStringLiteral("现在的到期日期无法识别，请选择“续至”的日期"));
    if (m_expiry && *expiry <= *m_expiry)
        throw AppError(QStringLiteral("新的到期日期要晚于现在的到期日期"));
    std::optional<QString> rent;
    if (rentGroup->isChecked()) {
        long long amount = 0;
        const QString text = newRentEdit->text().trimmed();
        if (!readPlainAmount(text.toStdString(), amount) || amount < 0)
            throw AppError(QStringLiteral("新租金要填写整数金额（元）"));
        if (text != m_rentText)
            rent = text;
    }
    TADOQuery &list = m_window.recordList().listCursor();
    // The row is the one this window showed: the write below checks it.
    if (shownTenant(list).id != m_tenantId)
        throw AppError(QStringLiteral("列表中选中的房客已经变了，没有续租"));
    // The months before the new rent keep the old one in their bills; a
    // change left behind by a write refused below is undone by the text.
    if (rent)
        recordRentChange(m_window.connection(), m_tenantId, monthOf(rentFromEdit), m_rentText, *rent);
    const QString expiryText = fullYearDateText(*expiry, regionalFormats());
    postRecordEdit(list, [&](TADOQuery &row, bool newRow) {
        if (newRow)
            throw AppError(QStringLiteral("请先在列表中选中一位房客"));
        row.SetFieldText(QStringLiteral("到期日期"), expiryText);
        if (rent)
            row.SetFieldText(QStringLiteral("租金"), *rent);
    });
    m_window.recordList().setMessageText(QStringLiteral("续租至 %1").arg(expiryText));
    accept();
}
