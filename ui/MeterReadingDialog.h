// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ui_MeterReadingDialog.h"

#include <QDialog>

class MeterReadingModel;
class RegisterWindow;

// 抄表: the month's meter sheet. A reading typed into 本次读数 is saved
// with Enter, which moves down to the next room; a reading below the last
// one asks whether the meter was replaced (the reading then starts the
// count) or the reading was mistyped (it is typed again). Clearing a
// reading removes it, after asking. 添加房间 adds a room by hand.
class MeterReadingDialog : public QDialog, public Ui::MeterReadingDialog {
    Q_OBJECT
public:
    MeterReadingDialog(RegisterWindow &window, const LedgerMonth &month, QWidget *parent = nullptr);

    MeterReadingModel *model() const { return m_sheet; }

    // Saves `text` as the reading of the cell at `cell`; false when nothing
    // was saved and the landlord types it again.
    bool enterReading(const QModelIndex &cell, const QString &text);
    void addRoom();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RegisterWindow &m_window;
    MeterReadingModel *m_sheet = nullptr;
};
