#include "xml/node_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

namespace tarvik::xml {

namespace {

// The smallest and largest page. Pages double from the first to the last, so
// a launch line of a few attributes costs one kilobyte, while a large
// document spends one heap call per 64 KiB of nodes.
constexpr std::size_t FirstPageBytes = 1024;
constexpr std::size_t LastPageBytes = 64 * 1024;
static_assert(LargestStoredBlock * 2 <= FirstPageBytes, "every stored block fits any page");

// Added to a page's count while a store hands out from it. No page holds this
// many blocks, so the count reaches zero only after the store has let go.
constexpr int32_t StoreShare = int32_t{1} << 30;
static_assert(LastPageBytes / BlockAlignment < StoreShare, "a page never holds StoreShare blocks");

std::size_t roundUp(std::size_t bytes) {
    return (bytes + BlockAlignment - 1) & ~(BlockAlignment - 1);
}

}  // namespace

// The head of a page: how many of its blocks are still out, plus StoreShare
// while a store carves from it. Blocks follow it.
struct detail::NodePage {
    std::atomic<int32_t> live{StoreShare};
};

namespace {

using Page = detail::NodePage;

constexpr std::size_t PrefixBytes = BlockPrefixBytes;
constexpr std::size_t PageHeadBytes = (sizeof(Page) + BlockAlignment - 1) & ~(BlockAlignment - 1);

char* firstBlockOf(Page* page) {
    return reinterpret_cast<char*>(page) + PageHeadBytes;
}

void freePage(Page* page) noexcept {
    page->~Page();
    ::operator delete(page);
}

// Takes `count` blocks' worth off the page's count; the one who takes the
// last frees the page. acq_rel: whatever a freeing thread wrote to its block
// happens before the page is freed or started over.
void dropShare(Page* page, int32_t count) noexcept {
    if (page->live.fetch_sub(count, std::memory_order_acq_rel) == count)
        freePage(page);
}

// Writes the prefix naming `page` and returns the block behind it.
void* stampBlock(char* memory, Page* page) {
    std::memcpy(memory, &page, sizeof page);
    return memory + PrefixBytes;
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
    const std::size_t pageBytes =
        nextPageBytes_ == 0 ? FirstPageBytes : std::min(nextPageBytes_ * 2, LastPageBytes);
    void* memory = ::operator new(pageBytes);
    retirePage();
    page_ = new (memory) Page();
    nextPageBytes_ = pageBytes;
    next_ = firstBlockOf(page_);
    end_ = static_cast<char*>(memory) + pageBytes;
}

void NodeStore::retirePage() noexcept {
    if (!page_)
        return;
    dropShare(page_, StoreShare - handedOut_);
    page_ = nullptr;
    next_ = end_ = nullptr;
    handedOut_ = 0;
}

void* allocateHeapBlock(std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - PrefixBytes)
        throw std::bad_alloc();
    return stampBlock(static_cast<char*>(::operator new(size + PrefixBytes)), nullptr);
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
        ::operator delete(prefix);
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
