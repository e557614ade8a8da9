// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/SheetCells.h"

#include <cstdint>
#include <cstring>

// How a cell is written into a SheetTable's row records and into the
// reading child's reports: one byte for its kind (and whether it is a
// formula's), then its column and the length of its text as variable-length
// numbers (seven bits a byte, the last byte below 128), then the text.
namespace cellRecord {

constexpr std::size_t varintBytes = 10;
constexpr std::size_t headerBytes = 1 + 2 * varintBytes;

inline char *putVarint(char *out, std::uint64_t value)
{
    while (value >= 0x80) {
        *out++ = char(std::uint8_t(value) | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
    return out;
}

// nullptr when the bytes end early or the number is longer than any.
inline const char *getVarint(const char *at, const char *end, std::uint64_t &value)
{
    value = 0;
    for (int shift = 0; at < end && shift < 64; shift += 7) {
        const auto byte = std::uint8_t(*at++);
        value |= std::uint64_t(byte & 0x7f) << shift;
        if (byte < 0x80)
            return at;
    }
    return nullptr;
}

inline std::uint8_t kindByte(const SheetCell &cell)
{
    return std::uint8_t(std::uint8_t(cell.kind) | (cell.formula ? 0x08 : 0));
}

inline char *encode(char *out, const SheetCell &cell)
{
    *out++ = char(kindByte(cell));
    out = putVarint(out, std::uint64_t(cell.column));
    out = putVarint(out, cell.text.size());
    // An empty text may have no bytes at all to copy from.
    if (!cell.text.empty())
        std::memcpy(out, cell.text.data(), cell.text.size());
    return out + cell.text.size();
}

// Reads one cell; nullptr when the bytes are no cell. The column and the
// text are not checked against a sheet's bounds here.
inline const char *decode(const char *at, const char *end, SheetCell &cell)
{
    if (at >= end)
        return nullptr;
    const auto kind = std::uint8_t(*at++);
    if ((kind & 0x07) >= cellKindCount || kind > 0x0f)
        return nullptr;
    std::uint64_t column = 0;
    std::uint64_t length = 0;
    at = getVarint(at, end, column);
    if (at)
        at = getVarint(at, end, length);
    if (!at || column > std::uint64_t(INT32_MAX) || length > std::uint64_t(end - at))
        return nullptr;
    cell.kind = CellKind(kind & 0x07);
    cell.formula = (kind & 0x08) != 0;
    cell.column = int(column);
    cell.text = std::string_view(at, std::size_t(length));
    return at + length;
}

} // namespace cellRecord
