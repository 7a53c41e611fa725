#include "ThreadStack.h"

#include <pthread.h>

#include <cstdint>

namespace platform {

namespace {

struct StackBounds {
    std::uintptr_t bottom = 0;
    std::uintptr_t top = 0;
};

// Looked up once per thread: for the main thread the system reads it from
// /proc/self/maps, which is too slow for every call.
const StackBounds& currentStack()
{
    thread_local const StackBounds bounds = [] {
        StackBounds b;
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) != 0)
            return b;
        void* low = nullptr;
        std::size_t size = 0;
        if (pthread_attr_getstack(&attr, &low, &size) == 0 && low) {
            b.bottom = reinterpret_cast<std::uintptr_t>(low);
            b.top = b.bottom + size;
        }
        pthread_attr_destroy(&attr);
        return b;
    }();
    return bounds;
}

} // namespace

std::size_t stackRoomBelow(const void* address)
{
    const StackBounds& b = currentStack();
    const auto here = reinterpret_cast<std::uintptr_t>(address);
    if (b.bottom == 0 || here <= b.bottom || here > b.top)
        return 0;
    return here - b.bottom;
}

} // namespace platform
