#include "ui/ProgramWindows.h"

#include "ui/Unit1.h"

void createProgramWindows()
{
    new TForm1;
}

void destroyProgramWindows()
{
    // The other windows are owned by the main window and go with it.
    delete Form1;
}
