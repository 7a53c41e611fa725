#include "services/dialog/SetupDialog.h"
#include "ini/IniState.h"
#include "ini/IniTool.h"
#include "xap/Logging.h"
#include "xap/ProgramState.h"
#include "xap/Outgoing.h"

#include "support/RecordingObject.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using services::SetupDialog;
using testing_support::RecordingObject;
using testing_support::TempFolder;

namespace {

class FakeContext final : public services::SetupDialogContext {
public:
    std::vector<vb::Ref<vb::Object>> plugins() override { return pluginList; }
    std::vector<std::pair<std::string, std::string>> menuCallbacks() override { return menus; }
    std::string interfaceName() override { return interface; }
    services::IniTool& settingsStore() override { return settings; }
    void setDebugMode(std::int32_t mode) override { debugMode = mode; }
    void getSelectedPlugins(std::string&) override { ++selectedPluginsCalls; }
    vb::Ref<vb::Object> createPluginObject(const std::string& className) override
    {
        created.push_back(className);
        if (className == "hspi_Broken.hspi")
            vb::raiseError(vb::err::CantCreateObject);
        return vb::make<RecordingObject>();
    }
    std::string baseFolder() override { return folder; }
    const vb::Reporter& failureReporter() override { return xap::logEventReporter(program); }

    // The dialog reports into a program of the test's own.
    xap::ProgramState program;

    std::vector<vb::Ref<vb::Object>> pluginList;
    std::vector<std::pair<std::string, std::string>> menus;
    std::string interface;
    services::IniState iniState;
    services::IniTool settings{iniState};
    int debugMode = -1;
    int selectedPluginsCalls = 0;
    std::vector<std::string> created;
    std::string folder;
};

vb::Ref<RecordingObject> pluginNamed(const std::string& name)
{
    vb::Ref<RecordingObject> p = vb::make<RecordingObject>("hspi");
    p->values["name"] = vb::Variant(name);
    return p;
}

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir / "Config");
        context.settings.Load(dir / "Config/Settings.ini");
        context.folder = dir.path();
        audrey = pluginNamed("Audrey");
        context.pluginList = {audrey};
        context.program.xapReady = false; // error reports wait in the queue instead of going out
    }
    void TearDown() override { context.program.pending.clear(); }

    TempFolder dir;
    FakeContext context;
    vb::Ref<RecordingObject> audrey;
};

QStringList texts(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

TEST_F(SetupDialogTest, ControlsCaptionsAndToolTips)
{
    SetupDialog dialog(context);
    EXPECT_EQ(dialog.windowTitle(), "vynMenu Menu Setup Selections");
    EXPECT_EQ(dialog.retrieveButton()->text(), "Retrieve Plugins");
    EXPECT_EQ(dialog.menuEntriesLabel()->text(), "Open Plugin Form");
    EXPECT_EQ(dialog.excludeList()->toolTip(), "Dbl-Click to Include Plugin in Menu Search");
    EXPECT_EQ(dialog.pluginList()->toolTip(), "Dbl-Click to Exclude Plugin from Menu Search");
    EXPECT_EQ(dialog.debugLogBox()->text(), "Debug Log");
    EXPECT_EQ(dialog.debugLogBox()->toolTip(), "Check to send debug information to homeseer log");
    EXPECT_FALSE(dialog.isModal());
}

TEST_F(SetupDialogTest, LoadFillsListsFromSettings)
{
    context.settings.WriteKey("Plugins", "Audrey", "True");
    context.settings.WriteKey("General", "DebugLog", "1");
    // Keys come back upper-cased, so only a plug-in named in upper case matches them.
    context.pluginList.push_back(pluginNamed("AUDREY"));
    SetupDialog dialog(context);
    EXPECT_EQ(texts(dialog.excludeList()), QStringList{"AUDREY"});
    EXPECT_TRUE(texts(dialog.pluginList()).isEmpty());
    EXPECT_TRUE(dialog.debugLogBox()->isChecked());
}

TEST_F(SetupDialogTest, DoubleClicksMoveAPluginAcross)
{
    context.settings.WriteKey("Plugins", "B'Quote", "false");
    context.pluginList.push_back(pluginNamed("B'QUOTE")); // a quote in the name needs no escaping
    SetupDialog dialog(context);
    ASSERT_EQ(texts(dialog.pluginList()), QStringList{"B'QUOTE"});
    dialog.pluginList()->setCurrentRow(0);
    dialog.selectCurrentPlugin();
    EXPECT_TRUE(texts(dialog.pluginList()).isEmpty());
    EXPECT_EQ(texts(dialog.excludeList()), QStringList{"B'QUOTE"});
    dialog.excludeList()->setCurrentRow(0);
    dialog.unselectCurrentPlugin();
    EXPECT_EQ(texts(dialog.pluginList()), QStringList{"B'QUOTE"});
}

TEST_F(SetupDialogTest, PulldownHiddenWithoutRegistrations)
{
    SetupDialog dialog(context);
    EXPECT_FALSE(dialog.menuEntries()->isEnabled());
    EXPECT_TRUE(dialog.menuEntries()->isHidden());
    EXPECT_TRUE(dialog.menuEntriesLabel()->isHidden());
}

TEST_F(SetupDialogTest, MenuEntriesReachThePlugin)
{
    context.menus = {{"audrey~ConfigIR", "D"}, {"Audrey~Reset Queue", "Audrey Queue"}, {"Other~X", "D"}};
    SetupDialog dialog(context);
    ASSERT_EQ(dialog.menuEntries()->count(), 3);
    EXPECT_EQ(dialog.menuEntries()->itemText(0), "D - ConfigIR");
    EXPECT_TRUE(dialog.menuEntries()->isEnabled());
    dialog.menuEntries()->setCurrentIndex(0);
    dialog.openChosenMenuEntry();
    EXPECT_EQ(audrey->callsOf("ConfigIR").size(), 1u); // the interface matched in any case
    dialog.menuEntries()->setCurrentIndex(1);
    dialog.openChosenMenuEntry();
    ASSERT_EQ(audrey->callsOf("SelectMenu").size(), 1u);
    EXPECT_EQ(audrey->callsOf("SelectMenu")[0].text(), "Reset Queue");
}

TEST_F(SetupDialogTest, ClosingWritesSettingsAndDebugMode)
{
    {
        SetupDialog dialog(context);
        dialog.debugLogBox()->setChecked(false);
        dialog.close();
    }
    EXPECT_EQ(context.debugMode, 0);
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[GENERAL]\r\nDEBUGLOG=0\r\n");
    {
        SetupDialog dialog(context);
        dialog.debugLogBox()->setChecked(true);
        dialog.retrievePlugins();
        dialog.reject();
    }
    EXPECT_EQ(context.debugMode, 1);
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[GENERAL]\r\nDEBUGLOG=1\r\n");
}

TEST_F(SetupDialogTest, RetrievePluginsFromLibraries)
{
    dir.write("hspi_Audrey.so", "");
    dir.write("HSPI_Broken.so", "");
    dir.write("other.so", "");
    SetupDialog dialog(context);
    dialog.retrievePlugins();
    std::sort(context.created.begin(), context.created.end());
    EXPECT_EQ(context.created, (std::vector<std::string>{"HSPI_Broken.hspi", "hspi_Audrey.hspi"}));
    EXPECT_EQ(texts(dialog.pluginList()), QStringList{"Audrey"});
    dialog.close();
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[GENERAL]\r\nDEBUGLOG=0\r\n[PLUGINS]\r\nAUDREY=False\r\n");
}

TEST_F(SetupDialogTest, NamedInterfaceIsTheOnlyPluginAndIsNotWritten)
{
    context.interface = "Audrey";
    SetupDialog dialog(context);
    EXPECT_EQ(texts(dialog.excludeList()), QStringList{"Audrey"});
    dialog.close();
    EXPECT_EQ(dir.read("Config/Settings.ini"), "[GENERAL]\r\nDEBUGLOG=0\r\n");
    EXPECT_EQ(context.selectedPluginsCalls, 0);
}
