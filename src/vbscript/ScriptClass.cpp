#include "ScriptClass.h"

#include "Engine.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/Error.h"

namespace vbscript {

vb::Variant makeDeclaredArray(const ArrayInit& init)
{
    vb::Ref<vb::Array> a = vb::make<vb::Array>(init.bounds);
    a->setFixedSize(init.fixed);
    return vb::Variant(a);
}

int ClassInfo::findMember(std::string_view memberName) const
{
    auto it = index_.find(memberName);
    return it == index_.end() ? -1 : it->second;
}

int ClassInfo::addMember(Member m)
{
    const int index = static_cast<int>(members.size());
    index_.emplace(m.name, index);
    members.push_back(std::move(m));
    return index;
}

namespace {

// Instances whose variables wait to be released: releasing them one after the other
// instead of inside each other keeps long chains of objects from exhausting the stack.
thread_local int tReleasing = 0;
thread_local std::vector<vb::Ref<InstanceData>>* tPending = nullptr;

vb::Variant elementOrDefault(vb::Variant& value, vb::Args args)
{
    if (args.empty())
        return value;
    if (value.isArray()) {
        std::vector<std::int32_t> subs;
        for (std::size_t i = 0; i < args.size(); ++i)
            subs.push_back(vb::CLng(args[i]));
        return value.arrayValue().at(subs);
    }
    if (value.isObject()) {
        vb::Object& obj = vb::requireObject(value);
        const vb::MemberId id = obj.memberId("");
        if (id == vb::kNoMember)
            vb::raiseError(vb::err::NoSuchMember);
        return obj.invoke(id, vb::Method | vb::Get, args);
    }
    vb::raiseError(vb::err::TypeMismatch);
}

} // namespace

ScriptObject::ScriptObject(vb::Ref<ClassInfo> cls, vb::Ref<InstanceData> data, bool terminated)
    : class_(std::move(cls))
    , data_(std::move(data))
    , terminated_(terminated)
{
}

vb::Ref<ScriptObject> ScriptObject::create(const vb::Ref<ClassInfo>& cls)
{
    vb::Ref<InstanceData> data = vb::make<InstanceData>();
    data->fields.resize(static_cast<std::size_t>(cls->fieldCount));
    for (const ArrayInit& a : cls->fieldArrays)
        data->fields[static_cast<std::size_t>(a.slot)] = makeDeclaredArray(a);
    vb::Ref<ScriptObject> obj(new ScriptObject(cls, std::move(data), false));
    if (cls->initialize && cls->engine) {
        try {
            cls->engine->call(*cls->initialize, obj.get(), vb::Args());
        } catch (...) {
            obj->terminated_ = true;
            throw;
        }
    }
    return obj;
}

void ScriptObject::runTerminate()
{
    if (terminated_ || !class_->terminate || !class_->engine)
        return;
    terminated_ = true;
    // Class_Terminate runs on a stand-in that shares the variables, so that code
    // which keeps "Me" keeps a valid object.
    vb::Ref<ScriptObject> standIn(new ScriptObject(class_, data_, true));
    try {
        class_->engine->call(*class_->terminate, standIn.get(), vb::Args());
    } catch (...) {
        // An error in Class_Terminate has nowhere to go.
    }
}

ScriptObject::~ScriptObject()
{
    runTerminate();
    if (tReleasing > 0) {
        tPending->push_back(std::move(data_));
        return;
    }
    std::vector<vb::Ref<InstanceData>> pending;
    tPending = &pending;
    ++tReleasing;
    data_.reset();
    while (!pending.empty()) {
        vb::Ref<InstanceData> next = std::move(pending.back());
        pending.pop_back();
        next.reset();
    }
    --tReleasing;
    tPending = nullptr;
}

vb::MemberId ScriptObject::memberId(std::string_view name) const
{
    if (name.empty())
        return class_->defaultMember;
    const int index = class_->findMember(name);
    if (index < 0 || !class_->members[static_cast<std::size_t>(index)].isPublic)
        return vb::kNoMember;
    return index;
}

vb::Variant ScriptObject::invoke(vb::MemberId id, vb::CallKind kind, vb::Args args)
{
    if (id < 0 || id >= static_cast<vb::MemberId>(class_->members.size()))
        vb::raiseError(vb::err::NoSuchMember);
    return invokeMember(id, kind, args);
}

vb::Variant ScriptObject::invokeMember(int index, vb::CallKind kind, vb::Args args)
{
    Engine* engine = class_->engine;
    if (!engine)
        vb::raiseError(vb::err::ObjectDoesntSupportAction);
    vb::Ref<ScriptObject> keep(this);
    const ClassInfo::Member& m = class_->members[static_cast<std::size_t>(index)];
    if (!(kind & (vb::Method | vb::Get))) {
        if (m.field >= 0) {
            if (args.empty())
                vb::raiseError(vb::err::WrongArgumentCount);
            vb::Variant value = args.last();
            const bool isSet = kind & vb::Set;
            if (isSet && !value.isObject())
                vb::raiseError(vb::err::ObjectRequired);
            if (!isSet && value.isObject())
                value = vb::defaultValue(value);
            vb::Variant& target = field(m.field);
            if (args.size() == 1) {
                target = std::move(value);
                return {};
            }
            // "o.p(0) = 5" where p holds a plain value: p has no such indexed member.
            if (!target.isArray())
                vb::raiseError(target.isObject() ? vb::err::TypeMismatch : vb::err::NoSuchMember);
            std::vector<std::int32_t> subs;
            for (std::size_t i = 0; i + 1 < args.size(); ++i)
                subs.push_back(vb::CLng(args[i]));
            engine->writableArray(target).at(subs) = std::move(value);
            return {};
        }
        const Procedure* p = (kind & vb::Set) ? m.set.get() : m.let.get();
        if (!p)
            vb::raiseError(vb::err::NoSuchMember);
        return engine->call(*p, this, args);
    }
    if (m.method)
        return engine->call(*m.method, this, args);
    if (m.get)
        return engine->call(*m.get, this, args);
    if (m.field >= 0)
        return elementOrDefault(field(m.field), args);
    vb::raiseError(vb::err::NoSuchMember);
}

} // namespace vbscript
