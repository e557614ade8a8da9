// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <span>

// The properties Access keeps for a table and for each of its columns (the
// catalog's LvProp value of the table): "MR2" or "KKD", then blocks, each
// with its length and kind. One block lists the property names; the others
// hold the values of one object each (named by the column, unnamed for the
// table), every value naming its property by number in that list.

struct JetProperty {
    int type = 0;  // the data type of the value (the column type codes)
    QByteArray value;
};

// By property name.
using JetPropertyMap = QHash<QString, JetProperty>;
// By the column they describe; the table's own under the empty name.
using JetPropertyMaps = QHash<QString, JetPropertyMap>;

// Empty (nullopt) when `bytes` are not such properties: every block and
// value must lie inside what holds it and name a property of the list.
std::optional<JetPropertyMaps> readJetProperties(std::span<const unsigned char> bytes);

// A property stored as a whole number of 1, 2 or 4 bytes (little-endian).
std::optional<qint64> jetPropertyInteger(const JetProperty &property);
