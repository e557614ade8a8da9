#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Larkhaven for the user who runs it; no root needed.
#
#   scripts/install.sh [FOLDER]        FOLDER defaults to ~/Larkhaven
#
# FOLDER receives the program; the register data.mdb and the dated backups
# live beside it. An empty register is placed only when FOLDER has no
# data.mdb. The menu entry, the icons and the AppStream metainfo go under
# ~/.local/share. Missing Debian packages are installed first (with sudo
# when not root) and the program is built in build/, as scripts/run.sh does.
#
# Running it again upgrades: the program files are replaced, and no *.mdb
# file in FOLDER is ever written, moved or removed. A FOLDER that cannot be
# written, or whose data.mdb is neither a register nor an Access database,
# is refused before anything is changed.
#
# LARKHAVEN_BUILD_DIR=DIR installs what is already built in DIR and skips
# the packages and the build (the tests install their own build this way).
set -euo pipefail
# shellcheck source=scripts/install-layout.sh
. "$(dirname "$0")/install-layout.sh"

[ $# -le 1 ] || fail "usage: scripts/install.sh [FOLDER]   (FOLDER defaults to ~/Larkhaven)"
folder=$(program_folder "${1:-}")
register=$folder/data.mdb

# True when the file $1 starts with the bytes $2 (backslash escapes expanded).
starts_with() {
    cmp -s -n "$(printf '%b' "$2" | wc -c)" <(printf '%b' "$2") "$1"
}

# Says why the file $1 is nothing the program can open, or nothing when it
# is a register (an SQLite database with the tenant table) or an Access
# database, which the program offers to convert when it starts. The file is
# only read. The table is looked for once the sqlite3 tool is there.
register_problem() {
    local file=$1 columns
    if [ ! -e "$file" ] && [ ! -L "$file" ]; then return 0; fi
    if [ ! -f "$file" ]; then echo "is not a file"; return 0; fi
    if [ ! -r "$file" ]; then echo "cannot be read"; return 0; fi
    if [ ! -s "$file" ]; then echo "is empty"; return 0; fi
    if starts_with "$file" '\x00\x01\x00\x00Standard Jet DB' || starts_with "$file" '\x00\x01\x00\x00Standard ACE DB'; then
        return 0
    fi
    if ! starts_with "$file" 'SQLite format 3\x00'; then
        echo "is neither a Larkhaven register nor an Access database"
        return 0
    fi
    # A journal beside it holds an unfinished write that the program rolls
    # back when it next opens the file; a read-only look cannot do that.
    if [ -s "$file-journal" ] || ! command -v sqlite3 >/dev/null; then return 0; fi
    if ! columns=$(sqlite3 -init /dev/null -readonly -batch -bail -cmd '.timeout 5000' "$file" \
        "select count(*) from pragma_table_info('data')
         where name in ('姓名', '房号', '租金', '押金', '入住日期', '到期日期', '备注', '编辑时间')" 2>&1); then
        echo "cannot be read as a register (${columns#Error: })"
        return 0
    fi
    [ "$columns" = 8 ] || echo "is an SQLite database without the tenant table \"data\""
}

# Everything is checked before anything is changed.
check_before_changing() {
    if [ -e "$folder" ] && [ ! -d "$folder" ]; then
        fail "$folder is a file, not a folder. Nothing was changed."
    fi
    # The desktop's menu looks the program up before it reads "%%" as "%".
    case $folder in
        *[$'\n\r\t%']*) fail "A menu entry cannot start a program in a folder whose name holds a line break, tab or %. Nothing was changed." ;;
    esac
    can_write_in "$folder" \
        || fail "Cannot write in $folder: it, or the folder above it, is read-only or not yours. Nothing was changed. Install into another folder: scripts/install.sh FOLDER"
    local dir problem
    for dir in applications icons metainfo; do
        can_write_in "$data_home/$dir" \
            || fail "Cannot write in $data_home/$dir, where the menu entry, icons and metainfo go. Nothing was changed."
    done
    problem=$(register_problem "$register")
    [ -z "$problem" ] \
        || fail "$register $problem, so Larkhaven could not use it. Nothing was changed. Move it out of $folder, or install into another folder: scripts/install.sh FOLDER"
}

check_before_changing

if [ -n "${LARKHAVEN_BUILD_DIR:-}" ]; then
    build=$(realpath -- "$LARKHAVEN_BUILD_DIR")
else
    "$source_dir/scripts/install-dependencies.sh"
    build=$source_dir/build
    cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" --target larkhaven_installable
    check_before_changing
fi

# The build's install rules lay everything out in a staging folder first;
# from there the pieces go to the program folder and the data home.
stage=$(mktemp -d)
pending=()
cleanup() {
    rm -rf -- "$stage"
    [ ${#pending[@]} -eq 0 ] || rm -f -- "${pending[@]}"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$stage" >/dev/null
program_dir=$(sed -n 's/^LARKHAVEN_PROGRAM_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
staged_programs=$stage/$program_dir
programs=()
for file in "$staged_programs"/*; do
    name=${file##*/}
    if [ ! -f "$file" ] || ! is_program_file_name "$name"; then
        fail "Unexpected $file in the build's program folder. Nothing was changed."
    fi
    programs+=("$name")
done
[ -x "$staged_programs/Quillmere" ] || fail "The build in $build holds no Quillmere to install. Nothing was changed."

# Replaces (or adds) the file $2 by a copy of $1, in one step: a program
# that is running keeps its old file until it ends.
put() {
    local new
    new=$(dirname -- "$2")/.$(basename -- "$2").new
    pending+=("$new")
    mkdir -p -- "$(dirname -- "$2")"
    cp -- "$1" "$new"
    mv -f -- "$new" "$2"
}

# The program folder.
mkdir -p -- "$folder"
for name in "${programs[@]}"; do
    put "$staged_programs/$name" "$folder/$name"
done
if [ -f "$folder/$manifest_name" ]; then
    # Program files of the installed version that this version no longer has.
    while IFS= read -r name; do
        if is_program_file_name "$name" && ! printf '%s\n' "${programs[@]}" | grep -qxF -- "$name"; then
            rm -f -- "$folder/$name"
        fi
    done < "$folder/$manifest_name"
fi
printf '%s\n' "${programs[@]}" > "$stage/$manifest_name"
put "$stage/$manifest_name" "$folder/$manifest_name"

if [ -e "$register" ] || [ -L "$register" ]; then
    register_note="kept as it was"
else
    new_register=$folder/.data.mdb.new
    pending+=("$new_register")
    cp -- "$stage/share/larkhaven/data.mdb" "$new_register"
    # Never over a data.mdb, even one that appeared meanwhile.
    mv -n -- "$new_register" "$register"
    register_note="a new, empty register"
fi

# The desktop: menu entry, icons at every size, metainfo.
write_desktop_entry "$folder/Quillmere" "$stage/$app_id.desktop" >/dev/null
put "$stage/$app_id.desktop" "$data_home/applications/$app_id.desktop"
hicolor=$data_home/icons/hicolor
for icon in "$hicolor"/*/apps/"$app_id.png"; do
    size=${icon#"$hicolor/"}
    [ -e "$stage/share/icons/hicolor/$size" ] || rm -f -- "$icon"
done
for icon in "$stage"/share/icons/hicolor/*/apps/"$app_id.png"; do
    put "$icon" "$hicolor/${icon#"$stage/share/icons/hicolor/"}"
done
# Desktops notice new icons by the theme folder's time; a cache made
# earlier in it would hide them.
touch -- "$hicolor"
if [ -f "$hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
    gtk-update-icon-cache -q -t -f "$hicolor" || true
fi
put "$stage/share/metainfo/$app_id.metainfo.xml" "$data_home/metainfo/$app_id.metainfo.xml"
# An earlier version's menu entry under its earlier id would show the
# program twice in the menu.
mapfile -t earlier < <(earlier_desktop_files "$folder/Quillmere")
[ ${#earlier[@]} -eq 0 ] || rm -f -- "${earlier[@]}"

cat <<EOF
Larkhaven is installed in $folder
  register:  $register ($register_note)
  start it:  from the desktop's menu (Office, Larkhaven), or $folder/Quillmere
  upgrade:   scripts/install.sh $(printf %q "$folder")
  uninstall: scripts/uninstall.sh $(printf %q "$folder")
EOF
