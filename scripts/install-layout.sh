# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Where a per-user install puts things, and the checks that install.sh and
# uninstall.sh share. Sourced, not run.

shopt -s nullglob
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

app_id=example.larkhaven.Larkhaven
# The program files that install.sh put into the program folder, one name a
# line, so that an upgrade and uninstall.sh know what is theirs to replace.
manifest_name=.installed-files

# The user's data home (~/.local/share unless XDG_DATA_HOME names another).
data_home=${XDG_DATA_HOME:-}
[[ $data_home == /* ]] || data_home=$HOME/.local/share

fail() {
    printf 'Larkhaven: %s\n' "$*" >&2
    exit 1
}

# The program folder as an absolute path: the argument, or ~/Larkhaven.
program_folder() {
    realpath -m -- "${1:-$HOME/Larkhaven}"
}

# True when files can be made and replaced in the folder $1, or, while it
# does not exist yet, in the nearest existing folder above it. A folder with
# no write permission bit at all counts as read-only for root too, as a
# read-only data.mdb does for the program.
can_write_in() {
    local dir=$1
    while [ ! -e "$dir" ] && [ ! -L "$dir" ]; do
        dir=$(dirname -- "$dir")
    done
    [ -d "$dir" ] && [ -w "$dir" ] && [ -x "$dir" ] && [ -n "$(find -H "$dir" -maxdepth 0 -perm /222)" ]
}

# The menu entry for the program $1 is written to the file $2.
write_desktop_entry() {
    cmake -DLARKHAVEN_PROGRAM="$1" \
          -DLARKHAVEN_DESKTOP_TEMPLATE="$source_dir/resources/$app_id.desktop.in" \
          -DLARKHAVEN_DESKTOP_ENTRY="$2" \
          -P "$source_dir/cmake/WriteDesktopEntry.cmake"
}

# The installed files of the desktop: menu entry, icons, metainfo.
desktop_files() {
    local file
    for file in "$data_home/applications/$app_id.desktop" \
                "$data_home"/icons/hicolor/*/apps/"$app_id.png" \
                "$data_home/metainfo/$app_id.metainfo.xml"; do
        if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\n' "$file"; fi
    done
}

# True when $1 may name a program file in the manifest: a plain file name,
# never a register or backup (*.mdb) and never the manifest itself.
is_program_file_name() {
    case $1 in
        '' | . | .. | */* | "$manifest_name") return 1 ;;
        *.[mM][dD][bB]) return 1 ;;
    esac
}
