// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "register/RecordListView.h"
#include "register/TenantTotals.h"
#include "ui/BackupRestoreGroup.h"
#include "ui/DataSource.h"
#include "ui/RegisterWindow.h"
#include "ui/RentRoundPage.h"
#include "ui/TenantSummary.h"
#include "ui/TransferPage.h"
#include "ui_Unit1.h"

#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPushButton;
class QTimer;

// The main window: banner, the pages Larkhaven / 数据备份 / 收租 / 导入导出 / 关于我们, the status bar
// and the clock. It owns the connection, the list cursor ADOQuery1 (shown
// by the grid through DataSource1) and the check cursor ADOQuery2, and is
// the record list the list procedures work on.
class TForm1 : public QWidget, public Ui::TForm1, public RecordListView, public RegisterWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    TADOConnection *ADOConnection1 = nullptr;
    TADOQuery *ADOQuery1 = nullptr;
    TADOQuery *ADOQuery2 = nullptr;
    TDataSource *DataSource1 = nullptr;
    QTimer *Timer = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *N1 = nullptr;
    QAction *exportListingAction = nullptr;
    QAction *printListingAction = nullptr;
    QAction *endingSoonAction = nullptr;
    QAction *renewLeaseAction = nullptr;
    QAction *endLeaseAction = nullptr;
    // The page 导入导出, the backups' restore on the page 数据备份, the page
    // 收租 and on it the register's figures.
    TransferPage *transferPage = nullptr;
    BackupRestoreGroup *restoreGroup = nullptr;
    RentRoundPage *rentRoundPage = nullptr;
    TenantSummary *tenantSummary = nullptr;

    // Handlers, named after control and event.
    void FormCreate();
    void TimerTimer();
    bool FormCloseQuery();
    void Button2Click();
    void ComboBoxsearchChange();
    void ButtonreClick();
    void DBGrid1CellClick(const QModelIndex &cell);
    void ButtonsearchClick();
    void Button1Click();
    void ButtonaddnewinfoClick();
    void DBGrid1DblClick();
    void ButtondelClick();
    void N1Click();
    void ButtonbakdatabasaClick();
    // The ending-soon listing, the register's figures and the listings
    // behind them (LeaseListings.cpp).
    void listEndingSoon();
    void listUnsummedAmounts();
    void listUnreadableDates();

    // After each listing of the whole register: its figures are due again,
    // and the pages are told.
    void registerWasListed();
    // The start-up reminder of leases ending or just ended and of tenants
    // who owe, in the message panel; nothing when there are none.
    void showLeaseReminder();

    // The record list: ADOQuery1, the count and message panels, DBGrid1's
    // column widths, the rent list ListBoxtjzhichu and the rent total
    // Edittjzhichu.
    TADOQuery &listCursor() override;
    QString countText() const override;
    void setCountText(const QString &text) override;
    ListingKind shownListing() const override { return m_shownListing; }
    void setShownListing(ListingKind kind) override { m_shownListing = kind; }
    void setMessageText(const QString &text) override;
    void setColumnWidth(int position, int width) override;
    const TextList &rentTexts() const override;
    TextList takeRentTexts() override;
    void setRentTexts(TextList texts) override;
    void setRentTotal(const QString &text) override;

    // What the pages ask of the window.
    TADOConnection &connection() override { return *ADOConnection1; }
    RecordListView &recordList() override { return *this; }
    RegisterEvents &registerEvents() override { return *m_events; }
    const TenantTotals &registerTotals() override;
    QWidget *dialogParent() override { return this; }
    bool relistRegister() override;
    bool reopenRegister() override;
    void showNarrowedListing(const std::function<int(RecordListView &)> &listing,
                             const QString &nothingFound) override;
    // 续租 and 退租 (LeaseActions.cpp).
    void renewLease(qint64 tenantId) override;
    void endLease(qint64 tenantId) override;

    // The button that Enter clicks where the focused control does not take
    // Enter itself; none until the search box first changes.
    QPushButton *defaultButton() const { return m_defaultButton; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectHandlers();
    void setUpPages();
    void keepAboutLineInPlace();
    void setUpLeaseListings();
    void setUpLeaseActions();
    // Makes the record `tenantId` the list's current row, listing the whole
    // register when the list shows it not; says so when there is none.
    bool showTenant(qint64 tenantId);
    // Under the tool bar, while the listing on show left out rows whose
    // expiry dates read as no date: how many, and a link that lists them.
    void showUnreadableDatesNote(long long count);

    RegisterEvents *m_events = nullptr;
    QPushButton *m_defaultButton = nullptr;
    ListingKind m_shownListing = ListingKind::None;
    bool m_shownOnce = false;
    QPoint m_aboutLineDesignPlace;  // the about line's place in the layout
    std::optional<TenantTotals> m_totals;  // of the last full listing, once asked for
};

// The single main window, set as soon as its construction begins.
extern TForm1 *Form1;

// The list procedures of Unit_mokuai on the main window's record list, rent
// list and rent total, reached through Form1.
void RefreshList();
void FillRentList();
void SumRentList();
// The full refresh: RefreshList, FillRentList and SumRentList in this order.
void FullRefresh();
