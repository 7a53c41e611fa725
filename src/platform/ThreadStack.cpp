#include "ThreadStack.h"

#include <pthread.h>

#include <cstdint>

namespace platform {

std::size_t stackRoomBelow(const void* address)
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return 0;
    void* low = nullptr;
    std::size_t size = 0;
    const int rc = pthread_attr_getstack(&attr, &low, &size);
    pthread_attr_destroy(&attr);
    if (rc != 0 || !low)
        return 0;
    const auto here = reinterpret_cast<std::uintptr_t>(address);
    const auto bottom = reinterpret_cast<std::uintptr_t>(low);
    if (here <= bottom || here > bottom + size)
        return 0;
    return here - bottom;
}

} // namespace platform
