#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the spreadsheet fixtures of tests/data once, by the programs that
# landlords' files come from: openpyxl (Debian python3-openpyxl) and
# LibreOffice (libreoffice-calc-nogui). Neither is needed to build or test;
# the files are committed.
set -euo pipefail
cd "$(dirname "$0")/../tests/data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A title row above the header, a header with blanks around a name, dates,
# a date with a time, numbers, a missing deposit, a name already in the
# test's register, an empty name, a name twice, a column the register has
# not, and a second sheet without tenants.
/usr/bin/python3 - "$work/openpyxl.xlsx" <<'PYTHON'
import datetime, sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "房客"
sheet.append(["2026年房客名单"])
sheet.append(["姓名", " 房号 ", "租金", "押金", "入住日期", "到期日期", "备注", "微信"])
sheet.append(["赵六", "3-301", 800, 1600, datetime.date(2026, 1, 5), datetime.date(2027, 1, 4), "电话：13800000001\n第二行", "zl001"])
sheet.append(["王伟", "1-101", 500, 1000, datetime.date(2025, 1, 1), datetime.date(2026, 1, 1), "已在登记表中", None])
sheet.append(["钱七", 302, 850.5, None, datetime.date(2026, 2, 1), datetime.datetime(2027, 1, 31, 12, 0), "押一付三", None])
sheet.append([None, "3-303", 900, 1800, None, None, "名字漏填", None])
sheet.append(["赵六", "3-304", 900, 1800, None, None, "重名", None])
sheet.append(["孙八", "0305", "700", 1400, "2026/3/1", "2027/2/28", None, None])
book.create_sheet("说明").append(["这一页没有房客"])
book.save(sys.argv[1])
PYTHON
cp "$work/openpyxl.xlsx" openpyxl.xlsx
soffice --headless --convert-to ods --outdir "$work" "$work/openpyxl.xlsx" >/dev/null
cp "$work/openpyxl.ods" libreoffice.ods
soffice --headless --convert-to xlsx --outdir "$work/lo" libreoffice.ods >/dev/null
cp "$work/lo/libreoffice.xlsx" libreoffice.xlsx
