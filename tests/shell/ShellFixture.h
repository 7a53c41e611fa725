// A main form started as the program starts it, in a temporary base folder, with every
// hook recording what it was asked to do, and a stand-in for the hub on port 3639.
// Each test runs as a program of its own: fresh program and shell states, handed to
// the start object and the dispatch.
#pragma once

#include "xap/NetworkEnvironment.h"

#include "shell/FRH.h"
#include "shell/InboundDispatch.h"
#include "shell/NodeSettingsFile.h"
#include "shell/ShellHooks.h"
#include "host/HostRegistry.h"
#include "services/ServicesState.h"
#include "shell/ShellState.h"
#include "shell/TallisForm.h"

#include "platform/UdpSocket.h"
#include "support/TempFolder.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "support/OwnProgramStates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell_testing {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_PRIVATE_NETWORK();
        base.write("Config/vynXap.ini", "[Interface]\r\nBroadcastAddress=127.255.255.255\r\n");
        hubBound = !hub.bind(3639, "");
        shell::ShellHooks& h = states.shellState.hooks;
        h.startup.initXap = [this] {
            steps.push_back("initXap");
            shell::readFoldersAndSettings(states.program, base.path(), base / "tallis");
        };
        h.startup.loadSetupForm = [this] {
            steps.push_back("loadSetupForm");
            readyAtSetup = states.program.xapReady;
        };
        h.startup.saveRunAsXapNode = record("saveRunAsXapNode");
        h.startup.restartPlugin = record("restartPlugin");
        h.startup.prepareTray = record("prepareTray");
        h.updateTrayIcon = [this](bool on, shell::TrayPicture p) {
            steps.push_back(std::string("updateTrayIcon ") + (on ? "on " : "off ") +
                            (p == shell::TrayPicture::Normal ? "normal" : p == shell::TrayPicture::Activity ? "activity" : "none"));
        };
        h.exit.shutdownPlugin = record("shutdownPlugin");
        h.exit.releasePlugin = record("releasePlugin");
        h.exit.unloadTray = record("unloadTray");
        h.exit.unloadSetupForm = record("unloadSetupForm");
        h.exit.unloadPluginMenuDialog = record("unloadPluginMenuDialog");
        h.exit.releaseHostObject = record("releaseHostObject");
        h.clearX10CommandCodes = record("clearX10CommandCodes");
        h.endEventLoop = [this](int status) { steps.push_back("endEventLoop " + std::to_string(status)); };
    }
    void TearDown() override
    {
        // The node goes while the hub's stand-in is still there.
        if (states.shellState.mainForm)
            states.shellState.mainForm->unloadNode();
    }

    std::function<void()> record(const std::string& name)
    {
        return [this, name] { steps.push_back(name); };
    }
    // The next datagram the node sent to the hub's port ("" when none came).
    std::string nextSent(int milliseconds = 2000)
    {
        std::string text;
        if (hub.waitReadable(milliseconds))
            hub.receive(text);
        return text;
    }
    std::string nextMessage(int milliseconds = 2000)
    {
        for (std::string text = nextSent(milliseconds); !text.empty(); text = nextSent(milliseconds))
            if (text.rfind("xap-hbeat", 0) != 0)
                return text;
        return {};
    }
    std::string log() const { return base.read("Data/raruveViziva.txt"); }
    // One received text through this program's dispatch.
    void readMessage(const std::string& raw) { shell::ReadMessage(raw, states.program, states.shellState); }

    testing_support::TempFolder base;
    platform::UdpSocket hub;
    bool hubBound = false;
    std::vector<std::string> steps;
    bool readyAtSetup = false;
    testing_support::OwnProgramStates states;
};

} // namespace shell_testing
