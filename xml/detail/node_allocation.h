// NodeAllocation: the empty base of XMLElement that gives every node class
// its operator new and delete, so nodes come from a NodeStore arena or the
// heap and `delete` (std::unique_ptr) frees either. Internal to the library.
#ifndef TARVIK_XML_DETAIL_NODE_ALLOCATION_H
#define TARVIK_XML_DETAIL_NODE_ALLOCATION_H

#include <cstddef>
#include <new>

#include "xml/detail/node_store.h"

namespace tarvik::xml::detail {

// Holds no data, so a node pays no byte for it. A node's memory carries the
// arena's one-word prefix, which says where it came from.
struct NodeAllocation {
    // Heap memory, as plain `new XMLElement` uses.
    static void* operator new(std::size_t size) { return allocateBlock(nullptr, size); }
    // Arena memory: `new (store) XMLElement(...)`, as the parsers make nodes.
    static void* operator new(std::size_t size, NodeStore& store) {
        return allocateBlock(&store, size);
    }
    // Placement new into memory the caller manages (and destroys by hand).
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    // Frees a node's memory, wherever it came from.
    static void operator delete(void* block) noexcept { releaseBlock(block); }
    // Frees the memory of a node whose constructor threw.
    static void operator delete(void* block, NodeStore&) noexcept { releaseBlock(block); }
    static void operator delete(void*, void*) noexcept {}
    // A class aligned beyond what plain `new` gives lives on the heap, with no
    // prefix, wherever it was asked for.
    static void* operator new(std::size_t size, std::align_val_t alignment) {
        return ::operator new(size, alignment);
    }
    static void* operator new(std::size_t size, std::align_val_t alignment, NodeStore&) {
        return ::operator new(size, alignment);
    }
    static void operator delete(void* block, std::align_val_t alignment) noexcept {
        ::operator delete(block, alignment);
    }
    static void operator delete(void* block, std::align_val_t alignment, NodeStore&) noexcept {
        ::operator delete(block, alignment);
    }
};

}  // namespace tarvik::xml::detail

#endif  // TARVIK_XML_DETAIL_NODE_ALLOCATION_H
