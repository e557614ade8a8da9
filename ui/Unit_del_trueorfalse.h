// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_Unit_del_trueorfalse.h"

#include <QWidget>

// The delete confirmation "删除确认": 确认 deletes the list cursor's current
// row, the one current when it is pressed, and reloads the list.
class TForm3 : public QWidget, public Ui::TForm3 {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    // Shows the window, or brings it to the front when it is open.
    void showConfirmation();

    // Handlers, named after control and event.
    void ButtondelyesClick();
    void ButtonnodelClick();

protected:
    void showEvent(QShowEvent *event) override;
};

// The single delete confirmation, set as soon as its construction begins.
extern TForm3 *Form3;

// The delete that 确认 runs: the list cursor's current row leaves the table
// (exactly the row as it was read, or nothing and the engine's error), and
// the list is read again.
void deleteCurrentRecord();
