// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

class QWidget;

// The look of the program's small windows: a title bar with the given boxes,
// fixed size, on top of every other window, non-modal.
Qt::WindowFlags toolWindowFlags(Qt::WindowFlags boxes);

// Centres `window`, frame included, in the work area of the main window's
// screen, as it is being shown.
void centreAsShown(QWidget *window);

// Shows `window` (restored when minimised) and brings it to the front.
void showToolWindow(QWidget *window);
