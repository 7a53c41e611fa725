// The event records EventClass, condition and devFunc: types, defaults and published order.
#include "events/Condition.h"
#include "events/DevFunc.h"
#include "events/EventClass.h"

#include "automation/Collection.h"
#include "automation/Conversions.h"

#include <gtest/gtest.h>

using namespace services;

TEST(EventRecords, ANewEventHoldsTheDefaultsOfItsTypes)
{
    vb::Ref<EventClass> event = vb::make<EventClass>();
    EXPECT_EQ(vb::getProperty(*event, "Enabled").type(), vb::vbBoolean);
    EXPECT_FALSE(vb::getProperty(*event, "Enabled").booleanValue());
    EXPECT_EQ(vb::getProperty(*event, "name").stringValue(), "");
    EXPECT_EQ(vb::getProperty(*event, "last_trigger_time").type(), vb::vbDate);
    EXPECT_EQ(vb::getProperty(*event, "last_trigger_time").dateValue(), vb::Date{});
    EXPECT_TRUE(vb::getProperty(*event, "ev_devices").isNothing());
    EXPECT_TRUE(vb::getProperty(*event, "tag").isEmpty());
    EXPECT_EQ(vb::getProperty(*event, "delete").type(), vb::vbInteger);
    EXPECT_EQ(vb::getProperty(*event, "misc2").type(), vb::vbLong);
    EXPECT_EQ(vb::getProperty(*event, "eprom_address").type(), vb::vbString);
}

TEST(EventRecords, PropertiesStoreWhatTheyAreGivenInTheirType)
{
    vb::Ref<EventClass> event = vb::make<EventClass>();
    vb::setProperty(*event, "ir", vb::Variant("TV,Power"));
    EXPECT_EQ(vb::getProperty(*event, "IR").stringValue(), "TV,Power");
    vb::setProperty(*event, "tag", vb::Variant(std::int16_t(7)));
    EXPECT_EQ(vb::getProperty(*event, "tag").type(), vb::vbInteger);
    vb::setProperty(*event, "ev_days", vb::Variant("12"));
    EXPECT_EQ(vb::getProperty(*event, "ev_days").integerValue(), 12);
    EXPECT_THROW(vb::setProperty(*event, "ev_days", vb::Variant(40000)), vb::Error);
    vb::Ref<vb::Object> devices = vb::make<vb::Collection>();
    vb::setProperty(*event, "ev_devices", vb::Variant(devices));
    EXPECT_EQ(vb::getProperty(*event, "ev_devices").objectValue(), devices.get());
    vb::setProperty(*event, "ev_devices", vb::Variant::nothing());
    EXPECT_TRUE(vb::getProperty(*event, "ev_devices").isNothing());
    // An object property takes only objects.
    EXPECT_THROW(vb::setProperty(*event, "ev_conditions", vb::Variant("x")), vb::Error);

    vb::Ref<devFunc> action = vb::make<devFunc>();
    vb::setProperty(*action, "eprom_address", vb::Variant(5.0));
    EXPECT_EQ(vb::getProperty(*action, "eprom_address").type(), vb::vbInteger);
    EXPECT_EQ(vb::getProperty(*action, "eprom_address").integerValue(), 5);
    vb::setProperty(*action, "devid", vb::Variant(2.5));
    EXPECT_EQ(vb::getProperty(*action, "devid").type(), vb::vbSingle);

    vb::Ref<condition> when = vb::make<condition>();
    vb::setProperty(*when, "condition", vb::Variant(std::int16_t(3)));
    EXPECT_EQ(vb::getProperty(*when, "Condition").integerValue(), 3);
    EXPECT_EQ(vb::getProperty(*when, "dev_ref").type(), vb::vbSingle);
}

TEST(EventRecords, SettersArePublishedBeforeGettersInPropertyOrder)
{
    const auto& slots = EventClass::members().entries();
    ASSERT_EQ(slots.size(), 122u);
    for (std::size_t i = 0; i < 61; ++i) {
        EXPECT_NE(slots[i].kind, vb::Get) << slots[i].name;
        EXPECT_EQ(slots[i + 61].kind, vb::Get) << slots[i + 61].name;
        EXPECT_EQ(slots[i].name, slots[i + 61].name);
    }
    EXPECT_EQ(slots.front().name, "Enabled");
    EXPECT_EQ(slots[60].name, "vcmd");
    EXPECT_EQ(condition::members().entries().size(), 12u);
    EXPECT_EQ(devFunc::members().entries()[8].name, "tag");
}
