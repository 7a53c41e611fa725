// How the host object's members are published: adapters that put each working member
// under the host's error trap, and handlers for the members with a fixed result.
//
//     host::working<&Application::DeviceStatus>("DeviceStatus")   method, trapped
//     host::workingGet<...>, host::workingLet<...>                 property, trapped
//     host::unnamed<&Application::hsSetIO>("hsSetIO")               trapped, reported with ""
//     host::fixed<2, host::result::True>("WEBValidateUser")         up to 2 arguments, fixed result
//
// A trapped member converts its arguments first (a wrong count or an argument that
// does not convert is raised to the caller), then runs its body under the trap named
// after the member being called.
#pragma once

#include "Application.h"

#include "automation/DateTime.h"

#include <tuple>
#include <utility>

namespace host {

namespace member_detail {

template <class P>
using Stored = std::conditional_t<std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>, P,
                                  std::decay_t<P>>;

template <auto Fn, bool Named, std::size_t... I>
vb::Variant callTrapped(Application& self, vb::Args args, std::index_sequence<I...>)
{
    using Traits = vb::detail::FnTraits<decltype(Fn)>;
    using Params = typename Traits::Params;
    using Counts = vb::detail::ArgCounts<Params>;
    using Result = typename Traits::Result;
    if (args.size() < Counts::required || (!Counts::hasRest && args.size() > Counts::total))
        vb::raiseError(vb::err::WrongArgumentCount);
    // Braced initialisation converts the arguments left to right.
    std::tuple<Stored<std::tuple_element_t<I, Params>>...> values{
        vb::detail::Param<std::tuple_element_t<I, Params>>::get(args, I)...};
    const std::string_view name = Named ? self.callingMember() : std::string_view();
    if constexpr (std::is_void_v<Result>) {
        self.guarded(name, [&] { (self.*Fn)(std::get<I>(values)...); });
        return vb::Variant();
    } else {
        return vb::detail::wrapResult(
            self.template guarded<std::decay_t<Result>>(name, [&] { return (self.*Fn)(std::get<I>(values)...); }));
    }
}

template <auto Fn, bool Named>
vb::Variant trapped(Application& self, vb::Args args)
{
    return callTrapped<Fn, Named>(self, args, std::make_index_sequence<vb::detail::FnTraits<decltype(Fn)>::count>());
}

} // namespace member_detail

template <auto Fn>
vb::MemberSpec<Application> working(std::string_view name)
{
    return {name, vb::Method, &member_detail::trapped<Fn, true>, false, -1, vb::detail::signatureOf<Fn>()};
}
template <auto Fn>
vb::MemberSpec<Application> workingGet(std::string_view name)
{
    return {name, vb::Get, &member_detail::trapped<Fn, true>, false, -1, vb::detail::signatureOf<Fn>()};
}
template <auto Fn>
vb::MemberSpec<Application> workingLet(std::string_view name)
{
    return {name, vb::Let, &member_detail::trapped<Fn, true>, false, -1, vb::detail::signatureOf<Fn>()};
}
template <auto Fn>
vb::MemberSpec<Application> unnamed(std::string_view name)
{
    return {name, vb::Method, &member_detail::trapped<Fn, false>, false, -1, vb::detail::signatureOf<Fn>()};
}

// Fixed results of the members that do no work.
namespace result {
inline vb::Variant Empty() { return vb::Variant(); } // Subs and Property Lets
inline vb::Variant BooleanTrue() { return vb::Variant(true); }
inline vb::Variant BooleanFalse() { return vb::Variant(false); }
inline vb::Variant IntegerZero() { return vb::Variant(std::int16_t(0)); }
inline vb::Variant LongZero() { return vb::Variant(std::int32_t(0)); }
inline vb::Variant EmptyText() { return vb::Variant(std::string()); }
inline vb::Variant EmptyTextInVariant() { return vb::Variant(std::string()); } // declared As Variant
inline vb::Variant NoObject() { return vb::Variant::nothing(); }
inline vb::Variant Version() { return vb::Variant("1.6.174"); }
inline vb::Variant InterfaceVersion() { return vb::Variant(std::int16_t(2)); }
inline vb::Variant Eight() { return vb::Variant("8"); }
inline vb::Variant TimeZone() { return vb::Variant("EST"); }
inline vb::Variant Now() { return vb::Variant(vb::now()); }
inline vb::Variant EightAsDate() { return vb::Variant(vb::CDate(vb::Variant("8"))); }

// The declared type of each fixed result, for the type library.
template <vb::Variant (*Result)()>
inline constexpr vb::VbType typeOf = vb::VbType::Variant;
template <>
inline constexpr vb::VbType typeOf<&Empty> = vb::VbType::None;
template <>
inline constexpr vb::VbType typeOf<&BooleanTrue> = vb::VbType::Boolean;
template <>
inline constexpr vb::VbType typeOf<&BooleanFalse> = vb::VbType::Boolean;
template <>
inline constexpr vb::VbType typeOf<&IntegerZero> = vb::VbType::Integer;
template <>
inline constexpr vb::VbType typeOf<&LongZero> = vb::VbType::Long;
template <>
inline constexpr vb::VbType typeOf<&EmptyText> = vb::VbType::String;
template <>
inline constexpr vb::VbType typeOf<&NoObject> = vb::VbType::Object;
template <>
inline constexpr vb::VbType typeOf<&Version> = vb::VbType::String;
template <>
inline constexpr vb::VbType typeOf<&InterfaceVersion> = vb::VbType::Integer;
template <>
inline constexpr vb::VbType typeOf<&Eight> = vb::VbType::String;
template <>
inline constexpr vb::VbType typeOf<&TimeZone> = vb::VbType::String;
template <>
inline constexpr vb::VbType typeOf<&Now> = vb::VbType::Date;
template <>
inline constexpr vb::VbType typeOf<&EightAsDate> = vb::VbType::Date;
} // namespace result

namespace member_detail {
template <std::size_t MaxArgs, vb::Variant (*Result)()>
vb::Variant fixedResult(Application&, vb::Args args)
{
    if (args.size() > MaxArgs)
        vb::raiseError(vb::err::WrongArgumentCount);
    return Result();
}
} // namespace member_detail

// A Function or Sub that accepts up to MaxArgs arguments of any type and returns Result.
template <std::size_t MaxArgs, vb::Variant (*Result)() = &result::Empty>
vb::MemberSpec<Application> fixed(std::string_view name)
{
    return {name, vb::Method, &member_detail::fixedResult<MaxArgs, Result>, false, -1,
            vb::variantSignature<MaxArgs, result::typeOf<Result>>()};
}
// A Property Get without arguments returning Result.
template <vb::Variant (*Result)()>
vb::MemberSpec<Application> fixedGet(std::string_view name)
{
    return {name, vb::Get, &member_detail::fixedResult<0, Result>, false, -1,
            vb::variantSignature<0, result::typeOf<Result>>()};
}
// A Property Let that drops its one value.
inline vb::MemberSpec<Application> ignoredLet(std::string_view name)
{
    return {name, vb::Let, &member_detail::fixedResult<1, &result::Empty>, false, -1,
            vb::variantSignature<1, vb::VbType::None>()};
}

} // namespace host
