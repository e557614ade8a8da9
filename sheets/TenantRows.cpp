// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/TenantRows.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t blockSize = 1 << 20;
constexpr std::uint32_t missing = UINT32_MAX;

} // namespace

void TenantRows::append(qint64 sourceRow, const Cells &cells)
{
    std::size_t size = sizeof(std::uint32_t) * columnCount;
    for (const auto &cell : cells)
        size += cell ? cell->size() : 0;
    if (size > m_freeSize) {
        const std::size_t bytes = std::max(blockSize, size);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        m_free = m_blocks.back().get();
        m_freeSize = bytes;
    }
    char *record = m_free;
    char *text = record + sizeof(std::uint32_t) * columnCount;
    for (int i = 0; i < columnCount; ++i) {
        const auto &cell = cells[std::size_t(i)];
        const std::uint32_t length = cell ? std::uint32_t(cell->size()) : missing;
        std::memcpy(record + sizeof length * std::size_t(i), &length, sizeof length);
        if (cell && !cell->empty()) {
            std::memcpy(text, cell->data(), cell->size());
            text += cell->size();
        }
    }
    m_free += size;
    m_freeSize -= size;
    m_rows.push_back({record, sourceRow});
}

std::optional<std::string_view> TenantRows::cell(qsizetype row, int column) const
{
    const char *record = m_rows[std::size_t(row)].record;
    const char *text = record + sizeof(std::uint32_t) * columnCount;
    std::uint32_t length = 0;
    for (int i = 0; i <= column; ++i) {
        std::memcpy(&length, record + sizeof length * std::size_t(i), sizeof length);
        if (i < column && length != missing)
            text += length;
    }
    if (length == missing)
        return std::nullopt;
    return std::string_view(text, length);
}
