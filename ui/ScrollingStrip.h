// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Puts `strip`, a frame of one row of controls at fixed places, into a
// scroll area in its place in the layout. Where the window is narrower than
// the controls reach (a small screen, a large scale), a scroll bar under the
// strip brings the rest into view; where they fit, the strip is as before.
void scrollWhenNarrow(QWidget *strip);
