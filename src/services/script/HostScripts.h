// The host's script service: the one shared script engine, prepared for the host
// object, and the host object's Run and RunEx, which load a script file into a fresh
// module ("M" and a running number) and call a procedure in it. A run's module is
// released when the run has ended and nothing refers into it.
//
// Its owner (the program's instance, a tool, a test) installs it as the host's script
// service; it leaves that place when it goes.
#pragma once

#include "host/ScriptService.h"

#include <cstdint>
#include <memory>

namespace platform {
struct BoundedWorkAllowance;
}
namespace vbscript {
class ScriptControl;
}

namespace xap {
struct ProgramState;
}

namespace services {

class HostScripts final : public host::ScriptService {
public:
    // The scripts of `program` (it outlives them): their files are in its base folder and
    // their failures go to its log.
    explicit HostScripts(xap::ProgramState& program);
    // Uninstalls itself first when it is the host's script service.
    ~HostScripts() override;
    HostScripts(const HostScripts&) = delete;
    HostScripts& operator=(const HostScripts&) = delete;

    // Makes this the script service of the host whose registry is given (host/ScriptService.h);
    // the registry outlives this object.
    void install(host::HostRegistry& registry);
    // Where a run marks itself as work that ends by its time-out, so that the stall
    // watchdog leaves it that long (null: nowhere); it outlives this object.
    void setWorkAllowance(platform::BoundedWorkAllowance* allowance) { allowance_ = allowance; }

    void initScriptControl(host::Application& app) override;
    void run(const std::string& scriptFile) override;
    vb::Variant runEx(const std::string& scriptFile, const std::string& function, const vb::Variant& param) override;

    // The shared engine, created on first use.
    vbscript::ScriptControl& engine();
    // The number of the last run (M1 is the first module).
    std::int32_t runCount() const { return runs_; }

private:
    std::string nextModuleKey();

    xap::ProgramState& program_;
    std::unique_ptr<vbscript::ScriptControl> engine_;
    platform::BoundedWorkAllowance* allowance_ = nullptr;
    host::HostRegistry* installedIn_ = nullptr;
    std::int32_t runs_ = 0;
};

} // namespace services
