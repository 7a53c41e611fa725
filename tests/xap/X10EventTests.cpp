#include "xap/ProgramState.h"
#include "xap/Outgoing.h"
#include "xap/X10Event.h"

#include <gtest/gtest.h>

namespace {

class Recorder final : public xap::MessageSender {
public:
    std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& data, const std::string&, const std::string&) override
    {
        sent.push_back(target + "|" + cls + "|" + section + "|" + data);
        return {};
    }
    std::vector<std::string> sent;
};

} // namespace

TEST(SendX10Event, DeviceListAndEventItems)
{
    EXPECT_EQ(xap::x10DeviceList("A1+2+3", "A"), "A1,A2,A3");
    EXPECT_EQ(xap::x10DeviceList("1+2+3", "A"), "A1,A2,A3");
    EXPECT_EQ(xap::x10DeviceList("B12", "B"), "B12");
    EXPECT_EQ(xap::x10DeviceList("3+4", "C"), "C3,C4");
    EXPECT_EQ(xap::x10DeviceList("", "D"), "D");

    Recorder recorder;
    xap::ProgramState program;
    program.sender = &recorder;
    program.xapReady = true;
    xap::sendX10Event(program, "3+4", "C", 2, vb::Variant(std::int16_t(0)), vb::Variant(std::int16_t(0)));
    xap::sendX10Event(program, "B12", "B", -5);
    program.xapReady = false;
    program.sender = nullptr;
    ASSERT_EQ(recorder.sent.size(), 2u);
    using namespace std::string_literals;
    EXPECT_EQ(recorder.sent[0], "|xAP-X10.event|xAP-X10.event|Device\1" "C3,C4\0Event\1" "2"s);
    EXPECT_EQ(recorder.sent[1], "|xAP-X10.event|xAP-X10.event|Device\1" "B12\0Event\1" "-5"s);
}
