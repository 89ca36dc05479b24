#include "xml/detail/node_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <type_traits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tarvik::xml::detail {

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

// A mapped page counts its blocks in chunks, so that a page a few of whose
// blocks outlive the rest can give back the memory of every chunk none of
// them lies in: a node kept from a large tree then holds a chunk or two
// beyond its own bytes, not 2 MiB. A chunk is as large as the last heap
// page, so kept nodes cost about the same in either kind of page. Blocks
// are allocated across chunk ends as if there were none (a block belongs to
// the chunk it starts in): a copy of a tree then lies in memory as its
// source does, which a clone reading one while writing the other needs to
// run at full speed.
constexpr std::size_t ChunkBytes = LastPageBytes;
constexpr std::size_t ChunksPerPage = LargePageBytes / ChunkBytes;
constexpr std::size_t BitsPerWord = 64;  // of the sets of chunks and system pages
constexpr std::size_t ChunkWords = ChunksPerPage / BitsPerWord;
static_assert(ChunksPerPage % BitsPerWord == 0, "the chunk sets fill their words");

// The system's page: the unit in which mapped memory goes back.
constexpr std::size_t SystemPageBytes = 4096;
constexpr std::size_t SystemPagesPerChunk = ChunkBytes / SystemPageBytes;
static_assert(ChunkBytes % SystemPageBytes == 0, "chunks end where system pages do");
static_assert(LargestStoredBlock < SystemPageBytes, "a block runs into one system page at most");

// How much emptied memory a page that no arena allocates from any more may
// keep, per chunk that still has blocks out, before it gives it back: a
// tree taken apart node by node then costs one call to the system per
// several emptied chunks rather than one per chunk, while a node kept from
// it, which has blocks out in two chunks at most, keeps no whole chunk more.
constexpr std::size_t KeptPerLiveChunk = ChunkBytes / 4;

// The reference an arena holds, added to a group's reference count while it
// allocates from the group and to a mapped page's count of chunks while it
// allocates from the page. No group holds this many blocks, so a count
// reaches zero only after the arena has let go.
constexpr int32_t ArenaReference = int32_t{1} << 30;
static_assert(LastPageBytes / BlockAlignment < ArenaReference,
              "a page never holds ArenaReference blocks");

// BlockGroup::chunk of a heap page.
constexpr uint32_t HeapPage = std::numeric_limits<uint32_t>::max();

constexpr std::size_t roundUp(std::size_t bytes) {
    return (bytes + BlockAlignment - 1) & ~(BlockAlignment - 1);
}

}  // namespace

// What a block's prefix names: a heap page's head, or the count of one chunk
// of a mapped page, kept in that page's head. `live` is how many of its
// blocks are still out, plus ArenaReference while an arena allocates from it.
struct BlockGroup {
    std::atomic<int32_t> live{ArenaReference};
    uint32_t chunk = HeapPage;  // index in its mapped page, HeapPage for a heap page
};

// The head of a page mapped from the system, in the system page mapped just
// before it, so that all of the page's memory can go back in one step: one
// group per chunk, which chunks have emptied, and which of those have gone
// back to the system.
struct MappedPage {
    BlockGroup chunks[ChunksPerPage];
    // Chunks not yet emptied (those never allocated from included), plus
    // ArenaReference while a store holds the page (from when it starts allocating
    // from it until the tree it filled is let go); the page is unmapped when
    // it reaches zero.
    std::atomic<int32_t> liveChunks{ArenaReference + static_cast<int32_t>(ChunksPerPage)};
    std::atomic<uint64_t> emptied[ChunkWords];
    // Emptied chunks whose memory has gone back: all but the first system
    // page of each, and, apart, that first page, which the last block of
    // the chunk before may run into.
    std::atomic<uint64_t> chunksBack[ChunkWords];
    std::atomic<uint64_t> firstPagesBack[ChunkWords];
    std::atomic<bool> splitUp{false};  // no longer to be backed by one huge page
    std::atomic<bool> filled{false};   // its store has moved on to another page
    char* const memory;                // LargePageBytes, aligned to their size
    // What is still mapped: the store shrinks it (trim()) while it allocates
    // from the page, and nobody else reads it before the store moves on.
    uint32_t mappedBytes = static_cast<uint32_t>(LargePageBytes);
    MappedPage* nextFilled = nullptr;  // the store's list of the pages it has filled

    explicit MappedPage(char* mapping) : memory(mapping) {
        for (std::size_t index = 0; index < ChunksPerPage; ++index)
            chunks[index].chunk = static_cast<uint32_t>(index);
        clearSets();
    }
    void clearSets() noexcept {
        for (std::size_t word = 0; word < ChunkWords; ++word) {
            emptied[word].store(0, std::memory_order_relaxed);
            chunksBack[word].store(0, std::memory_order_relaxed);
            firstPagesBack[word].store(0, std::memory_order_relaxed);
        }
    }
};

namespace {

static_assert(std::is_standard_layout_v<MappedPage>, "a chunk's group leads back to its page");
static_assert(sizeof(MappedPage) <= SystemPageBytes, "a head fits the system page before its page");
static_assert(sizeof(PageHold::emptied) * 8 == ChunksPerPage, "a hold has a bit per chunk");

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

char* startOf(MappedPage* page) {
    return page->memory;
}

// The page whose head holds `chunk`: the group array is the head's first member.
MappedPage* pageOf(BlockGroup* chunk) {
    return reinterpret_cast<MappedPage*>(chunk - chunk->chunk);
}

bool inSet(const uint64_t* set, std::size_t index) {
    return (set[index / BitsPerWord] >> (index % BitsPerWord)) & 1u;
}

uint64_t bitOf(std::size_t index) {
    return uint64_t{1} << (index % BitsPerWord);
}

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr bool MapsLargePages = true;

// LargePageBytes aligned to their size, so the kernel can back them with one
// huge page, and the system page just before them for the page's head; null
// when the system has none to give.
void* mapLargePage() noexcept {
    const std::size_t span = 2 * LargePageBytes;
    void* mapping = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    char* start = static_cast<char*>(mapping);
    char* page = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(start) + SystemPageBytes + LargePageBytes - 1) &
        ~(LargePageBytes - 1));
    if (char* head = page - SystemPageBytes; head > start)
        munmap(start, static_cast<std::size_t>(head - start));
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
// some of its memory into one huge page again, all 2 MiB of it resident.
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
    unmapPages(page, SystemPageBytes + mappedBytes);  // the head's page comes just before
}

// Gives the system back all of a page's memory: every block of it has come
// back, and its store has moved on, so the page waits only for the store to
// let go of it. A whole huge page goes in one step.
void giveBackAll(MappedPage* page) noexcept {
    bool fresh = false;
    for (std::size_t word = 0; word < ChunkWords; ++word) {
        fresh = page->chunksBack[word].exchange(~uint64_t{0}, std::memory_order_acq_rel) !=
                    ~uint64_t{0} ||
                fresh;
        page->firstPagesBack[word].store(~uint64_t{0}, std::memory_order_relaxed);
    }
    if (fresh)
        discardPages(page->memory, page->mappedBytes);
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

// Claims for the caller the chunks in `wanted` that nobody has claimed in
// `claims` yet, and returns them.
void claim(std::atomic<uint64_t> (&claims)[ChunkWords], uint64_t (&wanted)[ChunkWords]) {
    for (std::size_t word = 0; word < ChunkWords; ++word) {
        wanted[word] &= ~claims[word].load(std::memory_order_relaxed);
        if (wanted[word])  // another thread may be giving the same chunks back: each goes once
            wanted[word] &= ~claims[word].fetch_or(wanted[word], std::memory_order_acq_rel);
    }
}

std::size_t countOf(uint64_t bits) {
    std::size_t count = 0;
    for (; bits; bits &= bits - 1)
        ++count;
    return count;
}

// True when the memory of the emptied chunks still kept exceeds what
// `liveChunks` chunks with blocks out may keep.
bool worthGivingBack(MappedPage* page, int32_t liveChunks) {
    std::size_t waiting = 0;
    for (std::size_t word = 0; word < ChunkWords; ++word)
        waiting += countOf(page->emptied[word].load(std::memory_order_seq_cst) &
                           ~page->chunksBack[word].load(std::memory_order_relaxed));
    return waiting * ChunkBytes > static_cast<std::size_t>(liveChunks) * KeptPerLiveChunk;
}

// Gives the system back the memory of every emptied chunk of a page no store
// allocates from any more that has not gone back yet, in runs of neighbouring
// system pages: all of a chunk but its first system page, and that page once
// the chunk before has emptied too (the last block of that chunk may run
// into it). Sequentially consistent: of two threads emptying neighbouring chunks at
// once, at least one sees the other's, so the page they share goes.
void giveBackEmptiedChunks(MappedPage* page) noexcept {
    uint64_t emptied[ChunkWords];
    for (std::size_t word = 0; word < ChunkWords; ++word)
        emptied[word] = page->emptied[word].load(std::memory_order_seq_cst);
    uint64_t bodies[ChunkWords];
    uint64_t firstPages[ChunkWords];
    uint64_t chunkBefore = 0;  // whether the chunk before a word's first has emptied
    for (std::size_t word = 0; word < ChunkWords; ++word) {
        bodies[word] = emptied[word];
        firstPages[word] = emptied[word] & ((emptied[word] << 1) | chunkBefore);
        chunkBefore = emptied[word] >> (BitsPerWord - 1);
    }
    claim(page->chunksBack, bodies);
    claim(page->firstPagesBack, firstPages);
    bool any = false;
    for (std::size_t word = 0; word < ChunkWords; ++word)
        any = any || bodies[word] || firstPages[word];
    if (!any)
        return;
    char* start = startOf(page);
    const std::size_t mappedPages = page->mappedBytes / SystemPageBytes;
    if (!page->splitUp.exchange(true, std::memory_order_relaxed))
        keepSmallPages(start, page->mappedBytes);
    const auto claimed = [&](std::size_t index) {
        const std::size_t chunk = index / SystemPagesPerChunk;
        return index < mappedPages &&
               inSet(index % SystemPagesPerChunk == 0 ? firstPages : bodies, chunk);
    };
    for (std::size_t first = 0; first < mappedPages;) {
        if (!claimed(first)) {
            ++first;
            continue;
        }
        std::size_t last = first;
        while (claimed(last))
            ++last;
        discardPages(start + first * SystemPageBytes, (last - first) * SystemPageBytes);
        first = last;
    }
}

// Lets go of a hold on `page`: `references` of its count of chunks, kept by
// whoever emptied chunks (or let go of the page) while it looks at the page.
// A page that only its store still holds, which has moved on from it, gives
// back all its memory; a page others still hold and no store holds gives
// back the memory of its emptied chunks, when it keeps more of it than its
// live chunks may; the last holder unmaps it.
void releaseHold(MappedPage* page, int32_t references) noexcept {
    const int32_t others = page->liveChunks.load(std::memory_order_seq_cst) - references;
    if (others == ArenaReference) {
        if (page->filled.load(std::memory_order_acquire))
            giveBackAll(page);
    } else if (others > 0 && others < ArenaReference && worthGivingBack(page, others)) {
        giveBackEmptiedChunks(page);
    }
    if (page->liveChunks.fetch_sub(references, std::memory_order_acq_rel) == references)
        unmapPage(page);
}

// A chunk of a mapped page whose last block has just come back: whoever
// took it holds the chunk's reference to the page.
struct EmptiedChunk {
    MappedPage* page;  // null when no chunk emptied
    uint32_t chunk;
};

// Takes `count` blocks off the group's count. The one who takes the last
// frees a heap page, or gets the chunk back and must let go of its reference to
// the page (releaseChunk, or a BlockRelease's hold). acq_rel: whatever a
// freeing thread wrote to its block happens before the memory is freed or
// started over.
EmptiedChunk releaseReference(BlockGroup* group, int32_t count) noexcept {
    if (group->live.fetch_sub(count, std::memory_order_acq_rel) != count)
        return {nullptr, 0};
    if (group->chunk == HeapPage) {
        freeHeapPage(group);
        return {nullptr, 0};
    }
    return {pageOf(group), group->chunk};
}

// Marks the chunks set in `chunks` emptied and lets go of `references` to the page.
void reportEmptied(MappedPage* page, const uint64_t (&chunks)[ChunkWords], int32_t references) {
    for (std::size_t word = 0; word < ChunkWords; ++word) {
        if (chunks[word])
            page->emptied[word].fetch_or(chunks[word], std::memory_order_seq_cst);
    }
    releaseHold(page, references);
}

void releaseChunk(EmptiedChunk emptied) noexcept {
    uint64_t chunks[ChunkWords] = {};
    chunks[emptied.chunk / BitsPerWord] = bitOf(emptied.chunk);
    reportEmptied(emptied.page, chunks, 1);
}

// A new page mapped from the system with its head, or null when the system
// has none to give.
MappedPage* newMappedPage() noexcept {
    char* memory = static_cast<char*>(mapLargePage());
    return memory ? new (memory - SystemPageBytes) MappedPage(memory) : nullptr;
}

// Writes the prefix naming `group` at the start of `slot` and returns the block behind it.
void* stampBlock(char* slot, BlockGroup* group) {
    std::memcpy(slot, &group, sizeof group);
    return slot + PrefixBytes;
}

}  // namespace

NodeStore::~NodeStore() {
    letGoFilledPages();
    retirePage();
}

void NodeStore::beginTree() noexcept {
    letGoFilledPages();
    nextPageBytes_ = 0;
    heapPageBytes_ = 0;
}

void* NodeStore::allocateSlowly(std::size_t size) {
    if (size > LargestStoredBlock)
        return allocateHeapBlock(size);
    const std::size_t blockBytes = roundUp(size + PrefixBytes);
    if (!fitsInMappedPage(blockBytes))
        startPage(blockBytes);
    char* block = next_;
    next_ += blockBytes;
    ++handedOut_;
    void* allocated = stampBlock(block, group_);
    // The block ran past the end of its chunk: the next one starts in the next.
    if (next_ > end_)
        startNextChunk();
    return allocated;
}

bool NodeStore::fitsInMappedPage(std::size_t blockBytes) {
    if (!group_ || group_->chunk == HeapPage)
        return false;
    MappedPage* page = pageOf(group_);
    char* pageEnd = startOf(page) + page->mappedBytes;
    if (blockBytes > static_cast<std::size_t>(pageEnd - next_))
        return false;
    if (next_ == end_)  // the last block ended just where its chunk does
        startNextChunk();
    return true;
}

void NodeStore::startNextChunk() noexcept {
    MappedPage* page = pageOf(group_);
    if (const EmptiedChunk emptied = releaseReference(group_, ArenaReference - handedOut_);
        emptied.page)
        releaseChunk(emptied);  // the store still allocates from the page: this only counts
    const std::size_t index = group_->chunk + 1;
    group_ = &page->chunks[index];
    group_->live.store(ArenaReference, std::memory_order_relaxed);  // no block of it is out yet
    end_ = std::min(startOf(page) + (index + 1) * ChunkBytes, startOf(page) + page->mappedBytes);
    handedOut_ = 0;
}

bool NodeStore::restartPage(std::size_t blockBytes) noexcept {
    if (!group_ || group_->live.load(std::memory_order_acquire) != ArenaReference - handedOut_)
        return false;
    // No block is out, so nobody else touches the counts now.
    if (group_->chunk == HeapPage) {
        char* first = firstSlotFrom(reinterpret_cast<char*>(group_ + 1));
        if (blockBytes > static_cast<std::size_t>(end_ - first))
            return false;
        group_->live.store(ArenaReference, std::memory_order_relaxed);
        next_ = first;
        handedOut_ = 0;
        return true;
    }
    // Every chunk before the current one has emptied, and no BlockRelease
    // still holds a reference to the page.
    MappedPage* page = pageOf(group_);
    const auto emptiedBefore = static_cast<int32_t>(group_->chunk);
    if (page->liveChunks.load(std::memory_order_acquire) !=
        ArenaReference + static_cast<int32_t>(ChunksPerPage) - emptiedBefore)
        return false;
    char* first = firstSlotFrom(startOf(page));
    char* end = std::min(startOf(page) + ChunkBytes, startOf(page) + page->mappedBytes);
    if (first >= end || blockBytes > static_cast<std::size_t>(end - first))
        return false;
    page->liveChunks.store(ArenaReference + static_cast<int32_t>(ChunksPerPage),
                           std::memory_order_relaxed);
    page->clearSets();
    group_ = &page->chunks[0];
    group_->live.store(ArenaReference, std::memory_order_relaxed);
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
    if (MappedPage* page = mapsPages() ? newMappedPage() : nullptr) {
        leavePage();
        group_ = &page->chunks[0];
        next_ = firstSlotFrom(startOf(page));
        end_ = startOf(page) + ChunkBytes;
        return;
    }
    const std::size_t pageBytes =
        nextPageBytes_ == 0 ? FirstPageBytes : std::min(nextPageBytes_ * 2, LastPageBytes);
    void* memory = ::operator new(pageBytes, HeapAlignment);
    nextPageBytes_ = pageBytes;
    heapPageBytes_ += pageBytes;
    leavePage();
    group_ = new (memory) BlockGroup();
    next_ = firstSlotFrom(reinterpret_cast<char*>(group_ + 1));
    end_ = static_cast<char*>(memory) + pageBytes;
}

bool NodeStore::mapsPages() const noexcept {
    return MapsLargePages && heapPageBytes_ >= LargePagesAfter;
}

void NodeStore::trim() noexcept {
    if (group_ && group_->chunk != HeapPage)
        end_ = std::min(end_, shrinkMappedPage(pageOf(group_), next_));
}

void NodeStore::leavePage() noexcept {
    if (group_ && group_->chunk != HeapPage)
        fillPage();
    else
        retirePage();
}

void NodeStore::fillPage() noexcept {
    BlockGroup* group = group_;
    MappedPage* page = pageOf(group);
    const int32_t arenaReference = ArenaReference - handedOut_;
    shrinkMappedPage(page, next_);
    group_ = nullptr;
    next_ = end_ = nullptr;
    handedOut_ = 0;
    // The chunks never allocated from will not empty: they count no more.
    if (const auto chunksLeft = static_cast<int32_t>(ChunksPerPage - 1 - group->chunk))
        page->liveChunks.fetch_sub(chunksLeft, std::memory_order_acq_rel);
    page->nextFilled = filled_;
    filled_ = page;
    page->filled.store(true, std::memory_order_release);
    if (const EmptiedChunk emptied = releaseReference(group, arenaReference); emptied.page)
        releaseChunk(emptied);
}

void NodeStore::letGoFilledPages() noexcept {
    while (MappedPage* page = filled_) {
        filled_ = page->nextFilled;
        // The store's reference goes but for one hold, to give back what has emptied.
        page->liveChunks.fetch_sub(ArenaReference - 1, std::memory_order_acq_rel);
        releaseHold(page, 1);
    }
}

void NodeStore::retirePage() noexcept {
    if (!group_)
        return;
    BlockGroup* group = group_;
    char* used = next_;
    const int32_t arenaReference = ArenaReference - handedOut_;
    group_ = nullptr;
    next_ = end_ = nullptr;
    handedOut_ = 0;
    if (group->chunk == HeapPage) {
        releaseReference(group, arenaReference);  // frees the page if none of its blocks is out
        return;
    }
    MappedPage* page = pageOf(group);
    const auto chunksLeft = static_cast<int32_t>(ChunksPerPage - 1 - group->chunk);
    const bool blocksOut =
        group->live.load(std::memory_order_acquire) != arenaReference ||
        page->liveChunks.load(std::memory_order_acquire) != ArenaReference + chunksLeft + 1;
    // Its blocks keep the page alive, but nothing is allocated from it any more.
    if (blocksOut)
        shrinkMappedPage(page, used);
    if (const EmptiedChunk emptied = releaseReference(group, arenaReference); emptied.page)
        releaseChunk(emptied);
    // The store's reference goes but for one hold, to give back what has emptied.
    page->liveChunks.fetch_sub(ArenaReference + chunksLeft - 1, std::memory_order_acq_rel);
    releaseHold(page, 1);
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
    else if (const EmptiedChunk emptied = releaseReference(group, 1); emptied.page)
        releaseChunk(emptied);
}

void BlockRelease::flush() noexcept {
    if (group_ && count_ > 0) {
        if (const EmptiedChunk emptied = releaseReference(group_, count_); emptied.page)
            hold(emptied.page, emptied.chunk);
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

void BlockRelease::hold(MappedPage* page, uint32_t chunk) noexcept {
    int slot = 0;
    while (slot < HeldPages && held_[slot].page && held_[slot].page != page)
        ++slot;
    if (slot == HeldPages) {  // let go of the oldest
        reportEmptied(held_[0].page, held_[0].emptied, held_[0].chunks);
        std::copy(held_ + 1, held_ + HeldPages, held_);
        slot = HeldPages - 1;
        held_[slot].page = nullptr;
    }
    PageHold& held = held_[slot];
    if (!held.page) {
        held.page = page;
        held.chunks = 0;
        std::fill(std::begin(held.emptied), std::end(held.emptied), 0);
    }
    ++held.chunks;
    held.emptied[chunk / BitsPerWord] |= bitOf(chunk);
}

void BlockRelease::letGoOfPages() noexcept {
    for (int slot = 0; slot < HeldPages && held_[slot].page; ++slot) {
        PageHold& held = held_[slot];
        reportEmptied(held.page, held.emptied, held.chunks);
        held.page = nullptr;
    }
}

}  // namespace tarvik::xml::detail
