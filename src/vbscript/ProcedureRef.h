// The object GetRef returns: calling it (its default member) calls the procedure,
// so it can serve as an event handler.
#pragma once

#include "Procedure.h"

#include "automation/Object.h"

namespace vbscript {

class Engine;

class ProcedureRef final : public vb::Object {
public:
    ProcedureRef(Engine& engine, vb::Ref<Procedure> procedure) : engine_(&engine), procedure_(std::move(procedure)) { }
    std::string_view typeName() const override { return "Object"; }
    vb::MemberId memberId(std::string_view name) const override;
    vb::Variant invoke(vb::MemberId id, vb::CallKind kind, vb::Args args) override;
    const Procedure& procedure() const { return *procedure_; }

private:
    Engine* engine_;
    vb::Ref<Procedure> procedure_;
};

} // namespace vbscript
