// Test helper: the largest single block requested from operator new while a
// probe is alive, so a test can show that a stream claiming gigabytes costs
// kilobytes, and the heap operator new holds at any moment, so a test can
// show what a tree leaves behind. The test program replaces the global
// operator new and delete for this (tests/xml/allocation_probe.cpp); one
// probe at a time.
#ifndef TESTS_SUPPORT_ALLOCATION_PROBE_H
#define TESTS_SUPPORT_ALLOCATION_PROBE_H

#include <cstddef>

namespace testing_support {

class AllocationProbe {
public:
    // Starts recording.
    AllocationProbe();
    // Stops recording.
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    // Size in bytes of the largest block requested since the probe started.
    std::size_t largest() const;
    // From now on, while the probe lives, a request for more than `bytes`
    // throws std::bad_alloc, as an exhausted heap would.
    void refuseAbove(std::size_t bytes);

    // Bytes of the blocks operator new has handed out and operator delete has
    // not yet taken back, each as large as the C library made it, counted
    // whether or not a probe is alive.
    static std::size_t heapInUse();
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_ALLOCATION_PROBE_H
