// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

// Memory for many small pieces that live and go together, such as the texts and records of the
// passages read from the files at start-up. Pieces are handed out one after another from large
// blocks and never freed one by one: the blocks go back to the system when the arena goes.
//
// The blocks ask the system for huge pages. A fresh process pays for every page of memory the
// first time it touches it, and on a virtual machine that trip costs far more than filling the
// page: tens of megabytes of passages in ordinary pages cost thousands of such trips, in huge
// pages a dozen.
//
// One thread at a time: each thread that loads gets an arena of its own.
class CMemoryArena final : public std::pmr::memory_resource {
public:
    CMemoryArena() = default;
    ~CMemoryArena() override;
    CMemoryArena(const CMemoryArena&) = delete;
    CMemoryArena& operator=(const CMemoryArena&) = delete;

    // The bytes taken from the system so far (for the benchmarks).
    std::size_t ReservedBytes() const { return reserved_; }

private:
    struct Block {
        void* start = nullptr;
        std::size_t size = 0;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    // A piece is freed with its arena.
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
    // Takes a block of at least bytes from the system; throws std::bad_alloc as operator new.
    void NewBlock(std::size_t bytes);

    std::vector<Block> blocks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t reserved_ = 0;
};
