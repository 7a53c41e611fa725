// Names with letters beyond ASCII compare without regard to case in every host lookup:
// variables, INI sections and keys, devices, events and plug-ins.
#include "HostFixture.h"

using namespace host_testing;

namespace {

class HostLetterCase : public HostTest { };

} // namespace

TEST_F(HostLetterCase, VariablesIgnoreTheCaseOfAccentedLetters)
{
    EXPECT_EQ(hs("CreateVar", "Äpfel").stringValue(), "");
    EXPECT_EQ(hs("CreateVar", "äpfel").stringValue(), "Variable Already Exists");
    hs("SaveVar", "ÄPFEL", 3);
    EXPECT_EQ(hs("GetVar", "äpfel").longValue(), 3);
    EXPECT_EQ(hs("GetVar", "Apfel").stringValue(), "Name Not Found");
}

TEST_F(HostLetterCase, IniNamesIgnoreTheCaseOfAccentedLettersAndAreWrittenInUpperCase)
{
    dir.write("Config/haus.ini", "[KüCHE]\r\nLämpe=an\r\n");
    EXPECT_EQ(hs("GetINISetting", "KÜCHE", "LÄMPE", "aus", "haus.ini").stringValue(), "an");
    hs("SaveINISetting", "küche", "Öfen", "1", "haus.ini");
    EXPECT_EQ(dir.read("Config/haus.ini"), "[KÜCHE]\r\nLÄMPE=an\r\nÖFEN=1\r\n");
    EXPECT_EQ(hs("GetINISection", "Küche", "haus.ini").stringValue(), std::string("LÄMPE=an\0ÖFEN=1", 17));

    // A file in the 8-bit code page: "Küche" is one byte per letter.
    dir.write("Config/alt.ini", "[K\xFC" "che]\r\nOfen=aus\r\n");
    EXPECT_EQ(hs("GetINISetting", "K\xDC" "CHE", "ofen", "", "alt.ini").stringValue(), "aus");
    hs("SaveINISetting", "k\xFC" "che", "Herd", "an", "alt.ini");
    EXPECT_EQ(dir.read("Config/alt.ini"), "[K\xDC" "CHE]\r\nHERD=an\r\nOFEN=aus\r\n");
}

TEST_F(HostLetterCase, DevicesAreFoundByAccentedFullNames)
{
    const vb::Variant record = hs("NewDeviceEx", "Lämpe", "C3");
    vb::setProperty(vb::requireObject(record), "location", vb::Variant("Küche"));
    EXPECT_EQ(hs("GetDeviceCode", "KÜCHE LÄMPE").stringValue(), "C3");
    EXPECT_EQ(hs("GetDeviceEx", "küche lämpe").objectValue(), record.objectValue());
    EXPECT_EQ(hs("GetDeviceRefByName", "KÜCHE LÄMPE").longValue(), 1);
    EXPECT_EQ(hs("GetDeviceCode", "KUCHE LAMPE").stringValue(), "");
    EXPECT_EQ(hs("GetDeviceCode", "KÜCHELÄMPE").stringValue(), "");
    // A letter whose other case is shorter in bytes: the blank is still found.
    const vb::Variant second = hs("NewDeviceEx", "Lamp", "C4");
    vb::setProperty(vb::requireObject(second), "location", vb::Variant("ſtudy"));
    EXPECT_EQ(hs("GetDeviceCode", "STUDY LAMP").stringValue(), "C4");
}

TEST_F(HostLetterCase, EventsAndPlugInsAreFoundByAccentedNames)
{
    hs("NewEvent", "Küche");
    EXPECT_EQ(hs("GetEventIndex", "KÜCHE").integerValue(), 1);
    EXPECT_TRUE(hs("EventExists", "küche").booleanValue());
    hs("DeleteEvent", "KÜCHE");
    EXPECT_EQ(hsGet("EventCount").integerValue(), 0);

    vb::Ref<FakePlugin> plugin = hostPlugin();
    plugin->pluginName = "Österreich";
    EXPECT_EQ(vb::call(*app, "plugin", "ÖSTERREICH").objectValue(), plugin.get());
}
