// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QWidget;

// The application title: window caption, message box title, guard name.
inline const QString applicationTitle = QStringLiteral("Larkhaven");

// The plain message box: modal, titled "Larkhaven", no icon, one OK button.
void ShowMessage(const QString &text);

// The error box: modal, titled "Larkhaven", error icon, one OK button. A full
// stop is appended when the text's last character code is above that of ".".
void ShowErrorBox(const QString &text);

// A warning: modal, titled "Larkhaven", warning icon, one OK button.
void ShowWarningBox(const QString &text);

// A question with the buttons "&Yes" (the default, Enter) and "&No" (also
// Esc and the box's close button), question icon. True for Yes.
bool AskYesNo(const QString &title, const QString &text, QWidget *parent = nullptr);

// The window flags of every modal box of the program. The add and edit
// window and the delete confirmation stay on top of other windows; a box
// stays on top as well, so that it comes up above them (the last shown of
// the windows that stay on top is the topmost) and can be answered.
Qt::WindowFlags programBoxFlags();
