// The memory a tree's nodes live in. A document's parsers carve its elements,
// attribute records and child links out of large pages that the document's
// NodeStore owns, instead of asking the heap for each one:
//
//     tarvik::xml::NodeStore store;
//     void* block = store.allocate(64);    // from the store's current page
//     tarvik::xml::releaseBlock(block);    // the page counts it as returned
//
// How it works. A page is one heap block of 1 KiB to 64 KiB, or, once the tree
// being built has taken 2 MiB of those, 2 MiB mapped from the system where the
// system can back it with one huge page (Linux): a large tree then costs one
// page fault per 2 MiB instead of one per 4 KiB, and its memory goes straight
// back to the system when freed. The store hands out a page's bytes front to
// back, each block behind a one-word prefix that names its page. Every page
// counts the blocks still out. Freeing a block only lowers that count, and the
// page goes back as soon as the count reaches zero and no store hands out from
// it any more. So a node may outlive the store it came from: a child taken out
// of a parsed tree stays valid after its document is gone, and frees its share
// of the page when its own owner frees it. The count is atomic, so a tree built
// on one thread may be freed on another while its document goes on parsing; a
// store itself is used by one thread at a time. Blocks allocated without a
// store (`allocateBlock(nullptr, ...)`) come from the heap with the same
// prefix, so one release fits both.
//
// The store never reuses a block freed in the middle of a page: a parsed tree
// is mostly freed whole. When every block of its current page has come back
// (a document parsed again), the store starts that page over, and a document
// beginning a new tree starts its page sizes over too (beginTree()). When a
// parse is done, the unused end of a mapped page goes back to the system
// (trim()).
#ifndef TARVIK_XML_NODE_STORE_H
#define TARVIK_XML_NODE_STORE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "xml/export.h"

namespace tarvik::xml {

namespace detail {
struct NodePage;  // the head of one page; defined where pages are made
}  // namespace detail

// Alignment of every block: what plain `new` gives, so a node class derived
// outside the library may hold any member that plain `new` would align. The
// library's own nodes, links and records come in multiples of it (prefix
// included) on 64-bit systems, so it costs them no padding there.
inline constexpr std::size_t BlockAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// The word before every block that names its page (null for the heap).
inline constexpr std::size_t BlockPrefixBytes = sizeof(void*);
static_assert(BlockPrefixBytes < BlockAlignment, "the prefix fits before an aligned block");
// Larger blocks go to the heap: a page holds many nodes, not one big thing.
inline constexpr std::size_t LargestStoredBlock = 512;

// Pages of node memory, owned by one document or one tree-building call.
// Not copyable or movable: its pages know it only through their counts.
class TARVIK_XML_API NodeStore {
public:
    NodeStore() = default;
    // Gives up the current page: it returns to the heap once its last block does.
    ~NodeStore();

    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    // `size` bytes aligned to BlockAlignment, valid until releaseBlock. Throws
    // std::bad_alloc when the heap has no page to give. Inline: the parsers
    // call it for every node, and it is mostly a pointer bump.
    void* allocate(std::size_t size) {
        const std::size_t blockBytes =
            (size + BlockPrefixBytes + BlockAlignment - 1) & ~(BlockAlignment - 1);
        if (size > LargestStoredBlock || blockBytes > static_cast<std::size_t>(end_ - next_))
            return allocateSlowly(size);
        char* block = next_;
        next_ += blockBytes;
        ++handedOut_;
        std::memcpy(block, &page_, sizeof page_);
        return block + BlockPrefixBytes;
    }

    // Gives the system back the unused end of the current page, where the
    // page is mapped from the system: the parser that filled the store is
    // done. The store goes on carving from what is left, then a new page.
    void trim() noexcept;
    // A new tree is about to be built in this store (a document parsed
    // again): page sizes grow from the first again, and pages are mapped from
    // the system only once this tree has taken 2 MiB of heap pages. Without
    // it, a document parsed over and over would soon give every small tree a
    // 2 MiB page of its own.
    void beginTree() noexcept {
        nextPageBytes_ = 0;
        heapPageBytes_ = 0;
    }
    // True while new pages come mapped from the system (a large tree).
    bool mapsPages() const noexcept;

private:
    // allocate() when the block is large or the current page is full.
    void* allocateSlowly(std::size_t size);
    // Makes room for a block of `blockBytes` (prefix included).
    void startPage(std::size_t blockBytes);
    // Hands the current page over to its blocks, freeing it if none is out.
    void retirePage() noexcept;

    detail::NodePage* page_ = nullptr;
    char* next_ = nullptr;           // first free byte of the current page
    char* end_ = nullptr;            // end of the current page
    int32_t handedOut_ = 0;          // blocks carved from the current page
    std::size_t nextPageBytes_ = 0;  // size of the last heap page
    std::size_t heapPageBytes_ = 0;  // heap pages taken for the tree being built
};

// `size` bytes from the heap, behind the same prefix as a store's blocks.
TARVIK_XML_API void* allocateHeapBlock(std::size_t size);

// `size` bytes from `store`, or from the heap when `store` is null; either way
// freed by releaseBlock. Throws std::bad_alloc.
inline void* allocateBlock(NodeStore* store, std::size_t size) {
    return store ? store->allocate(size) : allocateHeapBlock(size);
}

// Frees a block from allocateBlock or NodeStore::allocate. Null is ignored.
TARVIK_XML_API void releaseBlock(void* block) noexcept;

// Frees blocks as releaseBlock does, but counts a run of blocks from one page
// as returned in one step, when the run ends or the BlockRelease does: a tree
// freed in document order meets its blocks page by page, so most frees then
// cost no atomic operation. A page may go back to the heap a little later.
class TARVIK_XML_API BlockRelease {
public:
    BlockRelease() = default;
    // Counts the last run as returned.
    ~BlockRelease() {
        if (count_ > 0)
            flush();
    }

    BlockRelease(const BlockRelease&) = delete;
    BlockRelease& operator=(const BlockRelease&) = delete;

    // Frees `block` (from allocateBlock or NodeStore::allocate; null is ignored).
    void release(void* block) noexcept {
        if (!block)
            return;
        detail::NodePage* page;
        std::memcpy(&page, static_cast<char*>(block) - BlockPrefixBytes, sizeof page);
        if (page && page == page_)
            ++count_;
        else
            startRun(block, page);
    }
    // Counts the run so far as returned.
    void flush() noexcept;

private:
    // Ends the run and frees `block`, which lives in `page` (null: the heap).
    void startRun(void* block, detail::NodePage* page) noexcept;

    detail::NodePage* page_ = nullptr;
    int32_t count_ = 0;
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_STORE_H
