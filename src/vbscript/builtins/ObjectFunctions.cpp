// CreateObject, GetObject and IsObject, and the classes the library creates:
// "Scripting.Dictionary", "Scripting.FileSystemObject" and "VBScript.RegExp" (also
// "New RegExp"). ProgIDs compare without regard to case.
#include "Arguments.h"
#include "Families.h"

#include "objects/RegExp.h"
#include "objects/files/FileSystemObject.h"

#include "automation/Dictionary.h"
#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

constexpr std::int32_t kRemoteServerUnavailable = 462;

template <class T>
vb::Ref<vb::Object> create()
{
    return vb::make<T>();
}

constexpr std::array kProgIds = {
    CreatableClass{"Scripting.Dictionary", &create<vb::Dictionary>},
    CreatableClass{"Scripting.FileSystemObject", &create<objects::files::FileSystemObject>},
    CreatableClass{"VBScript.RegExp", &create<objects::RegExp>},
};

constexpr std::array kNewable = {
    CreatableClass{"RegExp", &create<objects::RegExp>},
};

Variant createOrFail(BuiltinContext& context, std::string_view progId)
{
    vb::Ref<vb::Object> object = createObjectByProgId(context.library(), progId);
    if (!object)
        vb::raiseError(vb::err::CantCreateObject);
    return Variant(object);
}

// CreateObject(servername.typename[, location]): objects come from this computer only.
Variant CreateObject(BuiltinContext& context, Args args)
{
    const std::string progId = stringArg(args, 0);
    const std::string server = stringArg(args, 1, std::string());
    if (!server.empty() && server != "." && !vb::equalsIgnoreCase(server, "localhost"))
        vb::raiseError(kRemoteServerUnavailable);
    return createOrFail(context, progId);
}

// GetObject([pathname][, class]): with an empty path name it creates a new object of
// the class; there are no running objects or document files to attach to (429).
Variant GetObject(BuiltinContext& context, Args args)
{
    const bool hasPath = given(args, 0);
    const std::string path = hasPath ? stringArg(args, 0) : std::string();
    if (hasPath && path.empty() && given(args, 1))
        return createOrFail(context, stringArg(args, 1));
    vb::raiseError(vb::err::CantCreateObject);
}

Variant IsObject(BuiltinContext&, Args args)
{
    if (!given(args, 0))
        vb::raiseError(vb::err::ArgumentNotOptional);
    return args[0].isObject();
}

constexpr std::array kFunctions = {
    BuiltinFunction{"CreateObject", 1, 2, &CreateObject},
    BuiltinFunction{"GetObject", 0, 2, &GetObject},
    BuiltinFunction{"IsObject", 1, 1, &IsObject},
};

} // namespace

std::span<const BuiltinFunction> objectFunctions()
{
    return kFunctions;
}

std::span<const CreatableClass> progIdClasses()
{
    return kProgIds;
}

std::span<const CreatableClass> newableClasses()
{
    return kNewable;
}

} // namespace vbscript::builtins
