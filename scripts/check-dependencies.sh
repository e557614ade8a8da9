#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when the build used something that scripts/install-dependencies.sh
# does not put on a fresh machine: every system header the compiler read
# (ninja's dependency log) and every shared library the built programs load
# (ldd) must belong, by dpkg, to a listed package or to one that a listed
# package pulls in (Depends and Pre-Depends, recursively, as installed here).
#
#   scripts/check-dependencies.sh BUILD_DIR [PACKAGE...]
#
# PACKAGE... replaces the list of install-dependencies.sh (to see what a
# shorter list would miss). Each miss is printed with the package that holds
# the file; a file that no package holds is a miss too.
set -euo pipefail
export LC_ALL=C
source_dir=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [PACKAGE...]" >&2; exit 2; }
build_dir=$(cd "$1" && pwd)
shift
# Skipped (77, CTest's SKIP_RETURN_CODE) where there is nothing to read.
for tool in dpkg-query apt-cache ninja ldd; do
    command -v "$tool" >/dev/null || { echo "no $tool here: nothing to check"; exit 77; }
done
[ -f "$build_dir/.ninja_deps" ] || { echo "$build_dir is no Ninja build: nothing to check"; exit 77; }

if [ $# -gt 0 ]; then
    listed=("$@")
else
    mapfile -t listed < <("$source_dir/scripts/install-dependencies.sh" --list)
fi

# The listed packages and everything they pull in.
declare -A closure=()
while read -r package; do
    closure[${package%%:*}]=1
done < <(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
             --no-breaks --no-replaces --no-enhances "${listed[@]}" 2>/dev/null \
         | grep -v '^ ' | tr -d '<>')

# The system files the build depends on: headers outside the source and
# build trees, and the libraries every program in the build tree loads.
files=$(
    ninja -C "$build_dir" -t deps | sed -n 's/^    //p' | grep '^/' \
        | grep -v -e "^$source_dir/" -e "^$build_dir/" || true
    find "$build_dir" -type f -perm -u+x ! -name '*.so*' -exec sh -c \
        'for f; do head -c4 "$f" | grep -q "ELF" && printf "%s\n" "$f"; done' sh {} + \
        | while read -r program; do
              ldd "$program" | awk '/ => not found/ { print "not found: " $1; next }
                                    $2 == "=>" && $3 ~ /^\// { print $3 }
                                    $1 ~ /^\// { print $1 }'
          done
)
files=$(printf '%s\n' "$files" | sort -u)
status=0
if grep -q '^not found: ' <<<"$files"; then
    grep '^not found: ' <<<"$files" | sed 's/^not found: /  a program needs a library that is not installed: /'
    status=1
fi
mapfile -t files < <(grep '^/' <<<"$files")
echo "checking ${#files[@]} system files against ${#closure[@]} packages"

# dpkg knows a file by the path its package ships: the path as written or
# the one its links lead to, and, /usr being merged, either of them with or
# without /usr in front.
aliases=()
add_aliases() {
    local path
    for path; do
        aliases+=("$path")
        case $path in
            /usr/bin/* | /usr/sbin/* | /usr/lib/* | /usr/lib32/* | /usr/lib64/* | /usr/libx32/*) aliases+=("${path#/usr}") ;;
            /bin/* | /sbin/* | /lib/* | /lib32/* | /lib64/* | /libx32/*) aliases+=("/usr$path") ;;
        esac
    done
}
mapfile -t written < <(realpath -m -s -- "${files[@]}")
mapfile -t resolved < <(realpath -m -- "${files[@]}")
declare -A owners=()
while IFS= read -r line; do
    [[ $line == diversion* ]] && continue
    names=${line%%: /*}
    path=/${line#*: /}
    for name in ${names//,/ }; do
        owners[$path]+=" ${name%%:*}"
    done
done < <(add_aliases "${written[@]}" "${resolved[@]}"
         printf '%s\n' "${aliases[@]}" | sort -u | xargs -d '\n' dpkg-query -S 2>/dev/null || true)

# Each miss once per package, with a file that needs it.
declare -A missing=()
for i in "${!files[@]}"; do
    found=()
    covered=0
    aliases=()
    add_aliases "${written[$i]}" "${resolved[$i]}"
    for candidate in "${aliases[@]}"; do
        for name in ${owners[$candidate]:-}; do
            found+=("$name")
            [ -n "${closure[$name]:-}" ] && covered=1
        done
    done
    if [ ${#found[@]} -eq 0 ]; then
        echo "  ${files[$i]}: no package holds it"
        status=1
    elif [ $covered -eq 0 ]; then
        missing[${found[0]}]+="${files[$i]}"$'\n'
        status=1
    fi
done
for package in $(printf '%s\n' "${!missing[@]}" | sort); do
    count=$(grep -c . <<<"${missing[$package]}")
    echo "  missing package $package: not installed by scripts/install-dependencies.sh, needed for $(head -n1 <<<"${missing[$package]}")$([ "$count" -gt 1 ] && echo " and $((count - 1)) more files")"
done
[ $status -eq 0 ] && echo "every system header and library comes with the listed packages"
exit $status
