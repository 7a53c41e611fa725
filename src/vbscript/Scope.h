// ModuleScope: the global names of a module (variables, constants, procedures and
// classes). Named modules see the global module's names after their own.
//
// Each name has one GlobalSlot whose address never changes, so compiled code holds
// the slot itself and never looks the name up again.
#pragma once

#include "Procedure.h"
#include "ScriptClass.h"

#include "automation/TextCompare.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vbscript {

class ClassInfo;

struct GlobalSlot {
    enum class Kind : std::uint8_t { Variable, Constant, Procedure, Class };
    std::string name;
    Kind kind = Kind::Variable;
    bool isPrivate = false;
    vb::Variant value;
    vb::Ref<Procedure> procedure;
    vb::Ref<ClassInfo> classInfo;
};

class ModuleScope {
public:
    ModuleScope(std::string name, ModuleScope* parent) : name_(std::move(name)), parent_(parent) { }
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
    ~ModuleScope();

    const std::string& name() const { return name_; }
    ModuleScope* parent() const { return parent_; }

    // This module's own slot for the name, or null.
    GlobalSlot* find(std::string_view name) const;
    // This module's, then the global module's.
    GlobalSlot* lookup(std::string_view name) const;
    // The slot for the name in this module, created (as a Variable) when missing.
    // `created` tells whether it is new.
    GlobalSlot& define(std::string_view name, bool* created = nullptr);
    // Takes a name out again (its slot stays allocated for code that still points at it).
    void forget(std::string_view name);

    bool optionExplicit = false;

    // Empties every variable (objects are released, their Class_Terminate runs).
    void releaseValues();

    // Every name of the module, in the order they were defined.
    const std::deque<GlobalSlot>& slots() const { return slots_; }

private:
    std::string name_;
    ModuleScope* parent_;
    std::deque<GlobalSlot> slots_;
    std::unordered_map<std::string, GlobalSlot*, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> index_;
};

} // namespace vbscript
