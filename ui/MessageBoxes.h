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
