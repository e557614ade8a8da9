// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

// The program's start-up once the application exists: its name, version and
// icon, Qt's translation for the user's language, the font and the visual style, then the windows, created hidden (the
// main window loads the register), and the log-off question. The caller
// shows Form1 and runs the event loop.
void setUpProgram(QApplication &application);

// Creates the program's windows, hidden, in their order: the main window
// Form1, then the windows it opens. Each is the single instance of its class
// and lives until destroyProgramWindows(). From then on Enter presses the
// focused button in every window (EnterPressesFocusedButton.h).
void createProgramWindows();
void destroyProgramWindows();

// A second start of the program asked for it: the main window is restored
// when minimised, shown, raised and activated, and so is a box that waits
// for an answer. Before start-up has shown the main window, only the box.
void bringProgramToFront();
