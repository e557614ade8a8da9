// SPDX-License-Identifier: GPL-3.0-or-later
// Quillmere: start-up of the tenant register.
#include "platform/SingleInstanceGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    // One instance per user: a second start asks the running one to come to
    // the front and ends at once, silently. The guard is a convenience: when
    // its lock cannot be made (no writable runtime folder, something else in
    // the lock file's place) the program starts without it rather than never.
    const InstanceGuardResult guard = acquireSingleInstanceGuard(applicationTitle);
    if (guard == InstanceGuardResult::AlreadyRunning) {
        const QCoreApplication secondStart(argc, argv);
        requestActivation(applicationTitle);
        return 0;
    }

    QApplication application(argc, argv);
    // The door opens before start-up, whose boxes a second start brings up too.
    std::unique_ptr<InstanceActivation> activation;
    if (guard == InstanceGuardResult::Acquired) {
        activation = std::make_unique<InstanceActivation>(applicationTitle);
        QObject::connect(activation.get(), &InstanceActivation::activationRequested, &bringProgramToFront);
    }
    setUpProgram(application);
    Form1->show();
    application.exec();
    destroyProgramWindows();
    return 0;
}
