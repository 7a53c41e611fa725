// The native stack of the calling thread.
#pragma once

#include <cstddef>

namespace platform {

// Bytes of the calling thread's stack below `address` (an address on that stack),
// that is, the room that deeper calls still have; 0 when the system cannot tell.
std::size_t stackRoomBelow(const void* address);

} // namespace platform
