#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showBox(QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, applicationTitle, text, QMessageBox::Ok, QApplication::activeWindow(), programBoxFlags());
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
