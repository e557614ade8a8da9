// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LargePageMemory.h"

#include <string_view>
#include <vector>

// A list of UTF-8 texts in one buffer, each text found by where it ends:
// a million short texts cost two allocations and a few bytes each, not a
// string apiece.
class TextList {
public:
    void reserve(int texts) { m_ends.reserve(std::size_t(texts)); }
    // Empties the list, keeping its memory for the next texts.
    void clear()
    {
        m_bytes.clear();
        m_ends.clear();
    }
    void append(std::string_view text)
    {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_ends.push_back(m_bytes.size());
    }

    int size() const { return int(m_ends.size()); }
    bool empty() const { return m_ends.empty(); }
    std::string_view at(int i) const
    {
        const std::size_t begin = i == 0 ? 0 : m_ends[std::size_t(i) - 1];
        return std::string_view(m_bytes.data() + begin, m_ends[std::size_t(i)] - begin);
    }

private:
    std::vector<char, LargePageAllocator<char>> m_bytes;
    std::vector<std::size_t, LargePageAllocator<std::size_t>> m_ends;
};
