#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need.
# Packages already present are left alone; run as root (or with sudo).
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libsqlite3-dev
    pkg-config libmdb3 mdbtools-dev mdbtools
    # spreadsheets: liborcus reads .xlsx/.ods/.csv, libxlsxwriter writes .xlsx
    # with minizip, which also opens .xlsx packages; the benchmark loads
    # workbooks into liborcus's document model (ixion); the print test reads
    # its PDF with pdftotext
    liborcus-dev libixion-dev libxlsxwriter-dev libminizip-dev poppler-utils
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
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_if_needed=()
[ "$(id -u)" -ne 0 ] && sudo_if_needed=(sudo)
"${sudo_if_needed[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
