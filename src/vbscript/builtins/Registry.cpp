// The tables of the run-time library, looked up by name without regard to case.
#include "vbscript/builtins/Builtins.h"

#include "Families.h"

#include "automation/TextCompare.h"

#include <unordered_map>
#include <vector>

namespace vbscript {

namespace {

// Each family of functions contributes its table here.
std::vector<std::span<const BuiltinFunction>> functionFamilies()
{
    using namespace builtins;
    return {
        stringFunctions(),
        byteStringFunctions(),
        conversionFunctions(),
        testFunctions(),
        mathFunctions(),
        dateFunctions(),
        formatFunctions(),
        arrayFunctions(),
        objectFunctions(),
        interactionFunctions(),
        scriptEngineFunctions(),
    };
}

std::vector<std::span<const BuiltinConstant>> constantFamilies()
{
    return {builtins::constants()};
}

const builtins::CreatableClass* findClass(std::span<const builtins::CreatableClass> classes, std::string_view name)
{
    for (const builtins::CreatableClass& c : classes) {
        if (vb::equalsIgnoreCase(c.name, name))
            return &c;
    }
    return nullptr;
}

template <class T>
using NameIndex = std::unordered_map<std::string_view, const T*, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual>;

const NameIndex<BuiltinFunction>& functionIndex()
{
    static const NameIndex<BuiltinFunction> index = [] {
        NameIndex<BuiltinFunction> map;
        for (auto family : functionFamilies()) {
            for (const BuiltinFunction& f : family)
                map.emplace(f.name, &f);
        }
        return map;
    }();
    return index;
}

const NameIndex<BuiltinConstant>& constantIndex()
{
    static const NameIndex<BuiltinConstant> index = [] {
        NameIndex<BuiltinConstant> map;
        for (auto family : constantFamilies()) {
            for (const BuiltinConstant& c : family)
                map.emplace(c.name, &c);
        }
        return map;
    }();
    return index;
}

} // namespace

const BuiltinFunction* findBuiltinFunction(std::string_view name)
{
    auto it = functionIndex().find(name);
    return it == functionIndex().end() ? nullptr : it->second;
}

const BuiltinConstant* findBuiltinConstant(std::string_view name)
{
    auto it = constantIndex().find(name);
    return it == constantIndex().end() ? nullptr : it->second;
}

vb::Ref<vb::Object> createBuiltinClass(std::string_view className)
{
    const builtins::CreatableClass* c = findClass(builtins::newableClasses(), className);
    return c ? c->create() : nullptr;
}

vb::Ref<vb::Object> createObjectByProgId(const LibraryState& library, std::string_view progId)
{
    // Classes the host registered come first, so it may replace a library class.
    if (const ObjectFactory* factory = library.findProgId(progId))
        return (*factory)();
    const builtins::CreatableClass* c = findClass(builtins::progIdClasses(), progId);
    return c ? c->create() : nullptr;
}

} // namespace vbscript
