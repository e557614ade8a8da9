// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string_view>

// Bytes that a parser reads in one piece, held in a memory map rather than
// on the heap: a file as it is, or an unnamed temporary file (gone when
// closed) that is filled first, such as a part inflated from a zip
// package. Parsed pages can be given back as the parser moves on, so a
// part of hundreds of megabytes costs little resident memory.
class MappedBytes {
public:
    MappedBytes() = default;
    ~MappedBytes();
    MappedBytes(MappedBytes &&other) noexcept;
    MappedBytes &operator=(MappedBytes &&other) noexcept;
    MappedBytes(const MappedBytes &) = delete;
    MappedBytes &operator=(const MappedBytes &) = delete;

    // Throws AppError when the file cannot be read.
    static MappedBytes ofFile(const QString &path);
    // An empty temporary file for append(); map() then makes it readable.
    static MappedBytes temporary();
    void append(const char *bytes, qsizetype size);
    void map();

    std::string_view bytes() const { return {m_data, std::size_t(m_size)}; }

    // Gives back the whole pages before `position`, which is not read again.
    void releaseBefore(const char *position);

private:
    void close() noexcept;

    int m_descriptor = -1;
    char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_released = 0;
};
