// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_ImportPreview.h"

#include <QDialog>

#include <memory>

struct ImportPlan;
class QAbstractTableModel;

// The preview of an import, before anything is written: the file and its
// sheet (another can be chosen), how many records will be added, the rows
// that are skipped with their reason, the columns left out or missing, and
// the backup that 确认导入 takes first. 确认导入 accepts the dialog; 取消
// and the close box reject it; choosing another sheet ends it with
// OtherSheet, for the caller to read that sheet and show its preview.
class TImportPreview : public QDialog, public Ui::TImportPreview {
    Q_OBJECT
public:
    static constexpr int OtherSheet = 2;

    TImportPreview(const QString &path, const ImportPlan &plan, QWidget *parent = nullptr);
    ~TImportPreview() override;

    int chosenSheet() const { return ComboBoxSheet->currentIndex(); }

private:
    std::unique_ptr<QAbstractTableModel> m_added;
    std::unique_ptr<QAbstractTableModel> m_skipped;
};
