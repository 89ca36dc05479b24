// The node arena: where the parsers, readTree and clone allocate a tree's
// elements, attribute records and child links, instead of one heap call each.
// Internal to the library; installed only because xml/document.h and
// xml/node_list.h use it inline.
//
//     tarvik::xml::detail::NodeStore store;
//     void* block = store.allocate(64);            // from the arena's current page
//     tarvik::xml::detail::releaseBlock(block);    // drops the page's reference count
//
// Pages are heap blocks of 1 KiB doubling to 16 KiB; on Linux, once a tree
// has taken 2 MiB of those, 2 MiB mapped from the system and advised as one
// huge page (one fault per 2 MiB, not per 4 KiB); elsewhere, heap pages only. Each block sits
// behind a one-word prefix naming its block group, a heap page or a 16 KiB chunk of a mapped page
// (whose counts live in a head in the system page just before it), whose atomic reference count of
// blocks still out lets a tree built on one thread be freed on another; a store itself serves one
// thread at a time.
//
// Freeing a block only drops its group's count. A heap page goes back at zero
// once no store allocates from it; a mapped page once all its chunks have
// emptied and its store has let go (beginTree() or the store's end). So a node
// outlives its arena. While its store holds a mapped page, emptied chunks keep
// their memory (a tree freed node by node would otherwise cost a system call
// per chunk); after, a page gives them back once they exceed a quarter chunk
// per chunk in use. A node kept after its tree and store holds at most 44 KiB
// beyond its own bytes: the heap pages its blocks begin and end in, or its
// chunks of a mapped page, the 4 KiB after them and the page's head. To keep
// only its own bytes, keep a clone() instead: a clone's pages hold it alone.
//
// A block freed in the middle of a page is not reused (a parsed tree is mostly
// freed whole); a page whose blocks have all come back is started over.
#ifndef TARVIK_XML_DETAIL_NODE_STORE_H
#define TARVIK_XML_DETAIL_NODE_STORE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "xml/export.h"

namespace tarvik::xml::detail {

struct BlockGroup;  // the reference count of a heap page or of a mapped page's chunk
struct MappedPage;  // the head of a page mapped from the system

// Chunks of one mapped page whose last blocks a BlockRelease has freed, not
// yet reported to the page; each holds a reference to the page.
struct PageHold {
    MappedPage* page = nullptr;
    int32_t chunks;       // set when a page is taken: a BlockRelease is made for every erase
    uint64_t emptied[2];  // which of the page's chunks, one bit each
};

// Alignment of every block: what plain `new` gives, so a node class derived
// outside the library may hold any member plain `new` would align. The
// library's own nodes, links and records are multiples of it (prefix
// included) on 64-bit systems, so it costs them no padding there.
inline constexpr std::size_t BlockAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// The word before every block that names its block group (null for the heap).
inline constexpr std::size_t BlockPrefixBytes = sizeof(void*);
static_assert(BlockPrefixBytes < BlockAlignment, "the prefix fits before an aligned block");
// Larger blocks go to the heap: a page holds many nodes, not one big thing.
inline constexpr std::size_t LargestStoredBlock = 512;

// The arena of one document or one tree-building call. Not copyable or
// movable: its pages know it only through their reference counts.
class TARVIK_XML_API NodeStore {
public:
    NodeStore() = default;
    // Lets go of its pages: each returns to the system once its last block does.
    ~NodeStore();

    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    // `size` bytes aligned to BlockAlignment, valid until releaseBlock. Throws
    // std::bad_alloc. Inline: called for every node, and mostly a pointer bump.
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

    // Gives the system back the unused end of a mapped current page (the
    // parser that filled the arena is done); allocation goes on after it.
    void trim() noexcept;
    // Starts a new tree (a document parsed again, or cleared before it goes):
    // page sizes grow from the first again, so a document parsed over and
    // over does not give every small tree a 2 MiB page, and the mapped pages
    // the last tree filled are let go. Call it before that tree is freed, so
    // its pages go back as they empty.
    void beginTree() noexcept;
    // True while new pages come mapped from the system (a large tree on Linux).
    bool mapsPages() const noexcept;

private:
    // allocate() when the block is large or the current page or chunk is full.
    void* allocateSlowly(std::size_t size);
    // True when the current page is a mapped one with room left for
    // `blockBytes`, moving on to its next chunk where the current one is full.
    bool fitsInMappedPage(std::size_t blockBytes);
    // Goes on in the next chunk of the current mapped page.
    void startNextChunk() noexcept;
    // Starts the current page over when every block of it has come back;
    // false when some are out or `blockBytes` would not fit.
    bool restartPage(std::size_t blockBytes) noexcept;
    // Makes room for a block of `blockBytes` (prefix included) in a new page.
    void startPage(std::size_t blockBytes);
    // Moves on from the current page: fillPage() for a mapped one, else retirePage().
    void leavePage() noexcept;
    // Keeps the current mapped page among those the tree has filled; while
    // held, its emptied chunks keep their memory until every block is back.
    void fillPage() noexcept;
    // Lets go of the filled pages: each goes back, or gives back the memory
    // of its emptied chunks, as its blocks come back.
    void letGoFilledPages() noexcept;
    // Hands the current page over to its blocks, freeing it if none is out.
    void retirePage() noexcept;

    BlockGroup* group_ = nullptr;    // the heap page or chunk allocated from now
    char* next_ = nullptr;           // first free byte of it
    char* end_ = nullptr;            // its end
    int32_t handedOut_ = 0;          // blocks allocated from it
    std::size_t nextPageBytes_ = 0;  // size of the last heap page
    std::size_t heapPageBytes_ = 0;  // heap pages taken for the tree being built
    MappedPage* filled_ = nullptr;   // mapped pages filled since the last beginTree()
};

// `size` bytes from the heap, behind the same prefix as an arena's blocks.
TARVIK_XML_API void* allocateHeapBlock(std::size_t size);

// `size` bytes from `store`, or from the heap when `store` is null; either way
// freed by releaseBlock. Throws std::bad_alloc.
inline void* allocateBlock(NodeStore* store, std::size_t size) {
    return store ? store->allocate(size) : allocateHeapBlock(size);
}

// Frees a block from allocateBlock or NodeStore::allocate. Null is ignored.
TARVIK_XML_API void releaseBlock(void* block) noexcept;

// Frees blocks as releaseBlock does, but releases a run of blocks from one
// block group with one atomic operation, when the run ends or the
// BlockRelease does: a tree freed in document order meets its blocks group by
// group. It also holds the last mapped pages whose chunks it emptied until it
// is done, so a page freed whole goes back whole (a little later).
class TARVIK_XML_API BlockRelease {
public:
    BlockRelease() = default;
    // Releases the last run and lets go of the pages it holds.
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
        BlockGroup* group;
        std::memcpy(&group, static_cast<char*>(block) - BlockPrefixBytes, sizeof group);
        if (group && group == group_)
            ++count_;
        else
            startRun(block, group);
    }
    // Releases the run so far.
    void flush() noexcept;

private:
    // Ends the run and frees `block`, which lives in `group` (null: the heap).
    void startRun(void* block, BlockGroup* group) noexcept;
    // Holds the reference of chunk `chunk` of `page`, which has just emptied,
    // with those of the page's other chunks emptied before.
    void hold(MappedPage* page, uint32_t chunk) noexcept;
    // Reports the chunks it emptied to their pages and lets go of them.
    void letGoOfPages() noexcept;

    // Two, so that blocks of adjacent pages freed out of turn where they
    // meet do not make either page look as if it outlived the tree.
    static constexpr int HeldPages = 2;

    BlockGroup* group_ = nullptr;
    int32_t count_ = 0;
    PageHold held_[HeldPages];  // the oldest first, unused ones at the end
};

}  // namespace tarvik::xml::detail

#endif  // TARVIK_XML_DETAIL_NODE_STORE_H
