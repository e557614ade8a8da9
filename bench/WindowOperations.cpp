#include "WindowOperations.h"

#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"

#include <QApplication>

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

QString listingSql()
{
    return Form1->ADOQuery1->SQL();
}

QVariantList listingParameters()
{
    return Form1->ADOQuery1->parameters();
}

} // namespace WindowOperations
