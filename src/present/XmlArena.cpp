#include "present/XmlArena.h"

#include <libxml/xmlmemory.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it and pages come one by one
#endif

namespace reelkeep {

namespace {

// Blocks of 32 MiB, each at an address that is a multiple of its size, so that the block of
// any address is found by masking and one bit per block tells whether an address is ours.
constexpr unsigned kBlockBits = 25;
constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
constexpr unsigned kAddressBits = 47;  // user addresses on x86-64 and AArch64 unless asked for more
constexpr std::size_t kBlockSlots = std::size_t{1} << (kAddressBits - kBlockBits);
// Pages are handed over this much at a time, as the block fills.
constexpr std::size_t kPopulateStep = std::size_t{2} << 20;
// Larger allocations (big texts) stay on the heap, so that a block holds many nodes.
constexpr std::size_t kLargestTaken = 64 * 1024;
constexpr std::size_t kAlignment = 8;  // libxml2's structures hold pointers, ints and doubles
// Added to a block's count while a thread still takes from it, so that frees on other threads
// never bring it to zero before the thread is done and has added what it took.
constexpr std::int64_t kInUse = std::int64_t{1} << 62;

std::atomic<std::uint64_t> gOwned[kBlockSlots / 64];
std::atomic<std::size_t> gBlocks{0};
std::atomic<bool> gPopulateRefused{false};

struct Block {
    std::atomic<std::int64_t> live;  // allocations not yet freed (plus kInUse while current)
};
constexpr std::size_t kHeaderRoom = 64;  // the block's own header, apart from the nodes

// Each allocation starts with its size, for realloc.
struct Allocation {
    std::uint64_t size;
};

std::size_t SlotOf(std::uintptr_t address) { return address >> kBlockBits; }

bool Owned(const void* pointer) {
    const auto address = reinterpret_cast<std::uintptr_t>(pointer);
    if (address >> kAddressBits) return false;
    const std::size_t slot = SlotOf(address);
    return (gOwned[slot / 64].load(std::memory_order_acquire) >> (slot % 64)) & 1;
}

Block* BlockOf(const void* pointer) {
    return reinterpret_cast<Block*>(reinterpret_cast<std::uintptr_t>(pointer) &
                                    ~(std::uintptr_t{kBlockSize} - 1));
}

void MarkOwned(void* block, bool owned) {
    const std::size_t slot = SlotOf(reinterpret_cast<std::uintptr_t>(block));
    const std::uint64_t bit = std::uint64_t{1} << (slot % 64);
    if (owned) {
        gOwned[slot / 64].fetch_or(bit, std::memory_order_release);
    } else {
        gOwned[slot / 64].fetch_and(~bit, std::memory_order_release);
    }
}

// A fresh block, aligned to its size; nullptr when the system has none.
Block* MapBlock() {
    void* mapped = ::mmap(nullptr, 2 * kBlockSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kBlockSize - 1) & ~(std::uintptr_t{kBlockSize} - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    const std::uintptr_t end = start + 2 * kBlockSize;
    if (end > aligned + kBlockSize) {
        ::munmap(reinterpret_cast<void*>(aligned + kBlockSize), end - aligned - kBlockSize);
    }
    void* block = reinterpret_cast<void*>(aligned);
    if (aligned >> kAddressBits) {  // beyond the addresses the bitmap covers
        ::munmap(block, kBlockSize);
        return nullptr;
    }
    // Large pages where the system offers them: one fault (or one hand-over) per 2 MiB.
    ::madvise(block, kBlockSize, MADV_HUGEPAGE);
    auto* header = new (block) Block;
    header->live.store(kInUse, std::memory_order_relaxed);
    MarkOwned(block, true);
    gBlocks.fetch_add(1, std::memory_order_relaxed);
    return header;
}

void ReleaseBlock(Block* block) {
    MarkOwned(block, false);
    ::munmap(block, kBlockSize);
    gBlocks.fetch_sub(1, std::memory_order_relaxed);
}

void Forget(Block* block, std::int64_t count) {
    if (block->live.fetch_sub(count, std::memory_order_acq_rel) == count) ReleaseBlock(block);
}

// The block a thread takes from while it is in a scope.
struct Cursor {
    int depth = 0;
    Block* block = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    char* populated = nullptr;
    std::int64_t taken = 0;  // allocations from the current block

    // Lets the block go: frees on any thread may now release it.
    void Retire() {
        if (!block) return;
        Forget(block, kInUse - taken);
        block = nullptr;
        next = end = populated = nullptr;
        taken = 0;
    }

    void* Take(std::size_t size) {
        const std::size_t need = (sizeof(Allocation) + size + kAlignment - 1) & ~(kAlignment - 1);
        if (!block || static_cast<std::size_t>(end - next) < need) {
            Retire();
            block = MapBlock();
            if (!block) return nullptr;
            next = populated = reinterpret_cast<char*>(block) + kHeaderRoom;
            end = reinterpret_cast<char*>(block) + kBlockSize;
        }
        char* start = next;
        next += need;
        while (populated < next) Populate();
        ++taken;
        auto* allocation = reinterpret_cast<Allocation*>(start);
        allocation->size = size;
        return allocation + 1;
    }

    // Hands the next pages over in one step instead of one fault per page.
    void Populate() {
        const auto address = reinterpret_cast<std::uintptr_t>(populated);
        char* stepEnd = reinterpret_cast<char*>((address + kPopulateStep) &
                                                ~(std::uintptr_t{kPopulateStep} - 1));
        if (stepEnd > end) stepEnd = end;
        if (!gPopulateRefused.load(std::memory_order_relaxed)) {
            char* page = reinterpret_cast<char*>(address & ~std::uintptr_t{4095});
            if (::madvise(page, static_cast<std::size_t>(stepEnd - page), MADV_POPULATE_WRITE) !=
                0) {
                gPopulateRefused.store(true, std::memory_order_relaxed);
            }
        }
        populated = stepEnd;
    }
};

thread_local Cursor tCursor;

void* Allocate(std::size_t size) {
    if (tCursor.depth > 0 && size <= kLargestTaken) {
        if (void* taken = tCursor.Take(size)) return taken;
    }
    return std::malloc(size);
}

void Free(void* pointer) {
    if (!pointer) return;
    if (!Owned(pointer)) {
        std::free(pointer);
        return;
    }
    Forget(BlockOf(pointer), 1);
}

void* Reallocate(void* pointer, std::size_t size) {
    if (!pointer) return Allocate(size);
    if (!Owned(pointer)) return std::realloc(pointer, size);
    const std::size_t old = (static_cast<Allocation*>(pointer) - 1)->size;
    void* moved = Allocate(size);
    if (!moved) return nullptr;
    std::memcpy(moved, pointer, old < size ? old : size);
    Free(pointer);
    return moved;
}

char* Duplicate(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(Allocate(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

void InstallXmlArena() {
    xmlMemSetup(&Free, &Allocate, &Reallocate, &Duplicate);
}

XmlArenaScope::XmlArenaScope() { ++tCursor.depth; }

XmlArenaScope::~XmlArenaScope() {
    if (--tCursor.depth == 0) tCursor.Retire();
}

std::size_t XmlArenaBlocks() { return gBlocks.load(std::memory_order_relaxed); }

}  // namespace reelkeep
