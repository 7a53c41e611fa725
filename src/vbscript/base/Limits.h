// The engine's limits, in one place: how deep a script may nest, how much native stack
// its calls may use, how often running work looks at the clock, and how large strings
// and regular expressions may grow. Each keeps hostile or runaway input bounded in time
// and memory while staying far beyond what a real script needs; each says why its
// value is what it is. Error numbers raised at a limit stay with the code that checks it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vbscript::limits {

// ---------------------------------------------------------------------------
// Reading and compiling a script

// Longest identifier, in bytes. The language allows 255 characters; longer names fail
// with "Identifier too long" rather than being cut.
inline constexpr std::size_t kMaxIdentifier = 255;

// Levels of nested statements and expressions one parse may reach. The parser and the
// compiler recurse once per level, so this bounds their native stack use well within
// a thread's stack (sanitizer builds included); hand-written scripts stay below a few
// dozen levels. Deeper input fails with "Out of memory".
inline constexpr int kMaxParseNesting = 200;

// Member accesses and argument lists in one chain ("a.b(1).c ..."). Each link nests the
// tree one level deeper, so a chain is held to the same bound as nesting.
inline constexpr int kMaxChainLinks = kMaxParseNesting;

// Operators of one left-to-right chain ("a & b & c ...") compiled as nested nodes, each
// with its specialised fast path; the rest of a longer chain is one node evaluated in a
// loop. Evaluation recurses once per nested node, so this keeps a generated
// thousand-term expression from using a thousand native frames, while the short
// chains of ordinary code keep their faster nodes.
inline constexpr int kMaxNestedOperators = 32;

// ---------------------------------------------------------------------------
// Running a script

// Native stack one chain of script calls may use before it ends in "Out of stack
// space". About 3 MB lets a recursive script go thousands of calls deep while the
// library and the host keep room below it on the default 8 MB main-thread stack.
// Scaled by platform::kStackFrameScale in sanitizer builds, whose frames are larger.
inline constexpr std::ptrdiff_t kStackBudget = 3 * 1024 * 1024;

// Native stack left below the script's budget on a thread whose stack is smaller than
// the budget, for the library and the host's own frames (a message box, a call back
// into the host). Scaled like kStackBudget.
inline constexpr std::ptrdiff_t kStackReserve = 256 * 1024;

// Statements and calls run between two looks at the clock for the script's time-out.
// Reading the clock once per 2048 ticks is lost in the noise of running them, and a
// time-out is still noticed within a small fraction of a second.
inline constexpr int kTickBudget = 2048;

// Calls of pollLongWork between two asks of the running script whether its time-out is
// due: library loops (regular expressions, large string building) poll per step, and a
// step is far cheaper than a statement, hence a larger count than kTickBudget.
inline constexpr unsigned kLongWorkPollEvery = 4096;

// Bytes of text built between two time-out checks when a library function produces a
// huge string (String(n, c), Space(n)): 64 KB takes microseconds, so a time-out still
// stops a gigabyte request promptly.
inline constexpr std::size_t kLongWorkSlice = std::size_t(1) << 16;

// ---------------------------------------------------------------------------
// Values

// Largest string a library function builds, in bytes, before it raises "Out of string
// space". The language's strings hold about two billion characters; one gigabyte is far
// beyond any script's need and still safe to allocate.
inline constexpr double kMaxStringBytes = 1024.0 * 1024.0 * 1024.0;

// ---------------------------------------------------------------------------
// Regular expressions

// Instructions one compiled pattern may expand to. Counted repeats ("a{1000}") copy
// their body, so nested ones multiply; 200,000 instructions (a few MB) holds any
// practical pattern and refuses the ones built to exhaust memory.
inline constexpr std::size_t kMaxRegexInstructions = 200000;

// Groups nested inside one another in a pattern. The pattern compiler recurses per
// group; 500 levels is far beyond real patterns and safe on any thread's stack.
inline constexpr int kMaxRegexNesting = 500;

// Backtracking entries one match attempt may hold (16 bytes each, so 64 MB at most).
// Only runaway backtracking reaches it; the match then fails with an error instead of
// exhausting memory.
inline constexpr std::size_t kMaxRegexBacktrack = std::size_t(4) * 1024 * 1024;

// Instructions one match attempt may run. A hundred million is seconds of matching at
// most: far beyond honest patterns, and it ends catastrophic backtracking that would
// otherwise run for years.
inline constexpr std::size_t kMaxRegexSteps = std::size_t(100) * 1000 * 1000;

} // namespace vbscript::limits
