// Runs a compiled regular expression over a subject text.
//
// The matcher backtracks with a stack of its own, so long subjects never exhaust the
// C++ stack. A match attempt that would need more than a fixed amount of backtracking
// memory or work ends with error 28 "Out of stack space" instead of running on.
#pragma once

#include "RegexProgram.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace vbscript::regex {

struct MatchResult {
    std::size_t begin = 0; // byte offsets in the subject
    std::size_t end = 0;
    // Byte offsets of each group: [2g] begin, [2g+1] end, -1 when the group took no part.
    std::vector<std::ptrdiff_t> groups;

    bool groupMatched(int g) const { return groups[2 * g] >= 0 && groups[2 * g + 1] >= 0; }
};

class Matcher {
public:
    Matcher(const Program& program, std::string_view subject, bool ignoreCase, bool multiline);

    // The first match that starts at or after byte `from`.
    std::optional<MatchResult> search(std::size_t from);

private:
    struct Frame {
        enum Kind : std::uint8_t { Branch, RestoreSlot, RestoreRegister } kind;
        int index;            // instruction (Branch), slot or register
        std::ptrdiff_t value; // position (Branch) or the value to restore
    };

    bool run(int pc, std::size_t pos, std::size_t& end);
    void push(Frame::Kind kind, int index, std::ptrdiff_t value);
    bool sameCharacter(char32_t a, char32_t b) const;
    bool classMatches(const CharClass& cls, char32_t c) const;
    bool matchBackReference(int group, std::size_t& pos) const;

    const Program& program_;
    std::string_view subject_;
    bool ignoreCase_;
    bool multiline_;
    std::vector<std::ptrdiff_t> slots_;
    std::vector<std::ptrdiff_t> registers_;
    std::vector<Frame> stack_;
    std::size_t steps_ = 0;
    static constexpr std::size_t kInitialBacktrack = 64;
};

} // namespace vbscript::regex
