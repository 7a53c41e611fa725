// Declarative member tables: how a C++ class publishes its members by name.
//
// A class derives from Dispatch<Self> and defines a static members() function that
// returns a MemberTable listing its members in slot order:
//
//     const vb::MemberTable<Dictionary>& Dictionary::members()
//     {
//         static const vb::MemberTable<Dictionary> table("Dictionary", {
//             vb::method<&Dictionary::add>("Add"),
//             vb::get<&Dictionary::item>("Item", vb::kDefault),
//             vb::let<&Dictionary::setItem>("Item", vb::kDefault),
//         });
//         return table;
//     }
//
// method/get/let/set adapt an ordinary member function: each parameter is converted
// from its argument the way VB converts (std::string by CStr, std::int16_t by CInt,
// ...); a `Variant&` parameter is the caller's own variable (by reference); an
// `Optional<X>` parameter may be omitted; an `Args` parameter as the last one takes
// the remaining arguments. The argument count is checked from the parameter list. The
// result is wrapped in a Variant of the matching VB type (void gives Empty). For let
// and set the last parameter receives the assigned value.
#pragma once

#include "Conversions.h"
#include "Error.h"
#include "MemberSignature.h"
#include "Object.h"
#include "TextCompare.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vb {

template <class X>
using Optional = std::optional<X>;

inline constexpr bool kDefault = true;

template <class T>
using Handler = Variant (*)(T& self, Args args);

template <class T>
struct MemberSpec {
    std::string_view name;
    CallKind kind;
    Handler<T> handler;
    bool isDefault = false;
    // The most arguments the handler takes; -1 when it checks them itself.
    std::int16_t maxArgs = -1;
    // The declared types of the parameters and result; null for a raw handler.
    const MemberSignature* signature = nullptr;
};

namespace detail {

// Converting one argument to a parameter type.
template <class P>
struct Param;

template <class P>
struct IsOptional : std::false_type { };
template <class X>
struct IsOptional<std::optional<X>> : std::true_type { };

inline Variant& requiredArg(Args args, std::size_t i)
{
    if (i >= args.size())
        raiseError(err::WrongArgumentCount);
    if (args[i].isMissing())
        raiseError(err::ArgumentNotOptional);
    return args[i];
}

template <>
struct Param<Variant&> {
    static Variant& get(Args a, std::size_t i) { return requiredArg(a, i); }
};
template <>
struct Param<const Variant&> {
    static const Variant& get(Args a, std::size_t i) { return requiredArg(a, i); }
};
template <>
struct Param<Variant> {
    static Variant get(Args a, std::size_t i) { return requiredArg(a, i); }
};
template <>
struct Param<std::string> {
    static std::string get(Args a, std::size_t i) { return CStr(requiredArg(a, i)); }
};
template <>
struct Param<const std::string&> : Param<std::string> { };
template <>
struct Param<std::int16_t> {
    static std::int16_t get(Args a, std::size_t i) { return CInt(requiredArg(a, i)); }
};
template <>
struct Param<std::int32_t> {
    static std::int32_t get(Args a, std::size_t i) { return CLng(requiredArg(a, i)); }
};
template <>
struct Param<std::uint8_t> {
    static std::uint8_t get(Args a, std::size_t i) { return CByte(requiredArg(a, i)); }
};
template <>
struct Param<double> {
    static double get(Args a, std::size_t i) { return CDbl(requiredArg(a, i)); }
};
template <>
struct Param<float> {
    static float get(Args a, std::size_t i) { return CSng(requiredArg(a, i)); }
};
template <>
struct Param<bool> {
    static bool get(Args a, std::size_t i) { return CBool(requiredArg(a, i)); }
};
template <>
struct Param<Date> {
    static Date get(Args a, std::size_t i) { return CDate(requiredArg(a, i)); }
};
template <>
struct Param<Currency> {
    static Currency get(Args a, std::size_t i) { return CCur(requiredArg(a, i)); }
};
template <>
struct Param<Ref<Object>> {
    static Ref<Object> get(Args a, std::size_t i)
    {
        const Variant& v = requiredArg(a, i);
        if (v.isObject())
            return v.objectRef();
        if (v.isEmpty())
            return nullptr;
        raiseError(err::TypeMismatch);
    }
};
template <>
struct Param<Args> {
    static Args get(Args a, std::size_t i)
    {
        if (i >= a.size())
            return Args();
        return Args(a.data() + i, a.size() - i);
    }
};
template <class X>
struct Param<std::optional<X>> {
    static std::optional<X> get(Args a, std::size_t i)
    {
        if (a.isMissing(i))
            return std::nullopt;
        return Param<X>::get(a, i);
    }
};

template <class R>
Variant wrapResult(R&& r)
{
    using D = std::decay_t<R>;
    if constexpr (std::is_same_v<D, Variant>)
        return std::forward<R>(r);
    else if constexpr (std::is_same_v<D, std::string>)
        return Variant(std::forward<R>(r));
    else if constexpr (std::is_pointer_v<D>)
        return Variant(static_cast<Object*>(r));
    else if constexpr (std::is_same_v<D, std::optional<std::string>>)
        return r ? Variant(*r) : Variant();
    else
        return Variant(std::forward<R>(r));
}

template <class F>
struct FnTraits;
template <class C, class R, class... P>
struct FnTraits<R (C::*)(P...)> {
    using Class = C;
    using Result = R;
    using Params = std::tuple<P...>;
    static constexpr std::size_t count = sizeof...(P);
};
template <class C, class R, class... P>
struct FnTraits<R (C::*)(P...) const> : FnTraits<R (C::*)(P...)> { };

template <class Tuple>
struct ArgCounts;
template <class... P>
struct ArgCounts<std::tuple<P...>> {
    static constexpr bool hasRest = (std::is_same_v<std::decay_t<P>, Args> || ...);
    static constexpr std::size_t required = ((!IsOptional<std::decay_t<P>>::value && !std::is_same_v<std::decay_t<P>, Args>) + ... + 0);
    static constexpr std::size_t total = sizeof...(P) - (hasRest ? 1 : 0);
};

template <auto Fn, class T, std::size_t... I>
Variant callAdapted(T& self, Args args, std::index_sequence<I...>)
{
    using Traits = FnTraits<decltype(Fn)>;
    using Params = typename Traits::Params;
    using Counts = ArgCounts<Params>;
    if (args.size() < Counts::required || (!Counts::hasRest && args.size() > Counts::total))
        raiseError(err::WrongArgumentCount);
    if constexpr (std::is_void_v<typename Traits::Result>) {
        (static_cast<typename Traits::Class&>(self).*Fn)(Param<std::tuple_element_t<I, Params>>::get(args, I)...);
        return Variant();
    } else {
        return wrapResult((static_cast<typename Traits::Class&>(self).*Fn)(Param<std::tuple_element_t<I, Params>>::get(args, I)...));
    }
}

template <auto Fn, class T>
Variant adapted(T& self, Args args)
{
    using Traits = FnTraits<decltype(Fn)>;
    return callAdapted<Fn>(self, args, std::make_index_sequence<Traits::count>());
}

template <auto Fn>
using ClassOf = typename FnTraits<decltype(Fn)>::Class;

template <auto Fn>
constexpr std::int16_t maxArgsOf()
{
    using Counts = ArgCounts<typename FnTraits<decltype(Fn)>::Params>;
    return Counts::hasRest ? std::int16_t(-1) : static_cast<std::int16_t>(Counts::total);
}

template <auto Fn>
const MemberSignature* signatureOf()
{
    return signatureOfTraits<FnTraits<decltype(Fn)>>();
}

} // namespace detail

// A member function published as a method, property get, let or set.
template <auto Fn, class T = detail::ClassOf<Fn>>
MemberSpec<T> method(std::string_view name, bool isDefault = false)
{
    return {name, Method, &detail::adapted<Fn, T>, isDefault, detail::maxArgsOf<Fn>(), detail::signatureOf<Fn>()};
}
template <auto Fn, class T = detail::ClassOf<Fn>>
MemberSpec<T> get(std::string_view name, bool isDefault = false)
{
    return {name, Get, &detail::adapted<Fn, T>, isDefault, detail::maxArgsOf<Fn>(), detail::signatureOf<Fn>()};
}
template <auto Fn, class T = detail::ClassOf<Fn>>
MemberSpec<T> let(std::string_view name, bool isDefault = false)
{
    return {name, Let, &detail::adapted<Fn, T>, isDefault, detail::maxArgsOf<Fn>(), detail::signatureOf<Fn>()};
}
template <auto Fn, class T = detail::ClassOf<Fn>>
MemberSpec<T> set(std::string_view name, bool isDefault = false)
{
    return {name, Set, &detail::adapted<Fn, T>, isDefault, detail::maxArgsOf<Fn>(), detail::signatureOf<Fn>()};
}
// A handler that takes the raw argument view and checks the count itself.
template <class T>
MemberSpec<T> raw(std::string_view name, CallKind kind, Handler<T> handler, bool isDefault = false)
{
    return {name, kind, handler, isDefault};
}

// The member table of one class: the published members in slot order and a
// case-insensitive index from name to member id.
template <class T>
class MemberTable {
public:
    struct Member {
        std::string_view name; // as first published
        Handler<T> method = nullptr;
        Handler<T> get = nullptr;
        Handler<T> let = nullptr;
        Handler<T> set = nullptr;
        std::int16_t getMaxArgs = -1;
        std::int16_t methodMaxArgs = -1;
    };

    MemberTable(std::string_view className, std::initializer_list<MemberSpec<T>> specs)
        : MemberTable(className, std::vector<MemberSpec<T>>(specs))
    {
    }

    // A table assembled at run time (for example from a table of commands).
    MemberTable(std::string_view className, std::vector<MemberSpec<T>> specs)
        : className_(className)
    {
        slots_ = std::move(specs);
        info_.className = className;
        for (const MemberSpec<T>& entry : slots_) {
            info_.entries.push_back(MemberInfo{entry.name, entry.kind, entry.signature, entry.isDefault});
            auto [it, added] = index_.try_emplace(entry.name, static_cast<MemberId>(members_.size()));
            if (added)
                members_.push_back(Member{entry.name});
            Member& m = members_[it->second];
            switch (entry.kind) {
            case Method:
                m.method = entry.handler;
                m.methodMaxArgs = entry.maxArgs;
                break;
            case Get:
                m.get = entry.handler;
                m.getMaxArgs = entry.maxArgs;
                break;
            case Let: m.let = entry.handler; break;
            case Set: m.set = entry.handler; break;
            default: break;
            }
            if (entry.isDefault)
                defaultMember_ = it->second;
        }
    }

    std::string_view className() const { return className_; }

    MemberId find(std::string_view name) const
    {
        if (name.empty())
            return defaultMember_;
        auto it = index_.find(name);
        return it == index_.end() ? kNoMember : it->second;
    }

    Variant invoke(T& self, MemberId id, CallKind kind, Args args) const
    {
        if (id < 0 || id >= static_cast<MemberId>(members_.size()))
            raiseError(err::NoSuchMember);
        const Member& m = members_[id];
        Handler<T> h = nullptr;
        std::int16_t maxArgs = -1;
        if (kind & Method) {
            h = m.method ? m.method : m.get;
            maxArgs = m.method ? m.methodMaxArgs : m.getMaxArgs;
        } else if (kind & Get) {
            h = m.get ? m.get : m.method;
            maxArgs = m.get ? m.getMaxArgs : m.methodMaxArgs;
        } else if (kind & Set) {
            h = m.set ? m.set : m.let;
        } else if (kind & Let) {
            h = m.let;
        }
        if (!h)
            raiseError(err::NoSuchMember);
        // A read of a member without parameters given arguments reads the member and
        // hands the arguments to the default member of what it returned, as
        // automation does: match.SubMatches(0), folder.Files("a.txt").
        if (maxArgs == 0 && !args.empty() && (kind & (Method | Get))) {
            Variant result = h(self, Args());
            Object* inner = result.isObject() ? result.objectValue() : nullptr;
            const MemberId defaultId = inner ? inner->memberId("") : kNoMember;
            if (defaultId == kNoMember)
                raiseError(err::WrongArgumentCount);
            return inner->invoke(defaultId, Method | Get, args);
        }
        return h(self, args);
    }

    // Members by name, in the order first published.
    const std::vector<Member>& members() const { return members_; }
    // Every published entry (getters, setters, methods) in slot order.
    const std::vector<MemberSpec<T>>& entries() const { return slots_; }
    // The same entries without their handlers, for describing the class.
    const TypeInfo& typeInfo() const { return info_; }

private:
    std::string_view className_;
    std::vector<Member> members_;
    std::vector<MemberSpec<T>> slots_;
    TypeInfo info_;
    std::unordered_map<std::string_view, MemberId, CaseInsensitiveHash, CaseInsensitiveEqual> index_;
    MemberId defaultMember_ = kNoMember;
};

// Base class of objects that publish a member table.
template <class Self>
class Dispatch : public Object {
public:
    std::string_view typeName() const override { return Self::members().className(); }
    MemberId memberId(std::string_view name) const override { return Self::members().find(name); }
    const TypeInfo* typeInfo() const override { return &Self::members().typeInfo(); }
    Variant invoke(MemberId id, CallKind kind, Args args) override
    {
        return Self::members().invoke(static_cast<Self&>(*this), id, kind, args);
    }
    using Object::invoke;
};

} // namespace vb
