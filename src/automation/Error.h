// VB run-time errors and the program's error convention.
//
// A failing operation throws vb::Error (number, description, source, and the source
// line of the throw, which identifies the failing statement). Procedures that follow
// VB's "On Error GoTo" convention run their body under trap(): the first failure is
// recorded as the failure being handled (what VB calls Err) and reported once through
// a reporting function chosen by the caller, and the procedure returns what it had set
// so far. Reporters such as LogEvent and WriteLogFile read the failure being handled
// through currentFailure() and clear it, exactly as the VB procedures read Err.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <version>
#if defined(__cpp_lib_source_location)
#include <source_location>
#endif

namespace vb {

// Where an error was raised. std::source_location where the library has it; clang 14
// with libstdc++ 12 lacks it (no __builtin_source_location), so the line and file come
// from the older builtins there.
#if defined(__cpp_lib_source_location)
using SourceLocation = std::source_location;
#else
struct SourceLocation {
    static constexpr SourceLocation current(std::uint_least32_t line = __builtin_LINE(), const char* file = __builtin_FILE(),
                                            const char* function = __builtin_FUNCTION()) noexcept
    {
        SourceLocation where;
        where.line_ = line;
        where.file_ = file;
        where.function_ = function;
        return where;
    }
    constexpr std::uint_least32_t line() const noexcept { return line_; }
    constexpr std::uint_least32_t column() const noexcept { return 0; }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }

private:
    std::uint_least32_t line_ = 0;
    const char* file_ = "";
    const char* function_ = "";
};
#endif

// Error numbers used across the program.
namespace err {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t ArrayFixed = 10;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t OutOfStringSpace = 14;
inline constexpr std::int32_t OutOfStackSpace = 28;
inline constexpr std::int32_t SubOrFunctionNotDefined = 35;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t BadFileNameOrNumber = 52;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t BadFileMode = 54;
inline constexpr std::int32_t FileAlreadyOpen = 55;
inline constexpr std::int32_t DeviceIOError = 57;
inline constexpr std::int32_t FileAlreadyExists = 58;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t InputPastEndOfFile = 62;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccessError = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t ObjectVariableNotSet = 91;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t ObjectRequired = 424;
inline constexpr std::int32_t ForLoopNotInitialized = 92;
inline constexpr std::int32_t CantCreateObject = 429;
inline constexpr std::int32_t NoSuchMember = 438;
inline constexpr std::int32_t ObjectDoesntSupportAction = 445;
inline constexpr std::int32_t NamedArgumentsNotSupported = 446;
inline constexpr std::int32_t LocaleNotSupported = 447;
inline constexpr std::int32_t ArgumentNotOptional = 449;
inline constexpr std::int32_t WrongArgumentCount = 450;
inline constexpr std::int32_t NotACollection = 451;
inline constexpr std::int32_t DuplicateKey = 457;
inline constexpr std::int32_t VariableUndefined = 500;
inline constexpr std::int32_t ElementNotFound = 32811;
} // namespace err

// VB's description of an error number ("" when the number has none of its own).
std::string_view describe(std::int32_t number);

class Error : public std::exception {
public:
    explicit Error(std::int32_t number, SourceLocation where = SourceLocation::current());
    Error(std::int32_t number, std::string description, std::string source = {},
          SourceLocation where = SourceLocation::current());
    ~Error() override;

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }
    // The line that identifies the failing statement (0 when unknown).
    int line() const noexcept { return line_; }
    void setLine(int line) noexcept { line_ = line; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
    int line_;
};

[[noreturn]] void raiseError(std::int32_t number, SourceLocation where = SourceLocation::current());

// The failure being handled, as VB's Err holds it while an error handler runs.
struct Failure {
    std::int32_t number = 0;
    std::string description;
    std::string source;
    int line = 0;
    bool active() const { return number != 0; }
};

// The failure being handled on this thread; number 0 when none.
const Failure& currentFailure();
void setCurrentFailure(Failure failure);
void clearCurrentFailure();

// Turns whatever a body threw into a Failure (C++ exceptions become error 51 with their message).
Failure failureFromCurrentException();

// A reporting function: (source, text). It reads and clears currentFailure() itself.
using Reporter = std::function<void(std::string_view source, std::string_view text)>;

// Runs `body` under an error trap: on a failure the failure becomes the one being
// handled, `report(source, name)` is called once, and trap returns false. The body
// assigns its results as it goes, so the caller returns whatever was set.
template <class Body>
bool trap(const Reporter& report, std::string_view source, std::string_view name, Body&& body)
{
    try {
        body();
        return true;
    } catch (...) {
        setCurrentFailure(failureFromCurrentException());
        if (report)
            report(source, name);
        clearCurrentFailure();
        return false;
    }
}

// Runs one step with failures ignored ("On Error Resume Next" for that step).
// Returns false when the step failed.
template <class Step>
bool ignoreErrors(Step&& step) noexcept
{
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace vb
