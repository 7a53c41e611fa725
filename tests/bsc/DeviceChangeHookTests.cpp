// The host's in-program observers of device changes, which the BSC endpoints follow:
// told once per stored change, after the store, also where listeners are spared.
#include "host/DeviceChanges.h"
#include "host/HostRegistry.h"
#include "host/HostFixture.h"

using namespace host_testing;

namespace {

class DeviceChangeHook : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        id = host::addDeviceChangeObserver(hostRegistry, [this](std::string_view dev, host::DeviceCell cell, host::DeviceChange what) {
            const host::HostState& s = host::state(hostRegistry);
            std::string seen;
            switch (what) {
            case host::DeviceChange::Status:
                seen = "status " + std::to_string(s.tables.status[cell.index()]);
                break;
            case host::DeviceChange::Value:
                seen = "value " + std::to_string(s.tables.value[cell.index()]);
                break;
            case host::DeviceChange::Text:
                seen = "text " + s.tables.text[cell.index()];
                break;
            }
            told.push_back(std::string(dev) + " " + seen);
            if (fail)
                throw std::runtime_error("observer failed");
        });
    }
    void TearDown() override
    {
        host::removeDeviceChangeObserver(hostRegistry, id);
        HostTest::TearDown();
    }
    std::size_t id = 0;
    std::vector<std::string> told;
    bool fail = false;
};

} // namespace

TEST_F(DeviceChangeHook, ObserversHearStoredChangesOnce)
{
    hs("SetDeviceStatus", "a1", std::int16_t(2));
    hs("SetDeviceStatus", "A1", std::int16_t(2)); // no change
    hs("SetDeviceValue", "B2", 7);
    hs("SetDeviceValue", "B2", 7);
    hs("SetDeviceString", "C3", "hi");
    hs("SetDeviceString", "C3", "hi");
    EXPECT_EQ(told, (std::vector<std::string>{"a1 status 2", "B2 value 7", "C3 text hi"}));

    // Where listeners are spared, the change is still a change.
    told.clear();
    hs("SetDeviceStatusNoReport", "A1", std::int16_t(3), std::int16_t(2));
    hs("SetX10Status", "A1", "dim", std::int16_t(50), std::int16_t(0));
    EXPECT_EQ(told, (std::vector<std::string>{"A1 status 3", "A1 status 4"}));

    // An observer that fails leaves the change stored and the member quiet.
    told.clear();
    fail = true;
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(reportsOf("SetDeviceStatus"), 0);

    // Once removed, an observer hears nothing.
    host::removeDeviceChangeObserver(hostRegistry, id);
    told.clear();
    hs("SetDeviceStatus", "A1", std::int16_t(3));
    EXPECT_TRUE(told.empty());
}

TEST_F(DeviceChangeHook, RestoredDevicesTellNobody)
{
    hs("NewDevice", "Lamp", "A1");
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    told.clear();
    restartHost(); // saves and restores the device while the host loads
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    EXPECT_TRUE(told.empty());
}

TEST_F(DeviceChangeHook, ObserversMayComeAndGoWhileBeingTold)
{
    // An observer that, when told, removes the fixture's observer and adds another:
    // the one removed hears nothing more, the one added hears from the next change on.
    std::vector<std::string> added;
    std::size_t addedId = 0;
    std::size_t selfId = 0;
    selfId = host::addDeviceChangeObserver(hostRegistry, [&](std::string_view, host::DeviceCell, host::DeviceChange) {
        if (addedId)
            return;
        host::removeDeviceChangeObserver(hostRegistry, id);
        addedId = host::addDeviceChangeObserver(hostRegistry, 
            [&](std::string_view dev, host::DeviceCell, host::DeviceChange) { added.push_back(std::string(dev)); });
    });
    hs("SetDeviceStatus", "A1", std::int16_t(2)); // the fixture's observer was told before the removal
    hs("SetDeviceStatus", "B2", std::int16_t(2));
    EXPECT_EQ(told, (std::vector<std::string>{"A1 status 2"}));
    EXPECT_EQ(added, (std::vector<std::string>{"B2"}));
    host::removeDeviceChangeObserver(hostRegistry, selfId);
    host::removeDeviceChangeObserver(hostRegistry, addedId);
}

TEST_F(DeviceChangeHook, EachProgramKeepsItsOwnObserversAndPlugin)
{
    // The fixture's program has a loaded host, a plug-in and an observer; a second
    // program's registry has none of them and tells only its own observers, while the
    // first registry's host goes on telling only the first program's.
    hostPlugin();
    std::vector<std::string> second;
    {
        host::HostRegistry other;
        EXPECT_FALSE(host::HostedPlugin(other));
        EXPECT_EQ(host::loadedState(other), nullptr);
        EXPECT_FALSE(host::PluginCollection(other));
        const std::size_t otherId = host::addDeviceChangeObserver(other,
            [&](std::string_view dev, host::DeviceCell, host::DeviceChange) { second.push_back(std::string(dev)); });
        EXPECT_EQ(otherId, 1u); // numbered per program
        host::notifyDeviceChange(other, "A1", host::DeviceCell{0, 1}, host::DeviceChange::Status);
        // A change in the first program's host, while the second lives, is not the second's.
        hs("SetDeviceStatus", "C3", std::int16_t(2));
        host::removeDeviceChangeObserver(other, otherId);
        EXPECT_TRUE(other.deviceWatchers.empty());
    }
    EXPECT_EQ(second, (std::vector<std::string>{"A1"}));
    EXPECT_EQ(told, (std::vector<std::string>{"C3 status 2"}));
    EXPECT_TRUE(host::HostedPlugin(hostRegistry));
    hs("SetDeviceStatus", "B2", std::int16_t(2));
    EXPECT_EQ(told, (std::vector<std::string>{"C3 status 2", "B2 status 2"}));
}
