// Invariant checks.
//
// TALLIS_ASSERT(condition) states something the code relies on that no input can make
// false (a stack released in order, a slot inside its frame, a count that never goes
// below zero): when it fails, the program itself is wrong. Debug builds check it and
// abort with the condition and where it was stated; builds with NDEBUG (Release and
// RelWithDebInfo, the shipped ones) do not evaluate it at all, unless
// TALLIS_ASSERTIONS is defined (the fuzz build does, so fuzzing checks the invariants
// too). Input errors are never asserted: they get the error the user sees.
#pragma once

#if !defined(NDEBUG) || defined(TALLIS_ASSERTIONS)

#include <cstdio>
#include <cstdlib>

namespace tallis {

[[noreturn]] inline void assertionFailed(const char* condition, const char* file, int line, const char* function) noexcept
{
    std::fprintf(stderr, "%s:%d: %s: invariant broken: %s\n", file, line, function, condition);
    std::fflush(stderr);
    std::abort();
}

} // namespace tallis

#define TALLIS_ASSERT(condition) \
    (static_cast<bool>(condition) ? static_cast<void>(0) : ::tallis::assertionFailed(#condition, __FILE__, __LINE__, __func__))

#else

// Not evaluated, but still compiled: the condition keeps the names it uses "used" and
// stays correct code in every build.
#define TALLIS_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))

#endif
