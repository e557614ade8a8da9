#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists which folders each folder of the program includes from and fails
# when an include runs upward. The floors, each seeing only those below:
#   platform <- db <- register, access, sheets, ledger <- ui <- app
# (register, access, sheets and ledger stand side by side and do not see
# each other).
set -euo pipefail
shopt -s nullglob
cd "${1:-$(dirname "$0")/..}"

declare -A allowed=(
    [platform]="platform"
    [db]="platform db"
    [register]="platform db register"
    [access]="platform db access"
    [sheets]="platform db sheets"
    [ledger]="platform db ledger"
    [ui]="platform db register access sheets ledger ui"
    [app]="platform db register access sheets ledger ui app"
)
status=0
for folder in platform db register access sheets ledger ui app; do
    files=("$folder"/*.h "$folder"/*.cpp)
    # How many includes of "other/Name.h" the folder's files hold, per folder.
    used=$(cat "${files[@]}" | { grep -o '^#include "[a-z]*/' || true; } \
        | sed 's/#include "//; s#/##' | sort | uniq -c | awk '{printf " %s(%s)", $2, $1}')
    echo "$folder ->${used:- nothing}"
    for file in "${files[@]}"; do
        for target in $({ grep -o '^#include "[a-z]*/' "$file" || true; } | sed 's/#include "//; s#/##' | sort -u); do
            if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
                echo "  upward: $file includes $target/"
                status=1
            fi
        done
    done
done
exit $status
