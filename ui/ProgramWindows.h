#pragma once

// Creates the program's windows, hidden, in their order: the main window
// Form1, then the windows it opens. Each is the single instance of its class
// and lives until destroyProgramWindows().
void createProgramWindows();
void destroyProgramWindows();
