#include "Variant.h"

#include "Array.h"
#include "AsciiScan.h"
#include "Object.h"

#include <cstring>
#include <utility>

namespace vb {

Variant::Variant(Ref<Object> obj) noexcept : type_(vbObject)
{
    u_.obj = obj.get();
    if (u_.obj)
        u_.obj->addRef();
}

Variant::Variant(Object* obj) noexcept : type_(vbObject)
{
    u_.obj = obj;
    if (u_.obj)
        u_.obj->addRef();
}

Variant::Variant(Ref<Array> arr) noexcept : type_(vbArray)
{
    u_.arr = arr.get();
    if (u_.arr)
        u_.arr->addRef();
    else
        type_ = vbEmpty;
}

void Variant::copyOwned(const Variant& other)
{
    switch (type_) {
    case vbString:
        new (&u_.s) std::string(other.u_.s);
        textKind_ = other.knownTextKind();
        break;
    case vbObject:
        u_.obj = other.u_.obj;
        if (u_.obj)
            u_.obj->addRef();
        break;
    case vbArray:
        u_.arr = other.u_.arr;
        u_.arr->addRef();
        break;
    default: u_.cy = other.u_.cy; break;
    }
}

void Variant::assignOwned(const Variant& other)
{
    if (type_ == vbString && other.type_ == vbString) {
        u_.s = other.u_.s; // reuse the buffer
        textKind_ = other.knownTextKind();
        return;
    }
    Variant copy(other);
    swap(copy);
}

void Variant::moveString(Variant& other) noexcept
{
    new (&u_.s) std::string(std::move(other.u_.s));
    other.u_.s.~basic_string();
    textKind_ = other.textKind_;
}

bool Variant::scanText() const noexcept
{
    const bool ascii = isAsciiText(u_.s);
    noteStringIsAscii(ascii);
    return ascii;
}

void Variant::swap(Variant& other) noexcept
{
    if (type_ == vbString && other.type_ == vbString) {
        u_.s.swap(other.u_.s);
        std::swap(textKind_, other.textKind_);
        return;
    }
    if (type_ == vbString || other.type_ == vbString) {
        Variant& str = type_ == vbString ? *this : other;
        Variant& plain = type_ == vbString ? other : *this;
        std::string s(std::move(str.u_.s));
        str.u_.s.~basic_string();
        std::memcpy(static_cast<void*>(&str.u_), static_cast<const void*>(&plain.u_), sizeof(double));
        new (&plain.u_.s) std::string(std::move(s));
        plain.textKind_ = str.textKind_;
        std::swap(type_, other.type_);
        return;
    }
    Payload tmp;
    std::memcpy(static_cast<void*>(&tmp), static_cast<const void*>(&u_), sizeof(double));
    std::memcpy(static_cast<void*>(&u_), static_cast<const void*>(&other.u_), sizeof(double));
    std::memcpy(static_cast<void*>(&other.u_), static_cast<const void*>(&tmp), sizeof(double));
    std::swap(type_, other.type_);
}

void Variant::destroy() noexcept
{
    switch (type_) {
    case vbString: u_.s.~basic_string(); break;
    case vbObject:
        if (u_.obj)
            u_.obj->release();
        break;
    case vbArray:
        if (u_.arr)
            u_.arr->release();
        break;
    default: break;
    }
}

bool Variant::isNumericType() const noexcept
{
    switch (type_) {
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbByte:
    case vbDecimal:
        return true;
    default:
        return false;
    }
}

Ref<Object> Variant::objectRef() const noexcept
{
    return type_ == vbObject ? Ref<Object>(u_.obj) : Ref<Object>();
}

Ref<Array> Variant::arrayRef() const noexcept
{
    return type_ == vbArray ? Ref<Array>(u_.arr) : Ref<Array>();
}

Array& Variant::mutableArray()
{
    if (u_.arr->refCount() > 1) {
        Ref<Array> own = u_.arr->clone();
        u_.arr->release();
        u_.arr = own.get();
        u_.arr->addRef();
    }
    return *u_.arr;
}

int varTypeOf(const Variant& v) noexcept
{
    return v.varType();
}

std::string typeName(const Variant& v)
{
    switch (v.type()) {
    case vbEmpty: return "Empty";
    case vbNull: return "Null";
    case vbInteger: return "Integer";
    case vbLong: return "Long";
    case vbSingle: return "Single";
    case vbDouble: return "Double";
    case vbCurrency: return "Currency";
    case vbDate: return "Date";
    case vbString: return "String";
    case vbBoolean: return "Boolean";
    case vbByte: return "Byte";
    case vbError: return "Error";
    case vbDecimal: return "Decimal";
    case vbObject: return v.objectValue() ? std::string(v.objectValue()->typeName()) : "Nothing";
    case vbArray: return "Variant()";
    default: return "Unknown";
    }
}

} // namespace vb
