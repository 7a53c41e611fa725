// MemberSignature: the VB types of a published member's parameters and result, as its
// typed adapter knows them at compile time. Outside callers that bind early (a type
// library, a message bus) read them; late-bound calls do not need them.
//
//     memberSignature<&Application::SetDeviceStatus>()   (String dev, Integer Status)
//     variantSignature<3, VbType::None>()                 three Variants, no result
//
// A member published through a raw handler has no signature (null): it takes and
// returns anything.
#pragma once

#include "Object.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace vb {

// The declared VB type of a parameter or result. None: a Sub's result.
enum class VbType : std::uint8_t {
    None,
    Variant,
    String,
    Integer,
    Long,
    Byte,
    Single,
    Double,
    Currency,
    Boolean,
    Date,
    Object,
};

struct ParamInfo {
    VbType type = VbType::Variant;
    bool optional = false;
    // A `Variant&` parameter: the caller's own variable, which the member may change.
    bool byRef = false;
};

struct MemberSignature {
    std::span<const ParamInfo> params;
    // True when the member takes any number of further arguments after `params`.
    bool rest = false;
    VbType result = VbType::None;
};

namespace signature_detail {

template <class T>
constexpr VbType typeOf()
{
    using D = std::remove_cvref_t<T>;
    if constexpr (std::is_void_v<D>)
        return VbType::None;
    else if constexpr (std::is_same_v<D, std::string> || std::is_same_v<D, std::optional<std::string>>)
        return VbType::String;
    else if constexpr (std::is_same_v<D, std::int16_t>)
        return VbType::Integer;
    else if constexpr (std::is_same_v<D, std::int32_t>)
        return VbType::Long;
    else if constexpr (std::is_same_v<D, std::uint8_t>)
        return VbType::Byte;
    else if constexpr (std::is_same_v<D, float>)
        return VbType::Single;
    else if constexpr (std::is_same_v<D, double>)
        return VbType::Double;
    else if constexpr (std::is_same_v<D, Currency>)
        return VbType::Currency;
    else if constexpr (std::is_same_v<D, bool>)
        return VbType::Boolean;
    else if constexpr (std::is_same_v<D, Date>)
        return VbType::Date;
    else if constexpr (std::is_pointer_v<D> || std::is_same_v<D, Ref<Object>> || std::is_convertible_v<D, Ref<Object>>)
        return VbType::Object;
    else
        return VbType::Variant;
}

template <class P>
struct ParamOf {
    static constexpr ParamInfo info{typeOf<P>(), false,
                                    std::is_same_v<P, Variant&>};
};
template <class X>
struct ParamOf<std::optional<X>> {
    static constexpr ParamInfo info{typeOf<X>(), true, false};
};

template <class Tuple>
struct ParamsOf;
template <class... P>
struct ParamsOf<std::tuple<P...>> {
    // The parameters before a trailing Args (the rest of the arguments).
    static constexpr std::size_t fixedCount = (!std::is_same_v<std::decay_t<P>, Args> + ... + 0);
    static constexpr bool rest = fixedCount != sizeof...(P);
    static constexpr auto all = std::array<ParamInfo, sizeof...(P)>{ParamOf<P>::info...};
};

template <class Traits>
struct SignatureOf {
    using Params = ParamsOf<typename Traits::Params>;
    static constexpr MemberSignature value{std::span<const ParamInfo>(Params::all.data(), Params::fixedCount),
                                           Params::rest, typeOf<typename Traits::Result>()};
};

template <std::size_t N>
struct Variants {
    static constexpr auto params = [] {
        std::array<ParamInfo, N> a{};
        for (ParamInfo& p : a)
            p = ParamInfo{VbType::Variant, true, false};
        return a;
    }();
};

template <std::size_t N, VbType Result>
struct VariantSignature {
    static constexpr MemberSignature value{std::span<const ParamInfo>(Variants<N>::params.data(), N), false, Result};
};

template <class T, bool Setter>
struct FieldSignature {
    static constexpr std::array<ParamInfo, 1> param{ParamInfo{typeOf<T>(), false, false}};
    static constexpr MemberSignature value{Setter ? std::span<const ParamInfo>(param.data(), 1) : std::span<const ParamInfo>(),
                                           false, Setter ? VbType::None : typeOf<T>()};
};

} // namespace signature_detail

// One published entry of a class (a method, getter, letter or setter), without its
// handler: what describing the class needs.
struct MemberInfo {
    std::string_view name;
    CallKind kind = Method;
    const MemberSignature* signature = nullptr; // null: any arguments, any result
    bool isDefault = false;
};

// A class's published entries in slot order.
struct TypeInfo {
    std::string_view className;
    std::vector<MemberInfo> entries;
};

// The signature of a member function as its adapter converts it.
template <class Traits>
const MemberSignature* signatureOfTraits()
{
    return &signature_detail::SignatureOf<Traits>::value;
}

// N optional Variant parameters and a result of the given type.
template <std::size_t N, VbType Result>
const MemberSignature* variantSignature()
{
    return &signature_detail::VariantSignature<N, Result>::value;
}

// The getter (no parameters, the field's type) or setter (one value) of a field of type T.
template <class T, bool Setter>
const MemberSignature* fieldSignature()
{
    return &signature_detail::FieldSignature<T, Setter>::value;
}

// The VB type of a value type, for adapters that know it.
template <class T>
constexpr VbType vbTypeOf()
{
    return signature_detail::typeOf<T>();
}

} // namespace vb
