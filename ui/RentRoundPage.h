// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ledger/LedgerMonth.h"
#include "ui_RentRoundPage.h"

#include <QWidget>

#include <optional>

class BillListModel;
class QAction;
class QMenu;
class IncomeChart;
struct LedgerRead;
class RegisterWindow;
class TenantSummary;

// The main window's page 收租: the register's figures and this month's
// collection at the top; a month's bills below, with the meter readings,
// generating the bills, payments, the tenants who owe, the prices and fees,
// export and print. It reaches the register only through RegisterWindow.
class RentRoundPage : public QWidget, public Ui::RentRoundPage {
    Q_OBJECT
public:
    explicit RentRoundPage(RegisterWindow &window, QWidget *parent = nullptr);

    // The group 房客统计; the main window runs its listings.
    TenantSummary *tenantSummary = nullptr;
    // 收入: the last twelve months and this year at a glance.
    IncomeChart *incomeChart = nullptr;
    // The bills' context menu: the chosen bill, its payment's receipt, 续租
    // and 退租 of its tenant.
    QMenu *billMenu = nullptr;
    QAction *receiptAction = nullptr;
    QAction *renewLeaseAction = nullptr;
    QAction *endLeaseAction = nullptr;
    BillListModel *billModel() const { return m_bills; }

    // The page has come on screen: its figures and bills brought up to date.
    void pageShown();
    // Lists the bills of `month`.
    void showMonth(const LedgerMonth &month);
    LedgerMonth month() const;

    // Handlers of the page's controls.
    void readMeters();
    void generateBills();
    void recordPayment();
    void showBillDetail();
    void showArrears();
    void showRooms();
    void editSettings();
    void exportBills();
    void printBills();
    // The receipt of the chosen bill's latest payment; 续租 and 退租 of its tenant.
    void printReceipt();
    void renewLease();
    void endLease();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onScreen() const;
    // The month's bills and the collection figures, read from the file;
    // the year's income too unless only the month shown changed.
    void reload(bool withIncome = true);
    void showRegisterFigures();
    void showIncome(const LedgerRead &file);
    // The bill of the list's current row; says so when there is none.
    std::optional<BillSummary> chosenBill();
    void selectBill(qint64 billId);

    RegisterWindow &m_window;
    BillListModel *m_bills = nullptr;
    bool m_figuresStale = true;  // the register was listed since its figures were shown
};
