// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgramWindows.h"

#include "ui/EnterPressesFocusedButton.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/QtTranslation.h"
#include "ui/ToolWindow.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

void setUpProgram(QApplication &application)
{
    QApplication::setApplicationName(applicationTitle);
    QApplication::setApplicationVersion(QStringLiteral(LARKHAVEN_VERSION_TEXT));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/Quillmere.png")));
    // Qt's own dialogs and texts in the user's language, before any is made.
    loadQtTranslation();

    applyProgramFont();
    applyVisualStyle(visualStyleName);

    // The windows, created hidden in this order; each is the single
    // instance of its class and lives until the end.
    createProgramWindows();

    // Logging off asks the same question as closing the main window.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, Form1, [](QSessionManager &manager) {
        bool mayEnd = true;
        if (manager.allowsInteraction())
            runGuarded("TForm1::FormCloseQuery", [&] { mayEnd = Form1->FormCloseQuery(); });
        if (!mayEnd)
            manager.cancel();
        manager.release();
    });
}

void createProgramWindows()
{
    pressFocusedButtonsOnEnter();
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

void bringProgramToFront()
{
    if (Form1 && Form1->isVisible())
        showToolWindow(Form1);
    if (QWidget *box = QApplication::activeModalWidget())
        showToolWindow(box);
}
