// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "register/BackupCatalogue.h"
#include "ui_BackupRestoreGroup.h"

#include <QGroupBox>

class RegisterWindow;

// The group 恢复备份 on the page 数据备份: the backups beside the program,
// newest first, with their last change and record count, and restoring the
// chosen one in data.mdb's place.
class BackupRestoreGroup : public QGroupBox, public Ui::BackupRestoreGroup {
    Q_OBJECT
public:
    explicit BackupRestoreGroup(RegisterWindow &window, QWidget *parent = nullptr);

    // Reads the backups beside the program again, keeping the one chosen.
    // The files there change without telling: the main window asks for
    // this whenever the page shows.
    void showBackups();
    // 恢复: asks, restores the chosen backup and lists the register afresh.
    void restoreChosenBackup();

private:
    RegisterWindow &m_window;
    BackupCatalogue m_backups;
};
