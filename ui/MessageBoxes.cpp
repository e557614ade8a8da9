// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

void showBox(QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, applicationTitle, text, QMessageBox::Ok, QApplication::activeWindow(), programBoxFlags());
    // "OK" in every language, as "&Yes" and "&No" below: Qt's translation
    // would name them otherwise.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

QString errorBoxText(const QString &text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + QLatin1Char('.');
    return text;
}

} // namespace

Qt::WindowFlags programBoxFlags()
{
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint;
}

void ShowMessage(const QString &text)
{
    showBox(QMessageBox::NoIcon, text);
}

void ShowErrorBox(const QString &text)
{
    showBox(QMessageBox::Critical, errorBoxText(text));
}

void ShowWarningBox(const QString &text)
{
    showBox(QMessageBox::Warning, text);
}

bool AskYesNo(const QString &title, const QString &text, QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent, programBoxFlags());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
