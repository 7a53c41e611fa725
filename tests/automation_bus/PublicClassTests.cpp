// The public classes of the type library: created by ProgID, and objcb's fields.
#include "shell/PublicClasses.h"
#include "shell/objcb.h"

#include "host/Application.h"
#include "host/HostState.h"
#include "support/OwnProgramStates.h"

#include "automation/Conversions.h"
#include "automation/Dictionary.h"
#include "automation/Error.h"
#include "vbscript/builtins/Builtins.h"
#include "xap/ProgramState.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(PublicClasses, EveryCreatableClassIsCreatedAfreshByItsProgId)
{
    testing_support::OwnProgramStates states;
    vbscript::LibraryState library;
    vbscript::LibraryState otherEngine;
    shell::registerPublicClasses(library, states.program, states.shellState);
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

TEST(PublicClasses, EachEngineCreatesTheSingleInstancesOfItsOwnProgram)
{
    // Two programs in one process, each with a loaded host and its own engine: the
    // host object a script creates is its own program's, and the one program's start
    // object does not show up in the other's engine.
    testing_support::OwnProgramStates first;
    testing_support::OwnProgramStates second;
    vbscript::LibraryState firstEngine;
    vbscript::LibraryState secondEngine;
    shell::registerPublicClasses(firstEngine, first.program, first.shellState);
    shell::registerPublicClasses(secondEngine, second.program, second.shellState);
    for (testing_support::OwnProgramStates* program : {&first, &second})
        host::createState(program->hostRegistry).hostObject = host::Application::create(program->program, program->hostRegistry);

    const vb::Ref<vb::Object> firstApp = vbscript::createObjectByProgId(firstEngine, "raruveViziva.Application");
    const vb::Ref<vb::Object> secondApp = vbscript::createObjectByProgId(secondEngine, "raruveViziva.Application");
    ASSERT_TRUE(firstApp && secondApp);
    EXPECT_EQ(firstApp.get(), host::state(first.hostRegistry).hostObject.get());
    EXPECT_EQ(secondApp.get(), host::state(second.hostRegistry).hostObject.get());
    EXPECT_NE(firstApp.get(), secondApp.get());
    // The same, asked by name as the bus service asks.
    EXPECT_EQ(shell::createPublicObject(second.program, second.shellState, "Application").get(), secondApp.get());
    // A message a script creates is built with its own program's header.
    first.program.headerPrefix = "first-header\n";
    second.program.headerPrefix = "second-header\n";
    for (auto [engine, prefix] : {std::pair{&firstEngine, "first-header\n"}, std::pair{&secondEngine, "second-header\n"}}) {
        const vb::Ref<vb::Object> message = vbscript::createObjectByProgId(*engine, "raruveViziva.XapMessage");
        ASSERT_TRUE(message);
        vb::call(*message, "AddHeader");
        EXPECT_EQ(vb::CStr(vb::call(*message, "ToXap")).rfind(prefix, 0), 0u) << prefix;
    }

    // Once the second program's host is unloaded, its engine has no host object to
    // give, while the first program's still does.
    host::releaseState(second.hostRegistry);
    EXPECT_EQ(vbscript::createObjectByProgId(secondEngine, "raruveViziva.Application"), nullptr);
    EXPECT_EQ(vbscript::createObjectByProgId(firstEngine, "raruveViziva.Application").get(), firstApp.get());
    EXPECT_EQ(vbscript::createObjectByProgId(firstEngine, "raruveViziva.FRH"), nullptr);
    host::releaseState(first.hostRegistry);
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
