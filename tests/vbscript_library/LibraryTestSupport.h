// Calling the run-time library the way the engine does: by name, through the tables.
#pragma once

#include "vbscript/builtins/Builtins.h"

#include "automation/Array.h"
#include "automation/Error.h"
#include "automation/Object.h"
#include "automation/Variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace library_test {

class TestContext final : public vbscript::BuiltinContext {
public:
    bool userInterfaceAllowed() const override { return allowUi; }
    vbscript::LibraryState& library() override { return state; }
    bool allowUi = false;
    vbscript::LibraryState state;
};

inline TestContext& context()
{
    static TestContext ctx;
    return ctx;
}

// Calls a library function by name with values (by value, as temporaries).
template <class... V>
vb::Variant call(std::string_view name, V&&... values)
{
    const vbscript::BuiltinFunction* f = vbscript::findBuiltinFunction(name);
    if (!f)
        throw std::runtime_error("no library function " + std::string(name));
    vb::ArgPack<sizeof...(V)> pack(std::forward<V>(values)...);
    const vb::Args args = pack.args();
    EXPECT_GE(static_cast<int>(args.size()), f->minArgs) << name;
    if (f->maxArgs >= 0) {
        EXPECT_LE(static_cast<int>(args.size()), f->maxArgs) << name;
    }
    return f->fn(context(), args);
}

// The error number a body raises (0 when it raises none).
inline std::int32_t errorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const vb::Error& e) {
        return e.number();
    }
    return 0;
}

#define EXPECT_VB_ERROR(number, expression) EXPECT_EQ(number, ::library_test::errorOf([&] { (void)(expression); }))

// Holds the object of a Variant (a temporary's object would die with it).
inline vb::Ref<vb::Object> object(const vb::Variant& v)
{
    return vb::Ref<vb::Object>(&vb::requireObject(v));
}

inline vb::Variant missing()
{
    return vb::Variant::missing();
}

inline std::string str(const vb::Variant& v)
{
    EXPECT_EQ(vb::vbString, v.type());
    return v.isString() ? v.stringValue() : std::string();
}

// The elements of a one-dimensional array as texts.
inline std::vector<std::string> texts(const vb::Variant& v)
{
    std::vector<std::string> out;
    EXPECT_TRUE(v.isArray());
    if (!v.isArray())
        return out;
    for (const vb::Variant& e : v.arrayValue().elements())
        out.push_back(e.isString() ? e.stringValue() : "<" + vb::typeName(e) + ">");
    return out;
}

inline vb::Variant array(std::vector<vb::Variant> values)
{
    return vb::Variant(vb::Array::fromValues(std::move(values)));
}

} // namespace library_test
