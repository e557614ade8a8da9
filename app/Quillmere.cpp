// Quillmere: start-up of the tenant register.
#include "platform/SingleInstanceGuard.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

int main(int argc, char *argv[])
{
    // One instance per user: a second start ends at once, silently. The
    // guard is a convenience: when its lock cannot be made (no writable
    // runtime folder, something else in the lock file's place) the program
    // starts without it rather than never.
    if (acquireSingleInstanceGuard(applicationTitle) == InstanceGuardResult::AlreadyRunning)
        return 0;

    QApplication application(argc, argv);
    QApplication::setApplicationName(applicationTitle);
    QApplication::setApplicationVersion(QStringLiteral(LARKHAVEN_VERSION_TEXT));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/Quillmere.png")));

    applyProgramFont();
    applyVisualStyle(visualStyleName);

    // The windows, created hidden in this order; each is the single
    // instance of its class and lives until the end.
    createProgramWindows();

    // Logging off asks the same question as closing the main window.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, Form1, [](QSessionManager &manager) {
        bool mayEnd = true;
        if (manager.allowsInteraction())
            runGuarded([&] { mayEnd = Form1->FormCloseQuery(); });
        if (!mayEnd)
            manager.cancel();
        manager.release();
    });

    Form1->show();
    application.exec();
    destroyProgramWindows();
    return 0;
}
