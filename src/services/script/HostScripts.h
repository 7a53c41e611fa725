// The host's script service: the one shared script engine, prepared for the host
// object, and the host object's Run and RunEx, which load a script file into a fresh
// module ("M" and a running number) and call a procedure in it. A run's module is
// released when the run has ended and nothing refers into it.
#pragma once

#include "host/ScriptService.h"

#include <cstdint>
#include <memory>

namespace vbscript {
class ScriptControl;
}

namespace services {

class HostScripts final : public host::ScriptService {
public:
    HostScripts();
    ~HostScripts() override;

    void initScriptControl(host::Application& app) override;
    void run(const std::string& scriptFile) override;
    vb::Variant runEx(const std::string& scriptFile, const std::string& function, const vb::Variant& param) override;

    // The shared engine, created on first use.
    vbscript::ScriptControl& engine();
    // The number of the last run (M1 is the first module).
    std::int32_t runCount() const { return runs_; }

private:
    std::string nextModuleKey();

    std::unique_ptr<vbscript::ScriptControl> engine_;
    std::int32_t runs_ = 0;
};

// Installs the service for the program's host object (once).
void installHostScripts();
HostScripts& hostScripts();

} // namespace services
