#include "xml/node_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tarvik::xml {

namespace {

// The smallest and largest heap page. Pages double from the first to the
// last, so a launch line of a few attributes costs one kilobyte, while a
// large document spends one heap call per 16 KiB of nodes. A node kept from
// a tree keeps the heap pages its blocks begin and end in, so the last size
// is also what such a node may hold beyond its own bytes at either end.
constexpr std::size_t FirstPageBytes = 1024;
constexpr std::size_t LastPageBytes = 16 * 1024;
static_assert(LargestStoredBlock * 2 <= FirstPageBytes, "every stored block fits any page");

// A store that has taken this much in heap pages is building a large tree:
// it goes on in pages of LargePageBytes mapped from the system where the
// system backs them with one huge page each. Half of building a large tree
// is the kernel handing out fresh memory, one fault per 4 KiB page; a huge
// page costs one fault per 2 MiB, and goes back to the system as soon as it
// is unmapped. Smaller trees never pay for a mostly empty 2 MiB page.
constexpr std::size_t LargePageBytes = std::size_t{2} << 20;
constexpr std::size_t LargePagesAfter = std::size_t{2} << 20;

// A mapped page is carved in chunks that each count their own blocks, so
// that a page a few of whose blocks outlive the rest can give back every
// chunk none of them lies in: a node kept from a large tree then holds two
// chunks at most beyond its own bytes, not 2 MiB. A chunk is as large as
// the last heap page, so kept nodes cost the same in either kind of page.
constexpr std::size_t ChunkBytes = LastPageBytes;
constexpr std::size_t ChunksPerPage = LargePageBytes / ChunkBytes;
constexpr std::size_t ChunksPerWord = 64;  // bits of the chunk sets' words
constexpr std::size_t ChunkWords = ChunksPerPage / ChunksPerWord;
static_assert(ChunksPerPage % ChunksPerWord == 0, "the chunk sets fill their words");

// The system's page: the unit in which mapped memory goes back.
constexpr std::size_t SystemPageBytes = 4096;
static_assert(ChunkBytes % SystemPageBytes == 0, "chunks go back as whole system pages");

// Added to a group's count while a store hands out from it, and to a mapped
// page's count of chunks while a store carves from the page. No group holds
// this many blocks, so a count reaches zero only after the store has let go.
constexpr int32_t StoreShare = int32_t{1} << 30;
static_assert(LastPageBytes / BlockAlignment < StoreShare, "a page never holds StoreShare blocks");

// BlockGroup::chunk of a heap page.
constexpr uint32_t HeapPage = std::numeric_limits<uint32_t>::max();

constexpr std::size_t roundUp(std::size_t bytes) {
    return (bytes + BlockAlignment - 1) & ~(BlockAlignment - 1);
}

}  // namespace

// What a block's prefix names: a heap page's head, or the count of one chunk
// of a mapped page, kept in that page's head. `live` is how many of its
// blocks are still out, plus StoreShare while a store carves from it.
struct detail::BlockGroup {
    std::atomic<int32_t> live{StoreShare};
    uint32_t chunk = HeapPage;  // index in its mapped page, HeapPage for a heap page
};

// The head of a page mapped from the system, at its start: one group per
// chunk (the first chunk's blocks follow the head), which chunks have
// emptied and which of those have gone back to the system.
struct detail::MappedPage {
    BlockGroup chunks[ChunksPerPage];
    // Chunks not yet emptied (those never carved from included), plus
    // StoreShare while a store carves from the page; the page is unmapped
    // when it reaches zero.
    std::atomic<int32_t> liveChunks{StoreShare + static_cast<int32_t>(ChunksPerPage)};
    std::atomic<uint64_t> emptied[ChunkWords];
    std::atomic<uint64_t> givenBack[ChunkWords];
    std::atomic<bool> splitUp{false};  // no longer to be backed by one huge page
    // What is still mapped: the store shrinks it (trim()) while it carves
    // from the page, and nobody else reads it before the store lets go.
    uint32_t mappedBytes = static_cast<uint32_t>(LargePageBytes);

    MappedPage() {
        for (std::size_t index = 0; index < ChunksPerPage; ++index)
            chunks[index].chunk = static_cast<uint32_t>(index);
        clearChunkSets();
    }
    void clearChunkSets() noexcept {
        for (std::size_t word = 0; word < ChunkWords; ++word) {
            emptied[word].store(0, std::memory_order_relaxed);
            givenBack[word].store(0, std::memory_order_relaxed);
        }
    }
};

namespace {

using detail::BlockGroup;
using detail::MappedPage;

static_assert(std::is_standard_layout_v<MappedPage>, "a chunk's group leads back to its page");
static_assert(sizeof(MappedPage) < SystemPageBytes, "the head takes one system page");
static_assert(sizeof(MappedPage) + LargestStoredBlock * 2 <= ChunkBytes,
              "the first chunk has room for blocks");

constexpr std::size_t PrefixBytes = BlockPrefixBytes;
// A heap block is preceded by a whole alignment's worth, the prefix at its end.
constexpr std::size_t HeapLeadBytes = BlockAlignment;
// Heap pages and blocks are asked for aligned: some C libraries (32-bit
// Windows) hand out less than plain `new` promises. Where they do not, this
// is an ordinary malloc.
constexpr std::align_val_t HeapAlignment{BlockAlignment};

// The first slot at or after `at`: a block's prefix sits just before it, so
// a slot (prefix and block, rounded to the alignment) starts PrefixBytes
// short of an aligned address. Pages are aligned, so this is a fixed offset.
char* firstSlotFrom(char* at) {
    const auto address = reinterpret_cast<std::uintptr_t>(at) + PrefixBytes;
    return at + (roundUp(address) - address);
}

char* firstSlotOf(BlockGroup* heapPage) {
    return firstSlotFrom(reinterpret_cast<char*>(heapPage + 1));
}

char* startOf(MappedPage* page) {
    return reinterpret_cast<char*>(page);
}

// The first slot of a mapped page's chunk; the first chunk begins with the head.
char* firstSlotOfChunk(MappedPage* page, std::size_t index) {
    return firstSlotFrom(index == 0 ? reinterpret_cast<char*>(page + 1)
                                    : startOf(page) + index * ChunkBytes);
}

// The page whose head holds `chunk`: the group array is the head's first member.
MappedPage* pageOf(BlockGroup* chunk) {
    return reinterpret_cast<MappedPage*>(chunk - chunk->chunk);
}

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr bool MapsLargePages = true;

// LargePageBytes aligned to their size, so the kernel can back them with one
// huge page; null when the system has none to give.
void* mapLargePage() noexcept {
    const std::size_t span = 2 * LargePageBytes;
    void* mapping = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    char* start = static_cast<char*>(mapping);
    char* page = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(start) + LargePageBytes - 1) & ~(LargePageBytes - 1));
    if (page > start)
        munmap(start, static_cast<std::size_t>(page - start));
    if (char* tail = page + LargePageBytes; tail < start + span)
        munmap(tail, static_cast<std::size_t>(start + span - tail));
    madvise(page, LargePageBytes, MADV_HUGEPAGE);  // advice only: small pages work too
    return page;
}

void unmapPages(void* start, std::size_t bytes) noexcept {
    munmap(start, bytes);
}

// The system takes back the memory behind these pages at once; they stay
// mapped, and would read as zeros.
void discardPages(void* start, std::size_t bytes) noexcept {
    madvise(start, bytes, MADV_DONTNEED);
}

// Keeps the system from gathering what is left of a page that gives back
// some of its chunks into one huge page again, all 2 MiB of it resident.
void keepSmallPages(void* start, std::size_t bytes) noexcept {
    madvise(start, bytes, MADV_NOHUGEPAGE);
}
#else
// Elsewhere every page is a heap block, so nothing is ever mapped.
constexpr bool MapsLargePages = false;

void* mapLargePage() noexcept {
    return nullptr;
}

void unmapPages(void*, std::size_t) noexcept {}
void discardPages(void*, std::size_t) noexcept {}
void keepSmallPages(void*, std::size_t) noexcept {}
#endif

void freeHeapPage(BlockGroup* page) noexcept {
    page->~BlockGroup();
    ::operator delete(page, HeapAlignment);
}

void unmapPage(MappedPage* page) noexcept {
    const std::size_t mappedBytes = page->mappedBytes;
    page->~MappedPage();
    unmapPages(page, mappedBytes);
}

// Unmaps the end of a mapped page past `used`, whole system pages of it, and
// returns where the page now ends.
char* shrinkMappedPage(MappedPage* page, char* used) noexcept {
    char* start = startOf(page);
    const std::size_t keep =
        (static_cast<std::size_t>(used - start) + SystemPageBytes - 1) & ~(SystemPageBytes - 1);
    if (keep < page->mappedBytes) {
        unmapPages(start + keep, page->mappedBytes - keep);
        page->mappedBytes = static_cast<uint32_t>(keep);
    }
    return start + page->mappedBytes;
}

bool chunkIn(const uint64_t (&chunks)[ChunkWords], std::size_t index) {
    return (chunks[index / ChunksPerWord] >> (index % ChunksPerWord)) & 1u;
}

// Gives the system back every emptied chunk of a page no store carves from
// any more that has not gone back yet, in runs of neighbouring chunks. The
// page's first system page holds its head and stays.
void giveBackEmptiedChunks(MappedPage* page) noexcept {
    uint64_t claimed[ChunkWords];
    bool any = false;
    for (std::size_t word = 0; word < ChunkWords; ++word) {
        uint64_t fresh = page->emptied[word].load(std::memory_order_acquire) &
                         ~page->givenBack[word].load(std::memory_order_relaxed);
        if (fresh)  // another thread may be giving the same chunks back: each goes once
            fresh &= ~page->givenBack[word].fetch_or(fresh, std::memory_order_acq_rel);
        claimed[word] = fresh;
        any = any || fresh;
    }
    if (!any)
        return;
    char* start = startOf(page);
    const std::size_t mappedBytes = page->mappedBytes;
    if (!page->splitUp.exchange(true, std::memory_order_relaxed))
        keepSmallPages(start, mappedBytes);
    for (std::size_t first = 0; first < ChunksPerPage;) {
        if (!chunkIn(claimed, first)) {
            ++first;
            continue;
        }
        std::size_t last = first;
        while (last < ChunksPerPage && chunkIn(claimed, last))
            ++last;
        const std::size_t from = std::max(first * ChunkBytes, SystemPageBytes);
        const std::size_t to = std::min(last * ChunkBytes, mappedBytes);
        if (from < to)
            discardPages(start + from, to - from);
        first = last;
    }
}

// Lets go of a hold on `page`: `shares` of its count of chunks, kept by
// whoever emptied chunks (or retired the page) while it looks at the page.
// A page others still hold and no store carves from first gives back its
// emptied chunks; the last holder unmaps it.
void releaseHold(MappedPage* page, int32_t shares = 1) noexcept {
    const int32_t live = page->liveChunks.load(std::memory_order_acquire);
    if (live > shares && live < StoreShare)
        giveBackEmptiedChunks(page);
    if (page->liveChunks.fetch_sub(shares, std::memory_order_acq_rel) == shares)
        unmapPage(page);
}

// Takes `count` blocks off the group's count. The one who takes the last
// frees a heap page, or marks a chunk emptied and returns its page: the
// caller then holds the chunk's share of the page and must let go of it
// (releaseHold). acq_rel: whatever a freeing thread wrote to its block
// happens before the memory is freed or started over.
MappedPage* dropShare(BlockGroup* group, int32_t count) noexcept {
    if (group->live.fetch_sub(count, std::memory_order_acq_rel) != count)
        return nullptr;
    const uint32_t chunk = group->chunk;
    if (chunk == HeapPage) {
        freeHeapPage(group);
        return nullptr;
    }
    MappedPage* page = pageOf(group);
    page->emptied[chunk / ChunksPerWord].fetch_or(uint64_t{1} << (chunk % ChunksPerWord),
                                                  std::memory_order_acq_rel);
    return page;
}

// Writes the prefix naming `group` at the start of `slot` and returns the block behind it.
void* stampBlock(char* slot, BlockGroup* group) {
    std::memcpy(slot, &group, sizeof group);
    return slot + PrefixBytes;
}

}  // namespace

NodeStore::~NodeStore() {
    retirePage();
}

void* NodeStore::allocateSlowly(std::size_t size) {
    if (size > LargestStoredBlock)
        return allocateHeapBlock(size);
    const std::size_t blockBytes = roundUp(size + PrefixBytes);
    if (!startNextChunk(blockBytes))
        startPage(blockBytes);
    char* block = next_;
    next_ += blockBytes;
    ++handedOut_;
    return stampBlock(block, group_);
}

bool NodeStore::startNextChunk(std::size_t blockBytes) {
    if (!group_ || group_->chunk == HeapPage || group_->chunk + 1 == ChunksPerPage)
        return false;
    MappedPage* page = pageOf(group_);
    const std::size_t index = group_->chunk + 1;
    char* pageEnd = startOf(page) + page->mappedBytes;
    char* first = firstSlotOfChunk(page, index);
    if (first >= pageEnd || blockBytes > static_cast<std::size_t>(pageEnd - first))
        return false;
    if (MappedPage* emptied = dropShare(group_, StoreShare - handedOut_))
        releaseHold(emptied);  // the store still carves from the page: this only counts
    group_ = &page->chunks[index];
    group_->live.store(StoreShare, std::memory_order_relaxed);  // no block of it is out yet
    next_ = first;
    end_ = std::min(startOf(page) + (index + 1) * ChunkBytes, pageEnd);
    handedOut_ = 0;
    return true;
}

bool NodeStore::restartPage(std::size_t blockBytes) noexcept {
    if (!group_ || group_->live.load(std::memory_order_acquire) != StoreShare - handedOut_)
        return false;
    // No block is out, so nobody else touches the counts now.
    if (group_->chunk == HeapPage) {
        char* first = firstSlotOf(group_);
        if (blockBytes > static_cast<std::size_t>(end_ - first))
            return false;
        group_->live.store(StoreShare, std::memory_order_relaxed);
        next_ = first;
        handedOut_ = 0;
        return true;
    }
    // Every chunk before the current one has emptied, and no BlockRelease
    // still holds a share of the page.
    MappedPage* page = pageOf(group_);
    const auto emptiedBefore = static_cast<int32_t>(group_->chunk);
    if (page->liveChunks.load(std::memory_order_acquire) !=
        StoreShare + static_cast<int32_t>(ChunksPerPage) - emptiedBefore)
        return false;
    char* first = firstSlotOfChunk(page, 0);
    char* end = std::min(startOf(page) + ChunkBytes, startOf(page) + page->mappedBytes);
    if (first >= end || blockBytes > static_cast<std::size_t>(end - first))
        return false;
    page->liveChunks.store(StoreShare + static_cast<int32_t>(ChunksPerPage),
                           std::memory_order_relaxed);
    page->clearChunkSets();
    group_ = &page->chunks[0];
    group_->live.store(StoreShare, std::memory_order_relaxed);
    next_ = first;
    end_ = end;
    handedOut_ = 0;
    return true;
}

void NodeStore::startPage(std::size_t blockBytes) {
    // Every block of the current page came back: begin it again rather than
    // taking a new one, so a document parsed over and over keeps one page.
    if (restartPage(blockBytes))
        return;
    if (void* memory = mapsPages() ? mapLargePage() : nullptr) {
        retirePage();
        auto* page = new (memory) MappedPage();
        group_ = &page->chunks[0];
        next_ = firstSlotOfChunk(page, 0);
        end_ = startOf(page) + ChunkBytes;
        return;
    }
    const std::size_t pageBytes =
        nextPageBytes_ == 0 ? FirstPageBytes : std::min(nextPageBytes_ * 2, LastPageBytes);
    void* memory = ::operator new(pageBytes, HeapAlignment);
    nextPageBytes_ = pageBytes;
    heapPageBytes_ += pageBytes;
    retirePage();
    group_ = new (memory) BlockGroup();
    next_ = firstSlotOf(group_);
    end_ = static_cast<char*>(memory) + pageBytes;
}

bool NodeStore::mapsPages() const noexcept {
    return MapsLargePages && heapPageBytes_ >= LargePagesAfter;
}

void NodeStore::trim() noexcept {
    if (group_ && group_->chunk != HeapPage)
        end_ = std::min(end_, shrinkMappedPage(pageOf(group_), next_));
}

void NodeStore::retirePage() noexcept {
    if (!group_)
        return;
    BlockGroup* group = group_;
    char* used = next_;
    const int32_t storeShare = StoreShare - handedOut_;
    group_ = nullptr;
    next_ = end_ = nullptr;
    handedOut_ = 0;
    if (group->chunk == HeapPage) {
        dropShare(group, storeShare);  // frees the page if none of its blocks is out
        return;
    }
    MappedPage* page = pageOf(group);
    const auto chunksLeft = static_cast<int32_t>(ChunksPerPage - 1 - group->chunk);
    const bool blocksOut =
        group->live.load(std::memory_order_acquire) != storeShare ||
        page->liveChunks.load(std::memory_order_acquire) != StoreShare + chunksLeft + 1;
    // Its blocks keep the page alive, but nothing is carved from it any more.
    if (blocksOut)
        shrinkMappedPage(page, used);
    if (MappedPage* emptied = dropShare(group, storeShare))
        releaseHold(emptied);
    // The store's share goes but for one hold, to give back what has emptied.
    page->liveChunks.fetch_sub(StoreShare + chunksLeft - 1, std::memory_order_acq_rel);
    releaseHold(page);
}

void* allocateHeapBlock(std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - HeapLeadBytes)
        throw std::bad_alloc();
    char* memory = static_cast<char*>(::operator new(size + HeapLeadBytes, HeapAlignment));
    return stampBlock(memory + HeapLeadBytes - PrefixBytes, nullptr);
}

void releaseBlock(void* block) noexcept {
    if (!block)
        return;
    char* prefix = static_cast<char*>(block) - PrefixBytes;
    BlockGroup* group;
    std::memcpy(&group, prefix, sizeof group);
    if (!group)
        ::operator delete(static_cast<char*>(block) - HeapLeadBytes, HeapAlignment);
    else if (MappedPage* emptied = dropShare(group, 1))
        releaseHold(emptied);
}

void BlockRelease::flush() noexcept {
    if (group_ && count_ > 0) {
        if (MappedPage* emptied = dropShare(group_, count_))
            hold(emptied);
    }
    group_ = nullptr;
    count_ = 0;
}

void BlockRelease::startRun(void* block, BlockGroup* group) noexcept {
    flush();
    if (!group) {
        releaseBlock(block);
        return;
    }
    group_ = group;
    count_ = 1;
}

void BlockRelease::hold(MappedPage* page) noexcept {
    int slot = 0;
    while (slot < HeldPages && held_[slot] && held_[slot] != page)
        ++slot;
    if (slot == HeldPages) {  // let go of the oldest
        releaseHold(held_[0], heldShares_[0]);
        std::copy(held_ + 1, held_ + HeldPages, held_);
        std::copy(heldShares_ + 1, heldShares_ + HeldPages, heldShares_);
        slot = HeldPages - 1;
        held_[slot] = nullptr;
    }
    if (!held_[slot]) {
        held_[slot] = page;
        heldShares_[slot] = 0;
    }
    ++heldShares_[slot];
}

void BlockRelease::finish() noexcept {
    flush();
    for (int slot = 0; slot < HeldPages && held_[slot]; ++slot) {
        releaseHold(held_[slot], heldShares_[slot]);
        held_[slot] = nullptr;
    }
}

}  // namespace tarvik::xml
