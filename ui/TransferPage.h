// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_TransferPage.h"

#include <QWidget>

class RegisterWindow;
class TADOQuery;

// The main window's page 导入导出: the listing on show, or the whole
// register, out to a spreadsheet or the printer, and tenants in from a
// spreadsheet. The grid's context menu runs its export and print too.
class TransferPage : public QWidget, public Ui::TransferPage {
    Q_OBJECT
public:
    explicit TransferPage(RegisterWindow &window, QWidget *parent = nullptr);

    void exportListing();
    void exportAll();
    void importFromSpreadsheet();
    void printListing();

private:
    TADOQuery &listCursor();
    // Whether the list holds rows; says so when it holds none.
    bool listingHasRows();

    RegisterWindow &m_window;
};
