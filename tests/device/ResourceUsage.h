// What a test process holds: its open descriptors and the heap in use, to
// show that a long run of cycles leaks neither.
#pragma once

#include <filesystem>
#include <iterator>
#include <malloc.h>

#ifdef __SANITIZE_ADDRESS__
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace resourcetest {

inline int OpenDescriptors() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator{}));
}

// Bytes the allocator has handed out and not had back.
inline long HeapInUse() {
#ifdef __SANITIZE_ADDRESS__
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<long>(mallinfo2().uordblks);
#endif
}

} // namespace resourcetest
