#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Removes what scripts/install.sh installed for the user who runs it.
#
#   scripts/uninstall.sh [FOLDER]      FOLDER defaults to ~/Larkhaven
#
# The program files that the install put into FOLDER go, and so do the menu
# entry, the icons and the metainfo, unless the menu entry starts the
# program of another folder. The register data.mdb, every backup (*.mdb)
# and any other file in FOLDER stay; the script names what it kept.
set -euo pipefail
# shellcheck source=scripts/install-layout.sh
. "$(dirname "$0")/install-layout.sh"

[ $# -le 1 ] || fail "usage: scripts/uninstall.sh [FOLDER]   (FOLDER defaults to ~/Larkhaven)"
folder=$(program_folder "${1:-}")
manifest=$folder/$manifest_name

[ -d "$folder" ] || fail "There is no folder $folder. Nothing was removed."
[ -f "$manifest" ] || fail "$folder holds no Larkhaven installed by scripts/install.sh. Nothing was removed."
can_write_in "$folder" || fail "Cannot remove files from $folder: it is read-only or not yours. Nothing was removed."

# The menu entry belongs to this folder when it starts this folder's program.
entry=$data_home/applications/$app_id.desktop
remove_desktop=yes
if [ -f "$entry" ] && ! entry_starts "$entry" "$folder/Quillmere"; then
    remove_desktop=no
fi
mapfile -t desktop < <(desktop_files)
mapfile -t earlier < <(earlier_desktop_files "$folder/Quillmere")
[ $remove_desktop = yes ] || desktop=()
desktop+=("${earlier[@]}")
if [ ${#desktop[@]} -gt 0 ]; then
    for file in "${desktop[@]}"; do
        can_write_in "$(dirname -- "$file")" \
            || fail "Cannot remove $file: its folder is read-only or not yours. Nothing was removed."
    done
fi

while IFS= read -r name; do
    if is_program_file_name "$name"; then rm -f -- "$folder/$name"; fi
done < "$manifest"
rm -f -- "$manifest"

[ ${#desktop[@]} -eq 0 ] || rm -f -- "${desktop[@]}"
if [ $remove_desktop = yes ]; then
    hicolor=$data_home/icons/hicolor
    if [ -d "$hicolor" ]; then touch -- "$hicolor"; fi
    if [ -f "$hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
        gtk-update-icon-cache -q -t -f "$hicolor" || true
    fi
    echo "Removed Larkhaven from $folder, and its menu entry, icons and metainfo."
else
    echo "Removed Larkhaven from $folder."
    echo "The menu entry starts the Larkhaven of another folder; it, its icons and metainfo stay:"
    echo "  $(grep -m1 '^Exec=' "$entry")"
fi

mapfile -t kept < <(find "$folder" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort)
if [ ${#kept[@]} -eq 0 ]; then
    rmdir -- "$folder"
    echo "$folder was empty and is gone."
else
    echo "Kept in $folder (the register, its backups and anything else that is not the program):"
    printf '  %s\n' "${kept[@]}"
fi
