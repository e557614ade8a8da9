#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A list of UTF-8 texts in one buffer, each text found by where it ends:
// a million short texts cost two allocations and a few bytes each, not a
// string apiece.
class TextList {
public:
    void append(std::string_view text)
    {
        m_bytes.append(text);
        m_ends.push_back(m_bytes.size());
    }

    int size() const { return int(m_ends.size()); }
    bool empty() const { return m_ends.empty(); }
    std::string_view at(int i) const
    {
        const std::size_t begin = i == 0 ? 0 : m_ends[std::size_t(i) - 1];
        return std::string_view(m_bytes).substr(begin, m_ends[std::size_t(i)] - begin);
    }

private:
    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};
