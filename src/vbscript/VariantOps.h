// Moves and copies of Variants on the interpreter's hot paths.
//
// Most values a script handles are plain numbers, Booleans, Empty or Null; they own
// nothing, and Variant copies, moves and destroys them inline. Strings, objects and
// arrays go the out-of-line way.
#pragma once

#include "automation/Variant.h"

#include <cstddef>
#include <new>
#include <utility>

namespace vbscript {

inline bool isPlain(vb::VarType t)
{
    return t != vb::vbString && t != vb::vbObject && t != vb::vbArray;
}

// A copy of a plain value (Variant's own copy is inline for values that own nothing).
inline vb::Variant plainCopy(const vb::Variant& v)
{
    return v;
}

inline vb::Variant copyOf(const vb::Variant& v)
{
    return v;
}

// dst = std::move(src).
inline void moveInto(vb::Variant& dst, vb::Variant&& src)
{
    dst = std::move(src);
}

// A temporary Variant that skips the destructor call when it ends up plain.
class Temp {
public:
    [[gnu::always_inline]] Temp() { new (&storage_) vb::Variant(); }
    [[gnu::always_inline]] ~Temp()
    {
        if (!isPlain(get().type()))
            get().~Variant();
    }
    Temp(const Temp&) = delete;
    Temp& operator=(const Temp&) = delete;
    vb::Variant& get() { return *std::launder(reinterpret_cast<vb::Variant*>(&storage_)); }
    // Takes the result of a call; the Temp must still hold a plain value.
    template <class Make>
    vb::Variant& emplace(Make&& make)
    {
        return *new (&storage_) vb::Variant(make());
    }

private:
    alignas(vb::Variant) std::byte storage_[sizeof(vb::Variant)];
};

} // namespace vbscript
