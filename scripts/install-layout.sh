# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Where a per-user install puts things, and the checks that install.sh and
# uninstall.sh share. Sourced, not run.

shopt -s nullglob
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

app_id=io.github.larkhaven.Larkhaven
# The ids earlier versions installed their menu entry, icons and metainfo
# under; an upgrade and uninstall.sh take them away.
earlier_app_ids=(example.larkhaven.Larkhaven)
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

# The installed files of the desktop under the id $1 (the current one
# unless given): menu entry, icons, metainfo.
desktop_files() {
    local id=${1:-$app_id} file
    for file in "$data_home/applications/$id.desktop" \
                "$data_home"/icons/hicolor/*/apps/"$id.png" \
                "$data_home/metainfo/$id.metainfo.xml"; do
        if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\n' "$file"; fi
    done
}

# True when the menu entry $1 starts the program $2 (an absolute path).
entry_starts() {
    local scratch status
    scratch=$(mktemp -d)
    write_desktop_entry "$2" "$scratch/entry.desktop" >/dev/null
    [ -f "$1" ] && [ "$(grep -m1 '^Exec=' "$1")" = "$(grep -m1 '^Exec=' "$scratch/entry.desktop")" ]
    status=$?
    rm -rf -- "$scratch"
    return $status
}

# The desktop files that an earlier version installed, under an earlier id,
# for the program $1: they go when that program is upgraded or removed.
earlier_desktop_files() {
    local id
    for id in "${earlier_app_ids[@]}"; do
        if entry_starts "$data_home/applications/$id.desktop" "$1"; then desktop_files "$id"; fi
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
