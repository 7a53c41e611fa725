// Compilation errors: the numbers and texts VBScript reports when a script does not
// compile, and the exception that carries one with its place in the code.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vbscript {

namespace cerr {
inline constexpr std::int32_t OutOfMemory = 1001;
inline constexpr std::int32_t SyntaxError = 1002;
inline constexpr std::int32_t ExpectedColon = 1003;
inline constexpr std::int32_t ExpectedLParen = 1005;
inline constexpr std::int32_t ExpectedRParen = 1006;
inline constexpr std::int32_t ExpectedRBracket = 1007;
inline constexpr std::int32_t ExpectedIdentifier = 1010;
inline constexpr std::int32_t ExpectedEquals = 1011;
inline constexpr std::int32_t ExpectedIf = 1012;
inline constexpr std::int32_t ExpectedTo = 1013;
inline constexpr std::int32_t ExpectedEnd = 1014;
inline constexpr std::int32_t ExpectedFunction = 1015;
inline constexpr std::int32_t ExpectedSub = 1016;
inline constexpr std::int32_t ExpectedThen = 1017;
inline constexpr std::int32_t ExpectedWend = 1018;
inline constexpr std::int32_t ExpectedLoop = 1019;
inline constexpr std::int32_t ExpectedNext = 1020;
inline constexpr std::int32_t ExpectedCase = 1021;
inline constexpr std::int32_t ExpectedSelect = 1022;
inline constexpr std::int32_t ExpectedExpression = 1023;
inline constexpr std::int32_t ExpectedStatement = 1024;
inline constexpr std::int32_t ExpectedEndOfStatement = 1025;
inline constexpr std::int32_t ExpectedIntegerConstant = 1026;
inline constexpr std::int32_t ExpectedWhileOrUntil = 1027;
inline constexpr std::int32_t ExpectedWhileUntilOrEnd = 1028;
inline constexpr std::int32_t ExpectedWith = 1029;
inline constexpr std::int32_t IdentifierTooLong = 1030;
inline constexpr std::int32_t InvalidNumber = 1031;
inline constexpr std::int32_t InvalidCharacter = 1032;
inline constexpr std::int32_t UnterminatedString = 1033;
inline constexpr std::int32_t UnterminatedComment = 1034;
inline constexpr std::int32_t InvalidUseOfMe = 1037;
inline constexpr std::int32_t LoopWithoutDo = 1038;
inline constexpr std::int32_t InvalidExit = 1039;
inline constexpr std::int32_t InvalidForControl = 1040;
inline constexpr std::int32_t NameRedefined = 1041;
inline constexpr std::int32_t MustBeFirstStatement = 1042;
inline constexpr std::int32_t NoParensCallingSub = 1044;
inline constexpr std::int32_t ExpectedLiteralConstant = 1045;
inline constexpr std::int32_t ExpectedIn = 1046;
inline constexpr std::int32_t ExpectedClass = 1047;
inline constexpr std::int32_t MustBeInsideClass = 1048;
inline constexpr std::int32_t ExpectedLetSetGet = 1049;
inline constexpr std::int32_t ExpectedProperty = 1050;
inline constexpr std::int32_t InconsistentPropertyArgs = 1051;
inline constexpr std::int32_t MultipleDefaults = 1052;
inline constexpr std::int32_t InitTerminateArgs = 1053;
inline constexpr std::int32_t PropertyNeedsArgument = 1054;
inline constexpr std::int32_t UnexpectedNext = 1055;
inline constexpr std::int32_t DefaultOnlyOnPropertyGet = 1056;
inline constexpr std::int32_t DefaultNeedsPublic = 1057;
inline constexpr std::int32_t DefaultOnlyPropertyGet = 1058;
} // namespace cerr

// Run-time error numbers of the language itself (the object model's vb::err has the rest).
namespace rterr {
inline constexpr std::int32_t IllegalAssignment = 501;
inline constexpr std::int32_t InvalidReference = 505; // ".Name" outside With
inline constexpr std::int32_t ClassNotDefined = 506;
inline constexpr std::int32_t UnsupportedType = 458; // a conversion function called as a statement
} // namespace rterr

// The text VBScript gives for a compilation error number ("" when unknown).
std::string_view describeCompileError(std::int32_t number);

inline constexpr std::string_view kCompileErrorSource = "Microsoft VBScript compilation error";
inline constexpr std::string_view kRuntimeErrorSource = "Microsoft VBScript runtime error";

// Thrown by the lexer, parser and compiler. Line is 1-based within the code being
// compiled, column 0-based.
class CompileError : public std::runtime_error {
public:
    CompileError(std::int32_t number, int line, int column)
        : std::runtime_error(std::string(describeCompileError(number)))
        , number_(number)
        , line_(line)
        , column_(column)
    {
    }
    std::int32_t number() const { return number_; }
    int line() const { return line_; }
    int column() const { return column_; }

private:
    std::int32_t number_;
    int line_;
    int column_;
};

} // namespace vbscript
