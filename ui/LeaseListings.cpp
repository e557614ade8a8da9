// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's listings by expiry date and amount, and the register's
// figures: the ending-soon listing (from the grid's menu and the figures'
// page), the note on rows whose expiry dates read as no date, the start-up
// reminder, and the listings behind the figures.
#include "ledger/Arrears.h"
#include "ledger/LedgerWrite.h"
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

// The lease reminder, and the tenants who owe, in one line short enough for
// the message panel at the window's first size: beside the tenants who owe,
// the leases are said more briefly.
QString startUpReminderText(const TenantTotals &totals, int owing)
{
    if (owing <= 0)
        return leaseReminderText(totals);
    const QString owed = QStringLiteral("欠费%1 位").arg(owing);
    const int ending = totals.endingThisWeek;
    const int ended = totals.endedThisWeek;
    if (ending > 0 && ended > 0)
        return QStringLiteral("到期%1,刚到期%2,").arg(ending).arg(ended) + owed;
    if (ending > 0)
        return QStringLiteral("%1天内到期%2 位,").arg(reminderDays).arg(ending) + owed;
    if (ended > 0)
        return QStringLiteral("刚到期%1 位,").arg(ended) + owed;
    return QStringLiteral("%1 位房客欠费").arg(owing);
}

} // namespace

void TForm1::setUpLeaseListings()
{
    PopupMenu1->addSeparator();
    endingSoonAction = PopupMenu1->addAction(QStringLiteral("30天内到期房客"));
    endingSoonAction->setObjectName(QStringLiteral("endingSoonAction"));

    // At the top of the page 收租, beside the month's collection.
    tenantSummary = rentRoundPage->tenantSummary;
    setTabOrder(tenantSummary->endingSoonButton, tenantSummary->unsummedAmountsButton);
    setTabOrder(tenantSummary->unsummedAmountsButton, tenantSummary->unreadableDatesButton);
    setTabOrder(tenantSummary->unreadableDatesButton, rentRoundPage->monthEdit);

    // A new listing takes the note of the one before away.
    connect(ADOQuery1, &TADOQuery::aboutToReset, unreadableDatesNoteLabel, &QWidget::hide);

    connectGuarded(endingSoonAction, &QAction::triggered, this, &TForm1::listEndingSoon);
    connectGuarded(tenantSummary->endingSoonButton, &QPushButton::clicked, this, &TForm1::listEndingSoon);
    connectGuarded(tenantSummary->unsummedAmountsButton, &QPushButton::clicked, this, &TForm1::listUnsummedAmounts);
    connectGuarded(tenantSummary->unreadableDatesButton, &QPushButton::clicked, this, &TForm1::listUnreadableDates);
    connectGuarded(unreadableDatesNoteLabel, &QLabel::linkActivated, this, &TForm1::listUnreadableDates);
}

void TForm1::registerWasListed()
{
    m_totals.reset();
    emit m_events->registerListed();
}

const TenantTotals &TForm1::registerTotals()
{
    if (!m_totals) {
        if (m_shownListing == ListingKind::FullList) {
            m_totals = totalsOf(ADOQuery1->result(), today(), regionalFormats());
        } else {
            // The list shows part of the register since: its figures from the file.
            TADOQuery every(QStringLiteral("registerFigures"), ADOConnection1);
            every.setSQL(QStringLiteral("select 租金, 押金, 到期日期 from data"));
            every.Open();
            m_totals = totalsOf(every.result(), today(), regionalFormats());
        }
    }
    return *m_totals;
}

void TForm1::showLeaseReminder()
{
    // Nothing when the register could not be listed.
    if (m_shownListing != ListingKind::FullList)
        return;
    const LedgerRead ledger(*ADOConnection1);
    const QString reminder = startUpReminderText(registerTotals(), owingTenantCount(ledger.db, ledger.exists));
    if (!reminder.isEmpty())
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
