// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Loads Qt's own translation (Debian's qt6-translations-l10n) for the user's
// language, QLocale()'s, in place of one loaded before: file dialogs, the
// print preview and Qt's other standard texts then speak it. Nothing is
// loaded for a language Qt has no translation for. The boxes whose button
// texts the program fixes set them itself (MessageBoxes.h). True when a
// translation was loaded.
bool loadQtTranslation();
