// The tray menu: its captions, what each item asks of the plug-in, Exit, and where it
// pops up.
#include "DesktopTestSupport.h"

#include "shell/desktop/TrayMenu.h"

#include "support/RecordingObject.h"

#include <QAction>

using desktop_testing::onceMenuOpens;
using shell::TrayMenu;
using testing_support::RecordingObject;

namespace {

class TrayMenuTest : public ::testing::Test {
protected:
    TrayMenuTest()
        : plugin(vb::make<RecordingObject>("hspi_Audrey"))
        , menu([this] { return provided; }, [this] {
            ++exits;
            if (exitFails)
                vb::raiseError(vb::err::ObjectVariableNotSet);
        })
    {
        provided = plugin;
    }

    // The plug-in calls an item made, as "Member(arg|arg)".
    std::vector<std::string> callsOfItem(int index)
    {
        plugin->calls.clear();
        menu.entry(index)->trigger();
        std::vector<std::string> out;
        for (const RecordingObject::Call& call : plugin->calls)
            out.push_back(call.member + "(" + call.text() + ")");
        return out;
    }

    vb::Ref<RecordingObject> plugin;
    vb::Ref<vb::Object> provided;
    int exits = 0;
    bool exitFails = false;
    TrayMenu menu;
};

} // namespace

TEST_F(TrayMenuTest, CaptionsAndSeparator)
{
    EXPECT_EQ(menu.menu().title(), "Audrey");
    const QStringList expected = {"Browser", "GUI Setup", "System Config", "System Status", "Audrey Server",
                                  "Start Slideshow", "Stop Slideshow", "Modem Window", "Reset Queue", "Disable",
                                  "Enable", "Test", "Cycle Power", "Help", "", "Exit"};
    ASSERT_EQ(menu.menu().actions().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(menu.entry(i)->text(), expected[i]) << i;
        EXPECT_EQ(menu.entry(i)->isSeparator(), i == 14) << i;
        EXPECT_TRUE(menu.entry(i)->isVisible()) << i;
    }
    EXPECT_EQ(menu.entry(16), nullptr);
    EXPECT_EQ(menu.entry(-1), nullptr);
}

TEST_F(TrayMenuTest, EveryItemMakesItsOwnPluginCall)
{
    using Calls = std::vector<std::string>;
    const std::vector<Calls> expected = {
        {"SelectMenu(Browser)"},
        {"SelectMenu(GUI Setup)"},
        {},
        {},
        {"SelectMenu(Audrey Server)"},
        {"SelectMenu(Start Slideshow)"},
        {"SelectMenu(Stop Slideshow)"},
        {"SelectMenu(Modem Window)"},
        {"SelectMenu(Reset Queue)"},
        {"SelectMenu(Disable Plugin)"},
        {"SelectMenu(Enable Plugin)"},
        {"SelectMenu(Test)"},
        {"AudreyCyclePower()"},
        {"SelectMenu(Help)"},
        {},
        {},
    };
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(callsOfItem(i), expected[static_cast<std::size_t>(i)]) << "MenuArray(" << i << ")";
    EXPECT_EQ(exits, 1); // only item 15

    // The argument is one String, passed as a call (not a property read).
    plugin->calls.clear();
    menu.runEntry(12);
    ASSERT_EQ(plugin->calls.size(), 1u);
    EXPECT_TRUE(plugin->calls[0].args[0].isString());
    EXPECT_TRUE(plugin->calls[0].kind & vb::Method);
}

TEST_F(TrayMenuTest, PluginFailuresAndAMissingPluginEndWithoutEffect)
{
    plugin->failures["SelectMenu"] = vb::err::DivisionByZero;
    EXPECT_NO_THROW(menu.runEntry(0));
    EXPECT_EQ(plugin->callsOf("SelectMenu").size(), 1u);

    provided = nullptr;
    EXPECT_NO_THROW(menu.runEntry(0));
    EXPECT_NO_THROW(menu.runEntry(12));
    EXPECT_EQ(plugin->callsOf("SelectMenu").size(), 1u);
    EXPECT_TRUE(plugin->callsOf("AudreyCyclePower").empty());

    // Indexes outside the array do nothing.
    EXPECT_NO_THROW(menu.runEntry(16));
    EXPECT_NO_THROW(menu.runEntry(-1));
    EXPECT_EQ(exits, 0);
}

TEST_F(TrayMenuTest, ExitRunsWithItsErrorsSuppressed)
{
    exitFails = true;
    EXPECT_NO_THROW(menu.runEntry(15));
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(plugin->calls.empty());
}

TEST_F(TrayMenuTest, PopsUpRightAlignedAtThePointerAndRunsTheChosenItem)
{
    const QPoint pointer(700, 120);
    QRect shown;
    onceMenuOpens([&](QMenu& open) {
        shown = open.geometry();
        open.actions().at(5)->trigger(); // "Start Slideshow"
    });
    menu.popUpAt(pointer);
    EXPECT_FALSE(menu.menu().isVisible());
    EXPECT_EQ(shown.right() + 1, pointer.x());
    EXPECT_EQ(shown.top(), pointer.y());
    ASSERT_EQ(plugin->callsOf("SelectMenu").size(), 1u);
    EXPECT_EQ(plugin->callsOf("SelectMenu")[0].text(), "Start Slideshow");
}
