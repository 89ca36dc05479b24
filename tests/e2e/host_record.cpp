#include "host_record.h"

#include <cstring>

namespace host_record {

Fields read(const void* host) {
    Fields fields = {};
    std::memcpy(&fields, host, sizeof fields);
    return fields;
}

HWND gameWindow(const void* host) {
    return reinterpret_cast<HWND>(read(host).gameWindow);
}

#if defined(__i386__)

CallOutcome callCallback(void* host, uint32_t first, uint32_t second) {
    // The table's first entry, read as the 32-bit word it is.
    uint32_t entry = 0;
    std::memcpy(&entry, reinterpret_cast<const void*>(read(host).callbackTable), sizeof entry);
    void* self = host;
    int32_t result = 0;
    int32_t drift = 0;
    // ESI is callee-saved, so it still holds the old ESP after the call; the
    // callee may clobber EAX, ECX and EDX, which the constraints say.
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "pushl %[second]\n\t"
        "pushl %[first]\n\t"
        "call *%[entry]\n\t"
        "movl %%esp, %%edx\n\t"
        "subl %%esi, %%edx\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(result), "=d"(drift), "+c"(self)
        : [first] "r"(first), [second] "r"(second), [entry] "r"(entry)
        : "esi", "memory", "cc");
    return {result, drift};
}

#else

CallOutcome callCallback(void* host, uint32_t first, uint32_t second) {
    // Through the table, the one way the 64-bit calling convention has.
    return {static_cast<GameHost*>(host)->callback(first, second), 0};
}

#endif

}  // namespace host_record
