#include "Object.h"

#include "Error.h"

namespace vb {

std::unique_ptr<Enumerator> Object::enumerate()
{
    raiseError(err::NoSuchMember);
}

Variant Object::invoke(std::string_view name, CallKind kind, Args args)
{
    const MemberId id = memberId(name);
    if (id == kNoMember)
        raiseError(err::NoSuchMember);
    return invoke(id, kind, args);
}

Variant getProperty(Object& obj, std::string_view name)
{
    return obj.invoke(name, Get, Args());
}

void setProperty(Object& obj, std::string_view name, Variant value)
{
    Variant* ptr = &value;
    obj.invoke(name, value.isObject() ? Set : Let, Args(&ptr, 1));
}

Object& requireObject(const Variant& v)
{
    if (!v.isObject())
        raiseError(err::ObjectRequired);
    if (!v.objectValue())
        raiseError(err::ObjectVariableNotSet);
    return *v.objectValue();
}

} // namespace vb
