// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's listings by expiry date and amount, and the register's
// figures: the ending-soon listing (from the grid's menu and the figures'
// page), the note on rows whose expiry dates read as no date, the start-up
// reminder, and the listings behind the figures.
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/TenantSearch.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/Unit1.h"

#include <QMenu>

namespace {

QDate today()
{
    return currentLocalDateTime().date();
}

} // namespace

void TForm1::setUpLeaseListings()
{
    PopupMenu1->addSeparator();
    endingSoonAction = PopupMenu1->addAction(QStringLiteral("30天内到期房客"));
    endingSoonAction->setObjectName(QStringLiteral("endingSoonAction"));

    // First on the page 导入导出, where the register's figures are seen
    // without looking for them.
    tenantSummary = new TenantSummary(transferPage->transferPageContents);
    transferPage->transferPageContentsLayout->insertWidget(0, tenantSummary);
    setTabOrder(tenantSummary->endingSoonButton, tenantSummary->unsummedAmountsButton);
    setTabOrder(tenantSummary->unsummedAmountsButton, tenantSummary->unreadableDatesButton);
    setTabOrder(tenantSummary->unreadableDatesButton, transferPage->exportListingButton);

    // A new listing takes the note of the one before away.
    connect(ADOQuery1, &TADOQuery::aboutToReset, unreadableDatesNoteLabel, &QWidget::hide);

    connectGuarded(endingSoonAction, &QAction::triggered, this, &TForm1::listEndingSoon);
    connectGuarded(tenantSummary->endingSoonButton, &QPushButton::clicked, this, &TForm1::listEndingSoon);
    connectGuarded(tenantSummary->unsummedAmountsButton, &QPushButton::clicked, this, &TForm1::listUnsummedAmounts);
    connectGuarded(tenantSummary->unreadableDatesButton, &QPushButton::clicked, this, &TForm1::listUnreadableDates);
    connectGuarded(unreadableDatesNoteLabel, &QLabel::linkActivated, this, &TForm1::listUnreadableDates);
}

void TForm1::showTotals(const TenantTotals &totals)
{
    m_totals = totals;
    tenantSummary->showTotals(totals);
}

void TForm1::showLeaseReminder()
{
    if (!m_totals)
        return;
    if (const QString reminder = leaseReminderText(*m_totals); !reminder.isEmpty())
        setMessageText(reminder);
}

void TForm1::showNarrowedListing(const std::function<int(RecordListView &)> &listing, const QString &nothingFound)
{
    PageControl1->setCurrentWidget(TabSheet1);
    if (listing(*this) == 0) {
        ShowMessage(nothingFound);
        Buttonre->click();
    }
}

void TForm1::showUnreadableDatesNote(long long count)
{
    if (count <= 0)
        return;
    unreadableDatesNoteLabel->setText(unreadableDatesNote(count).toHtmlEscaped() + QStringLiteral("，<a href=\"list\">查看</a>"));
    unreadableDatesNoteLabel->show();
}

void TForm1::listEndingSoon()
{
    long long unreadable = 0;
    showNarrowedListing([&](RecordListView &list) { return EndingSoonList(list, today(), &unreadable); },
                        QStringLiteral("%1天内暂无到期房客.").arg(endingSoonDays));
    showUnreadableDatesNote(unreadable);
}

void TForm1::listUnsummedAmounts()
{
    showNarrowedListing([](RecordListView &list) { return UnsummableAmountList(list); },
                        QStringLiteral("没有无法合计的租金或押金."));
}

void TForm1::listUnreadableDates()
{
    showNarrowedListing([](RecordListView &list) { return UnreadableExpiryList(list); },
                        QStringLiteral("没有到期日期无法识别的记录."));
}
