#include "ui/ProgramWindows.h"

#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

void createProgramWindows()
{
    // Form2 and Form3 are windows of their own owned by the main window:
    // closing the main window ends the program whether they are open or not.
    new TForm1;
    new TForm2(Form1);
    new TForm3(Form1);
}

void destroyProgramWindows()
{
    // The windows that use the main window's cursors go first.
    delete Form3;
    delete Form2;
    delete Form1;
}
