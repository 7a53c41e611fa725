// Object: the late-bound object of the object model.
//
// Every member is reached by name (case-insensitive) as a method, property get,
// property let or property set. Arguments travel as an Args view over pointers to the
// caller's Variants: a by-reference argument is the caller's own variable, so the
// callee's writes reach it; a by-value argument is a temporary the caller made. An
// omitted optional argument is a Variant::missing(). For Let and Set the new value is
// the last argument.
#pragma once

#include "Ref.h"
#include "Variant.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

namespace vb {

// How a member is called; Method|Get is the usual call of an expression "obj.Name(args)".
enum CallKind : std::uint8_t {
    Method = 1,
    Get = 2,
    Let = 4,
    Set = 8,
};
constexpr CallKind operator|(CallKind a, CallKind b) { return CallKind(std::uint8_t(a) | std::uint8_t(b)); }

class Args {
public:
    Args() = default;
    Args(Variant* const* ptrs, std::size_t count) : ptrs_(ptrs), count_(count) { }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Variant& operator[](std::size_t i) const { return *ptrs_[i]; }
    // True when argument i was not given at all or was given as the missing marker.
    bool isMissing(std::size_t i) const { return i >= count_ || ptrs_[i]->isMissing(); }
    // The arguments without the last one (the value of a Let or Set).
    Args withoutLast() const { return Args(ptrs_, count_ ? count_ - 1 : 0); }
    Variant& last() const { return *ptrs_[count_ - 1]; }
    Variant* const* data() const { return ptrs_; }

private:
    Variant* const* ptrs_ = nullptr;
    std::size_t count_ = 0;
};

// Walks the items of a collection for "For Each".
class Enumerator {
public:
    virtual ~Enumerator() = default;
    // Stores the next item in `out` and returns true, or returns false at the end.
    virtual bool next(Variant& out) = 0;
};

// A member id: an index into the object's member table, or kNoMember.
using MemberId = int;
inline constexpr MemberId kNoMember = -1;

struct TypeInfo;

class Object : public RefCounted {
public:
    // TypeName of the object ("Dictionary", "Application", ...).
    virtual std::string_view typeName() const = 0;

    // The id of a member, looked up without regard to case; kNoMember when the object
    // has no such member. The empty name asks for the default member.
    virtual MemberId memberId(std::string_view name) const = 0;
    // Calls the member. Raises 438 when the member does not serve that kind of call
    // and 450 for a wrong argument count.
    virtual Variant invoke(MemberId id, CallKind kind, Args args) = 0;

    // The object's published members and their declared types, when its class has a
    // member table; null for objects that resolve names themselves.
    virtual const TypeInfo* typeInfo() const { return nullptr; }

    // "For Each" over the object; raises 438 when the object is not a collection.
    virtual std::unique_ptr<Enumerator> enumerate();

    // Calls a member by name; raises 438 "Object doesn't support this property or method"
    // when there is no such member.
    Variant invoke(std::string_view name, CallKind kind, Args args);
};

// Owns a small set of argument values and the pointer view over them. Use it to call a
// member with values; pass `&variable` entries to byRef() for by-reference arguments.
template <std::size_t N>
class ArgPack {
public:
    template <class... V>
    explicit ArgPack(V&&... values) : values_{Variant(std::forward<V>(values))...}
    {
        for (std::size_t i = 0; i < N; ++i)
            ptrs_[i] = &values_[i];
    }
    // Makes argument i refer to the caller's own variable.
    ArgPack& byRef(std::size_t i, Variant& variable)
    {
        ptrs_[i] = &variable;
        return *this;
    }
    Args args() const { return Args(ptrs_.data(), N); }
    operator Args() const { return args(); }

private:
    std::array<Variant, N> values_;
    std::array<Variant*, N> ptrs_;
};

template <class... V>
ArgPack(V&&...) -> ArgPack<sizeof...(V)>;

// Calls obj.name(values...) by value; the usual late-bound call (Method|Get).
template <class... V>
Variant call(Object& obj, std::string_view name, V&&... values)
{
    ArgPack<sizeof...(V)> pack(std::forward<V>(values)...);
    return obj.invoke(name, Method | Get, pack.args());
}

// Reads a property without arguments.
Variant getProperty(Object& obj, std::string_view name);
// Assigns a property (Let; Set when the value is an object).
void setProperty(Object& obj, std::string_view name, Variant value);

// The object in a Variant, or error 424 "Object required" (Nothing gives 91 "Object variable not set").
Object& requireObject(const Variant& v);

} // namespace vb
