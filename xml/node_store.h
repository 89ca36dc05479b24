// The memory a tree's nodes live in. A document's parsers carve its elements,
// attribute records and child links out of large pages that the document's
// NodeStore owns, instead of asking the heap for each one:
//
//     tarvik::xml::NodeStore store;
//     void* block = store.allocate(64);    // from the store's current page
//     tarvik::xml::releaseBlock(block);    // the page counts it as returned
//
// How it works. A page is one heap block of 1 KiB to 16 KiB, or, once the tree
// being built has taken 2 MiB of those, 2 MiB mapped from the system where the
// system can back it with one huge page (Linux): a large tree then costs one
// page fault per 2 MiB instead of one per 4 KiB, and its memory goes straight
// back to the system when freed. The store hands out a page's bytes front to
// back, each block behind a one-word prefix that names its block group: a
// heap page, or one 16 KiB chunk of a mapped page (a block belongs to the
// chunk it starts in; the counts of a mapped page's chunks are kept in a
// head in the system page mapped just before it). Every group counts the
// blocks still out. Freeing a block only lowers that count; a heap page goes
// back as soon as its count reaches zero and no store hands out from it any
// more, and a mapped page once all its chunks have and its store has let go
// of it. So a node may
// outlive the store it came from: a child taken out of a parsed tree stays
// valid after its document is gone, and frees its share of the page when its
// own owner frees it. The counts are atomic, so a tree built on one thread
// may be freed on another while its document goes on parsing; a store itself
// is used by one thread at a time. Blocks allocated without a store
// (`allocateBlock(nullptr, ...)`) come from the heap with the same prefix, so
// one release fits both.
//
// What a kept node holds. A store holds on to the mapped pages its tree has
// filled until the next tree begins (beginTree(), which a document calls
// before it frees its tree) or the store goes. While it does, a page keeps
// the memory of its emptied chunks (a tree taken apart node by node while
// its document lives would otherwise cost a call to the system per chunk),
// and gives back all of it once every block has come back. Once the store
// has let go, a page gives back the memory of its emptied chunks as soon as
// they hold more than a quarter chunk for each chunk still in use. So a node
// kept after the rest of its tree and its store are gone keeps the pages its
// blocks lie in, not the whole tree: the one or two heap pages its blocks
// begin and end in (at most 16 KiB each), or the chunks of a mapped page its
// blocks start in, the 4 KiB after them and the page's head (4 KiB): at most
// 44 KiB beyond its own bytes.
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
struct BlockGroup;  // the count of a heap page or of a mapped page's chunk
struct MappedPage;  // the head of a page mapped from the system

// Chunks of one mapped page whose last blocks a BlockRelease has freed, not
// yet reported to the page: each is a share of the page's count. The counts
// are set when a page is taken: a BlockRelease is made for every erase.
struct PageHold {
    MappedPage* page = nullptr;
    int32_t chunks;
    uint64_t emptied[2];  // which of the page's chunks, one bit each
};
}  // namespace detail

// Alignment of every block: what plain `new` gives, so a node class derived
// outside the library may hold any member that plain `new` would align. The
// library's own nodes, links and records come in multiples of it (prefix
// included) on 64-bit systems, so it costs them no padding there.
inline constexpr std::size_t BlockAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// The word before every block that names its block group (null for the heap).
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
        std::memcpy(block, &group_, sizeof group_);
        return block + BlockPrefixBytes;
    }

    // Gives the system back the unused end of the current page, where the
    // page is mapped from the system: the parser that filled the store is
    // done. The store goes on carving from what is left, then a new page.
    void trim() noexcept;
    // A new tree is about to be built in this store (a document parsed
    // again, or cleared before it goes): page sizes grow from the first
    // again, and pages are mapped from the system only once this tree has
    // taken 2 MiB of heap pages. Without it, a document parsed over and over
    // would soon give every small tree a 2 MiB page of its own. The store
    // also lets go of the mapped pages the last tree filled: call it before
    // that tree is freed, so that its pages go back as they empty.
    void beginTree() noexcept;
    // True while new pages come mapped from the system (a large tree).
    bool mapsPages() const noexcept;

private:
    // allocate() when the block is large or the current page or chunk is full.
    void* allocateSlowly(std::size_t size);
    // True when the current page is a mapped one with room left for
    // `blockBytes`, moving on to its next chunk where the current one is full.
    bool fitsInMappedPage(std::size_t blockBytes);
    // Goes on in the next chunk of the current mapped page.
    void startNextChunk() noexcept;
    // Begins the current page again when every block of it has come back;
    // false when some are out or `blockBytes` would not fit.
    bool restartPage(std::size_t blockBytes) noexcept;
    // Makes room for a block of `blockBytes` (prefix included) in a new page.
    void startPage(std::size_t blockBytes);
    // Moves on from the current page: fillPage() for a mapped one, else retirePage().
    void leavePage() noexcept;
    // Keeps the current mapped page among the pages the tree has filled.
    // While the store holds it, an emptied chunk keeps its memory (the tree
    // may be taken apart node by node while its document lives), but the
    // page gives back all of it once every block has come back.
    void fillPage() noexcept;
    // Lets go of the filled pages: each goes back, or gives back the memory
    // of its emptied chunks, as its blocks come back.
    void letGoFilledPages() noexcept;
    // Hands the current page over to its blocks, freeing it if none is out.
    void retirePage() noexcept;

    detail::BlockGroup* group_ = nullptr;   // the heap page or chunk carved from now
    char* next_ = nullptr;                  // first free byte of it
    char* end_ = nullptr;                   // its end
    int32_t handedOut_ = 0;                 // blocks carved from it
    std::size_t nextPageBytes_ = 0;         // size of the last heap page
    std::size_t heapPageBytes_ = 0;         // heap pages taken for the tree being built
    detail::MappedPage* filled_ = nullptr;  // mapped pages filled since the last beginTree()
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

// Frees blocks as releaseBlock does, but counts a run of blocks from one block
// group as returned in one step, when the run ends or the BlockRelease does:
// a tree freed in document order meets its blocks group by group, so most
// frees then cost no atomic operation. It also holds on to the last mapped
// pages whose chunks it emptied until it is done with them: a page freed
// whole then goes back whole, and only a page some of whose blocks live on
// gives back the memory of its empty chunks. A page may go back a little
// later.
class TARVIK_XML_API BlockRelease {
public:
    BlockRelease() = default;
    // Counts the last run as returned and lets go of the pages it holds.
    ~BlockRelease() {
        if (count_ > 0)
            flush();
        if (held_[0].page)
            letGoOfPages();
    }

    BlockRelease(const BlockRelease&) = delete;
    BlockRelease& operator=(const BlockRelease&) = delete;

    // Frees `block` (from allocateBlock or NodeStore::allocate; null is ignored).
    void release(void* block) noexcept {
        if (!block)
            return;
        detail::BlockGroup* group;
        std::memcpy(&group, static_cast<char*>(block) - BlockPrefixBytes, sizeof group);
        if (group && group == group_)
            ++count_;
        else
            startRun(block, group);
    }
    // Counts the run so far as returned.
    void flush() noexcept;

private:
    // Ends the run and frees `block`, which lives in `group` (null: the heap).
    void startRun(void* block, detail::BlockGroup* group) noexcept;
    // Keeps the share of chunk `chunk` of `page`, which has just emptied,
    // with those of the page's other chunks emptied before.
    void hold(detail::MappedPage* page, uint32_t chunk) noexcept;
    // Reports the chunks it emptied to their pages and lets go of them.
    void letGoOfPages() noexcept;

    // Mapped pages held: two, so that the blocks of adjacent pages freed
    // out of turn where they meet do not make either look like it outlives
    // the tree.
    static constexpr int HeldPages = 2;

    detail::BlockGroup* group_ = nullptr;
    int32_t count_ = 0;
    detail::PageHold held_[HeldPages];  // the oldest first, unused ones at the end
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_STORE_H
