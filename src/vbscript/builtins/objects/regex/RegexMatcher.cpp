#include "RegexMatcher.h"

#include "base/Assert.h"
#include "vbscript/base/Limits.h"
#include "vbscript/base/RunningContext.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Error.h"

#include <algorithm>

namespace vbscript::regex {

namespace {

[[noreturn]] void tooComplex()
{
    vb::raiseError(vb::err::OutOfStackSpace);
}

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace

Matcher::Matcher(const Program& program, std::string_view subject, bool ignoreCase, bool multiline)
    : program_(program)
    , subject_(subject)
    , ignoreCase_(ignoreCase)
    , multiline_(multiline)
    , slots_(static_cast<std::size_t>(2 * (program.groups + 1)), -1)
    , registers_(static_cast<std::size_t>(program.registers), -1)
{
    // Room for the choices of a usual match at once, rather than growing from nothing.
    stack_.reserve(kInitialBacktrack);
}

bool Matcher::sameCharacter(char32_t a, char32_t b) const
{
    return a == b || (ignoreCase_ && text::toLower(a) == text::toLower(b));
}

bool Matcher::classMatches(const CharClass& cls, char32_t c) const
{
    if (!ignoreCase_)
        return cls.contains(c);
    const char32_t lower = text::toLower(c);
    const char32_t upper = text::toUpper(c);
    if (cls.negated) {
        // Excluded when any case of the character is in the set.
        CharClass positive = cls;
        positive.negated = false;
        return !(positive.contains(c) || positive.contains(lower) || positive.contains(upper));
    }
    return cls.contains(c) || cls.contains(lower) || cls.contains(upper);
}

bool Matcher::matchBackReference(int group, std::size_t& pos) const
{
    const std::ptrdiff_t b = slots_[static_cast<std::size_t>(2 * group)];
    const std::ptrdiff_t e = slots_[static_cast<std::size_t>(2 * group + 1)];
    if (b < 0 || e < 0)
        return true; // a group that took no part matches the empty text
    const std::string_view captured = subject_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
    std::size_t p = pos;
    for (std::size_t i = 0; i < captured.size();) {
        if (p >= subject_.size())
            return false;
        const text::Decoded want = text::decodeAt(captured, i);
        const text::Decoded got = text::decodeAt(subject_, p);
        if (!sameCharacter(want.code, got.code))
            return false;
        i += want.size;
        p += got.size;
    }
    pos = p;
    return true;
}

void Matcher::push(Frame::Kind kind, int index, std::ptrdiff_t value)
{
    if (stack_.size() >= limits::kMaxRegexBacktrack)
        tooComplex();
    stack_.push_back(Frame{kind, index, value});
}

bool Matcher::run(int pc, std::size_t pos, std::size_t& end)
{
    const std::size_t base = stack_.size();
    const std::size_t n = subject_.size();
    for (;;) {
        if ((steps_ & 0xFFF) == 0)
            pollLongWork();
        if (++steps_ > limits::kMaxRegexSteps)
            tooComplex();
        TALLIS_ASSERT(pc >= 0 && static_cast<std::size_t>(pc) < program_.code.size()); // jumps stay inside the program
        const Instruction& in = program_.code[static_cast<std::size_t>(pc)];
        bool ok = true;
        switch (in.op) {
        case Op::Char:
            if (pos < n) {
                const text::Decoded d = text::decodeAt(subject_, pos);
                if (sameCharacter(d.code, in.ch)) {
                    pos += d.size;
                    ++pc;
                    break;
                }
            }
            ok = false;
            break;
        case Op::AnyButNewline:
            if (pos < n && subject_[pos] != '\n') {
                pos += text::decodeAt(subject_, pos).size;
                ++pc;
            } else {
                ok = false;
            }
            break;
        case Op::Class:
            if (pos < n) {
                const text::Decoded d = text::decodeAt(subject_, pos);
                if (classMatches(program_.classes[static_cast<std::size_t>(in.a)], d.code)) {
                    pos += d.size;
                    ++pc;
                    break;
                }
            }
            ok = false;
            break;
        case Op::Split:
            push(Frame::Branch, in.b, static_cast<std::ptrdiff_t>(pos));
            pc = in.a;
            break;
        case Op::Jump: pc = in.a; break;
        case Op::Save: {
            auto& slot = slots_[static_cast<std::size_t>(in.a)];
            push(Frame::RestoreSlot, in.a, slot);
            slot = static_cast<std::ptrdiff_t>(pos);
            ++pc;
            break;
        }
        case Op::LineStart:
            ok = pos == 0 || (multiline_ && isLineBreak(subject_[pos - 1]));
            ++pc;
            break;
        case Op::LineEnd:
            ok = pos == n || (multiline_ && isLineBreak(subject_[pos]));
            ++pc;
            break;
        case Op::WordBoundary:
        case Op::NotWordBoundary: {
            const bool before = pos > 0 && isWordCharacter(static_cast<unsigned char>(subject_[pos - 1]));
            const bool after = pos < n && isWordCharacter(static_cast<unsigned char>(subject_[pos]));
            ok = (before != after) == (in.op == Op::WordBoundary);
            ++pc;
            break;
        }
        case Op::BackReference:
            ok = matchBackReference(in.a, pos);
            ++pc;
            break;
        case Op::MarkPosition: {
            auto& reg = registers_[static_cast<std::size_t>(in.a)];
            push(Frame::RestoreRegister, in.a, reg);
            reg = static_cast<std::ptrdiff_t>(pos);
            ++pc;
            break;
        }
        case Op::CheckProgress:
            // An iteration that matched nothing would loop for ever.
            ok = registers_[static_cast<std::size_t>(in.a)] != static_cast<std::ptrdiff_t>(pos);
            ++pc;
            break;
        case Op::LookAhead: {
            const std::vector<std::ptrdiff_t> before = slots_;
            std::size_t lookEnd = 0;
            bool found = run(pc + 1, pos, lookEnd);
            if (in.flag) {
                slots_ = before; // nothing captured inside a negative lookahead survives
                found = !found;
            } else if (found) {
                for (std::size_t i = 0; i < slots_.size(); ++i) {
                    if (slots_[i] != before[i])
                        push(Frame::RestoreSlot, static_cast<int>(i), before[i]);
                }
            }
            ok = found;
            pc = in.a;
            break;
        }
        case Op::LookEnd:
        case Op::Match:
            end = pos;
            stack_.resize(base);
            return true;
        }
        if (ok)
            continue;
        // Backtrack to the most recent choice, undoing what was recorded after it.
        for (;;) {
            if (stack_.size() == base)
                return false;
            const Frame f = stack_.back();
            stack_.pop_back();
            if (f.kind == Frame::RestoreSlot) {
                slots_[static_cast<std::size_t>(f.index)] = f.value;
            } else if (f.kind == Frame::RestoreRegister) {
                registers_[static_cast<std::size_t>(f.index)] = f.value;
            } else {
                pc = f.index;
                pos = static_cast<std::size_t>(f.value);
                break;
            }
        }
    }
}

std::optional<MatchResult> Matcher::search(std::size_t from)
{
    const std::size_t n = subject_.size();
    const Instruction& first = program_.code.front();
    const bool anchored = first.op == Op::LineStart && !multiline_;
    // A pattern that starts with a plain ASCII character can skip ahead to it.
    const bool literalStart = first.op == Op::Char && first.ch < 0x80
        && (!ignoreCase_ || (text::toUpper(first.ch) == first.ch && text::toLower(first.ch) == first.ch));
    for (std::size_t start = from; start <= n;) {
        if (anchored && start != 0)
            break;
        if (literalStart) {
            const std::size_t next = subject_.find(static_cast<char>(first.ch), start);
            if (next == std::string_view::npos)
                break;
            start = next;
        }
        steps_ = 0;
        std::fill(slots_.begin(), slots_.end(), -1);
        std::fill(registers_.begin(), registers_.end(), -1);
        stack_.clear();
        std::size_t end = 0;
        if (run(0, start, end)) {
            MatchResult result;
            result.begin = start;
            result.end = end;
            result.groups = slots_;
            return result;
        }
        if (start == n)
            break;
        start += text::decodeAt(subject_, start).size;
    }
    return std::nullopt;
}

} // namespace vbscript::regex
