#include "ScriptFile.h"

#include "xap/ReportObservers.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"
#include "vbscript/ScriptControl.h"
#include "vbscript/ScriptText.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

namespace services {

namespace {

// The description of the error being raised, or "" when the step did not raise.
std::string raisedDescription(const vb::Failure& failure)
{
    return failure.active() ? failure.description : std::string();
}

} // namespace

ScriptFile::ScriptFile(vbscript::ScriptControl& engine, xap::ProgramState& program)
    : engine_(engine)
    , program_(program)
    , fileDate_(vb::dateSerial(1980, 1, 1))
{
}

std::string ScriptFile::resolve(const std::string& name) const
{
    const bool drive = name.find(':') != std::string::npos;
    const bool server = name.find("\\\\") != std::string::npos;
    if (drive || server || (!name.empty() && name.front() == '/'))
        return platform::toPosixPath(name, program_.baseFolder);
    const std::string scripts = platform::joinPath(program_.baseFolder, "Scripts");
    // Only the caller's name is in the Windows form; the scripts folder is our own.
    return platform::joinPath(scripts, platform::toPosixPath(name, program_.baseFolder));
}

void ScriptFile::Add(const std::string& fileName, const std::string& moduleKey)
{
    moduleKey_ = moduleKey;
    fileName_ = fileName;
    included_.clear();
    try {
        module_ = &engine_.addModule(moduleKey);
        AccumulateReferences(fileName);
    } catch (...) {
        vb::setCurrentFailure(vb::failureFromCurrentException());
        const std::string text = "Script-Add " + vb::currentFailure().description + " / " + engine_.error().description;
        vb::clearCurrentFailure();
        xap::LogEvent(program_, xap::kProgramName, text);
    }
}

std::string ScriptFile::expandIncludes(std::string text)
{
    std::size_t p = 0;
    while (true) {
        p = vb::find(text, "#include", p, vb::CompareMode::Text);
        if (p == std::string::npos)
            break;
        const std::size_t open = text.find('"', p);
        if (open == std::string::npos)
            break;
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string::npos)
            break; // no later directive can be complete
        AccumulateReferences(std::string(vb::trimBlanksAndTabs(std::string_view(text).substr(open + 1, close - open - 1))));
        // The directive goes; the rest of its line stays.
        text.erase(p, close + 1 - p);
    }
    return text;
}

void ScriptFile::AccumulateReferences(const std::string& name)
{
    std::string code;
    bool ready = false;
    vb::trap(xap::logEventReporter(program_), xap::kProgramName, "Script-AccumulateReferences ", [&] {
        const std::string path = platform::resolvePath(resolve(name));
        if (!platform::fileExists(path))
            return; // a missing file is skipped without a report
        // A file already added in this Add is not added again, so include cycles end.
        if (!included_.insert(path).second)
            return;
        auto content = platform::readFile(path);
        if (!content)
            throw vb::Error(vb::err::PermissionDenied);
        code = expandIncludes(vbscript::scriptTextFromFile(std::move(*content)));
        ready = true;
    });
    if (!ready)
        return;

    vb::Failure raised;
    try {
        if (!module_)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        module_->AddCode(code);
    } catch (...) {
        raised = vb::failureFromCurrentException();
    }
    const vbscript::ScriptError& e = engine_.error();
    if (raised.active() || e.number != 0) {
        xap::LogEvent(program_, xap::kProgramName, "Error in script syntax " + raisedDescription(raised) + " / " + name + " " +
                                             e.description + "@ Line " + std::to_string(e.line) + " col " +
                                             std::to_string(e.column));
        engine_.clearError();
    }
}

vb::Variant ScriptFile::Run(const std::string& procedure, const vb::Variant& parameter)
{
    vb::Variant result;
    vb::Failure raised;
    try {
        engine_.clearError();
        if (!module_)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        vb::Variant args[1] = {parameter};
        result = module_->Run(procedure, args);
    } catch (...) {
        raised = vb::failureFromCurrentException();
        result = vb::Variant();
    }
    const vbscript::ScriptError& e = engine_.error();
    if (raised.active() || e.number != 0) {
        // Observers of the report (a bus caller waiting for this run) get the script's
        // failure with it; the report's own text already carries it.
        const std::string text = "Script Run Error " + raisedDescription(raised) + " / " + std::to_string(e.number) + " - " +
                                 e.description + "@ Line " + std::to_string(e.line) + " col " + std::to_string(e.column);
        xap::notifyLogEvent(program_, xap::kProgramName, text,
                            e.number != 0 ? vb::Failure{e.number, e.description, "", e.line} : raised);
        xap::LogEvent(program_, xap::kProgramName, text);
        engine_.clearError();
        result = vb::Variant();
    }
    return result;
}

} // namespace services
