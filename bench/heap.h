// Heap in use, as the C library's allocator counts it, so that every library
// is measured the same way whether it allocates through operator new
// (TinyXML-2, ours) or malloc (pugixml).
#ifndef BENCH_HEAP_H
#define BENCH_HEAP_H

#include <cstddef>

namespace bench {

// Bytes of heap in use now: glibc's mallinfo2, arena blocks plus blocks
// mapped on their own, each with its header and rounding, which is what a
// tree really costs, plus the anonymous memory the program mapped itself
// (whole pages, used or not). Take it before and after building a tree.
std::size_t heapInUse();

// Bytes of this process's memory resident now (/proc/self/statm), 0 where
// that cannot be read.
std::size_t residentBytes();

}  // namespace bench

#endif  // BENCH_HEAP_H
