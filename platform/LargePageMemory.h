// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <new>

// Memory for the few large arrays the program fills at once (the rows of a
// listing, the rent list). An allocation of an eighth of a large page
// (2 MiB) or more is mapped on its own in whole large pages, aligned to
// them. Freeing it returns it to the system at once, so a listing loaded
// again does not leave the old one's memory behind. Smaller allocations come
// from the heap.
void *allocateLargePageMemory(std::size_t size);  // throws std::bad_alloc
void freeLargePageMemory(void *memory, std::size_t size) noexcept;

// Whether those mappings are also marked for large pages (MADV_HUGEPAGE), so
// that filling them takes one page fault per 2 MiB instead of one per 4 KiB.
// Off unless set: at a million rows the marked start-ups were as fast at best
// but every other one spent up to half a second of system time zeroing
// large pages (README, Performance); the benchmark starts the program both
// ways.
void setLargePageAdvice(bool advise);

// The bytes an allocation of `size` bytes gets, all of them usable: `size`
// rounded up to whole large pages when it is mapped on its own.
std::size_t largePageMemorySize(std::size_t size);

// The same, for standard containers.
template <typename T>
struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t n) { return static_cast<T *>(allocateLargePageMemory(n * sizeof(T))); }
    void deallocate(T *memory, std::size_t n) noexcept { freeLargePageMemory(memory, n * sizeof(T)); }

    template <typename U>
    bool operator==(const LargePageAllocator<U> &) const noexcept
    {
        return true;
    }
};
