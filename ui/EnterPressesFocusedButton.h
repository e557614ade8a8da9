// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Enter and keypad Enter press the focused push button in every window of
// the program, as Space does. Qt presses on Enter only a dialog's buttons
// and a window's default button; a button on one of the program's own
// windows (the add and edit window, the delete confirmation, or any window
// made later) would let Enter pass by. One filter on the application sees
// every key, so a new window or dialog needs no code of its own. Buttons that
// take Enter themselves are left to Qt, so the main window's default button
// and the boxes' default and escape buttons behave as before.
void pressFocusedButtonsOnEnter();
