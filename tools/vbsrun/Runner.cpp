#include "Runner.h"

#include "WScriptObject.h"

#include "vbscript/ScriptControl.h"
#include "vbscript/ScriptText.h"

#include "automation/Error.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vbsrun {

namespace {

// Reads the script; on a failure `out` holds the reason ("No such file or directory").
bool readWholeFile(const std::string& path, std::string& out)
{
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out = errno ? std::strerror(errno) : "cannot be opened";
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    // UTF-16 files with a byte-order mark are read too; a UTF-8 mark is dropped.
    out = vbscript::scriptTextFromFile(s.str());
    return true;
}

} // namespace

int runScript(const RunOptions& options, std::ostream& errors)
{
    std::string code;
    if (!readWholeFile(options.scriptPath, code)) {
        errors << options.scriptPath << ": cannot read the script file: " << code << "\n";
        return 1;
    }
    vbscript::ScriptControl control;
    control.setLanguage("VBScript");
    control.setAllowUI(false);
    control.setTimeout(options.timeoutMs);
    control.AddObject("WScript", vb::make<WScriptObject>(options.scriptPath, options.arguments, control.library()), false);
    for (const auto& [name, object] : options.namedObjects)
        control.AddObject(name, object.first, object.second);
    try {
        control.AddCode(code);
    } catch (const QuitRequest& quit) {
        return quit.exitCode;
    } catch (const vb::Error&) {
        const vbscript::ScriptError& e = control.error();
        const bool compile = e.source == "Microsoft VBScript compilation error";
        errors << options.scriptPath << "(" << e.line << ", " << e.column + 1 << ") "
               << (compile ? "compilation error " : "runtime error ") << e.number << ": " << e.description << "\n";
        return 1;
    }
    return 0;
}

} // namespace vbsrun
