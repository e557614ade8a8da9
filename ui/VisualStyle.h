// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's visual style, carried among its resources.
inline const QString visualStyleName = QStringLiteral("Tablet Light");

// Applies the named style to every window and message box. A style that is
// not among the resources is reported ("Style '%s' not found", one Close
// button) and the platform's look stays. Returns whether it was applied.
bool applyVisualStyle(const QString &name);

// The program's fonts: 宋体 12 px for the windows, 微软雅黑 for the banner,
// with the CJK faces of this system standing in where those are missing.
void applyProgramFont();
QStringList bannerFontFamilies();
