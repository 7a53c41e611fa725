#include "ProcedureRef.h"

#include "Engine.h"
#include "ScriptClass.h"

#include "automation/Error.h"

namespace vbscript {

vb::MemberId ProcedureRef::memberId(std::string_view name) const
{
    return name.empty() ? 0 : vb::kNoMember;
}

vb::Variant ProcedureRef::invoke(vb::MemberId id, vb::CallKind kind, vb::Args args)
{
    if (id != 0 || !(kind & (vb::Method | vb::Get)))
        vb::raiseError(vb::err::NoSuchMember);
    if (!procedure_->unit || !procedure_->unit->scope)
        vb::raiseError(vb::err::ObjectDoesntSupportAction);
    vb::Ref<ProcedureRef> keep(this);
    return engine_->call(*procedure_, nullptr, args);
}

} // namespace vbscript
