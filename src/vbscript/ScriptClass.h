// Classes written in VBScript and their instances.
//
// An instance is a vb::Object, so host code and the run-time library call it late-
// bound like any other object: memberId/invoke reach its Public members, TypeName is
// the class name, and Class_Terminate runs when the last reference goes.
#pragma once

#include "Procedure.h"

#include "automation/Object.h"
#include "automation/TextCompare.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace vbscript {

class Engine;

class ClassInfo : public vb::RefCounted {
public:
    struct Member {
        std::string name;
        bool isPublic = true;
        int field = -1; // a variable of the instance
        vb::Ref<Procedure> method;
        vb::Ref<Procedure> get;
        vb::Ref<Procedure> let;
        vb::Ref<Procedure> set;
    };

    std::string name;
    std::vector<Member> members;
    int fieldCount = 0;
    std::vector<ArrayInit> fieldArrays;
    int defaultMember = -1;
    vb::Ref<Procedure> initialize;
    vb::Ref<Procedure> terminate;
    Engine* engine = nullptr; // null once the engine was reset: the code is gone

    int findMember(std::string_view memberName) const;
    int addMember(Member m);

private:
    std::unordered_map<std::string, int, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> index_;
};

// The variables of one instance.
struct InstanceData : vb::RefCounted {
    std::vector<vb::Variant> fields;
};

class ScriptObject final : public vb::Object {
public:
    // A new instance; runs Class_Initialize.
    static vb::Ref<ScriptObject> create(const vb::Ref<ClassInfo>& cls);
    ~ScriptObject() override;

    std::string_view typeName() const override { return class_->name; }
    vb::MemberId memberId(std::string_view name) const override;
    vb::Variant invoke(vb::MemberId id, vb::CallKind kind, vb::Args args) override;

    ClassInfo& classInfo() const { return *class_; }
    vb::Variant& field(int index) { return data_->fields[static_cast<std::size_t>(index)]; }
    // Calls a member by its index in the class, Private ones included.
    vb::Variant invokeMember(int index, vb::CallKind kind, vb::Args args);

private:
    ScriptObject(vb::Ref<ClassInfo> cls, vb::Ref<InstanceData> data, bool terminated);
    void runTerminate();

    vb::Ref<ClassInfo> class_;
    vb::Ref<InstanceData> data_;
    bool terminated_;
};

} // namespace vbscript
