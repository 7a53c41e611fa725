// Device records and lookup through the late-bound interface, as a plug-in calls them.
#include "HostFixture.h"

#include "host/DeviceClass.h"
#include "host/DeviceCode.h"

using namespace host_testing;

namespace {

std::string prop(const vb::Variant& record, std::string_view name)
{
    return vb::CStr(vb::getProperty(vb::requireObject(record), name));
}

class HostDevices : public HostTest {
protected:
    vb::Variant device(std::string_view name, std::string_view code, std::string_view location = "")
    {
        vb::Variant record = hs("NewDeviceEx", std::string(name), std::string(code));
        vb::setProperty(vb::requireObject(record), "location", vb::Variant(std::string(location)));
        return record;
    }
};

} // namespace

TEST_F(HostDevices, NewDeviceNumbersReferencesAndReturnsPositions)
{
    EXPECT_EQ(hs("NewDevice", "Lamp", "B12").integerValue(), 1);
    const vb::Variant second = hs("NewDevice", "Fan");
    EXPECT_EQ(second.type(), vb::vbInteger);
    EXPECT_EQ(second.integerValue(), 2);
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 2);

    const vb::Variant first = hs("GetDevice", 1);
    EXPECT_EQ(prop(first, "ref"), "1");
    EXPECT_EQ(prop(first, "hc"), "B");
    EXPECT_EQ(prop(first, "dc"), "12");
    EXPECT_EQ(prop(hs("GetDevice", 2), "ref"), "2");
    // A code that is missing, too short or too long gives A1.
    for (const char* code : {"B", "B123", ""}) {
        const vb::Variant record = hs("GetDevice", hs("NewDevice", "x", code));
        EXPECT_EQ(prop(record, "hc") + prop(record, "dc"), "A1") << code;
    }
    EXPECT_TRUE(hs("GetDevice", 0).isNothing());
    EXPECT_TRUE(hs("GetDevice", 6).isNothing());
}

TEST_F(HostDevices, LookupsTakeTheFirstMatchInListOrder)
{
    device("Lamp", "A1", "Kitchen");
    device("Other", "a1", "Hall");
    vb::setProperty(vb::requireObject(hs("GetDevice", 2)), "ref", vb::Variant(std::int32_t(1)));

    EXPECT_EQ(prop(hs("GetDeviceByCode", "A1"), "name"), "Lamp");
    EXPECT_EQ(prop(hs("GetDeviceByRef", 1), "name"), "Lamp");
    EXPECT_EQ(hs("DeviceExists", "a1").integerValue(), 1);
    EXPECT_EQ(hs("DeviceExists", "Z9").integerValue(), -1);
    EXPECT_EQ(hs("GetDeviceRef", "Z9").longValue(), -1);
    EXPECT_TRUE(hs("GetDeviceByCode", "A").isNothing());
    EXPECT_TRUE(hs("GetDeviceByRef", 99).isNothing());
    // The list is live: what a caller holds sees later changes.
    const vb::Variant list = hs("GetDeviceList");
    hs("NewDevice", "Third");
    EXPECT_EQ(vb::CLng(vb::getProperty(vb::requireObject(list), "Count")), 3);
}

TEST_F(HostDevices, FullNamesAreLocationBlankNameWithoutRegardToCase)
{
    device("Lamp", "C3", "Kitchen");
    device("Lamp", "C4", "");
    EXPECT_EQ(hs("GetDeviceCode", "kitchen lamp").stringValue(), "C3");
    EXPECT_EQ(hs("GetDeviceRefByName", "KITCHEN LAMP").longValue(), 1);
    // With an empty location the full name begins with the blank.
    EXPECT_EQ(hs("GetDeviceCode", " lamp").stringValue(), "C4");
    EXPECT_EQ(hs("GetDeviceCode", "Lamp").stringValue(), "");
    EXPECT_TRUE(hs("GetDeviceEx", "Lamp").isNothing());
    EXPECT_EQ(hs("GetDeviceRefByName", "nobody").longValue(), -1);
}

TEST_F(HostDevices, DeleteDeviceReportsWhetherItRemovedARecord)
{
    device("One", "A1");
    device("Two", "A2");
    const vb::Variant unknown = hs("DeleteDevice", 42);
    EXPECT_EQ(unknown.type(), vb::vbBoolean);
    EXPECT_FALSE(unknown.booleanValue());
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 2);
    EXPECT_TRUE(hs("DeleteDevice", 1).booleanValue());
    // Positions, not reference numbers: the second record is now the first.
    EXPECT_EQ(hs("DeviceExists", "A2").integerValue(), 1);
    EXPECT_EQ(prop(hs("GetDevice", 1), "ref"), "2");
}

TEST_F(HostDevices, ReferenceNumbersAreGivenAfreshOnEveryStart)
{
    hs("NewDevice", "Old", "A1");
    restartHost(); // the saved device comes back with a reference number of the new run
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 1);
    EXPECT_EQ(prop(hs("GetDevice", hs("NewDevice", "New", "A2")), "ref"), "2");
}

TEST_F(HostDevices, DeviceRecordsKeepWhatThePluginStores)
{
    const vb::Variant record = hs("NewDeviceEx", "Lamp", "A1");
    vb::Object& d = vb::requireObject(record);
    EXPECT_FALSE(vb::getProperty(d, "can_dim").booleanValue());
    EXPECT_TRUE(vb::getProperty(d, "CustomStatus").isNothing());
    EXPECT_TRUE(vb::getProperty(d, "location").isEmpty());
    vb::setProperty(d, "iotype", vb::Variant("7"));
    EXPECT_EQ(vb::getProperty(d, "iotype").type(), vb::vbInteger);
    vb::setProperty(d, "misc", vb::Variant(70000));
    EXPECT_EQ(vb::getProperty(d, "misc").longValue(), 70000);
    vb::Ref<vb::Object> other = vb::make<vb::Collection>();
    vb::setProperty(d, "CustomStatus", vb::Variant(other));
    EXPECT_EQ(vb::getProperty(d, "CustomStatus").objectValue(), other.get());
    EXPECT_THROW(vb::setProperty(d, "iotype", vb::Variant(70000)), vb::Error);
}

TEST_F(HostDevices, RecordsOfOtherClassesInTheLiveListAreReadByName)
{
    device("Lamp", "A1");
    // A plug-in may put its own objects into the list; they are looked at through their properties.
    vb::Ref<host::DeviceClass> own = vb::make<host::DeviceClass>();
    own->hc = "D";
    own->dc = "4";
    own->name = "Own";
    vb::call(vb::requireObject(hs("GetDeviceList")), "Add", vb::Variant(vb::Ref<vb::Object>(own)));
    EXPECT_EQ(prop(hs("GetDeviceByCode", "d4"), "name"), "Own");
    // An item that is not an object makes the lookup fail; the failure is reported, not raised.
    vb::call(vb::requireObject(hs("GetDeviceList")), "Add", 5);
    EXPECT_TRUE(hs("GetDeviceByCode", "Q1").isNothing());
    EXPECT_EQ(reportsOf("GetDeviceByCode"), 1);
}

TEST(DeviceCodeResolution, HouseCharactersAndUnitsNameCells)
{
    const host::HouseRowTable rows = host::buildHouseRowTable();
    auto cell = [&](std::string_view code) { return host::resolveDeviceCode(code, rows); };
    EXPECT_EQ(cell("A1").row, 33);
    EXPECT_EQ(cell("a1").index(), cell("A1").index());
    EXPECT_EQ(cell("A01").index(), cell("A1").index());
    EXPECT_EQ(cell(" 1").row, 0);
    EXPECT_EQ(cell("!5").row, 1);
    EXPECT_EQ(cell("~5").row, 68);
    EXPECT_EQ(cell("{5").row, 65);
    EXPECT_EQ(cell("A").unit, 0);
    EXPECT_EQ(cell("A100").unit, 0);
    EXPECT_EQ(cell("A-3").unit, 0);
    EXPECT_EQ(cell("A 1 2").unit, 12);   // blanks are skipped
    EXPECT_EQ(cell("A2.5").unit, 2);     // halves round to even
    EXPECT_EQ(cell("A3.5").unit, 4);
    EXPECT_EQ(cell("A&H1F").unit, 31);
    EXPECT_EQ(cell("A7x9").unit, 7);     // reading stops at the first other character
    EXPECT_EQ(cell("\xC3\xA9" "5").row, 0); // é: code 233, row 0
    EXPECT_EQ(cell("\xE2\x82\xAC" "5").row, 0); // €: code 128 of the code page
    auto errorOf = [&](std::string_view code) {
        try {
            cell(code);
        } catch (const vb::Error& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf(""), vb::err::InvalidProcedureCall);
    EXPECT_EQ(errorOf("A40000"), vb::err::Overflow);
    EXPECT_EQ(errorOf("\xE4\xB8\x80" "1"), vb::err::SubscriptOutOfRange); // beyond the code page
}
