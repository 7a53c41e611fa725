// The public classes of the type library: created by ProgID, and objcb's fields.
#include "shell/PublicClasses.h"
#include "shell/objcb.h"

#include "automation/Dictionary.h"
#include "automation/Error.h"
#include "vbscript/builtins/Builtins.h"
#include "xap/ProgramState.h"

#include <gtest/gtest.h>

namespace {

TEST(PublicClasses, EveryCreatableClassIsCreatedAfreshByItsProgId)
{
    xap::ProgramState program;
    vbscript::LibraryState library;
    vbscript::LibraryState otherEngine;
    shell::registerPublicClasses(library, program);
    for (const char* name : {"DeviceClass", "clsString", "EventClass", "condition", "devFunc", "CustomStatus", "objcb",
                             "XapMessage"}) {
        vb::Ref<vb::Object> a = vbscript::createObjectByProgId(library, std::string("raruveViziva.") + name);
        vb::Ref<vb::Object> b = vbscript::createObjectByProgId(library, std::string("RARUVEVIZIVA.") + name);
        ASSERT_TRUE(a && b) << name;
        EXPECT_EQ(a->typeName(), name);
        EXPECT_NE(a.get(), b.get()) << name;
        // Only the engine the classes were registered in knows them.
        EXPECT_EQ(vbscript::createObjectByProgId(otherEngine, std::string("raruveViziva.") + name), nullptr) << name;
    }
    // The host object and the start object are the program's single instances: while
    // they do not exist there is nothing to create (CreateObject raises 429).
    EXPECT_EQ(vbscript::createObjectByProgId(library, "raruveViziva.Application"), nullptr);
    EXPECT_EQ(vbscript::createObjectByProgId(library, "raruveViziva.FRH"), nullptr);
    EXPECT_EQ(shell::publicClasses().size(), 10u);
}

TEST(PublicClasses, ObjcbStoresAndReturnsItsThreeFields)
{
    vb::Ref<shell::objcb> cb = vb::make<shell::objcb>();
    vb::Ref<vb::Object> target = vb::make<vb::Dictionary>();
    vb::setProperty(*cb, "evtype", vb::Variant("70000"));
    vb::setProperty(*cb, "handle", vb::Variant(2.6));
    vb::setProperty(*cb, "obj", vb::Variant(target));
    EXPECT_EQ(vb::getProperty(*cb, "evtype").type(), vb::vbLong);
    EXPECT_EQ(vb::getProperty(*cb, "evtype").longValue(), 70000);
    EXPECT_EQ(vb::getProperty(*cb, "handle").integerValue(), 3);
    EXPECT_EQ(vb::getProperty(*cb, "obj").objectValue(), target.get());
    // The object field's Let stores the reference (a script's Set reaches it too).
    vb::Variant other(vb::Ref<vb::Object>(vb::make<vb::Dictionary>()));
    vb::ArgPack pack(other);
    cb->invoke("obj", vb::Let, pack.args());
    EXPECT_EQ(cb->obj.get(), other.objectValue());
    // A Handle out of the Integer range is the conversion's overflow.
    try {
        vb::setProperty(*cb, "handle", vb::Variant(std::int32_t(40000)));
        ADD_FAILURE() << "40000 was stored in an Integer";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.number(), vb::err::Overflow);
    }
}

} // namespace
