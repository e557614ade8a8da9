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

// The statement and parameters of the listing on show, for the baseline.
QString listingSql();
QVariantList listingParameters();

} // namespace WindowOperations
