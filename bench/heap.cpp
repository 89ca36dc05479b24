#include "bench/heap.h"

#include <malloc.h>

namespace bench {

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace bench
