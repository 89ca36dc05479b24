#include "bench/heap.h"

#include <dlfcn.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

namespace {

// Anonymous memory mapped outside the C library's allocator, which keeps its
// own mappings out of sight of these wrappers.
std::atomic<std::size_t> mappedBytes{0};

template <typename Function>
Function nextDefinition(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// A tree may take its pages from the system rather than from malloc (our node
// store does for large trees), so the program's own mmap and munmap are
// counted as heap too. The benchmarks map no files, so every munmap here
// gives back anonymous memory.
extern "C" void* mmap(void* address, size_t length, int protection, int flags, int file,
                      off_t offset) noexcept {
    using Mmap = void* (*)(void*, size_t, int, int, int, off_t);
    static const Mmap next = nextDefinition<Mmap>("mmap");
    void* mapping = next(address, length, protection, flags, file, offset);
    if (mapping != MAP_FAILED && (flags & MAP_ANONYMOUS))
        mappedBytes += length;
    return mapping;
}

extern "C" int munmap(void* address, size_t length) noexcept {
    using Munmap = int (*)(void*, size_t);
    static const Munmap next = nextDefinition<Munmap>("munmap");
    const int result = next(address, length);
    if (result == 0)
        mappedBytes -= length;
    return result;
}

namespace bench {

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd + mappedBytes.load();
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    if (!(statm >> pages >> resident))
        return 0;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace bench
