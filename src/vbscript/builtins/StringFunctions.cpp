// String functions: Len, Left, Mid, Right, InStr, InStrRev, Replace, UCase, LCase,
// the Trim family, Space, String, StrReverse, StrComp, Asc/AscW, Chr/ChrW,
// Escape and Unescape. Positions and lengths count characters.
#include "Arguments.h"
#include "Families.h"
#include "vbscript/text/UnicodeText.h"
#include "vbscript/base/Limits.h"

#include "automation/AsciiScan.h"
#include "automation/Conversions.h"
#include "automation/Error.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vbscript {

void assignMid(vb::Variant& target, const vb::Variant& start, const vb::Variant& length, const vb::Variant& replacement)
{
    // A String target whose other operands run no code (no objects, whose default
    // members could) is changed where it is, without copying the text.
    const bool inPlace = target.isString() && !start.isObject() && !length.isObject() && !replacement.isObject();
    vb::Variant current;
    if (!inPlace) {
        current = vb::defaultValue(target);
        if (current.isNull())
            vb::raiseError(vb::err::InvalidUseOfNull);
    }
    const std::int32_t first = vb::CLng(vb::defaultValue(start));
    std::int32_t count = -1;
    if (!length.isMissing()) {
        count = vb::CLng(vb::defaultValue(length));
        if (count < 0)
            vb::raiseError(vb::err::InvalidProcedureCall);
    }
    const std::string with = vb::CStr(vb::defaultValue(replacement));
    const text::Positions w(with, vb::isAsciiText(with));
    if (inPlace) {
        const text::Positions p(std::as_const(target).stringValue(), target.stringIsAscii());
        const std::size_t len = p.length();
        if (first < 1 || static_cast<std::size_t>(first) > len)
            vb::raiseError(vb::err::InvalidProcedureCall);
        std::size_t n = std::min(w.length(), len - static_cast<std::size_t>(first) + 1);
        if (count >= 0)
            n = std::min(n, static_cast<std::size_t>(count));
        const std::size_t begin = p.byteOffset(static_cast<std::size_t>(first) - 1);
        const std::size_t end = p.advance(begin, n);
        const bool ascii = p.ascii() && w.ascii();
        target.stringValue().replace(begin, end - begin, w.slice(0, n));
        if (ascii)
            target.noteStringIsAscii(true);
        return;
    }
    std::string s = vb::CStr(current);
    const std::size_t len = text::length(s);
    if (first < 1 || static_cast<std::size_t>(first) > len)
        vb::raiseError(vb::err::InvalidProcedureCall);
    std::size_t n = std::min(w.length(), len - static_cast<std::size_t>(first) + 1);
    if (count >= 0)
        n = std::min(n, static_cast<std::size_t>(count));
    const std::size_t begin = text::byteOffset(s, static_cast<std::size_t>(first) - 1);
    const std::size_t end = text::advance(s, begin, n);
    s.replace(begin, end - begin, w.slice(0, n));
    target = std::move(s);
}

namespace builtins {

namespace {

using vb::Args;
using vb::Variant;

[[noreturn]] void invalidArgument()
{
    vb::raiseError(vb::err::InvalidProcedureCall);
}

// `unit` n times, built in slices so that a script's time-out can stop a huge one.
std::string repeatedText(std::string_view unit, std::size_t n)
{
    constexpr std::size_t kSlice = limits::kLongWorkSlice;
    std::string out;
    out.reserve(n * unit.size());
    if (unit.size() == 1) {
        for (std::size_t done = 0; done < n; done += kSlice) {
            out.append(std::min(kSlice, n - done), unit[0]);
            checkLongWorkNow();
        }
        return out;
    }
    for (std::size_t i = 0; i < n; ++i) {
        out += unit;
        if (i % kSlice == 0)
            checkLongWorkNow();
    }
    return out;
}

// The character positions of a text argument (constant time when it is all ASCII).
text::Positions positionsOf(const TextArg& arg)
{
    return text::Positions(arg.view(), arg.ascii());
}

// A piece of a text as a String that already knows when it is ASCII.
Variant pieceOf(const text::Positions& whole, std::string_view piece)
{
    Variant v(piece);
    if (whole.ascii())
        v.noteStringIsAscii(true);
    return v;
}

Variant Len(BuiltinContext&, Args args)
{
    const TextArg s(args, 0);
    if (s.isNull())
        return Variant::null();
    return static_cast<std::int32_t>(positionsOf(s).length());
}

Variant Left(BuiltinContext&, Args args)
{
    const TextArg s(args, 0);
    const std::int32_t n = countArg(args, 1);
    if (s.isNull())
        return Variant::null();
    const text::Positions p = positionsOf(s);
    return pieceOf(p, p.slice(0, static_cast<std::size_t>(n)));
}

Variant Right(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    const std::int32_t n = countArg(args, 1);
    if (arg.isNull())
        return Variant::null();
    const text::Positions p = positionsOf(arg);
    const std::string_view s = p.text();
    const std::size_t len = p.length();
    if (static_cast<std::size_t>(n) >= len)
        return pieceOf(p, s);
    return pieceOf(p, s.substr(p.byteOffset(len - static_cast<std::size_t>(n))));
}

Variant Mid(BuiltinContext&, Args args)
{
    const TextArg arg(args, 0);
    // A Null length or start is refused (94) before either's range is checked.
    if (given(args, 2) && valueArg(args, 2).isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const std::int32_t start = longArg(args, 1);
    std::int32_t count = -1;
    if (given(args, 2))
        count = countArg(args, 2);
    if (start <= 0)
        invalidArgument();
    if (arg.isNull())
        return Variant::null();
    const text::Positions p = positionsOf(arg);
    const std::size_t n = count < 0 ? p.text().size() : static_cast<std::size_t>(count);
    return pieceOf(p, p.slice(static_cast<std::size_t>(start) - 1, n));
}

// InStr([start,] string1, string2[, compare])
Variant InStr(BuiltinContext&, Args args)
{
    const auto [start, first] = searchStartArg(args);
    const vb::CompareMode mode = args.size() >= 4 ? compareArg(args, 3) : vb::CompareMode::Binary;
    const TextArg hay(args, first);
    const TextArg needle(args, first + 1);
    if (hay.isNull() || needle.isNull())
        return Variant::null();
    const std::string_view h = hay.view();
    const std::string_view n = needle.view();
    if (h.empty())
        return std::int32_t(0);
    const text::Positions p = positionsOf(hay);
    const std::size_t from = p.byteOffset(static_cast<std::size_t>(start) - 1);
    if (from >= h.size())
        return std::int32_t(0);
    if (n.empty())
        return start;
    const std::size_t at = text::find(h, n, from, mode);
    if (at == std::string::npos)
        return std::int32_t(0);
    return static_cast<std::int32_t>(p.charIndex(at) + 1);
}

// InStrRev(string1, string2[, start[, compare]]): the last occurrence that ends at or
// before position start.
Variant InStrRev(BuiltinContext&, Args args)
{
    std::int32_t start = -1;
    if (given(args, 2)) {
        start = longArg(args, 2);
        if (start == 0 || start < -1)
            invalidArgument();
    }
    const vb::CompareMode mode = compareArg(args, 3);
    const TextArg hay(args, 0);
    const TextArg needle(args, 1);
    // Unlike InStr, InStrRev refuses Null.
    const std::string_view h = hay.view();
    const std::string_view n = needle.view();
    if (h.empty())
        return std::int32_t(0);
    const text::Positions p = positionsOf(hay);
    const auto len = static_cast<std::int32_t>(p.length());
    if (start == -1)
        start = len;
    if (start > len)
        return std::int32_t(0);
    if (n.empty())
        return start;
    const std::size_t at = text::findLast(h, n, p.byteOffset(static_cast<std::size_t>(start)), mode);
    if (at == std::string::npos)
        return std::int32_t(0);
    return static_cast<std::int32_t>(p.charIndex(at) + 1);
}

// Replace(expression, find, replacewith[, start[, count[, compare]]]): the text from
// position start on, with up to count replacements (-1: all).
Variant Replace(BuiltinContext&, Args args)
{
    const TextArg expressionArg(args, 0);
    const std::string_view expression = expressionArg.view();
    const std::string find = stringArg(args, 1);
    const std::string with = stringArg(args, 2);
    const std::int32_t start = longArg(args, 3, 1);
    if (start < 1)
        invalidArgument();
    const std::int32_t count = longArg(args, 4, -1);
    if (count < -1)
        invalidArgument();
    const vb::CompareMode mode = compareArg(args, 5);

    // From the first character the offset is 0 without knowing more of the text.
    const std::size_t from = start == 1 ? 0 : positionsOf(expressionArg).byteOffset(static_cast<std::size_t>(start) - 1);
    const std::string_view rest = expression.substr(from);
    // The result is pieces of the text and copies of `with`: ASCII when both are.
    const bool asciiResult = expressionArg.knownAscii() && vb::isAsciiText(with);
    auto result = [asciiResult](std::string out) {
        Variant v(std::move(out));
        if (asciiResult)
            v.noteStringIsAscii(true);
        return v;
    };
    if (find.empty() || count == 0)
        return result(std::string(rest));
    std::string out;
    std::size_t pos = 0;
    std::int32_t done = 0;
    while (count < 0 || done < count) {
        const vb::TextMatch at = vb::findMatch(rest, find, pos, mode);
        if (!at.found())
            break;
        out.append(rest.substr(pos, at.pos - pos));
        out.append(with);
        checkStringSize(static_cast<double>(out.size()));
        pollLongWork();
        pos = at.pos + at.length;
        ++done;
    }
    out.append(rest.substr(pos));
    return result(std::move(out));
}

template <std::string (*Map)(std::string_view)>
Variant mapText(BuiltinContext&, Args args)
{
    const TextArg s(args, 0);
    if (s.isNull())
        return Variant::null();
    return Map(s.view());
}

std::string trimLeft(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string trimRight(std::string_view s)
{
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string trimBoth(std::string_view s)
{
    return trimRight(trimLeft(s));
}

std::string upperText(std::string_view s)
{
    return text::upper(s);
}

std::string lowerText(std::string_view s)
{
    return text::lower(s);
}

Variant Space(BuiltinContext&, Args args)
{
    const std::int32_t n = countArg(args, 0);
    checkStringSize(n);
    return repeatedText(" ", static_cast<std::size_t>(n));
}

// The character of an ANSI code, as Chr gives it.
std::string ansiCharacter(std::int32_t code)
{
    if (code < 0 || code > 255)
        invalidArgument();
    return text::characterText(text::fromAnsi(static_cast<std::uint8_t>(code)));
}

// String(number, character): character is a code (taken modulo 256) or a text whose
// first character repeats.
Variant String(BuiltinContext&, Args args)
{
    const Variant number = valueArg(args, 0);
    const Variant character = valueArg(args, 1);
    if (number.isNull() || character.isNull())
        return Variant::null();
    const std::int32_t n = vb::CLng(number);
    if (n < 0)
        invalidArgument();
    std::string unit;
    if (character.isString()) {
        const std::string& s = character.stringValue();
        if (s.empty())
            invalidArgument();
        unit = s.substr(0, text::decodeAt(s, 0).size);
    } else {
        const std::int32_t code = vb::CLng(character);
        if (code < 0)
            invalidArgument();
        unit = ansiCharacter(code % 256);
    }
    checkStringSize(static_cast<double>(n) * static_cast<double>(unit.size()));
    return repeatedText(unit, static_cast<std::size_t>(n));
}

Variant StrReverse(BuiltinContext&, Args args)
{
    return text::reversed(TextArg(args, 0).view());
}

Variant StrComp(BuiltinContext&, Args args)
{
    const vb::CompareMode mode = compareArg(args, 2);
    const TextArg a(args, 0);
    const TextArg b(args, 1);
    if (a.isNull() || b.isNull())
        return Variant::null();
    return static_cast<std::int16_t>(text::compare(a.view(), b.view(), mode));
}

// The first character of a non-empty text argument.
text::Decoded firstCharacter(Args args)
{
    const TextArg arg(args, 0);
    const std::string_view s = arg.view();
    if (s.empty())
        invalidArgument();
    return text::decodeAt(s, 0);
}

// The UTF-16 unit that starts a character (the high surrogate beyond the first plane).
std::int32_t firstUnit(const text::Decoded& d)
{
    if (d.size == 1 && d.code >= 0x80)
        return static_cast<std::int32_t>(text::fromAnsi(static_cast<std::uint8_t>(d.code)));
    if (d.code > 0xFFFF)
        return static_cast<std::int32_t>(0xD800 + ((d.code - 0x10000) >> 10));
    return static_cast<std::int32_t>(d.code);
}

Variant Asc(BuiltinContext&, Args args)
{
    const text::Decoded d = firstCharacter(args);
    if (d.size == 1)
        return static_cast<std::int16_t>(d.code); // ASCII, or a byte of 8-bit text
    const int ansi = text::toAnsi(d.code);
    return static_cast<std::int16_t>(ansi < 0 ? '?' : ansi);
}

Variant AscW(BuiltinContext&, Args args)
{
    const std::int32_t unit = firstUnit(firstCharacter(args));
    return static_cast<std::int16_t>(unit > 0x7FFF ? unit - 0x10000 : unit);
}

Variant Chr(BuiltinContext&, Args args)
{
    return ansiCharacter(longArg(args, 0));
}

Variant ChrW(BuiltinContext&, Args args)
{
    std::int32_t code = longArg(args, 0);
    if (code < -32768 || code > 65535)
        invalidArgument();
    if (code < 0)
        code += 65536;
    return text::characterText(static_cast<char32_t>(code));
}

bool escapesAsItself(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return c == '@' || c == '*' || c == '_' || c == '+' || c == '-' || c == '.' || c == '/';
}

void appendHex(std::string& out, std::uint32_t value, int digits)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

// Escape: %XX for characters below 256, %uXXXX above; letters, digits and @*_+-./ stay.
Variant Escape(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const std::string s = vb::CStr(v);
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const text::Decoded d = text::decodeAt(s, i);
        const char32_t c = d.size == 1 && d.code >= 0x80 ? text::fromAnsi(static_cast<std::uint8_t>(d.code)) : d.code;
        if (escapesAsItself(c)) {
            out += static_cast<char>(c);
        } else if (c < 0x100) {
            out += '%';
            appendHex(out, c, 2);
        } else if (c > 0xFFFF) {
            const char32_t v2 = c - 0x10000;
            out += "%u";
            appendHex(out, 0xD800 + (v2 >> 10), 4);
            out += "%u";
            appendHex(out, 0xDC00 + (v2 & 0x3FF), 4);
        } else {
            out += "%u";
            appendHex(out, c, 4);
        }
        i += d.size;
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at s[pos]; -1 when they are not all there.
long readHex(std::string_view s, std::size_t pos, int digits)
{
    if (pos + static_cast<std::size_t>(digits) > s.size())
        return -1;
    long v = 0;
    for (int k = 0; k < digits; ++k) {
        const int h = hexValue(s[pos + static_cast<std::size_t>(k)]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

Variant Unescape(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const std::string s = vb::CStr(v);
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '%') {
            if (i + 1 < s.size() && s[i + 1] == 'u') {
                const long code = readHex(s, i + 2, 4);
                if (code >= 0) {
                    text::appendCharacter(out, static_cast<char32_t>(code));
                    i += 6;
                    continue;
                }
            } else {
                const long code = readHex(s, i + 1, 2);
                if (code >= 0) {
                    text::appendCharacter(out, static_cast<char32_t>(code));
                    i += 3;
                    continue;
                }
            }
        }
        out += s[i++];
    }
    return out;
}

constexpr std::array kFunctions = {
    BuiltinFunction{"Asc", 1, 1, &Asc},
    BuiltinFunction{"AscW", 1, 1, &AscW},
    BuiltinFunction{"Chr", 1, 1, &Chr},
    BuiltinFunction{"ChrW", 1, 1, &ChrW},
    BuiltinFunction{"Escape", 1, 1, &Escape},
    BuiltinFunction{"InStr", 2, 4, &InStr},
    BuiltinFunction{"InStrRev", 2, 4, &InStrRev},
    BuiltinFunction{"LCase", 1, 1, &mapText<&lowerText>},
    BuiltinFunction{"Left", 2, 2, &Left},
    BuiltinFunction{"Len", 1, 1, &Len},
    BuiltinFunction{"LTrim", 1, 1, &mapText<&trimLeft>},
    BuiltinFunction{"Mid", 2, 3, &Mid},
    BuiltinFunction{"Replace", 3, 6, &Replace},
    BuiltinFunction{"Right", 2, 2, &Right},
    BuiltinFunction{"RTrim", 1, 1, &mapText<&trimRight>},
    BuiltinFunction{"Space", 1, 1, &Space},
    BuiltinFunction{"StrComp", 2, 3, &StrComp},
    BuiltinFunction{"String", 2, 2, &String},
    BuiltinFunction{"StrReverse", 1, 1, &StrReverse},
    BuiltinFunction{"Trim", 1, 1, &mapText<&trimBoth>},
    BuiltinFunction{"UCase", 1, 1, &mapText<&upperText>},
    BuiltinFunction{"Unescape", 1, 1, &Unescape},
};

} // namespace

std::span<const BuiltinFunction> stringFunctions()
{
    return kFunctions;
}

} // namespace builtins
} // namespace vbscript
