// The native stack of the calling thread.
#pragma once

#include <cstddef>

namespace platform {

// How many times larger stack frames are in this build than in a plain one: the
// address sanitizer pads every frame, so limits counted in bytes of stack scale by it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kStackFrameScale = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr std::size_t kStackFrameScale = 4;
#else
inline constexpr std::size_t kStackFrameScale = 1;
#endif
#else
inline constexpr std::size_t kStackFrameScale = 1;
#endif

// Bytes of the calling thread's stack below `address` (an address on that stack),
// that is, the room that deeper calls still have; 0 when the system cannot tell.
std::size_t stackRoomBelow(const void* address);

} // namespace platform
