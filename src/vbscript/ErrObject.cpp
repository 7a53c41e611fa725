#include "ErrObject.h"

#include "CompileError.h"

#include "automation/Error.h"

namespace vbscript {

std::string runtimeDescription(std::int32_t number)
{
    std::string_view d = vb::describe(number);
    if (d.empty())
        d = describeCompileError(number);
    if (d.empty())
        return "Unknown runtime error";
    return std::string(d);
}

const vb::MemberTable<ErrObject>& ErrObject::members()
{
    static const vb::MemberTable<ErrObject> table("ErrObject", {
        vb::get<&ErrObject::Number>("Number", vb::kDefault),
        vb::let<&ErrObject::LetNumber>("Number", vb::kDefault),
        vb::get<&ErrObject::Description>("Description"),
        vb::let<&ErrObject::LetDescription>("Description"),
        vb::get<&ErrObject::Source>("Source"),
        vb::let<&ErrObject::LetSource>("Source"),
        vb::get<&ErrObject::HelpFile>("HelpFile"),
        vb::let<&ErrObject::LetHelpFile>("HelpFile"),
        vb::get<&ErrObject::HelpContext>("HelpContext"),
        vb::let<&ErrObject::LetHelpContext>("HelpContext"),
        vb::method<&ErrObject::Clear>("Clear"),
        vb::raw<ErrObject>("Raise", vb::Method, &ErrObject::Raise),
    });
    return table;
}

void ErrObject::LetNumber(std::int32_t n)
{
    number_ = n;
}

void ErrObject::Clear()
{
    raisePending_ = false;
    number_ = 0;
    description_.clear();
    source_.clear();
    helpFile_.clear();
    helpContext_ = 0;
}

void ErrObject::set(std::int32_t number, std::string description, std::string source)
{
    number_ = number;
    description_ = std::move(description);
    source_ = std::move(source);
    if (raisePending_ && number == raisedNumber_) {
        helpFile_ = std::move(raisedHelpFile_);
        helpContext_ = raisedHelpContext_;
    } else {
        helpFile_.clear();
        helpContext_ = 0;
    }
    raisePending_ = false;
}

namespace {

struct HresultMapping {
    std::uint32_t hresult;
    std::int32_t number;
};

// HRESULTs of COM and Win32 that VBScript reports as its own errors.
constexpr HresultMapping kHresults[] = {
    {0x8007000Eu, 7},   // E_OUTOFMEMORY: Out of memory
    {0x80070057u, 5},   // E_INVALIDARG: Invalid procedure call or argument
    {0x80004001u, 445}, // E_NOTIMPL: Object doesn't support this action
    {0x80004002u, 430}, // E_NOINTERFACE: Class doesn't support Automation
    {0x80070005u, 70},  // E_ACCESSDENIED: Permission denied
    {0x80070002u, 53},  // file not found
    {0x80070003u, 76},  // path not found
    {0x80020003u, 438}, // DISP_E_MEMBERNOTFOUND
    {0x80020006u, 438}, // DISP_E_UNKNOWNNAME
    {0x80020005u, 13},  // DISP_E_TYPEMISMATCH
    {0x8002000Au, 6},   // DISP_E_OVERFLOW
    {0x8002000Bu, 9},   // DISP_E_BADINDEX
    {0x8002000Eu, 450}, // DISP_E_BADPARAMCOUNT
    {0x8002000Fu, 449}, // DISP_E_PARAMNOTOPTIONAL
    {0x80020012u, 11},  // DISP_E_DIVBYZERO
};

} // namespace

std::int32_t raisedErrorNumber(std::int32_t number)
{
    const auto bits = static_cast<std::uint32_t>(number);
    // VBScript's own facility (&H800A....) carries the error number in its low word.
    if ((bits & 0xFFFF0000u) == 0x800A0000u)
        return static_cast<std::int32_t>(bits & 0xFFFFu);
    for (const HresultMapping& m : kHresults) {
        if (m.hresult == bits)
            return m.number;
    }
    // Positive numbers beyond 16 bits are no error numbers.
    if (number > 0xFFFF)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return number;
}

vb::Variant ErrObject::Raise(ErrObject& self, vb::Args args)
{
    if (args.size() < 1 || args.size() > 5)
        vb::raiseError(vb::err::WrongArgumentCount);
    if (args.isMissing(0))
        vb::raiseError(vb::err::ArgumentNotOptional);
    const std::int32_t number = raisedErrorNumber(vb::CLng(args[0]));
    if (number == 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    // An argument left out keeps what the Err object holds and nobody cleared; the
    // number's own description and the runtime source stand in only for nothing.
    const auto given = [&](std::size_t i) { return args.size() > i && !args.isMissing(i); };
    std::string source = given(1) ? vb::CStr(args[1]) : !self.source_.empty() ? self.source_ : std::string(kRuntimeErrorSource);
    std::string description = given(2) ? vb::CStr(args[2]) : !self.description_.empty() ? self.description_ : runtimeDescription(number);
    self.raisePending_ = true;
    self.raisedNumber_ = number;
    self.raisedHelpFile_ = given(3) ? vb::CStr(args[3]) : self.helpFile_;
    self.raisedHelpContext_ = given(4) ? vb::CLng(args[4]) : self.helpContext_;
    throw vb::Error(number, std::move(description), std::move(source));
}

} // namespace vbscript
