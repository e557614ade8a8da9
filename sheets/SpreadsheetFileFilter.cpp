// SPDX-License-Identifier: GPL-3.0-or-later
// Apart from the readers, so that the window's file dialog does not link them.
#include "sheets/SpreadsheetReader.h"

QString spreadsheetFileFilter()
{
    return QStringLiteral("表格文件 (*.xlsx *.ods *.csv);;Excel 工作簿 (*.xlsx);;OpenDocument 表格 (*.ods);;"
                          "CSV 文件 (*.csv);;所有文件 (*)");
}
