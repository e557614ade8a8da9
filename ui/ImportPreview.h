// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/ImportPlan.h"
#include "ui_ImportPreview.h"

#include <QDialog>

#include <memory>

class PlanRowsModel;

// The preview of an import, before anything is written: the file and its
// sheet (another can be chosen), what each column of the sheet becomes
// (which the landlord can change: the plan is made again from the sheet
// as it was read), how many records will be added, the rows that are
// skipped with their reason and the rows to look at, the register columns
// that stay empty (in red; 确认导入 is then not the default button) and the
// backup that 确认导入 takes first. 确认导入 accepts the dialog; 取消 and
// the close box reject it; choosing another sheet ends it with OtherSheet,
// for the caller to read that sheet and show its preview.
class TImportPreview : public QDialog, public Ui::TImportPreview {
    Q_OBJECT
public:
    static constexpr int OtherSheet = 2;

    TImportPreview(const QString &path, ImportPlan plan, const NameSet &registerNames, QWidget *parent = nullptr);
    ~TImportPreview() override;

    int chosenSheet() const { return ComboBoxSheet->currentIndex(); }
    // The plan as the landlord left it.
    const ImportPlan &plan() const { return m_plan; }

private:
    void setUpColumnChoices();
    void choose(int sheetColumn, const ColumnChoice &choice);
    void showPlan();

    ImportPlan m_plan;
    const NameSet &m_registerNames;
    std::unique_ptr<PlanRowsModel> m_added;
    std::unique_ptr<PlanRowsModel> m_skipped;
    std::unique_ptr<PlanRowsModel> m_notes;
};
