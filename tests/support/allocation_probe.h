// Test helper: the largest single block requested from operator new while a
// probe is alive, so a test can show that a stream claiming gigabytes costs
// kilobytes. The test program replaces the global operator new and delete
// for this (tests/xml/allocation_probe.cpp); one probe at a time.
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
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_ALLOCATION_PROBE_H
