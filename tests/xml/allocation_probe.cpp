// Replaces the global operator new and delete of the test program so that
// AllocationProbe can see request sizes and the heap in use. The blocks come
// from malloc and go back to free, in matching pairs, so the sanitizer build
// still checks them.
#include "support/allocation_probe.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<bool> probing{false};
std::atomic<std::size_t> largestRequest{0};
std::atomic<std::size_t> largestGranted{SIZE_MAX};
std::atomic<std::size_t> heapBytes{0};

// What the C library really set aside for a block from malloc.
std::size_t usableSize(void* block) {
#if defined(_WIN32)
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

void* allocate(std::size_t size) {
    if (probing.load(std::memory_order_relaxed) && size > largestGranted.load())
        return nullptr;
    if (probing.load(std::memory_order_relaxed)) {
        std::size_t seen = largestRequest.load(std::memory_order_relaxed);
        while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
        }
    }
    // malloc(0) may return null; operator new must not.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block)
        heapBytes.fetch_add(usableSize(block), std::memory_order_relaxed);
    return block;
}

void release(void* block) {
    if (block)
        heapBytes.fetch_sub(usableSize(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace testing_support {

AllocationProbe::AllocationProbe() {
    largestRequest = 0;
    probing = true;
}

AllocationProbe::~AllocationProbe() {
    probing = false;
    largestGranted = SIZE_MAX;
}

void AllocationProbe::refuseAbove(std::size_t bytes) {
    largestGranted = bytes;
}

std::size_t AllocationProbe::largest() const {
    return largestRequest;
}

std::size_t AllocationProbe::heapInUse() {
    return heapBytes.load(std::memory_order_relaxed);
}

}  // namespace testing_support

void* operator new(std::size_t size) {
    if (void* block = allocate(size))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

void operator delete(void* block) noexcept {
    release(block);
}

void operator delete[](void* block) noexcept {
    release(block);
}

void operator delete(void* block, std::size_t) noexcept {
    release(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block);
}

// Aligned requests are seen alike: the block comes from the counting
// operator new above, with room to align it and, just before it, the address
// to free.
void* operator new(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    char* raw = static_cast<char*>(operator new(size + align + sizeof(void*)));
    const auto start = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
    char* block = raw + sizeof(void*) + ((align - start % align) % align);
    std::memcpy(block - sizeof raw, &raw, sizeof raw);
    return block;
}

void operator delete(void* block, std::align_val_t) noexcept {
    if (!block)
        return;
    char* raw;
    std::memcpy(&raw, static_cast<char*>(block) - sizeof raw, sizeof raw);
    release(raw);
}
