#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need.
# Packages already present are left alone; run as root (or with sudo).
#
#   scripts/install-dependencies.sh --list   prints the packages, one a line
#
# The test suite's check (scripts/check-dependencies.sh) reads that list: every
# header the build reads and every library the programs load must come with
# these packages or with what they pull in.
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    # the page 收租 draws the year's income with Qt Charts, whose CMake
    # package looks for Qt OpenGL's, which qt6-charts-dev does not pull in
    qt6-charts-dev libqt6opengl6-dev
    libsqlite3-dev
    pkg-config libmdb3 mdbtools-dev mdbtools
    # spreadsheets: liborcus reads .xlsx/.ods/.csv, libxlsxwriter writes .xlsx
    # with minizip, which also opens .xlsx packages; the benchmark loads
    # workbooks into liborcus's document model (ixion), whose headers include
    # boost's, which libixion-dev does not pull in; the print test reads its
    # PDF with pdftotext
    liborcus-dev libixion-dev libboost-dev libxlsxwriter-dev libminizip-dev poppler-utils
    fonts-noto-cjk
    # Chinese glyphs whose text a PDF that Qt writes keeps (printing)
    fonts-droid-fallback
    # Chinese is typed through an input method: Qt 6 programs reach fcitx5
    # only through this plugin (ibus works through Qt's own)
    fcitx5-frontend-qt6
    # install.sh reads an existing data.mdb with sqlite3; the install test
    # validates the menu entry and metainfo and starts the program through
    # its menu entry on a virtual display
    sqlite3
    desktop-file-utils appstream
    xvfb x11-utils libglib2.0-bin
    # the benchmark's peer program runs Qt's own SQL models on SQLite
    libqt6sql6-sqlite
    # Qt's own dialogs (files, print preview) in Chinese on a Chinese desktop
    qt6-translations-l10n
)

case ${1:-} in
    --list) printf '%s\n' "${packages[@]}"; exit 0 ;;
    "") ;;
    -h | --help) echo "usage: $0 [--list]"; exit 0 ;;
    *) echo "usage: $0 [--list]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_if_needed=()
[ "$(id -u)" -ne 0 ] && sudo_if_needed=(sudo)
"${sudo_if_needed[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
