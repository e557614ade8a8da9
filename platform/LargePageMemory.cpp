// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LargePageMemory.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

namespace {

constexpr std::size_t largePage = std::size_t(2) << 20;

bool adviseLargePages = false;

bool mappedOnItsOwn(std::size_t size)
{
    return size >= largePage / 8;
}

} // namespace

void setLargePageAdvice(bool advise)
{
    adviseLargePages = advise;
}

std::size_t largePageMemorySize(std::size_t size)
{
    return mappedOnItsOwn(size) ? (size + largePage - 1) / largePage * largePage : size;
}

void *allocateLargePageMemory(std::size_t size)
{
    if (!mappedOnItsOwn(size)) {
        void *memory = std::malloc(size == 0 ? 1 : size);
        if (!memory)
            throw std::bad_alloc();
        return memory;
    }
    // A mapping one large page longer than needed holds an aligned range;
    // the rest is given back.
    const std::size_t length = largePageMemorySize(size);
    void *mapped = mmap(nullptr, length + largePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + largePage - 1) / largePage * largePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    munmap(reinterpret_cast<void *>(aligned + length), start + largePage - aligned);
    if (adviseLargePages)
        madvise(reinterpret_cast<void *>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void *>(aligned);
}

void freeLargePageMemory(void *memory, std::size_t size) noexcept
{
    if (!mappedOnItsOwn(size))
        std::free(memory);
    else if (memory)
        munmap(memory, largePageMemorySize(size));
}
