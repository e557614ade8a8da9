// Quillmere: start-up of the tenant register.
#include "platform/SingleInstanceGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // One instance per user: a second start ends at once, silently. The
    // guard is a convenience: when its lock cannot be made (no writable
    // runtime folder, something else in the lock file's place) the program
    // starts without it rather than never.
    if (acquireSingleInstanceGuard(applicationTitle) == InstanceGuardResult::AlreadyRunning)
        return 0;

    QApplication application(argc, argv);
    setUpProgram(application);
    Form1->show();
    application.exec();
    destroyProgramWindows();
    return 0;
}
