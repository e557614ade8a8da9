// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte-level facts shared by every kind of page in a Jet 4 file.
#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace jet4::detail {

constexpr int pageSize = 4096;

// A data page (table rows, long values, usage maps) begins with its type, a
// constant 1, its free space, its owner (a table's definition page, or the
// text "LVAL" on long-value pages), four unused bytes and its row count;
// the two-byte offsets of its rows follow.
constexpr int rowCountOffset = 12;
constexpr int dataPageHeaderSize = 14;

enum PageType : char {
    headerPageType = 0x00,
    dataPageType = 0x01,
    tableDefinitionPageType = 0x02,
    usageBitmapPageType = 0x05,
};

// A row's address: its page number above its row number on that page.
inline quint32 rowPointer(quint32 page, int row)
{
    return page << 8 | quint32(row);
}

inline void put16(QByteArray &bytes, int offset, quint16 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

inline void put32(QByteArray &bytes, int offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

inline void append16(QByteArray &bytes, quint16 value)
{
    bytes.resize(bytes.size() + 2);
    put16(bytes, bytes.size() - 2, value);
}

inline void append32(QByteArray &bytes, quint32 value)
{
    bytes.resize(bytes.size() + 4);
    put32(bytes, bytes.size() - 4, value);
}

inline void append64(QByteArray &bytes, quint64 value)
{
    bytes.resize(bytes.size() + 8);
    qToLittleEndian(value, bytes.data() + bytes.size() - 8);
}

// Text in Jet 4 is UTF-16, little-endian, without a terminator.
inline QByteArray utf16le(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

} // namespace jet4::detail
