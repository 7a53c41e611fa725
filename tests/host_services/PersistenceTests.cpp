// Device persistence: saving at shutdown and restoring at the next start, through a
// real restart of the host core.
#include "host/HostFixture.h"

#include "automation/DateTime.h"
#include "services/DevicePersistence.h"
#include "ini/IniState.h"
#include "ini/StateNotices.h"

#include <filesystem>
#include <sys/stat.h>

#include "support/Unprivileged.h"

using namespace host_testing;

namespace {

class DevicePersistence : public HostTest {
protected:
    vb::Variant device(std::string_view name, std::string_view code, std::string_view location)
    {
        vb::Variant record = hs("NewDeviceEx", std::string(name), std::string(code));
        vb::setProperty(vb::requireObject(record), "location", vb::Variant(std::string(location)));
        return record;
    }
    std::string prop(const vb::Variant& record, std::string_view name)
    {
        return vb::CStr(vb::getProperty(vb::requireObject(record), name));
    }
    std::string section() { return dir.read("Config/vynTallis.ini"); }
    std::string path() { return dir / "Config/vynTallis.ini"; }
    void unloadHost()
    {
        app.reset();
        form.reset();
        services::unloadSetupForm(servicesState);
    }
};

// The notices about saved state (log file and standard error in the program), for one test.
struct Notices {
    explicit Notices(services::IniState& state)
        : state_(state)
    {
        state_.noticeWriter = [this](std::string_view text) { texts.emplace_back(text); };
    }
    ~Notices() { state_.noticeWriter = nullptr; }
    std::vector<std::string> texts;

private:
    services::IniState& state_;
};

} // namespace

TEST_F(DevicePersistence, DevicesSurviveARestartWithTheirState)
{
    const vb::Date when = vb::makeDate(vb::dateSerial(2026, 12, 7).serial, vb::timeSerial(19, 5, 9));
    device("Lamp", "A1", "Kitchen");
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    hs("SetDeviceValue", "A1", 40);
    hs("SetDeviceLastChange", "A1", vb::Variant(when));
    hs("SetDeviceString", "A1", "On");
    device("Fan", "b7", "Hall"); // lower-case house code

    restartHost();
    EXPECT_EQ(section(), "DEVICETEXTENCODING=1\r\n[PLUGINDEVICES]\r\nA1=Kitchen;Lamp;2;40;12/7/2026 7:05:09 PM;On\r\n"
                         "B7=Hall;Fan;0;0;12:00:00 AM;\r\n");
    ASSERT_EQ(hsGet("DeviceCount").integerValue(), 2);
    const vb::Variant lamp = hs("GetDeviceByCode", "A1");
    EXPECT_EQ(prop(lamp, "name"), "Lamp");
    EXPECT_EQ(prop(lamp, "location"), "Kitchen");
    EXPECT_EQ(prop(lamp, "interface"), "raruveViziva");
    EXPECT_EQ(prop(lamp, "dev_type_string"), "Audrey");
    EXPECT_EQ(prop(lamp, "iotype"), "4");
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    EXPECT_EQ(hs("DeviceValue", "A1").longValue(), 40);
    EXPECT_EQ(hs("DeviceLastChange", "A1").dateValue(), when);
    EXPECT_EQ(hs("DeviceString", "A1").stringValue(), "On");
    const vb::Variant fan = hs("GetDevice", 2);
    EXPECT_EQ(prop(fan, "hc"), "B");
    EXPECT_EQ(prop(fan, "dc"), "7");
    // Restoring notified nobody and registered nothing.
    EXPECT_TRUE(sender.logData().empty());

    // A deleted device is gone from the file at the next shutdown.
    hs("DeleteDevice", 1);
    restartHost();
    EXPECT_EQ(section(), "DEVICETEXTENCODING=1\r\n[PLUGINDEVICES]\r\nB7=Hall;Fan;0;0;12:00:00 AM;\r\n");
}

TEST_F(DevicePersistence, FieldsAreReadAsTheFileHoldsThem)
{
    // A ";" in a name or status text is written escaped and no longer shifts or cuts
    // the fields; in a file written by hand quotes vanish, and one-character keys are
    // no device codes.
    device("Left;Right", "C1", "Den");
    hs("SetDeviceStatus", "C1", std::int16_t(2));
    hs("SetDeviceValue", "C1", 5);
    device("Radio", "C2", "Den");
    hs("SetDeviceString", "C2", "playing;loud");
    restartHost();
    EXPECT_EQ(prop(hs("GetDevice", 1), "name"), "Left;Right");
    EXPECT_EQ(hs("DeviceStatus", "C1").integerValue(), 2);
    EXPECT_EQ(hs("DeviceValue", "C1").longValue(), 5);
    EXPECT_EQ(hs("DeviceString", "C2").stringValue(), "playing;loud");

    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    dir.write("Config/vynTallis.ini", "[PluginDevices]\r\nA=Attic;One;2;0;;\r\n\"D4\"=\"Porch\";\"Light\";3;7;;\"on\"\r\nE5=\r\n");
    loadHost();
    ASSERT_EQ(hsGet("DeviceCount").integerValue(), 1);
    const vb::Variant light = hs("GetDevice", 1);
    EXPECT_EQ(prop(light, "name"), "Light");
    EXPECT_EQ(prop(light, "location"), "Porch");
    EXPECT_EQ(hs("DeviceStatus", "D4").integerValue(), 3);
    EXPECT_EQ(hs("DeviceString", "D4").stringValue(), "on");
    // The empty date field cannot be read: that step alone is reported.
    EXPECT_EQ(reportsOf("InitDevices D4"), 1);
}

TEST_F(DevicePersistence, ShortEntriesRestoreWhatTheyHaveAndReportEachMissingStep)
{
    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    dir.write("Config/vynTallis.ini", "[PluginDevices]\r\nC3=Hall\r\nC4=Hall;Fan;2\r\n");
    loadHost();
    ASSERT_EQ(hsGet("DeviceCount").integerValue(), 1);
    EXPECT_EQ(prop(hs("GetDevice", 1), "name"), "Fan");
    EXPECT_EQ(hs("DeviceStatus", "C4").integerValue(), 2);
    EXPECT_EQ(reportsOf("InitDevices C4"), 3); // value, last change, status text
    // No device: the creation, its six attributes and its four state steps.
    EXPECT_EQ(reportsOf("InitDevices C3"), 11);
}

TEST_F(DevicePersistence, LineBreaksInTextsCannotAddLinesToTheFile)
{
    device("Two\r\nLines", "A1", "[Evil]\nX");
    hs("SetDeviceString", "A1", "a\rb");
    restartHost();
    EXPECT_EQ(section(), "DEVICETEXTENCODING=1\r\n[PLUGINDEVICES]\r\nA1=[Evil] X;Two  Lines;0;0;12:00:00 AM;a b\r\n");
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 1);
    EXPECT_EQ(prop(hs("GetDevice", 1), "name"), "Two  Lines");
}

TEST_F(DevicePersistence, SavingOnceLeavesTheFileOfOneSavePerDevice)
{
    // Other sections and stale devices in the file, devices of every kind in the host.
    const std::string original = "[Other]\r\nKeep=1\r\n[PluginDevices]\r\nZ9=gone;x;0;0;;\r\n";
    for (int i = 0; i < 40; ++i) {
        const std::string code = std::string(1, char(i % 2 ? 'b' : '^')) + std::to_string(i);
        device("Device " + std::to_string(i), code, i % 3 ? "Room\n" + std::to_string(i % 5) : "");
        hs("SetDeviceStatus", code, std::int16_t(i % 4 + 2));
        hs("SetDeviceValue", code, i * 1000);
        hs("SetDeviceString", code, i % 2 ? "on;off" : "");
    }
    // Starting with the store empty, and with the store already holding a stale copy of the file.
    for (bool storeHoldsFile : {false, true}) {
        SCOPED_TRACE(storeHoldsFile);
        auto prepare = [&] {
            host::state(hostRegistry).sharedIni.reset();
            host::state(hostRegistry).sharedIniFile.clear();
            dir.write("Config/vynTallis.ini", original);
            if (storeHoldsFile) {
                hs("GetINISetting", "Other", "Keep", "", "vynTallis.ini");
                dir.write("Config/vynTallis.ini", original + "[Late]\r\nNew=2\r\n");
            }
        };
        // The procedure that saves after every device, through the host's members.
        prepare();
        hs("ClearIniSection", "PluginDevices", "vynTallis.ini");
        for (std::int16_t i = 1; i <= hsGet("DeviceCount").integerValue(); ++i) {
            const vb::Variant d = hs("GetDevice", i);
            const std::string code = vb::upperCase(prop(d, "hc")) + prop(d, "dc");
            const std::string value = services::deviceRecordText(prop(d, "location"), prop(d, "name"),
                vb::CInt(hs("DeviceStatus", code)), vb::CLng(hs("DeviceValue", code)),
                vb::CStr(hs("DeviceLastChange", code)), hs("DeviceString", code).stringValue());
            hs("SaveINISetting", "PluginDevices", code, value, "vynTallis.ini");
        }
        // and the key that says the texts are escaped.
        hs("SaveINISetting", "", "DeviceTextEncoding", "1", "vynTallis.ini");
        const std::string perDevice = section();

        prepare();
        const std::string before = section();
        vb::call(*form, "SaveDevices");
        EXPECT_EQ(section(), perDevice);
        EXPECT_EQ(dir.read("Config/vynTallis.ini_bck"), before);
    }
    EXPECT_NE(section().find("[OTHER]\r\nKEEP=1\r\n"), std::string::npos);
    EXPECT_EQ(section().find("Z9"), std::string::npos);
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(DevicePersistence, NoDevicesAndNoFileWriteNothing)
{
    restartHost();
    EXPECT_FALSE(dir.exists("Config/vynTallis.ini"));
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 0);
}

TEST_F(DevicePersistence, TextsAnINILineCannotCarrySurviveTwoRestarts)
{
    // A NUL an Audrey reported, a code that would read as a comment or a section or
    // lose its quote, and texts with the escape character, separators and end blanks.
    const std::string nul("ab\0cd", 5);
    const std::vector<std::pair<std::string, std::string>> devices = {
        {"A1", nul}, {"\";X", "quoted"}, {";1", "comment?"}, {"[1", "looks]"}, {" 2", "lead"},
        {"B=", "eq"}, {"C%", "50% ;x=\"y\" "},
    };
    for (const auto& [code, text] : devices) {
        device("Name " + code + " %41", code, " Room;" + code);
        hs("SetDeviceString", code, text);
    }
    restartHost();
    const std::string firstFile = section();
    restartHost();
    EXPECT_EQ(section(), firstFile);
    ASSERT_EQ(hsGet("DeviceCount").integerValue(), static_cast<int>(devices.size())) << firstFile;
    for (const auto& [code, text] : devices) {
        SCOPED_TRACE(code);
        const vb::Variant d = hs("GetDeviceByCode", code);
        EXPECT_EQ(vb::upperCase(prop(d, "hc")) + prop(d, "dc"), vb::upperCase(code));
        EXPECT_EQ(prop(d, "name"), "Name " + code + " %41");
        EXPECT_EQ(prop(d, "location"), " Room;" + code);
        EXPECT_EQ(hs("DeviceString", code).stringValue(), text);
    }
    // The escaped form, as the file documents it.
    EXPECT_NE(firstFile.find("A1= Room%3BA1;Name A1 %2541;0;0;12:00:00 AM;ab%00cd\r\n"), std::string::npos) << firstFile;
    EXPECT_NE(firstFile.find("%22%3BX="), std::string::npos);
    EXPECT_NE(firstFile.find(";50%25 %3Bx%3D%22y%22%20\r\n"), std::string::npos);
}

TEST_F(DevicePersistence, AShutdownSaveThatFailsIsKnownWithItsFile)
{
    device("Lamp", "A1", "Kitchen");
    dir.write("Config/vynTallis.ini", "[PluginDevices]\r\nA1=Old;Lamp;0;0;;\r\n");
    std::filesystem::create_directory(dir / "Config/vynTallis.ini_bck"); // the backup cannot be written
    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    EXPECT_NE(services::shutdownSaveError(servicesState).find(dir / "Config/vynTallis.ini"), std::string::npos)
        << services::shutdownSaveError(servicesState);
    EXPECT_EQ(section(), "[PluginDevices]\r\nA1=Old;Lamp;0;0;;\r\n");

    std::filesystem::remove(dir / "Config/vynTallis.ini_bck");
    loadHost();
    restartHost();
    EXPECT_EQ(services::shutdownSaveError(servicesState), "");
}

TEST_F(DevicePersistence, AnUnreadableDeviceFileIsReportedAndNotSavedOver)
{
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to read as another user";
    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    const std::string original = "[PluginDevices]\r\nA1=Kitchen;Lamp;0;0;;\r\n";
    dir.write("Config/vynTallis.ini", original);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((dir / "Config/vynTallis.ini").c_str(), 0), 0);
    {
        testing_support::Unprivileged nobody;
        loadHost();
        // The member that read the file reports it; the host runs without the devices.
        EXPECT_EQ(reportsOf("GetINISection"), 1);
        EXPECT_EQ(hsGet("DeviceCount").integerValue(), 0);
        device("Fan", "B1", "Hall");
        app.reset();
        form.reset();
        services::unloadSetupForm(servicesState);
        EXPECT_FALSE(services::shutdownSaveError(servicesState).empty());
    }
    EXPECT_EQ(section(), original);
    loadHost();
}

TEST_F(DevicePersistence, CheckpointsSaveWhatChangedAndNothingElse)
{
    device("Lamp", "A1", "Kitchen");
    restartHost();
    const std::string restored = section();
    std::filesystem::remove(dir / "Config/vynTallis.ini");
    EXPECT_FALSE(services::checkpointDevices(servicesState)); // nothing changed since the restore
    EXPECT_FALSE(dir.exists("Config/vynTallis.ini"));

    hs("SetDeviceString", "A1", "On");
    EXPECT_TRUE(services::checkpointDevices(servicesState));
    const std::string checkpoint = section();
    EXPECT_NE(checkpoint.find(";On\r\n"), std::string::npos) << checkpoint;
    EXPECT_FALSE(services::checkpointDevices(servicesState));

    // The checkpoint writes the bytes the shutdown save writes.
    restartHost();
    EXPECT_EQ(section(), checkpoint);
    EXPECT_NE(restored, checkpoint);
}

TEST_F(DevicePersistence, AFileOfThePreviousFormatReadsAsItStands)
{
    // Written before texts were escaped: a "%" and two hex digits are plain text there.
    unloadHost();
    dir.write("Config/vynTallis.ini", "[PluginDevices]\r\nA1=Den;100%FF;2;0;;a%3Bb\r\nB%41=x;y;0;0;;\r\n");
    loadHost();
    auto expectTexts = [&] {
        ASSERT_EQ(hsGet("DeviceCount").integerValue(), 2);
        EXPECT_EQ(prop(hs("GetDeviceByCode", "A1"), "name"), "100%FF");
        EXPECT_EQ(hs("DeviceString", "A1").stringValue(), "a%3Bb");
        EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
        EXPECT_EQ(prop(hs("GetDeviceByCode", "B%41"), "name"), "y");
    };
    expectTexts();
    // Saved in the escaped form, which the file now names, and read back the same.
    restartHost();
    const std::string saved = section();
    EXPECT_EQ(saved.rfind("DEVICETEXTENCODING=1\r\n[PLUGINDEVICES]\r\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("A1=Den;100%25FF;2;0;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("B%2541=x;y;"), std::string::npos) << saved;
    expectTexts();
}

TEST_F(DevicePersistence, TheFirstSaveOfANewFileLeavesNoBackup)
{
    device("Lamp", "A1", "Kitchen");
    restartHost();
    const std::string first = section();
    EXPECT_FALSE(dir.exists("Config/vynTallis.ini_bck"));
    hs("SetDeviceString", "A1", "On");
    restartHost();
    EXPECT_EQ(dir.read("Config/vynTallis.ini_bck"), first);
}

TEST_F(DevicePersistence, AnUnreadableDeviceFileIsNeverSavedOverEvenOnceItCanBeRead)
{
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to read as another user";
    unloadHost();
    const std::string original = "[PluginDevices]\r\nA1=Kitchen;Lamp;0;0;;\r\n";
    dir.write("Config/vynTallis.ini", original);
    dir.write("Config/vynTallis.ini.unsaved", "from an older run");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path().c_str(), 0), 0);
    Notices notices(program.ini);
    {
        testing_support::Unprivileged nobody;
        loadHost();
    }
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 0);
    ASSERT_EQ(notices.texts.size(), 1u);
    EXPECT_EQ(notices.texts[0], "devices not loaded from " + path() + ": Permission denied; this run will not save over it");
    EXPECT_EQ(services::unreadableDeviceFileReason(servicesState), "Permission denied");

    // Someone mends the mode while the program runs: checkpoints still leave both files alone.
    ASSERT_EQ(::chmod(path().c_str(), 0644), 0);
    device("Fan", "B1", "Hall");
    services::checkpointDevices(servicesState);
    device("Heater", "B2", "Hall");
    services::checkpointDevices(servicesState);
    EXPECT_EQ(section(), original);
    EXPECT_FALSE(dir.exists("Config/vynTallis.ini_bck"));
    EXPECT_EQ(notices.texts.size(), 1u); // checkpoints say nothing

    // At the end the run's devices go beside it, replacing the older ones, and it says where.
    unloadHost();
    EXPECT_EQ(services::shutdownSaveError(servicesState), "");
    EXPECT_EQ(section(), original);
    EXPECT_EQ(dir.read("Config/vynTallis.ini.unsaved"),
              "DEVICETEXTENCODING=1\r\n[PLUGINDEVICES]\r\nB1=Hall;Fan;0;0;12:00:00 AM;\r\nB2=Hall;Heater;0;0;12:00:00 AM;\r\n");
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_EQ(notices.texts[1], "the devices of this run are saved in " + path() + ".unsaved (" + path() +
                                    " was not loaded and is not saved over)");

    // The next run reads the file and saves as usual.
    loadHost();
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 1);
    EXPECT_EQ(services::unreadableDeviceFileReason(servicesState), "");
}

TEST_F(DevicePersistence, FailedCheckpointsAreToldOnceThenTheirEnd)
{
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to write as another user";
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    device("Lamp", "A1", "Kitchen");
    restartHost();
    const std::string before = section();
    Notices notices(program.ini);
    {
        // The Config folder belongs to root: nobody cannot write into it.
        testing_support::Unprivileged nobody;
        hs("SetDeviceString", "A1", "One");
        EXPECT_FALSE(services::checkpointDevices(servicesState));
        hs("SetDeviceString", "A1", "Two");
        EXPECT_FALSE(services::checkpointDevices(servicesState));
    }
    EXPECT_EQ(section(), before);
    ASSERT_EQ(notices.texts.size(), 1u);
    // The backup is the first file written, so the reason names it.
    EXPECT_EQ(notices.texts[0], "could not save " + path() + ": Permission denied: " + path() +
                                    "_bck (further failures are counted until it is saved again)");
    // Every failure still sends its event.
    EXPECT_EQ(reportsOf("IniTool Save " + path()), 2);

    EXPECT_TRUE(services::checkpointDevices(servicesState));
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_EQ(notices.texts[1], path() + " saved again after 2 failed checkpoints");
    EXPECT_NE(section().find(";Two\r\n"), std::string::npos);
}
