// script: one script file loaded into a module of the shared script engine.
//
// Add creates the module and loads the file into it with its #include directives
// expanded (an included file's code enters before the code of the file including it);
// Run calls a procedure of the module. Every failure is reported through LogEvent and
// none reaches the caller. A script object lives for one run; its module and whatever
// the code left in it stay in the engine.
#pragma once

#include "automation/DateTime.h"
#include "automation/Variant.h"

#include <set>
#include <string>

namespace vbscript {
class ScriptControl;
class ScriptModule;
} // namespace vbscript

namespace xap {
struct ProgramState;
}

namespace services {

class ScriptFile {
public:
    // A script of `program`: its names resolve in the base folder and its failures are
    // reported through the program's LogEvent.
    ScriptFile(vbscript::ScriptControl& engine, xap::ProgramState& program);

    void Add(const std::string& fileName, const std::string& moduleKey);
    vb::Variant Run(const std::string& procedure, const vb::Variant& parameter);
    vb::Date FileDate() const { return fileDate_; }
    const std::string& Filename() const { return fileName_; }

    // Where a script name leads: names without a drive, a "\\server" prefix or a
    // leading "/" are in the Scripts folder ("x.vbs" and "\x.vbs" alike).
    std::string resolve(const std::string& name) const;

private:
    void AccumulateReferences(const std::string& name);
    std::string expandIncludes(std::string text);

    vbscript::ScriptControl& engine_;
    xap::ProgramState& program_;
    vbscript::ScriptModule* module_ = nullptr;
    std::string moduleKey_;
    std::string fileName_;
    vb::Date fileDate_;
    std::set<std::string> included_; // files already added in this Add: include cycles end
};

} // namespace services
