// A script control with an "Out" object whose Echo collects lines, and helpers to
// run code and read results.
#pragma once

#include "vbscript/ScriptControl.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/MemberTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vbtest {

class Recorder final : public vb::Dispatch<Recorder> {
public:
    static const vb::MemberTable<Recorder>& members()
    {
        static const vb::MemberTable<Recorder> table("Recorder", {
            vb::raw<Recorder>("Echo", vb::Method, &Recorder::Echo),
        });
        return table;
    }
    static vb::Variant Echo(Recorder& self, vb::Args args)
    {
        std::string line;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (i)
                line += ' ';
            if (!args[i].isNull())
                line += vb::CStr(args[i]);
        }
        self.lines.push_back(line);
        return {};
    }
    std::vector<std::string> lines;
};

class ScriptTest : public ::testing::Test {
protected:
    ScriptTest()
    {
        recorder = vb::make<Recorder>();
        control.AddObject("Out", recorder, false);
    }

    // Runs code and returns the lines it echoed.
    std::vector<std::string> run(const std::string& code)
    {
        recorder->lines.clear();
        control.AddCode(code);
        return recorder->lines;
    }
    // Runs code and returns its one echoed line (or all joined with '|').
    std::string out(const std::string& code)
    {
        auto lines = run(code);
        std::string joined;
        for (std::size_t i = 0; i < lines.size(); ++i)
            joined += (i ? "|" : "") + lines[i];
        return joined;
    }
    vb::Variant eval(const std::string& expression) { return control.Eval(expression); }
    std::string evalText(const std::string& expression) { return vb::CStr(control.Eval(expression)); }
    std::string typeOf(const std::string& expression) { return vb::typeName(control.Eval(expression)); }

    // The number of the error that running the code raises (0 when none).
    int errorOf(const std::string& code)
    {
        try {
            control.AddCode(code);
        } catch (const vb::Error& e) {
            EXPECT_EQ(control.error().number, e.number());
            return e.number();
        }
        return 0;
    }
    int evalError(const std::string& expression)
    {
        try {
            control.Eval(expression);
        } catch (const vb::Error& e) {
            return e.number();
        }
        return 0;
    }

    vbscript::ScriptControl control;
    vb::Ref<Recorder> recorder;
};

// Runs code in a script control of its own, for cases that reuse names: what it
// echoed (joined with '|'), or the number of the error it raised (0 when none).
class FreshScript final : public ScriptTest {
public:
    void TestBody() override { }
    using ScriptTest::errorOf;
    using ScriptTest::out;
};
inline std::string freshOut(const std::string& code)
{
    FreshScript t;
    return t.out(code);
}
inline int freshErrorOf(const std::string& code)
{
    FreshScript t;
    return t.errorOf(code);
}

} // namespace vbtest
