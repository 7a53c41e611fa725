// Fuzz target: the VBScript engine through its script control. Any text compiles
// and runs (or fails with a script error) without a crash, and stops within the
// time-out. The file-system object is not offered, so a script cannot touch files.
#include "vbscript/builtins/Builtins.h"
#include "vbscript/ScriptControl.h"

#include "automation/Error.h"

#include <cstdint>
#include <string_view>

namespace {

void setUp()
{
    vbscript::registerProgId("Scripting.FileSystemObject", [] { return vb::Ref<vb::Object>(); });
    vbscript::setHeadlessTextSink([](const std::string&) { });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (setUp(), true);
    (void)ready;
    const std::string_view code(reinterpret_cast<const char*>(data), size);
    vbscript::ScriptControl control;
    control.setAllowUI(false);
    control.setTimeout(200);
    try {
        control.AddCode(code);
    } catch (const vb::Error&) {
        // A compile or run-time error is a result, not a finding.
    }
    return 0;
}
