// Cheap moves and copies of Variants on the interpreter's hot paths.
//
// Most values a script handles are plain numbers, Booleans, Empty or Null; they own
// nothing, so copying them needs no call into the Variant implementation and a
// plain value needs no destructor. Strings, objects and arrays go the usual way.
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

// A copy of a plain value.
inline vb::Variant plainCopy(const vb::Variant& v)
{
    switch (v.type()) {
    case vb::vbInteger: return vb::Variant(v.integerValue());
    case vb::vbLong: return vb::Variant(v.longValue());
    case vb::vbDouble: return vb::Variant(v.doubleValue());
    case vb::vbBoolean: return vb::Variant(v.booleanValue());
    case vb::vbSingle: return vb::Variant(v.singleValue());
    case vb::vbCurrency: return vb::Variant(v.currencyValue());
    case vb::vbDate: return vb::Variant(v.dateValue());
    case vb::vbByte: return vb::Variant(v.byteValue());
    case vb::vbNull: return vb::Variant::null();
    case vb::vbError: return vb::Variant::error(v.errorValue());
    default: return vb::Variant();
    }
}

inline vb::Variant copyOf(const vb::Variant& v)
{
    return isPlain(v.type()) ? plainCopy(v) : vb::Variant(v);
}

// dst = std::move(src).
inline void moveInto(vb::Variant& dst, vb::Variant&& src)
{
    if (isPlain(dst.type()) && isPlain(src.type()))
        new (&dst) vb::Variant(plainCopy(src)); // the old plain value owns nothing
    else
        dst = std::move(src);
}

// A temporary Variant that skips the destructor call when it ends up plain.
class Temp {
public:
    Temp() { new (&storage_) vb::Variant(); }
    ~Temp()
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
