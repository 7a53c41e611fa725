// Variant: the one value type of the object model, carrying the VB types.
//
// Strings are byte strings (8-bit text; UTF-8 passes through unchanged). Arrays are
// shared copy-on-write: copying a Variant that holds an array is cheap, and the first
// write through mutableArray() makes the holder's copy its own, which gives VB's
// value semantics for arrays.
//
// A String remembers whether its text is all ASCII once something has asked
// (stringIsAscii): then character positions are byte positions, and the string
// functions reach any position at once instead of walking the UTF-8 from the start.
// Every write through the non-const stringValue() forgets it.
#pragma once

#include "Ref.h"

#include "base/Assert.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

namespace vb {

class Object;
class Array;

enum VarType : std::uint16_t {
    vbEmpty = 0,
    vbNull = 1,
    vbInteger = 2,
    vbLong = 3,
    vbSingle = 4,
    vbDouble = 5,
    vbCurrency = 6,
    vbDate = 7,
    vbString = 8,
    vbObject = 9,
    vbError = 10,
    vbBoolean = 11,
    vbVariant = 12,
    vbDataObject = 13,
    vbDecimal = 14,
    vbByte = 17,
    vbArray = 8192,
};

// Currency: a 64-bit integer holding the value times 10,000.
struct Currency {
    std::int64_t scaled = 0;
    static constexpr std::int64_t scale = 10000;
    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

// Date: the OLE day number (days since 30 December 1899, the fraction is the time).
struct Date {
    double serial = 0.0;
    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

// The scode that marks an omitted optional argument (DISP_E_PARAMNOTFOUND).
inline constexpr std::int32_t kParamNotFound = static_cast<std::int32_t>(0x80020004u);

class Variant {
public:
    Variant() noexcept : type_(vbEmpty) { u_.l = 0; }
    Variant(std::int16_t v) noexcept : type_(vbInteger) { u_.i = v; }
    Variant(std::int32_t v) noexcept : type_(vbLong) { u_.l = v; }
    Variant(float v) noexcept : type_(vbSingle) { u_.f = v; }
    Variant(double v) noexcept : type_(vbDouble) { u_.d = v; }
    Variant(Currency v) noexcept : type_(vbCurrency) { u_.cy = v.scaled; }
    Variant(Date v) noexcept : type_(vbDate) { u_.d = v.serial; }
    Variant(bool v) noexcept : type_(vbBoolean) { u_.b = v; }
    Variant(std::uint8_t v) noexcept : type_(vbByte) { u_.by = v; }
    Variant(std::string v) : type_(vbString), textKind_(kTextUnknown) { new (&u_.s) std::string(std::move(v)); }
    Variant(std::string_view v) : type_(vbString), textKind_(kTextUnknown) { new (&u_.s) std::string(v); }
    Variant(const char* v) : type_(vbString), textKind_(kTextUnknown) { new (&u_.s) std::string(v); }
    Variant(Ref<Object> obj) noexcept; // a null Ref is Nothing (vbObject)
    Variant(Object* obj) noexcept;
    Variant(Ref<Array> arr) noexcept;

    // Guard against accidental conversions to bool from pointers and to Integer from
    // wider types: callers say which VB type they mean.
    Variant(long) = delete;
    Variant(unsigned) = delete;
    Variant(const void*) = delete;

    static Variant null() noexcept
    {
        Variant v;
        v.type_ = vbNull;
        return v;
    }
    static Variant error(std::int32_t scode) noexcept
    {
        Variant v;
        v.type_ = vbError;
        v.u_.l = scode;
        return v;
    }
    // The marker of an omitted optional argument.
    static Variant missing() noexcept { return error(kParamNotFound); }
    static Variant nothing() noexcept { return Variant(static_cast<Object*>(nullptr)); }

    // Copies, moves and destruction are inline for the values that own nothing
    // (numbers, dates, Booleans, Empty, Null): the interpreter's hot paths.
    Variant(const Variant& other) : type_(other.type_)
    {
        if (ownsNothing(type_))
            u_.cy = other.u_.cy;
        else
            copyOwned(other);
    }
    Variant(Variant&& other) noexcept : type_(other.type_)
    {
        if (type_ == vbString)
            moveString(other);
        else
            u_.cy = other.u_.cy; // object and array references move with the payload
        other.type_ = vbEmpty;
    }
    Variant& operator=(const Variant& other)
    {
        if (ownsNothing(type_) && ownsNothing(other.type_)) {
            type_ = other.type_;
            u_.cy = other.u_.cy;
        } else if (this != &other) {
            assignOwned(other);
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        if (this == &other)
            return *this;
        if (ownsNothing(type_)) {
            new (this) Variant(std::move(other));
        } else {
            // `other` may live inside what this variant owns (an element of its
            // array): take it out before letting go of the old value.
            Variant moved(std::move(other));
            destroy();
            new (this) Variant(std::move(moved));
        }
        return *this;
    }
    ~Variant()
    {
        if (!ownsNothing(type_))
            destroy();
    }

    // VarType as VB reports it: vbArray + vbVariant for arrays.
    VarType type() const noexcept { return type_; }
    VarType varType() const noexcept { return type_ == vbArray ? VarType(vbArray | vbVariant) : type_; }

    bool isEmpty() const noexcept { return type_ == vbEmpty; }
    bool isNull() const noexcept { return type_ == vbNull; }
    bool isString() const noexcept { return type_ == vbString; }
    bool isObject() const noexcept { return type_ == vbObject; }
    bool isNothing() const noexcept { return type_ == vbObject && u_.obj == nullptr; }
    bool isArray() const noexcept { return type_ == vbArray; }
    bool isError() const noexcept { return type_ == vbError; }
    bool isMissing() const noexcept { return type_ == vbError && u_.l == kParamNotFound; }
    bool isNumericType() const noexcept;

    // Unchecked accessors: the caller has looked at type() first. Debug builds check
    // that it did; a wrong tag would read another type's bytes as this one.
    std::int16_t integerValue() const noexcept { return TALLIS_ASSERT(type_ == vbInteger), u_.i; }
    std::int32_t longValue() const noexcept { return TALLIS_ASSERT(type_ == vbLong), u_.l; }
    float singleValue() const noexcept { return TALLIS_ASSERT(type_ == vbSingle), u_.f; }
    double doubleValue() const noexcept { return TALLIS_ASSERT(type_ == vbDouble), u_.d; }
    Currency currencyValue() const noexcept { return TALLIS_ASSERT(type_ == vbCurrency), Currency{u_.cy}; }
    Date dateValue() const noexcept { return TALLIS_ASSERT(type_ == vbDate), Date{u_.d}; }
    bool booleanValue() const noexcept { return TALLIS_ASSERT(type_ == vbBoolean), u_.b; }
    std::uint8_t byteValue() const noexcept { return TALLIS_ASSERT(type_ == vbByte), u_.by; }
    std::int32_t errorValue() const noexcept { return TALLIS_ASSERT(type_ == vbError), u_.l; }
    const std::string& stringValue() const noexcept { return TALLIS_ASSERT(type_ == vbString), u_.s; }
    // For writing: what was known about the text is forgotten.
    std::string& stringValue() noexcept
    {
        TALLIS_ASSERT(type_ == vbString);
        textKind_ = kTextUnknown;
        return u_.s;
    }
    // True when every byte of the String is below 0x80 (one byte per character). The
    // first call scans the text; later ones answer from what it found.
    bool stringIsAscii() const noexcept
    {
        const std::uint8_t known = std::atomic_ref<std::uint8_t>(textKind_).load(std::memory_order_relaxed);
        return known != kTextUnknown ? known == kTextAscii : scanText();
    }
    // True when the String is known to be all ASCII already (no scan).
    bool stringKnownAscii() const noexcept { return knownTextKind() == kTextAscii; }
    // Records what the producer of a String knows of it (a slice of ASCII text is ASCII),
    // so nobody has to scan it.
    void noteStringIsAscii(bool ascii) const noexcept
    {
        std::atomic_ref<std::uint8_t>(textKind_).store(ascii ? kTextAscii : kTextMixed, std::memory_order_relaxed);
    }
    Object* objectValue() const noexcept { return TALLIS_ASSERT(type_ == vbObject), u_.obj; }
    Ref<Object> objectRef() const noexcept;
    const Array& arrayValue() const noexcept { return TALLIS_ASSERT(type_ == vbArray), *u_.arr; }
    // The array, made this Variant's own first when it is shared.
    Array& mutableArray();
    Ref<Array> arrayRef() const noexcept;

    void swap(Variant& other) noexcept;

private:
    static bool ownsNothing(VarType t) noexcept { return t != vbString && t != vbObject && t != vbArray; }
    bool scanText() const noexcept;
    std::uint8_t knownTextKind() const noexcept
    {
        return std::atomic_ref<std::uint8_t>(textKind_).load(std::memory_order_relaxed);
    }

    // What a String's text is known to hold (meaningless for other types).
    static constexpr std::uint8_t kTextUnknown = 0;
    static constexpr std::uint8_t kTextAscii = 1;
    static constexpr std::uint8_t kTextMixed = 2;
    void destroy() noexcept;
    void copyOwned(const Variant& other);
    void assignOwned(const Variant& other);
    void moveString(Variant& other) noexcept;

    VarType type_;
    // Sits in the padding before the payload: Variants stay 40 bytes. Written from
    // const readers (a cache), hence atomic accesses there. Set wherever a Variant
    // becomes a String (constructors, copies, moves, swaps) and read only for Strings,
    // so the constructors of other values need not store it.
    mutable std::uint8_t textKind_;
    union Payload {
        Payload() noexcept : l(0) { }
        ~Payload() { }
        std::int16_t i;
        std::int32_t l;
        float f;
        double d;
        std::int64_t cy;
        bool b;
        std::uint8_t by;
        Object* obj;
        Array* arr;
        std::string s;
    } u_;
};

// VarType() and TypeName() as VB reports them.
int varTypeOf(const Variant& v) noexcept;
std::string typeName(const Variant& v);

} // namespace vb
