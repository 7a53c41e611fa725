// Property adapters for plain records: a field published as a Get and a Let (or Set)
// that only stores and returns.
//
//     vb::fieldGet<&EventClass::name_>("name"),
//     vb::fieldLet<&EventClass::name_>("name"),
//
// The getter takes no arguments and returns the field in a Variant of its VB type. The
// setter takes exactly the assigned value and converts it the way VB converts to the
// field's type (CBool, CInt, CLng, CSng, CStr, CDate); a Variant field keeps the value
// as given, an object field keeps the reference (Empty and Nothing give no object).
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace vb {

namespace record_detail {

template <class F>
struct FieldTraits;
template <class C, class T>
struct FieldTraits<T C::*> {
    using Class = C;
    using Type = T;
};

template <class T>
T convertField(const Variant& v)
{
    if constexpr (std::is_same_v<T, bool>)
        return CBool(v);
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return CInt(v);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return CLng(v);
    else if constexpr (std::is_same_v<T, float>)
        return CSng(v);
    else if constexpr (std::is_same_v<T, std::string>)
        return CStr(v);
    else if constexpr (std::is_same_v<T, Date>)
        return CDate(v);
    else if constexpr (std::is_same_v<T, Variant>)
        return v;
    else if constexpr (std::is_same_v<T, Ref<Object>>) {
        if (v.isObject())
            return v.objectRef();
        if (v.isEmpty())
            return nullptr;
        raiseError(err::TypeMismatch);
    } else
        static_assert(sizeof(T) == 0, "unsupported record field type");
}

template <auto Field>
Variant getField(typename FieldTraits<decltype(Field)>::Class& self, Args args)
{
    if (!args.empty())
        raiseError(err::WrongArgumentCount);
    return Variant(self.*Field);
}

template <auto Field>
Variant letField(typename FieldTraits<decltype(Field)>::Class& self, Args args)
{
    if (args.size() != 1)
        raiseError(err::WrongArgumentCount);
    using T = typename FieldTraits<decltype(Field)>::Type;
    self.*Field = convertField<T>(args[0]);
    return Variant();
}

} // namespace record_detail

// The getter of a field.
template <auto Field, class T = typename record_detail::FieldTraits<decltype(Field)>::Class>
MemberSpec<T> fieldGet(std::string_view name)
{
    using Type = typename record_detail::FieldTraits<decltype(Field)>::Type;
    return {name, Get, &record_detail::getField<Field>, false, -1, fieldSignature<Type, false>()};
}

// The setter of a field: a Set for object fields, a Let for every other type.
template <auto Field, class T = typename record_detail::FieldTraits<decltype(Field)>::Class>
MemberSpec<T> fieldLet(std::string_view name)
{
    using Type = typename record_detail::FieldTraits<decltype(Field)>::Type;
    return {name, std::is_same_v<Type, Ref<Object>> ? Set : Let, &record_detail::letField<Field>, false, -1,
            fieldSignature<Type, true>()};
}

} // namespace vb
