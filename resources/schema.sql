-- SPDX-License-Identifier: GPL-3.0-or-later
-- The tenant register: one row per tenant, every value held as text.
CREATE TABLE data (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    姓名 TEXT,
    房号 TEXT,
    租金 TEXT,
    押金 TEXT,
    入住日期 TEXT,
    到期日期 TEXT,
    备注 TEXT,
    编辑时间 TEXT
);
