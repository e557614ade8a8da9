// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The user's operations, driven through the real windows' handlers, as the
// benchmark times them. Modal boxes that an operation shows are answered.
namespace WindowOperations {

// Start-up: the windows created (with the full refresh), the main window
// shown and painted once.
void startProgram();
void endProgram();

void refresh();                                              // 刷新
void search(const QString &field, const QString &keyword);   // 查询
void dueTenants();                                           // 到期房客

// 添加 on the main window, a name typed, then 添加 on the add page; only the
// last click (the duplicate check, the insert, the full refresh) is timed.
void openAddPage(const QString &name);
void addFromAddPage();

// A row selected and 删除 on the main window, then 确认; only 确认 (the
// delete and the reload) is timed.
void openDeleteConfirmation(int row);
void confirmDelete();

// The grid scrolled from its first row to its last and painted there.
void scrollGridToEnd();

// The statement and parameters of the listing on show, for the baseline.
QString listingSql();
QVariantList listingParameters();

} // namespace WindowOperations
