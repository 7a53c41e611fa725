#include "Scope.h"

#include "ScriptClass.h"

namespace vbscript {

ModuleScope::~ModuleScope() = default;

GlobalSlot* ModuleScope::find(std::string_view name) const
{
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
}

GlobalSlot* ModuleScope::lookup(std::string_view name) const
{
    if (GlobalSlot* s = find(name))
        return s;
    return parent_ ? parent_->lookup(name) : nullptr;
}

GlobalSlot& ModuleScope::define(std::string_view name, bool* created)
{
    if (GlobalSlot* s = find(name)) {
        if (created)
            *created = false;
        return *s;
    }
    GlobalSlot& slot = slots_.emplace_back();
    slot.name = std::string(name);
    index_.emplace(slot.name, &slot);
    if (created)
        *created = true;
    return slot;
}

void ModuleScope::forget(std::string_view name)
{
    auto it = index_.find(name);
    if (it != index_.end())
        index_.erase(it);
}

void ModuleScope::releaseValues()
{
    // Each value is moved out before it is released, so a Class_Terminate that runs
    // meanwhile sees a consistent scope; it may even add names (hence the index).
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        vb::Variant old = std::move(slots_[i].value);
        slots_[i].value = vb::Variant();
    }
}

} // namespace vbscript
