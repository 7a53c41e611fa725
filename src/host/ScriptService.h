// The host object's way to the script host, which is built on top of it.
//
// The host object calls the installed service for InitScriptControl, Run and RunEx,
// and for the status-change callbacks of SetDeviceStatus. Until a script host installs
// itself, the default service does nothing and RunEx returns Empty.
#pragma once

#include "automation/Variant.h"

#include <string>

namespace host {

class Application;
struct HostRegistry;

class ScriptService {
public:
    virtual ~ScriptService() = default;

    // Prepares the script engine for the host object: reset, language "VBScript", user
    // interface allowed, `app` added as "xap" with its members as global names, time-out
    // 90000 ms.
    virtual void initScriptControl(Application& app);

    // Loads the script file into a module of its own and runs its "main" with an empty
    // parameter text.
    virtual void run(const std::string& scriptFile);

    // Loads the script file into a module of its own, runs `function` with `param` and
    // returns its result. The RunEx member passes its text parameter. A status-change
    // callback passes a Variant holding a zero-based array of four texts instead: the
    // house character, the unit text, the new status and the device's reference number,
    // in that order (for A1 set to 2 on the device with reference 7: "A", "1", "2", "7").
    virtual vb::Variant runEx(const std::string& scriptFile, const std::string& function, const vb::Variant& param);
};

// The service installed in `registry`; a do-nothing service until setScriptService is called.
ScriptService& scriptService(HostRegistry& registry);
// Installs a service in `registry` (null restores the do-nothing one). The caller keeps ownership.
void setScriptService(HostRegistry& registry, ScriptService* service);

} // namespace host
