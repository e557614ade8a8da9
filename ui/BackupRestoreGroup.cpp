// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BackupRestoreGroup.h"

#include "db/ADOQuery.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "register/DatabaseRestore.h"
#include "register/RecordListView.h"
#include "register/Unit_mokuai.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"

#include <QFileInfo>
#include <QHeaderView>

namespace {

QString lastChangedText(const QDateTime &time)
{
    const RegionalFormats &formats = regionalFormats();
    return fullYearDateText(time.date(), formats) + QLatin1Char(' ') + time.time().toString(formats.longTimeFormat);
}

constexpr int pathRole = Qt::UserRole;
constexpr int recordsRole = Qt::UserRole + 1;

std::optional<long long> backupRecords(const QTreeWidgetItem *item)
{
    const QVariant records = item->data(2, recordsRole);
    return records.isValid() ? std::optional<long long>(records.toLongLong()) : std::nullopt;
}

} // namespace

BackupRestoreGroup::BackupRestoreGroup(RegisterWindow &window, QWidget *parent)
    : QGroupBox(parent)
    , m_window(window)
{
    setupUi(this);
    restoreButton->setEnabled(false);
    connect(backupList, &QTreeWidget::itemSelectionChanged, this,
            [this] { restoreButton->setEnabled(!backupList->selectedItems().isEmpty()); });
    connectGuarded(restoreButton, &QPushButton::clicked, this, &BackupRestoreGroup::restoreChosenBackup);
}

void BackupRestoreGroup::showBackups()
{
    const QTreeWidgetItem *selected = backupList->currentItem();
    const QString selectedPath = selected && selected->isSelected() ? selected->data(0, pathRole).toString() : QString();
    backupList->clear();
    for (const BackupFile &backup : m_backups.backups()) {
        auto *item = new QTreeWidgetItem(
            {backup.name, lastChangedText(backup.lastChanged),
             backup.records ? QString::number(*backup.records) : QStringLiteral("无法读取")});
        item->setData(0, pathRole, backup.path);
        if (backup.records)
            item->setData(2, recordsRole, *backup.records);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        backupList->addTopLevelItem(item);
        if (backup.path == selectedPath)
            backupList->setCurrentItem(item);
    }
    backupList->resizeColumnToContents(0);
    backupList->resizeColumnToContents(1);
    restoreButton->setEnabled(!backupList->selectedItems().isEmpty());
}

void BackupRestoreGroup::restoreChosenBackup()
{
    const QList<QTreeWidgetItem *> chosen = backupList->selectedItems();
    if (chosen.isEmpty())
        return;
    const QTreeWidgetItem *item = chosen.first();
    const QString name = item->text(0);
    const QString safetyName = safetyBackupName(currentLocalDateTime());
    const bool hasDatabase = QFileInfo::exists(databasePath());
    const QString records = backupRecords(item).has_value() ? QStringLiteral("%1 个记录").arg(item->text(2))
                                                            : QStringLiteral("记录数无法读取");
    QString question = QStringLiteral("要用备份“%1”（%2，%3）替换当前的数据库吗？\n").arg(name, item->text(1), records);
    question += hasDatabase ? QStringLiteral("恢复前，当前的数据库会先备份为“%1”。").arg(safetyName)
                            : QStringLiteral("程序目录中没有数据库文件 data.mdb，恢复后它就是这个备份的副本。");
    if (!AskYesNo(applicationTitle, question, this))
        return;

    const RestoreOutcome outcome = restoreBackup(m_window.connection(), item->data(0, pathRole).toString(), safetyName);
    if (!outcome.restored) {
        showBackups();
        ShowWarningBox(QStringLiteral("无法恢复“%1”：%2。\n当前的数据库没有改动。").arg(name, outcome.failure));
        return;
    }
    // The restored file is the one to open, also when data.mdb was missing
    // at start-up. A refresh that fails (a rent the total cannot add) shows
    // its error; the restore is reported all the same.
    m_window.reopenRegister();
    showBackups();
    const QString kept = outcome.safetyBackup.isEmpty()
        ? QString()
        : QStringLiteral("\n恢复前的数据库已备份为“%1”。").arg(outcome.safetyBackup);
    RecordListView &list = m_window.recordList();
    if (list.listCursor().Active() && list.countText() == fullListCountText(int(outcome.records)))
        ShowMessage(QStringLiteral("已恢复备份“%1”，共 %2 个记录。").arg(name).arg(outcome.records) + kept);
    else
        ShowWarningBox(QStringLiteral("备份“%1”已放回数据库文件，但没能列出其中的记录（见上一条错误信息），请点“刷新”重试。")
                           .arg(name)
                       + kept);
}
