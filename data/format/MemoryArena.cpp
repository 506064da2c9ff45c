// SPDX-License-Identifier: GPL-2.0-or-later
#include "MemoryArena.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Blocks grow as the arena does, so that a small collection takes little and the largest few
// blocks; a block is a whole number of huge pages.
constexpr std::size_t kFirstBlock = 2 * kHugePage;
constexpr std::size_t kLargestBlock = 32 * kHugePage;

std::size_t RoundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

} // namespace

CMemoryArena::~CMemoryArena() {
    for (const Block& block : blocks_)
        munmap(block.start, block.size);
}

void* CMemoryArena::do_allocate(std::size_t bytes, std::size_t alignment) {
    auto at = reinterpret_cast<std::uintptr_t>(next_);
    at = RoundUp(at, alignment);
    if (next_ == nullptr || at + bytes > reinterpret_cast<std::uintptr_t>(end_)) {
        NewBlock(bytes + alignment);
        at = RoundUp(reinterpret_cast<std::uintptr_t>(next_), alignment);
    }
    next_ = reinterpret_cast<char*>(at + bytes);
    return reinterpret_cast<void*>(at);
}

void CMemoryArena::NewBlock(std::size_t bytes) {
    blocks_.reserve(blocks_.size() + 1); // first, so that a block is never mapped and then lost
    std::size_t size = blocks_.empty() ? kFirstBlock : blocks_.back().size * 2;
    if (size > kLargestBlock)
        size = kLargestBlock;
    size = RoundUp(bytes > size ? bytes : size, kHugePage);
    // Mapped one huge page larger, and the ends cut off, so that the block starts on a huge page:
    // the system gives a huge page only where one fits whole.
    const std::size_t mapped = size + kHugePage;
    void* area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw std::bad_alloc();
    auto* const first = static_cast<char*>(area);
    auto* const start =
        reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(first), kHugePage));
    if (start > first)
        munmap(first, static_cast<std::size_t>(start - first));
    const std::size_t after = mapped - static_cast<std::size_t>(start - first) - size;
    if (after > 0)
        munmap(start + size, after);
    // Only a hint: without huge pages the block works as well, a page at a time.
    madvise(start, size, MADV_HUGEPAGE);
    blocks_.push_back({start, size});
    reserved_ += size;
    next_ = start;
    end_ = start + size;
}
