-- SPDX-License-Identifier: GPL-3.0-or-later
-- The rent round's tables, made beside `data` in one transaction the first
-- time the ledger writes. Nothing here refers to `data` or changes it.
-- Amounts are whole fen; months are 'YYYY-MM', days 'YYYY-MM-DD', moments
-- 'YYYY-MM-DDTHH:MM:SS', so that each sorts as it should. Every row carries
-- a revision that each change raises: a write names the revision it was
-- shown and fails when the row has changed since.
CREATE TABLE ledger_meta (
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
INSERT INTO ledger_meta (name, value) VALUES ('version', '1');

-- The rooms the ledger knows: those with meter readings or bills, and those
-- added by hand (which may carry a default rent).
CREATE TABLE ledger_room (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    room TEXT NOT NULL UNIQUE CHECK (room <> ''),
    added_by_hand INTEGER NOT NULL DEFAULT 0 CHECK (added_by_hand IN (0, 1)),
    default_rent_fen INTEGER CHECK (default_rent_fen >= 0),
    created TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1
);

-- The price of a ton of water or a kWh, in force from a month until the
-- next change.
CREATE TABLE ledger_price (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    meter TEXT NOT NULL CHECK (meter IN ('water', 'electricity')),
    from_month TEXT NOT NULL,
    unit_fen INTEGER NOT NULL CHECK (unit_fen >= 0),
    revision INTEGER NOT NULL DEFAULT 1,
    UNIQUE (meter, from_month)
);

-- A fixed monthly fee for every room (room '') or for one room, in force
-- from a month until the next change of the same fee; 0 ends it. A room's
-- own fee comes before the one for every room.
CREATE TABLE ledger_fee (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL CHECK (name <> ''),
    room TEXT NOT NULL DEFAULT '',
    from_month TEXT NOT NULL,
    monthly_fen INTEGER NOT NULL CHECK (monthly_fen >= 0),
    revision INTEGER NOT NULL DEFAULT 1,
    UNIQUE (name, room, from_month)
);

-- One reading a month of a room's water or electricity meter, in
-- hundredths of a ton or kWh. A new start (a room's first reading, a meter
-- replaced) is where the usage counts from.
CREATE TABLE ledger_reading (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    room_id INTEGER NOT NULL REFERENCES ledger_room (id),
    meter TEXT NOT NULL CHECK (meter IN ('water', 'electricity')),
    month TEXT NOT NULL,
    reading INTEGER NOT NULL CHECK (reading >= 0),
    new_start INTEGER NOT NULL DEFAULT 0 CHECK (new_start IN (0, 1)),
    entered TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1,
    UNIQUE (room_id, meter, month)
);
CREATE INDEX ledger_reading_month ON ledger_reading (month);

-- A tenant's bill: the tenant's ID, name, room and rent text as they were
-- when it was made, the amounts of its lines added up, and what has been
-- paid of it (the sum of its payments that are not cancelled). A rent that
-- is no plain amount waits (rent_fen NULL) for the landlord to type it;
-- total_fen then holds the other lines. `kind` tells a month's bill from
-- other kinds to come.
CREATE TABLE ledger_bill (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    month TEXT NOT NULL,
    kind TEXT NOT NULL DEFAULT 'month',
    tenant_id INTEGER NOT NULL,
    tenant_name TEXT NOT NULL,
    room TEXT NOT NULL,
    room_id INTEGER REFERENCES ledger_room (id),
    rent_text TEXT,
    rent_fen INTEGER CHECK (rent_fen >= 0),
    water_fen INTEGER NOT NULL CHECK (water_fen >= 0),
    electricity_fen INTEGER NOT NULL CHECK (electricity_fen >= 0),
    other_fen INTEGER NOT NULL CHECK (other_fen >= 0),
    total_fen INTEGER NOT NULL CHECK (total_fen >= 0),
    paid_fen INTEGER NOT NULL DEFAULT 0 CHECK (paid_fen >= 0 AND paid_fen <= total_fen),
    created TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1,
    UNIQUE (month, tenant_id, kind)
);
CREATE INDEX ledger_bill_tenant ON ledger_bill (tenant_id, month);
-- The bills still owed, few beside the history: the arrears read only these.
CREATE INDEX ledger_bill_owing ON ledger_bill (tenant_id, month) WHERE paid_fen < total_fen OR rent_fen IS NULL;

-- A bill's lines in their order: the rent, water, electricity and the
-- fees, with the readings, usage and price they came from. A room's charges
-- shared by its tenants say by how many.
CREATE TABLE ledger_bill_line (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    bill_id INTEGER NOT NULL REFERENCES ledger_bill (id),
    position INTEGER NOT NULL,
    item TEXT NOT NULL CHECK (item IN ('rent', 'water', 'electricity', 'fee')),
    label TEXT NOT NULL,
    previous_reading INTEGER,
    current_reading INTEGER,
    quantity INTEGER,
    unit_fen INTEGER,
    shared_by INTEGER NOT NULL DEFAULT 1 CHECK (shared_by >= 1),
    amount_fen INTEGER CHECK (amount_fen >= 0),
    UNIQUE (bill_id, position)
);

-- A payment against a bill. Its number is never reused; a payment is never
-- changed or removed, only cancelled, with the moment and the reason.
CREATE TABLE ledger_payment (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    bill_id INTEGER NOT NULL REFERENCES ledger_bill (id),
    amount_fen INTEGER NOT NULL CHECK (amount_fen > 0),
    paid_on TEXT NOT NULL,
    method TEXT NOT NULL,
    note TEXT NOT NULL DEFAULT '',
    entered TEXT NOT NULL,
    cancelled TEXT,
    cancel_reason TEXT,
    revision INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX ledger_payment_bill ON ledger_payment (bill_id);

-- upgrade 2
-- What a register made before receipts, renewals and move-outs gets, in the
-- same transaction as the write that finds it missing.

-- A payment's receipt: its number (the year and month it was first given
-- and a count, 2026120001) is never given again, nor to another payment.
-- `printed` counts the times it was printed or saved: the later ones say 补打.
CREATE TABLE ledger_receipt (
    number INTEGER PRIMARY KEY,
    payment_id INTEGER NOT NULL UNIQUE REFERENCES ledger_payment (id),
    issued TEXT NOT NULL,
    printed INTEGER NOT NULL DEFAULT 1 CHECK (printed >= 1),
    last_printed TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1
);

-- The landlord's settings of the rent round by name (收款人: 'payee').
CREATE TABLE ledger_setting (
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1
);

-- A renewal's new rent from a month on: months before it are billed at the
-- rent the record held before, as long as the record still holds the new one.
CREATE TABLE ledger_rent_change (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    tenant_id INTEGER NOT NULL,
    from_month TEXT NOT NULL,
    old_rent_text TEXT,
    new_rent_text TEXT NOT NULL,
    entered TEXT NOT NULL
);
CREATE INDEX ledger_rent_change_tenant ON ledger_rent_change (tenant_id, from_month);

-- A lease ended (退租): the tenant as the record held it, the day, the final
-- bill (kind 'final', the part of the month by days or the whole month), the
-- deposit and what was kept of it with the reason, what was still owed and
-- the balance (positive: returned to the tenant; negative: the tenant pays).
CREATE TABLE ledger_settlement (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    tenant_id INTEGER NOT NULL,
    tenant_name TEXT NOT NULL,
    room TEXT NOT NULL,
    moved_out TEXT NOT NULL,
    final_bill_id INTEGER REFERENCES ledger_bill (id),
    period_from TEXT NOT NULL,
    period_to TEXT NOT NULL,
    by_days INTEGER NOT NULL CHECK (by_days IN (0, 1)),
    deposit_text TEXT,
    deposit_fen INTEGER NOT NULL CHECK (deposit_fen >= 0),
    kept_fen INTEGER NOT NULL CHECK (kept_fen >= 0 AND kept_fen <= deposit_fen),
    kept_reason TEXT NOT NULL DEFAULT '',
    owed_fen INTEGER NOT NULL CHECK (owed_fen >= 0),
    balance_fen INTEGER NOT NULL,
    entered TEXT NOT NULL,
    revision INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX ledger_settlement_tenant ON ledger_settlement (tenant_id);

UPDATE ledger_meta SET value = '2' WHERE name = 'version';
