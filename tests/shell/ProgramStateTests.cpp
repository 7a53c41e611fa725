// The node's settings file as start-up reads it, and the state of one program kept
// apart from another's in the same process.
#include "shell/NodeSettingsFile.h"

#include "support/TempFolder.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "xap/ProgramState.h"
#include "xap/SendGuards.h"
#include "xap/XapMessage.h"
#include "xap/XapNode.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::TempFolder;

namespace {

// Each test reads its settings into a program state of its own.
class NodeSettingsFileTest : public ::testing::Test {
protected:
    bool logged(const std::string& words) const
    {
        return dir.exists("Data/raruveViziva.txt") && dir.read("Data/raruveViziva.txt").find(words) != std::string::npos;
    }
    TempFolder dir;
    xap::ProgramState program;
};

} // namespace

TEST_F(NodeSettingsFileTest, StartUpCreatesTheFoldersAndReadsTheSettings)
{
    dir.write("Config/vynXap.ini", "[Interface]\r\nBroadcastAddress=127.255.255.255\r\n");
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    for (const char* f : {"Config", "HTML", "Data", "Scripts"})
        EXPECT_TRUE(dir.exists(f)) << f;
    EXPECT_FALSE(dir.exists("config"));
    EXPECT_EQ(program.settings.broadcastAddress, "127.255.255.255");
    EXPECT_EQ(program.settings.interfaceAddress, "Default");
    EXPECT_EQ(program.machineName.find('.'), std::string::npos);
    EXPECT_EQ(program.programPath, dir / "tallis");
}

TEST_F(NodeSettingsFileTest, AFileThatCannotBeUsedIsNamedAndTheDefaultsApply)
{
    // No file: the defaults, silently.
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    EXPECT_EQ(program.settings.broadcastAddress, "Default");
    EXPECT_FALSE(logged("vynXap.ini"));

    // A file without the keys the node reads (a misspelt section).
    dir.write("Config/vynXap.ini", "[Interfaces]\r\nBroadcastAddress=10.1.1.255\r\n[Logging]\r\nMaxLogFileSize=100000\r\n");
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    EXPECT_EQ(program.settings.broadcastAddress, "Default");
    EXPECT_TRUE(logged("raruveViziva vynXap.ini holds no [Interface] key the node reads"));

    // A folder where the file should be cannot be read.
    std::filesystem::remove(dir / "Config/vynXap.ini");
    std::filesystem::create_directories(dir / "Config/vynXap.ini");
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    EXPECT_EQ(program.settings.broadcastAddress, "Default");
    EXPECT_EQ(program.settings.interfaceAddress, "Default");
    EXPECT_TRUE(logged("raruveViziva vynXap.ini cannot be read ("));
}

TEST_F(NodeSettingsFileTest, TheLogFileCapComesFromTheFile)
{
    dir.write("Config/vynXap.ini", "[Logging]\r\nMaxLogFileSize=50000\r\n");
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    EXPECT_EQ(program.log.maxBytes(), 50000u);
    dir.write("Config/vynXap.ini", "[Interface]\r\n");
    shell::readFoldersAndSettings(program, dir.path(), dir / "tallis");
    EXPECT_EQ(program.log.maxBytes(), xap::LogFileWriter::kDefaultMaxBytes);
}

TEST(ProgramState, TwoProgramsInOneProcessKeepTheirOwnSettingsLogsQueuesAndNodes)
{
    TempFolder folderA;
    TempFolder folderB;
    folderA.write("Config/vynXap.ini", "[Interface]\r\nBroadcastAddress=127.255.255.255\r\n[Logging]\r\nMaxLogFileSize=50000\r\n");
    folderB.write("Config/vynXap.ini", "[Interface]\r\nBroadcastAddress=127.0.0.255\r\nInterfaceAddress=127.0.0.1\r\n");

    // Every call is handed the program it works for, and the two programs' calls
    // interleave.
    xap::ProgramState first;
    xap::ProgramState second;
    shell::readFoldersAndSettings(first, folderA.path(), folderA / "tallis");
    shell::readFoldersAndSettings(second, folderB.path(), folderB / "tallis");
    vb::Ref<xap::XapNode> nodeA = vb::make<xap::XapNode>(first);
    vb::Ref<xap::XapNode> nodeB = vb::make<xap::XapNode>(second);
    nodeA->letXapSource("vyn.Audrey.first");
    nodeB->letXapSource("vyn.Audrey.second");
    nodeA->letXapUID("FF.0097:00");
    nodeB->letXapUID("FF.0098:00");
    xap::WriteLogFile(first, "test", "written by the first");
    xap::WriteLogFile(second, "test", "written by the second");
    xap::SendXap(first, "", "Homeseer.Event", "Event.Log", xap::itemList({{"Data", "first"}}));

    // A message a program builds carries its own node's header, whatever the other set.
    xap::XapMessage messageA(first);
    xap::XapMessage messageB(second);
    messageA.AddHeader();
    messageB.AddHeader();
    EXPECT_EQ(messageA.ToXap().rfind("xap-header\n{\nv=13\nhop=1\nuid=", 0), 0u) << messageA.ToXap();
    EXPECT_EQ(messageB.ToXap().rfind("xap-header\n{\nv=13\nhop=1\nuid=", 0), 0u) << messageB.ToXap();
    xap::ProgramState withoutNode;
    xap::XapMessage messageC(withoutNode);
    messageC.AddHeader();
    EXPECT_EQ(messageC.ToXap().find("xap-header"), std::string::npos) << messageC.ToXap();

    // The handling of one program's own message mutes that program only.
    {
        xap::OwnMessageScope own(second);
        own.markOwn(true);
        EXPECT_TRUE(xap::handlingOwnMessage(second));
        EXPECT_FALSE(xap::handlingOwnMessage(first));
        xap::SendXap(first, "", "ZOR.Echo", "Echo.Response", "Response\1ping");
        xap::SendXap(second, "", "ZOR.Echo", "Echo.Response", "Response\1ping");
    }
    ASSERT_EQ(first.pending.size(), 2u);
    EXPECT_TRUE(second.pending.empty());
    first.pending.pop_back();

    // A failure trapped for one program is reported in that program's log.
    vb::trap(xap::writeLogFileReporter(second), "trapped", "", [] { vb::raiseError(vb::err::DivisionByZero); });
    first.log.flush();
    second.log.flush();

    // Each has its own settings and log cap, and the process's own state is untouched.
    EXPECT_EQ(first.settings.broadcastAddress, "127.255.255.255");
    EXPECT_EQ(first.settings.interfaceAddress, "Default");
    EXPECT_EQ(second.settings.broadcastAddress, "127.0.0.255");
    EXPECT_EQ(second.settings.interfaceAddress, "127.0.0.1");
    EXPECT_EQ(first.log.maxBytes(), 50000u);
    EXPECT_EQ(second.log.maxBytes(), xap::LogFileWriter::kDefaultMaxBytes);

    // Each log file holds its own program's records only.
    const std::string logA = folderA.read("Data/raruveViziva.txt");
    const std::string logB = folderB.read("Data/raruveViziva.txt");
    EXPECT_NE(logA.find("test written by the first"), std::string::npos);
    EXPECT_EQ(logA.find("second"), std::string::npos);
    EXPECT_NE(logB.find("test written by the second"), std::string::npos);
    EXPECT_EQ(logB.find("first"), std::string::npos);
    EXPECT_EQ(logA.find("trapped"), std::string::npos);
    EXPECT_NE(logB.find("trapped "), std::string::npos) << logB;
    EXPECT_NE(logB.find("not sent, in reply to this node's own message: ZOR.Echo"), std::string::npos) << logB;

    // The message sent before the first node was ready waits in the first program only.
    ASSERT_EQ(first.pending.size(), 1u);
    EXPECT_TRUE(second.pending.empty());

    // Each node keeps its identity and is its own program's sender.
    EXPECT_EQ(nodeA->XapSource(), "vyn.Audrey.first");
    EXPECT_EQ(nodeB->XapSource(), "vyn.Audrey.second");
    EXPECT_EQ(nodeA->XapUID(), "FF.0097:00");
    EXPECT_EQ(nodeB->XapUID(), "FF.0098:00");
    EXPECT_NE(nodeA->heartbeatPrefix().find("uid=FF.0097:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.first\n"), std::string::npos);
    EXPECT_NE(nodeB->heartbeatPrefix().find("uid=FF.0098:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.second\n"), std::string::npos);
    EXPECT_EQ(first.sender, nodeA.get());
    EXPECT_EQ(second.sender, nodeB.get());

    // A node that goes stops being its own program's sender, and only that.
    nodeA->unload();
    EXPECT_EQ(first.sender, nullptr);
    EXPECT_EQ(second.sender, nodeB.get());
    nodeB->unload();
}
