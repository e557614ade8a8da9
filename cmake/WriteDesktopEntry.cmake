# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the menu entry LARKHAVEN_DESKTOP_ENTRY from LARKHAVEN_DESKTOP_TEMPLATE
# with Exec starting the program LARKHAVEN_PROGRAM (an absolute path). Run at
# install time by `cmake --install` and by scripts/install.sh:
#   cmake -DLARKHAVEN_PROGRAM=... -DLARKHAVEN_DESKTOP_TEMPLATE=...
#         -DLARKHAVEN_DESKTOP_ENTRY=... -P WriteDesktopEntry.cmake
# A menu entry looks its program up before it reads "%%" as "%", so a
# path with "%" would install an entry that never starts.
if(NOT LARKHAVEN_PROGRAM MATCHES "^/" OR LARKHAVEN_PROGRAM MATCHES "[\n\r\t%]")
    message(FATAL_ERROR "The program's path \"${LARKHAVEN_PROGRAM}\" cannot start a menu entry: "
                        "it must be absolute and hold no line break, tab or %.")
endif()

# The path as one quoted argument: inside the quotes \ " ` and $ take a
# backslash, then the value's own escaping doubles every backslash.
set(exec "${LARKHAVEN_PROGRAM}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
set(LARKHAVEN_EXEC "\"${exec}\"")
configure_file("${LARKHAVEN_DESKTOP_TEMPLATE}" "${LARKHAVEN_DESKTOP_ENTRY}" @ONLY)
