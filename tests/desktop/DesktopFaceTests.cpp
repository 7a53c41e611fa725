// The desktop face wired into the program: the tray follows the main form, clicks on
// the icon reach the remote-control window and the tray menu through the main form's
// TrayIconCallback, Exit ends the program, and the plug-in menu dialog opens once and
// writes Settings.ini through the running host.
#include "DesktopTestSupport.h"

#include "shell/desktop/DesktopFace.h"

#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "host/PluginRegistry.h"
#include "remote/RemoteControlWindow.h"
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "services/dialog/SetupDialog.h"
#include "shell/ShellState.h"
#include "shell/TallisForm.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include "support/RecordingObject.h"
#include "support/TempFolder.h"
#include "support/OwnProgramStates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

using desktop_testing::onceMenuOpens;
using desktop_testing::RecordingArea;
using shell::DesktopFace;
using testing_support::RecordingObject;

namespace {

class DesktopFaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A fresh program: the node is not ready, so reports wait in its queue.
        xap::InitXapAt(states.program, dir.path(), dir / "tallis");

        plugin = vb::make<RecordingObject>("hspi_Audrey");
        plugin->values["AudreyNames"] = vb::Variant("Kitchen,Den");
        plugin->values["name"] = vb::Variant("Audrey");
        provided = plugin;
        states.shellState.hooks.hostedPlugin = [this] { return provided; };
        states.shellState.hooks.endEventLoop = [this](int status) { steps.push_back("endEventLoop " + std::to_string(status)); };

        auto recording = std::make_unique<RecordingArea>();
        area = recording.get();
        DesktopFace::Parts parts;
        parts.area = std::move(recording);
        parts.pluginFactory = [this](const std::string& className) -> vb::Ref<vb::Object> {
            created.push_back(className);
            return vb::make<RecordingObject>();
        };
        face = std::make_unique<DesktopFace>(states.program, states.shellState, std::move(parts));
        face->install();
        states.shellState.mainForm = vb::make<shell::TallisForm>(states.program, states.shellState);
    }
    void TearDown() override
    {
        face.reset();
        states.shellState.mainForm.reset();
        services::unloadSetupForm(states.servicesState);
    }

    // Start-up's tray steps: the tray is prepared and showNormalPicture shows the icon.
    void startTray()
    {
        states.shellState.hooks.startup.prepareTray();
        states.shellState.mainForm->showNormalPicture();
    }
    void click(QSystemTrayIcon::ActivationReason reason) { area->activated(reason); }

    // Loads the host core with the plug-in in the registry, as start-up leaves it.
    void loadHost()
    {
        services::loadSetupForm(states.servicesState);
        host::HostedPlugin(states.hostRegistry) = plugin;
        host::PluginCollection(states.hostRegistry) = vb::make<vb::Collection>();
        host::PluginCollection(states.hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(plugin)), "Audrey");
    }
    void deleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    testing_support::TempFolder dir;
    // Each test runs as a program of its own.
    testing_support::OwnProgramStates states;
    vb::Ref<RecordingObject> plugin;
    vb::Ref<vb::Object> provided;
    RecordingArea* area = nullptr;
    std::unique_ptr<DesktopFace> face;
    std::vector<std::string> steps;
    std::vector<std::string> created;
};

} // namespace

TEST_F(DesktopFaceTest, InstallingPutsTheStepsIntoTheHooksAndDestroyingTakesThemOut)
{
    const shell::ShellHooks& h = states.shellState.hooks;
    EXPECT_TRUE(h.startup.prepareTray && h.updateTrayIcon && h.exit.unloadTray && h.exit.unloadPluginMenuDialog &&
                h.trayIconCallback && h.showPluginMenu);
    EXPECT_TRUE(services::setupWindowHooks(states.servicesState).captionChanged && services::setupWindowHooks(states.servicesState).showPluginMenuDialog);
    face.reset();
    EXPECT_FALSE(h.startup.prepareTray || h.updateTrayIcon || h.exit.unloadTray || h.exit.unloadPluginMenuDialog ||
                 h.trayIconCallback || h.showPluginMenu);
    EXPECT_FALSE(services::setupWindowHooks(states.servicesState).captionChanged || services::setupWindowHooks(states.servicesState).showPluginMenuDialog);
    EXPECT_TRUE(h.hostedPlugin); // not the face's
}

TEST_F(DesktopFaceTest, TheIconAppearsBlinksAndGoesWithTheMainForm)
{
    startTray();
    EXPECT_EQ(face->trayIcon().caption(), "Audrey");
    EXPECT_EQ(face->trayIcon().icon().cacheKey(), face->normalPicture().cacheKey());
    ASSERT_EQ(area->operations(), (std::vector<std::string>{"add"}));
    EXPECT_EQ(area->entries[0].record.icon.cacheKey(), face->normalPicture().cacheKey());
    EXPECT_EQ(area->entries[0].record.tip, "Audrey");
    EXPECT_FALSE(states.shellState.mainForm->blinkTimer().enabled());

    states.shellState.mainForm->SwapIcons();
    EXPECT_EQ(area->entries.back().record.icon.cacheKey(), face->activityPicture().cacheKey());
    EXPECT_TRUE(states.shellState.mainForm->blinkTimer().running());
    states.shellState.mainForm->showNormalPicture();
    EXPECT_EQ(area->entries.back().record.icon.cacheKey(), face->normalPicture().cacheKey());
    EXPECT_FALSE(states.shellState.mainForm->blinkTimer().enabled());
    EXPECT_NE(face->normalPicture().cacheKey(), face->activityPicture().cacheKey());
    EXPECT_FALSE(face->normalPicture().pixmap(32, 32).isNull());

    states.shellState.mainForm->unload();
    EXPECT_EQ(area->operations(), (std::vector<std::string>{"add", "modify", "modify", "delete"}));
}

TEST_F(DesktopFaceTest, LeftClickFillsTheNamesAndShowsTheRemoteWindowOnTop)
{
    startTray();
    EXPECT_EQ(face->loadedRemoteWindow(), nullptr); // loaded on first use
    click(QSystemTrayIcon::Trigger);
    remote::RemoteControlWindow* window = face->loadedRemoteWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->topmost());
    EXPECT_EQ(window->audreyBox(0)->text(), "Kitchen");
    EXPECT_EQ(window->audreyBox(1)->text(), "Den");
    EXPECT_EQ(window->windowTitle(), "vynAudrey Remote Control");

    // Hidden, a double click brings it back: it is filled on each of its two releases.
    window->hide();
    plugin->values["AudreyNames"] = vb::Variant("Hall");
    plugin->calls.clear();
    click(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(plugin->callsOf("AudreyNames").size(), 2u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->audreyBox(0)->text(), "Hall");
    EXPECT_EQ(face->loadedRemoteWindow(), window);
}

TEST_F(DesktopFaceTest, OnAnX11TrayTheWindowOpensOnTheReleaseAndOncePerRelease)
{
    startTray();
    // The press alone opens nothing.
    area->mouseMessage(513);
    EXPECT_EQ(face->loadedRemoteWindow(), nullptr);
    area->mouseMessage(514);
    remote::RemoteControlWindow* window = face->loadedRemoteWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());

    // A double click: 513, 514, 515, 514; the names are filled on each release, twice.
    window->hide();
    plugin->calls.clear();
    for (std::int32_t m : {513, 514, 515, 514})
        area->mouseMessage(m);
    EXPECT_EQ(plugin->callsOf("AudreyNames").size(), 2u);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(DesktopFaceTest, LeftClickWithoutAPluginShowsNothing)
{
    provided = nullptr;
    startTray();
    click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(face->loadedRemoteWindow() == nullptr || !face->loadedRemoteWindow()->isVisible());
    EXPECT_FALSE(face->trayIcon().deliveringCallback());

    // A plug-in that cannot give the names neither.
    provided = plugin;
    plugin->failures["AudreyNames"] = vb::err::ObjectVariableNotSet;
    click(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(face->loadedRemoteWindow()->isVisible());
    EXPECT_TRUE(states.program.pending.empty()); // nothing is reported
}

TEST_F(DesktopFaceTest, RightClickPopsUpTheTrayMenuAndDropsClicksWhileItIsOpen)
{
    startTray();
    int shown = 0;
    QObject::connect(&face->trayMenu().menu(), &QMenu::aboutToShow, [&] { ++shown; });
    QMenu* opened = nullptr;
    onceMenuOpens([&](QMenu& menu) {
        opened = &menu;
        EXPECT_TRUE(face->trayIcon().deliveringCallback());
        click(QSystemTrayIcon::Context); // the menu is already open
        click(QSystemTrayIcon::Trigger);
        menu.actions().at(9)->trigger(); // "Disable"
    });
    click(QSystemTrayIcon::Context);
    EXPECT_EQ(opened, &face->trayMenu().menu());
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(face->loadedRemoteWindow() == nullptr || !face->loadedRemoteWindow()->isVisible());
    ASSERT_EQ(plugin->callsOf("SelectMenu").size(), 1u);
    EXPECT_EQ(plugin->callsOf("SelectMenu")[0].text(), "Disable Plugin");
    EXPECT_FALSE(face->trayIcon().deliveringCallback());
}

TEST_F(DesktopFaceTest, ExitFromTheTrayMenuEndsTheProgramEvenWhenThePluginFails)
{
    shell::ShellHooks& h = states.shellState.hooks;
    h.exit.shutdownPlugin = [this] {
        steps.push_back("shutdownPlugin");
        vb::raiseError(vb::err::DivisionByZero);
    };
    h.exit.releasePlugin = [this] { steps.push_back("releasePlugin"); };
    startTray();
    onceMenuOpens([](QMenu& menu) { menu.actions().at(15)->trigger(); });
    click(QSystemTrayIcon::Context);

    EXPECT_TRUE(shell::programEnded(states.shellState));
    EXPECT_EQ(shell::exitStatus(states.shellState), 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"shutdownPlugin", "releasePlugin", "endEventLoop 0"}));
    // The tray's unload removed the icon; the main form's unload found nothing left.
    EXPECT_EQ(area->operations(), (std::vector<std::string>{"add", "delete"}));
    EXPECT_FALSE(face->trayIcon().iconAdded());
}

TEST_F(DesktopFaceTest, PluginMenuDialogOpensOnceModelessAndIsBroughtBack)
{
    loadHost();
    states.shellState.hooks.showPluginMenu(); // FRH.Menu
    services::SetupDialog* dialog = face->pluginMenuDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "vynMenu Menu Setup Selections");

    // Every other way in finds the open dialog.
    services::setupWindowHooks(states.servicesState).showPluginMenuDialog();
    face->setupFormWindow().aSetupButton()->click();
    states.shellState.hooks.showPluginMenu();
    EXPECT_EQ(face->pluginMenuDialog(), dialog);
    EXPECT_EQ(QApplication::topLevelWidgets().count(dialog), 1);

    // Closed, it goes; the next opening loads a new one.
    dialog->close();
    deleteClosedWindows();
    EXPECT_EQ(face->pluginMenuDialog(), nullptr);
    face->setupFormWindow().aSetupButton()->click();
    ASSERT_NE(face->pluginMenuDialog(), nullptr);
    EXPECT_TRUE(face->pluginMenuDialog()->isVisible());
}

TEST_F(DesktopFaceTest, SetupStartupNamesTheWindowAndOpensTheDialogWithoutAnInterface)
{
    loadHost();
    EXPECT_EQ(face->setupFormWindow().windowTitle(), "Farstead");
    EXPECT_EQ(face->setupFormWindow().aSetupButton()->text(), "Setup");
    EXPECT_FALSE(face->setupFormWindow().isVisible());

    host::InterfaceName(states.hostRegistry) = "Audrey";
    services::setupForm(states.servicesState)->Startup();
    EXPECT_EQ(face->setupFormWindow().windowTitle(), "rARuveViziva");
    EXPECT_EQ(face->pluginMenuDialog(), nullptr);

    host::InterfaceName(states.hostRegistry).clear();
    services::setupForm(states.servicesState)->Startup();
    ASSERT_NE(face->pluginMenuDialog(), nullptr);
    EXPECT_TRUE(face->pluginMenuDialog()->isVisible());
}

TEST_F(DesktopFaceTest, DialogWorksOnTheHostsPluginsMenusAndSettings)
{
    loadHost();
    dir.write("hspi_Audrey.so", "");
    dir.write("Config/Settings.ini", "[Plugins]\r\nOther=true\r\n");
    services::setupForm(states.servicesState)->settingsStore().Load(dir / "Config/Settings.ini");
    services::setupForm(states.servicesState)->RegisterMenuEx("Audrey", "ConfigIO", "Audrey Setup");
    services::setupForm(states.servicesState)->RegisterMenu("Audrey", "Browser");

    states.shellState.hooks.showPluginMenu();
    services::SetupDialog* dialog = face->pluginMenuDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->menuEntries()->count(), 2);
    EXPECT_EQ(dialog->menuEntries()->itemText(0), "Audrey Setup - ConfigIO");
    EXPECT_EQ(dialog->menuEntries()->itemText(1), "Audrey - Browser");

    // Retrieving finds the library in the base folder through the plug-in host's creation.
    dialog->retrieveButton()->click();
    EXPECT_EQ(created, (std::vector<std::string>{"hspi_Audrey.hspi"}));
    ASSERT_EQ(dialog->pluginList()->count(), 1);
    EXPECT_EQ(dialog->pluginList()->item(0)->text(), "Audrey");

    // A registered menu reaches the hosted plug-in.
    dialog->menuEntries()->setCurrentIndex(0);
    dialog->openChosenMenuEntry();
    EXPECT_EQ(plugin->callsOf("ConfigIO").size(), 1u);

    dialog->debugLogBox()->setChecked(true);
    dialog->close();
    EXPECT_EQ(host::state(states.hostRegistry).debugModeSetting, 1);
    const std::string saved = dir.read("Config/Settings.ini");
    EXPECT_NE(saved.find("[GENERAL]\r\nDEBUGLOG=1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("AUDREY=False\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("OTHER=true\r\n"), std::string::npos) << saved; // kept as it was
}

TEST_F(DesktopFaceTest, DialogOpenAtShutdownStillSavesItsSettings)
{
    loadHost();
    states.shellState.hooks.showPluginMenu();
    face->pluginMenuDialog()->debugLogBox()->setChecked(true);

    // The start object's termination unloads the host core first, then the dialog.
    services::unloadSetupForm(states.servicesState);
    states.shellState.hooks.exit.unloadPluginMenuDialog();
    EXPECT_EQ(face->pluginMenuDialog(), nullptr);
    EXPECT_NE(dir.read("Config/Settings.ini").find("DEBUGLOG=1"), std::string::npos);
    EXPECT_TRUE(states.program.pending.empty()) << "the close reported a failure";

    // Without a dialog the step does nothing.
    EXPECT_NO_THROW(states.shellState.hooks.exit.unloadPluginMenuDialog());
}

TEST_F(DesktopFaceTest, DialogContextFollowsTheRegistryOrder)
{
    shell::HostDialogContext& context = face->dialogContext();
    EXPECT_TRUE(context.plugins().empty()); // no plug-in host yet
    EXPECT_TRUE(context.menuCallbacks().empty());

    loadHost();
    vb::Ref<RecordingObject> second = vb::make<RecordingObject>();
    host::PluginCollection(states.hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(second)), "Second");
    const auto plugins = context.plugins();
    ASSERT_EQ(plugins.size(), 2u);
    EXPECT_EQ(plugins[0].get(), plugin.get());
    EXPECT_EQ(plugins[1].get(), second.get());

    services::setupForm(states.servicesState)->RegisterMenu("B", "Two");
    services::setupForm(states.servicesState)->RegisterMenuEx("A", "One", "Shown");
    EXPECT_EQ(context.menuCallbacks(),
              (std::vector<std::pair<std::string, std::string>>{{"B~Two", "B"}, {"A~One", "Shown"}}));
}

TEST_F(DesktopFaceTest, WithoutATrayTheProgramsWindowTakesTheIconsPlace)
{
    // A face for a desktop without a system tray (GNOME shows none).
    face.reset();
    auto recording = std::make_unique<RecordingArea>();
    area = recording.get();
    DesktopFace::Parts parts;
    parts.area = std::move(recording);
    face = std::make_unique<DesktopFace>(states.program, states.shellState, std::move(parts), true);
    face->install();

    startTray();
    EXPECT_TRUE(area->entries.empty()); // no icon is asked for
    shell::TraylessWindow* window = face->traylessWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->noteShown()); // the first time it says why there is no icon
    remote::RemoteControlWindow* remote = face->loadedRemoteWindow();
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(remote->window(), window);
    EXPECT_FALSE(remote->topmost()); // an ordinary window, not kept on top
    EXPECT_EQ(remote->audreyBox(0)->text(), "Kitchen");
    // The tray menu's commands are in the window's menu bar.
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), "Audrey");
    EXPECT_EQ(menus[0]->menu(), &face->trayMenu().menu());

    // The blink has nothing to change; the picture's Options button hides the window,
    // and showing it again (a second start) brings it back without the note.
    states.shellState.mainForm->SwapIcons();
    states.shellState.mainForm->showNormalPicture();
    EXPECT_TRUE(area->entries.empty());
    remote->clickArea("img_OptionsButton");
    EXPECT_FALSE(window->isVisible());
    plugin->values["AudreyNames"] = vb::Variant("Den");
    states.shellState.hooks.showDesktopWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->noteShown());
    EXPECT_EQ(remote->audreyBox(0)->text(), "Den");

    // Without a plug-in to ask for the names the window still opens.
    provided = nullptr;
    remote->chooseItem("mnu_Hide");
    EXPECT_FALSE(window->isVisible());
    states.shellState.hooks.showDesktopWindow();
    EXPECT_TRUE(window->isVisible());

    // Exit's unload of the tray hides it; the face goes with its window and picture.
    states.shellState.hooks.exit.unloadTray();
    EXPECT_FALSE(window->isVisible());
    face.reset();
}
