// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// Lets only digits be typed into a box: every other typed character
// (letters, the blank, ".", "-") is dropped before the box sees it. Editing
// keys and shortcuts (Backspace, Delete, the arrows, Home, End, Ctrl+A, C,
// V, X, Z, Tab, Enter, ...) work as in any box. Text that is pasted, picked
// from a list or set by the program is not filtered.
class DigitFilter : public QObject {
    Q_OBJECT
public:
    explicit DigitFilter(QObject *parent = nullptr);

    // Filters what is typed into `box` (and into its line edit, for an
    // editable combo box). The filter belongs to `box`.
    static void install(QWidget *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
