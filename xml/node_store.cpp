#include "xml/node_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tarvik::xml {

namespace {

// The smallest and largest heap page. Pages double from the first to the
// last, so a launch line of a few attributes costs one kilobyte, while a
// large document spends one heap call per 64 KiB of nodes.
constexpr std::size_t FirstPageBytes = 1024;
constexpr std::size_t LastPageBytes = 64 * 1024;
static_assert(LargestStoredBlock * 2 <= FirstPageBytes, "every stored block fits any page");

// A store that has taken this much in heap pages is building a large tree:
// it goes on in pages of LargePageBytes mapped from the system where the
// system backs them with one huge page each. Half of building a large tree
// is the kernel handing out fresh memory, one fault per 4 KiB page; a huge
// page costs one fault per 2 MiB, and goes back to the system as soon as it
// is unmapped. Smaller trees never pay for a mostly empty 2 MiB page.
constexpr std::size_t LargePageBytes = std::size_t{2} << 20;
constexpr std::size_t LargePagesAfter = std::size_t{2} << 20;

// Added to a page's count while a store hands out from it. No page holds this
// many blocks, so the count reaches zero only after the store has let go.
constexpr int32_t StoreShare = int32_t{1} << 30;
static_assert(LastPageBytes / BlockAlignment < StoreShare, "a page never holds StoreShare blocks");

constexpr std::size_t roundUp(std::size_t bytes) {
    return (bytes + BlockAlignment - 1) & ~(BlockAlignment - 1);
}

}  // namespace

// The head of a page: how many of its blocks are still out, plus StoreShare
// while a store carves from it, and whether the page is mapped from the
// system (and how much of it) rather than a heap block. Blocks follow it.
struct detail::NodePage {
    std::atomic<int32_t> live{StoreShare};
    uint32_t mappedBytes = 0;  // 0 for a heap block
};

namespace {

using Page = detail::NodePage;

constexpr std::size_t PrefixBytes = BlockPrefixBytes;
// A block's prefix sits just before it, so a slot (prefix and block, rounded
// to the alignment) starts PrefixBytes short of an aligned address, and the
// first one just after the page's head.
constexpr std::size_t PageHeadBytes = roundUp(sizeof(Page) + PrefixBytes) - PrefixBytes;
// A heap block is preceded by a whole alignment's worth, the prefix at its end.
constexpr std::size_t HeapLeadBytes = BlockAlignment;
// Heap pages and blocks are asked for aligned: some C libraries (32-bit
// Windows) hand out less than plain `new` promises. Where they do not, this
// is an ordinary malloc.
constexpr std::align_val_t HeapAlignment{BlockAlignment};

char* firstBlockOf(Page* page) {
    return reinterpret_cast<char*>(page) + PageHeadBytes;
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
#else
// Elsewhere every page is a heap block, so nothing is ever unmapped.
constexpr bool MapsLargePages = false;

void* mapLargePage() noexcept {
    return nullptr;
}

void unmapPages(void*, std::size_t) noexcept {}
#endif

// The system's page: the unit in which a mapping can shrink.
constexpr std::size_t SystemPageBytes = 4096;

void freePage(Page* page) noexcept {
    const std::size_t mappedBytes = page->mappedBytes;
    page->~Page();
    if (mappedBytes)
        unmapPages(page, mappedBytes);
    else
        ::operator delete(page, HeapAlignment);
}

// Unmaps the end of a mapped page past `used`, whole system pages of it, and
// returns where the page now ends.
char* shrinkMappedPage(Page* page, char* used) noexcept {
    char* start = reinterpret_cast<char*>(page);
    const std::size_t keep =
        (static_cast<std::size_t>(used - start) + SystemPageBytes - 1) & ~(SystemPageBytes - 1);
    if (keep < page->mappedBytes) {
        unmapPages(start + keep, page->mappedBytes - keep);
        page->mappedBytes = static_cast<uint32_t>(keep);
    }
    return start + page->mappedBytes;
}

// Takes `count` blocks' worth off the page's count; the one who takes the
// last frees the page. acq_rel: whatever a freeing thread wrote to its block
// happens before the page is freed or started over.
void dropShare(Page* page, int32_t count) noexcept {
    if (page->live.fetch_sub(count, std::memory_order_acq_rel) == count)
        freePage(page);
}

// Writes the prefix naming `page` at the start of `slot` and returns the block behind it.
void* stampBlock(char* slot, Page* page) {
    std::memcpy(slot, &page, sizeof page);
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
    startPage(blockBytes);
    char* block = next_;
    next_ += blockBytes;
    ++handedOut_;
    return stampBlock(block, page_);
}

void NodeStore::startPage(std::size_t blockBytes) {
    // Every block of the current page came back: begin it again rather than
    // taking a new one, so a document parsed over and over keeps one page.
    if (page_ && page_->live.load(std::memory_order_acquire) == StoreShare - handedOut_ &&
        blockBytes <= static_cast<std::size_t>(end_ - firstBlockOf(page_))) {
        // No block is out, so nobody else touches the count now.
        page_->live.store(StoreShare, std::memory_order_relaxed);
        next_ = firstBlockOf(page_);
        handedOut_ = 0;
        return;
    }
    void* memory = mapsPages() ? mapLargePage() : nullptr;
    const bool mapped = memory != nullptr;
    std::size_t pageBytes = LargePageBytes;
    if (!mapped) {
        pageBytes =
            nextPageBytes_ == 0 ? FirstPageBytes : std::min(nextPageBytes_ * 2, LastPageBytes);
        memory = ::operator new(pageBytes, HeapAlignment);
        nextPageBytes_ = pageBytes;
        heapPageBytes_ += pageBytes;
    }
    retirePage();
    page_ = new (memory) Page();
    page_->mappedBytes = mapped ? static_cast<uint32_t>(pageBytes) : 0;
    next_ = firstBlockOf(page_);
    end_ = static_cast<char*>(memory) + pageBytes;
}

bool NodeStore::mapsPages() const noexcept {
    return MapsLargePages && heapPageBytes_ >= LargePagesAfter;
}

void NodeStore::trim() noexcept {
    if (page_ && page_->mappedBytes)
        end_ = shrinkMappedPage(page_, next_);
}

void NodeStore::retirePage() noexcept {
    if (!page_)
        return;
    // Its blocks keep the page alive, but nothing is carved from it any more.
    if (handedOut_ > 0)
        trim();
    dropShare(page_, StoreShare - handedOut_);
    page_ = nullptr;
    next_ = end_ = nullptr;
    handedOut_ = 0;
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
    Page* page;
    std::memcpy(&page, prefix, sizeof page);
    if (page)
        dropShare(page, 1);
    else
        ::operator delete(static_cast<char*>(block) - HeapLeadBytes, HeapAlignment);
}

void BlockRelease::flush() noexcept {
    if (page_ && count_ > 0)
        dropShare(page_, count_);
    page_ = nullptr;
    count_ = 0;
}

void BlockRelease::startRun(void* block, Page* page) noexcept {
    flush();
    if (!page) {
        releaseBlock(block);
        return;
    }
    page_ = page;
    count_ = 1;
}

}  // namespace tarvik::xml
