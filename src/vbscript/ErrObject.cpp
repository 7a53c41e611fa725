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
    helpFile_.clear();
    helpContext_ = 0;
}

vb::Variant ErrObject::Raise(ErrObject& self, vb::Args args)
{
    if (args.size() < 1 || args.isMissing(0))
        vb::raiseError(vb::err::ArgumentNotOptional);
    if (args.size() > 5)
        vb::raiseError(vb::err::WrongArgumentCount);
    const std::int32_t number = vb::CLng(args[0]);
    if (number == 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    std::string source = args.isMissing(1) ? std::string(kRuntimeErrorSource) : vb::CStr(args[1]);
    std::string description = args.isMissing(2) ? runtimeDescription(number) : vb::CStr(args[2]);
    if (!args.isMissing(3))
        self.helpFile_ = vb::CStr(args[3]);
    if (!args.isMissing(4))
        self.helpContext_ = vb::CLng(args[4]);
    throw vb::Error(number, std::move(description), std::move(source));
}

} // namespace vbscript
