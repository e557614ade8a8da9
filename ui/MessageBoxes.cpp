#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showBox(QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, applicationTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

void ShowMessage(const QString &text)
{
    showBox(QMessageBox::NoIcon, text);
}

QString errorBoxText(const QString &text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + QLatin1Char('.');
    return text;
}

void ShowErrorBox(const QString &text)
{
    showBox(QMessageBox::Critical, errorBoxText(text));
}
