#pragma once

#include <QString>

class QWidget;

// The application title: window caption, message box title, guard name.
inline const QString applicationTitle = QStringLiteral("Larkhaven");

// The plain message box: modal, titled "Larkhaven", no icon, one OK button.
void ShowMessage(const QString &text);

// The error box: modal, titled "Larkhaven", error icon, one OK button. A full
// stop is appended when the text's last character code is above that of ".".
void ShowErrorBox(const QString &text);

// The error box's text for an error text.
QString errorBoxText(const QString &text);

// A warning: modal, titled "Larkhaven", warning icon, one OK button.
void ShowWarningBox(const QString &text);

// A question with the buttons "&Yes" (the default, Enter) and "&No" (also
// Esc and the box's close button), question icon. True for Yes.
bool AskYesNo(const QString &title, const QString &text, QWidget *parent = nullptr);
