// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The usage map of a table: the pages its rows are on, read by a reader to
// find them. A map is a 64-byte row. When the pages span few enough, it
// holds a bitmap from a start page; otherwise it lists bitmap pages that
// together cover the whole file.
#include "jet4/PageFile.h"

#include <QList>

namespace jet4::detail {

constexpr int usageMapRowSize = 64;

// `pages` ascending. Bitmap pages the map needs are allocated and written.
QByteArray usageMapRow(const QList<quint32> &pages, PageFile &file);

} // namespace jet4::detail
