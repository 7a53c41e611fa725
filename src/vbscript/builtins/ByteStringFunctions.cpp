// The byte forms of the string functions: LenB, LeftB, RightB, MidB, InStrB, AscB and
// ChrB. They see a string as the engine's native form does: UTF-16 units of two bytes,
// low byte first. Positions and lengths count those bytes. A result with an odd number
// of bytes keeps its last byte as half a unit (text::kHalfUnit), so the length stays odd.
#include "Arguments.h"
#include "Families.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Error.h"

#include <algorithm>
#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

[[noreturn]] void invalidArgument()
{
    vb::raiseError(vb::err::InvalidProcedureCall);
}

std::string toBytes(std::string_view s)
{
    std::string bytes;
    bytes.reserve(s.size() * 2);
    auto unit = [&](std::uint32_t u) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t i = 0; i < s.size();) {
        const text::Decoded d = text::decodeAt(s, i);
        i += d.size;
        if (d.code >= text::kHalfUnit) {
            bytes += static_cast<char>(d.code - text::kHalfUnit);
        } else if (d.code > 0xFFFF) {
            unit(0xD800 + ((d.code - 0x10000) >> 10));
            unit(0xDC00 + ((d.code - 0x10000) & 0x3FF));
        } else {
            unit(d.code);
        }
    }
    return bytes;
}

std::string fromBytes(std::string_view bytes)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string out = text::fromUtf16(units);
    if (bytes.size() % 2 != 0)
        text::appendCharacter(out, text::kHalfUnit + static_cast<unsigned char>(bytes.back()));
    return out;
}

Variant LenB(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    if (arg.isNull())
        return Variant::null();
    return static_cast<std::int32_t>(toBytes(arg.view()).size());
}

Variant LeftB(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    const auto n = static_cast<std::size_t>(countArg(args, 1));
    if (arg.isNull())
        return Variant::null();
    const std::string bytes = toBytes(arg.view());
    return fromBytes(std::string_view(bytes).substr(0, n));
}

Variant RightB(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    const auto n = static_cast<std::size_t>(countArg(args, 1));
    if (arg.isNull())
        return Variant::null();
    const std::string bytes = toBytes(arg.view());
    return fromBytes(std::string_view(bytes).substr(bytes.size() - std::min(n, bytes.size())));
}

Variant MidB(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    const std::int32_t start = longArg(args, 1);
    if (start < 1)
        invalidArgument();
    const std::int32_t count = given(args, 2) ? countArg(args, 2) : -1;
    if (arg.isNull())
        return Variant::null();
    const std::string bytes = toBytes(arg.view());
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= bytes.size())
        return std::string();
    return fromBytes(std::string_view(bytes).substr(from, count < 0 ? std::string::npos : static_cast<std::size_t>(count)));
}

// InStrB([start, ]string1, string2): the byte position of string2 in string1.
Variant InStrB(BuiltinContext&, Args args)
{
    const auto [start, first] = searchStartArg(args);
    const TextArg hay(args, first);
    const TextArg needle(args, first + 1);
    if (hay.isNull() || needle.isNull())
        return Variant::null();
    const std::string h = toBytes(hay.view());
    const std::string n = toBytes(needle.view());
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= h.size())
        return std::int32_t(0);
    if (n.empty())
        return start;
    const std::size_t at = h.find(n, from);
    return at == std::string::npos ? std::int32_t(0) : static_cast<std::int32_t>(at + 1);
}

Variant AscB(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    const std::string bytes = toBytes(arg.view());
    if (bytes.empty())
        invalidArgument();
    return static_cast<std::uint8_t>(bytes[0]);
}

Variant ChrB(BuiltinContext&, Args args)
{
    const std::int32_t code = longArg(args, 0);
    if (code < 0 || code > 255)
        vb::raiseError(vb::err::Overflow);
    return fromBytes(std::string(1, static_cast<char>(code)));
}

constexpr std::array kFunctions = {
    BuiltinFunction{"AscB", 1, 1, &AscB},
    BuiltinFunction{"ChrB", 1, 1, &ChrB},
    BuiltinFunction{"InStrB", 2, 4, &InStrB},
    BuiltinFunction{"LeftB", 2, 2, &LeftB},
    BuiltinFunction{"LenB", 1, 1, &LenB},
    BuiltinFunction{"MidB", 2, 3, &MidB},
    BuiltinFunction{"RightB", 2, 2, &RightB},
};

} // namespace

std::span<const BuiltinFunction> byteStringFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
