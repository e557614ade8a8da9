// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowOperations.h"

#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QApplication>
#include <QScrollBar>

namespace WindowOperations {

void startProgram()
{
    createProgramWindows();
    Form1->show();
    Form1->repaint();
    QApplication::processEvents();
}

void endProgram()
{
    destroyProgramWindows();
    QApplication::processEvents();
}

void refresh()
{
    Form1->Buttonre->click();
}

void search(const QString &field, const QString &keyword)
{
    Form1->ComboBoxsearchclass->setEditText(field);
    Form1->ComboBoxsearch->setEditText(keyword);
    Form1->Buttonsearch->click();
}

void dueTenants()
{
    Form1->Button1->click();
}

void openAddPage(const QString &name)
{
    Form1->Buttonaddnewinfo->click();
    Form2->ComboBox_XingMing->setEditText(name);
    Form2->ComboBox_FangHao->setEditText(QStringLiteral("8-0801"));
}

void addFromAddPage()
{
    Form2->Buttonaddinfo->click();
}

void openDeleteConfirmation(int row)
{
    Form1->ADOQuery1->setRecNo(row);
    Form1->Buttondel->click();
}

void confirmDelete()
{
    Form3->Buttondelyes->click();
}

void scrollGridToEnd()
{
    QScrollBar *rows = Form1->DBGrid1->verticalScrollBar();
    rows->setValue(rows->minimum());
    Form1->DBGrid1->viewport()->repaint();
    rows->setValue(rows->maximum());
    Form1->DBGrid1->viewport()->repaint();
}

QString listingSql()
{
    return Form1->ADOQuery1->SQL();
}

QVariantList listingParameters()
{
    return Form1->ADOQuery1->parameters();
}

} // namespace WindowOperations
