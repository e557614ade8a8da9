// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TransferFiles.h"

#include "platform/ProgramClock.h"
#include "ui/MessageBoxes.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// The folder of the last file chosen in this run.
QString &lastFolder()
{
    static QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder;
}

QString suffixOf(const QString &filter)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return match.captured(1);
}

} // namespace

QString fileNameDate()
{
    return currentLocalDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString askSavePath(const QString &title, const QString &proposedName, const QStringList &filters)
{
    QFileDialog dialog(Form1, title, lastFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixOf(filters.first()));
    dialog.selectFile(proposedName + QLatin1Char('.') + suffixOf(filters.first()));
    // Another type proposes the name with its suffix.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &filter) {
        dialog.setDefaultSuffix(suffixOf(filter));
        dialog.selectFile(proposedName + QLatin1Char('.') + suffixOf(filter));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString path = dialog.selectedFiles().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool known = false;
    for (const QString &filter : filters)
        known = known || suffixOf(filter) == suffix;
    if (!known) {
        // The dialog asked about the name without the suffix.
        path += QLatin1Char('.') + suffixOf(dialog.selectedNameFilter());
        if (QFileInfo::exists(path)
            && !AskYesNo(applicationTitle, QStringLiteral("“%1”已经存在。\n要替换它吗？").arg(QDir::toNativeSeparators(path))))
            return {};
    }
    lastFolder() = QFileInfo(path).absolutePath();
    return path;
}

QString askOpenPath(const QString &title, const QString &filter)
{
    const QString path = QFileDialog::getOpenFileName(Form1, title, lastFolder(), filter);
    if (!path.isEmpty())
        lastFolder() = QFileInfo(path).absolutePath();
    return path;
}
