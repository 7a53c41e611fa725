// Fuzz target: the VBScript engine through its script control. Any text compiles
// and runs (or fails with a script error) without a crash, and stops within the
// time-out. The file-system object is not offered, so a script cannot touch files.
#include "vbscript/ScriptControl.h"
#include "vbscript/base/LibraryState.h"

#include "automation/Error.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view code(reinterpret_cast<const char*>(data), size);
    vbscript::ScriptControl control;
    control.library().registerProgId("Scripting.FileSystemObject", [] { return vb::Ref<vb::Object>(); });
    control.library().setHeadlessTextSink([](const std::string&) { });
    control.setAllowUI(false);
    control.setTimeout(200);
    try {
        control.AddCode(code);
    } catch (const vb::Error&) {
        // A compile or run-time error is a result, not a finding.
    }
    return 0;
}
