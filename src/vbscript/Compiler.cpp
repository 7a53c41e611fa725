// Compiler: units, declarations (hoisted before any body) and name resolution.
#include "Compiler.h"

#include "CompileError.h"
#include "Engine.h"
#include "Scope.h"
#include "ScriptClass.h"
#include "StmtNodes.h"

#include "automation/Error.h"
#include "base/Assert.h"

#include <optional>

namespace vbscript {

using ast::BinaryOp;

namespace {

struct IntrinsicName {
    std::string_view name;
    IntrinsicExpr::Kind kind;
};
constexpr IntrinsicName kIntrinsics[] = {
    {"Eval", IntrinsicExpr::Kind::Eval},
    {"Execute", IntrinsicExpr::Kind::Execute},
    {"ExecuteGlobal", IntrinsicExpr::Kind::ExecuteGlobal},
    {"GetRef", IntrinsicExpr::Kind::GetRef},
};

// Walks the blocks nested in a statement (not into procedures or classes).
template <class Fn>
void forEachNestedBlock(const ast::Stmt& s, Fn&& fn)
{
    using K = ast::Stmt::Kind;
    switch (s.kind) {
    case K::If: {
        const auto& i = static_cast<const ast::IfStmt&>(s);
        for (const auto& b : i.branches)
            fn(b.body);
        fn(i.elseBody);
        break;
    }
    case K::Select: {
        const auto& sel = static_cast<const ast::SelectStmt&>(s);
        for (const auto& c : sel.cases)
            fn(c.body);
        fn(sel.elseBody);
        break;
    }
    case K::For: fn(static_cast<const ast::ForStmt&>(s).body); break;
    case K::ForEach: fn(static_cast<const ast::ForEachStmt&>(s).body); break;
    case K::Do: fn(static_cast<const ast::DoStmt&>(s).body); break;
    case K::With: fn(static_cast<const ast::WithStmt&>(s).body); break;
    default: break;
    }
}

} // namespace

Compiler::Compiler(Engine& engine, ModuleScope& scope, CodeUnit& unit, Frame* binding, bool asGlobal)
    : engine_(engine)
    , scope_(scope)
    , unit_(unit)
    , binding_(binding)
    , asGlobal_(asGlobal)
{
    if (binding_ && binding_->binding)
        binding_ = binding_->binding;
    if (binding_ && binding_->me)
        class_ = &binding_->me->classInfo();
}

void Compiler::fail(int number, int line, int col) const
{
    throw CompileError(number, line, col);
}

int Compiler::newLocal()
{
    return proc_->localCount++;
}

// ---------------------------------------------------------------------------
// Units

GlobalSlot& Compiler::defineGlobal(const std::string& name, bool* created)
{
    bool isNew = false;
    GlobalSlot& slot = scope_.define(name, &isNew);
    bool seen = false;
    for (const Change& c : changes_)
        seen = seen || c.slot == &slot;
    if (!seen)
        changes_.push_back(Change{&slot, isNew, isNew ? GlobalSlot{} : slot});
    if (isNew)
        engine_.bumpGeneration();
    if (created)
        *created = isNew;
    return slot;
}

void Compiler::rollBack()
{
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (it->created) {
            scope_.forget(it->slot->name);
        } else {
            it->slot->kind = it->before.kind;
            it->slot->isPrivate = it->before.isPrivate;
            it->slot->value = std::move(it->before.value);
            it->slot->procedure = std::move(it->before.procedure);
            it->slot->classInfo = std::move(it->before.classInfo);
        }
    }
    changes_.clear();
    scope_.optionExplicit = explicitBefore_;
    engine_.bumpGeneration();
}

vb::Ref<Procedure> Compiler::compileProgram(ast::Program& program)
{
    explicitBefore_ = scope_.optionExplicit;
    try {
        return compileProgramBody(program);
    } catch (...) {
        rollBack();
        throw;
    }
}

vb::Ref<Procedure> Compiler::compileProgramBody(ast::Program& program)
{
    vb::Ref<Procedure> top = vb::make<Procedure>();
    top->name = "<global>";
    top->topLevel = true;
    top->unit = vb::Ref<CodeUnit>(&unit_);
    proc_ = top.get();
    topLevel_ = true;

    declareGlobals(program.body, false);

    // Bodies of classes and procedures, now that every global name is known.
    for (PendingClass& pc : pendingClasses_) {
        for (auto& [decl, p] : pc.methods) {
            classConstants_ = pc.constants;
            compileProcedureBody(*decl, *p, pc.info.get());
        }
    }
    classConstants_.clear();
    for (auto& [decl, p] : pendingBodies_)
        compileProcedureBody(*decl, *p, nullptr);

    proc_ = top.get();
    topLevel_ = true;
    names_.clear();
    withSlots_.clear();
    if (binding_ && !asGlobal_ && binding_->me)
        class_ = &binding_->me->classInfo();
    else if (!binding_)
        class_ = nullptr;
    compileBlock(program.body, top->body);
    return top;
}

vb::Ref<Procedure> Compiler::compileEval(ast::Expr& expression)
{
    vb::Ref<Procedure> top = vb::make<Procedure>();
    top->name = "<eval>";
    top->topLevel = true;
    top->unit = vb::Ref<CodeUnit>(&unit_);
    proc_ = top.get();
    topLevel_ = true;
    top->resultSlot = newLocal();
    ExprPtr e = compileExpr(expression);
    top->body.statements.push_back(std::make_unique<ResultStmt>(expression.line, expression.column, top->resultSlot, std::move(e)));
    return top;
}

// ---------------------------------------------------------------------------
// Declarations

void Compiler::declareGlobals(const ast::Block& body, bool nested)
{
    using K = ast::Stmt::Kind;
    const bool toModule = !binding_ || asGlobal_;
    for (const ast::StmtPtr& sp : body) {
        const ast::Stmt& s = *sp;
        switch (s.kind) {
        case K::Procedure:
            declareGlobalProcedure(static_cast<const ast::ProcedureDecl&>(s));
            break;
        case K::Class: {
            auto& d = const_cast<ast::ClassDecl&>(static_cast<const ast::ClassDecl&>(s));
            if (!unitNames_.emplace(d.name, 1).second)
                fail(cerr::NameRedefined, d.line, d.column);
            declareClass(d);
            break;
        }
        case K::Dim: {
            const auto& d = static_cast<const ast::DimStmt&>(s);
            for (const ast::VarDecl& v : d.vars) {
                if (toModule)
                    declareGlobalVariable(v);
                else
                    declareFrameVariable(v);
            }
            break;
        }
        case K::Const: {
            const auto& c = static_cast<const ast::ConstStmt&>(s);
            for (const ast::ConstItem& item : c.items) {
                if (toModule) {
                    declareGlobalConstant(item);
                } else {
                    // Execute inside a procedure: a constant of the executed code.
                    LocalName n;
                    n.kind = LocalName::Kind::Constant;
                    n.constant = constantValue(item);
                    names_[item.name] = n;
                }
            }
            break;
        }
        case K::ReDim: {
            if (!toModule)
                break;
            const auto& r = static_cast<const ast::ReDimStmt&>(s);
            for (const ast::ReDimItem& item : r.items) {
                if (!scope_.lookup(item.name))
                    defineGlobal(item.name, nullptr);
            }
            break;
        }
        case K::OptionExplicit:
            if (!nested && toModule)
                scope_.optionExplicit = true;
            unit_.optionExplicit = true;
            break;
        default:
            forEachNestedBlock(s, [&](const ast::Block& b) { declareGlobals(b, true); });
            break;
        }
    }
}

void Compiler::declareGlobalProcedure(const ast::ProcedureDecl& d)
{
    // A second Sub or Function of the same name replaces the first.
    const auto [known, added] = unitNames_.emplace(d.name, kProcedureName);
    if (!added && known->second != kProcedureName)
        fail(cerr::NameRedefined, d.line, d.column);
    vb::Ref<Procedure> p = declareProcedure(d, nullptr);
    GlobalSlot& slot = defineGlobal(d.name, nullptr);
    slot.kind = GlobalSlot::Kind::Procedure;
    slot.procedure = p;
    slot.value = vb::Variant();
    slot.isPrivate = d.access == ast::Access::Private;
    pendingBodies_.emplace_back(&d, p);
}

void Compiler::declareGlobalConstant(const ast::ConstItem& item)
{
    if (!unitNames_.emplace(item.name, 1).second)
        fail(cerr::NameRedefined, item.line, item.column);
    // A constant cannot take the name of a variable or procedure that exists.
    if (const GlobalSlot* existing = scope_.lookup(item.name)) {
        if (existing->kind == GlobalSlot::Kind::Variable || existing->kind == GlobalSlot::Kind::Procedure)
            fail(cerr::NameRedefined, item.line, item.column);
    }
    GlobalSlot& slot = defineGlobal(item.name, nullptr);
    vb::Variant value = constantValue(item);
    slot.kind = GlobalSlot::Kind::Constant;
    slot.value = std::move(value);
}

void Compiler::declareFrameVariable(const ast::VarDecl& v)
{
    Frame& b = *binding_;
    vb::Variant* known = nullptr;
    for (const auto& [n, slot] : b.procedure->names) {
        TALLIS_ASSERT(slot < b.procedure->localCount && -(slot + 1) < b.procedure->paramCount);
        if (vb::equalsIgnoreCase(n, v.name))
            known = slot >= 0 ? &b.locals[slot] : b.args[-(slot + 1)];
    }
    if (!b.dynamicLocals)
        b.dynamicLocals = new DynamicLocals;
    vb::Variant* var = known;
    if (known) {
        b.dynamicLocals->declared.insert(v.name);
    } else {
        auto& made = b.dynamicLocals->variables[v.name];
        if (!made)
            made = std::make_unique<vb::Variant>();
        var = made.get();
    }
    // An array declared this way is an array of the procedure, also under a name its
    // own code already uses ("a(1) = 4" after it).
    if (v.isArray) {
        ArrayInit init;
        init.fixed = !v.upper.empty();
        for (std::int32_t u : v.upper)
            init.bounds.push_back(vb::Bound{0, u + 1});
        *var = makeDeclaredArray(init);
    }
}

vb::Variant Compiler::constantValue(const ast::ConstItem& item)
{
    if (!item.expression)
        return item.value;
    ExprPtr e = compileExpr(*item.expression);
    if (auto* c = dynamic_cast<ConstantExpr*>(e.get()))
        return c->value();
    fail(cerr::ExpectedLiteralConstant, item.expression->line, item.expression->column);
}

void Compiler::declareGlobalVariable(const ast::VarDecl& v)
{
    if (!unitNames_.emplace(v.name, 1).second)
        fail(cerr::NameRedefined, v.line, v.column);
    bool created = false;
    GlobalSlot& slot = defineGlobal(v.name, &created);
    if (slot.kind != GlobalSlot::Kind::Variable) {
        // A constant (or procedure) of that name gives way to an Empty variable.
        slot.kind = GlobalSlot::Kind::Variable;
        slot.procedure = nullptr;
        slot.classInfo = nullptr;
        slot.value = vb::Variant();
        created = true;
    }
    // The array itself is made when the Dim line runs (DeclareArraysStmt).
    if (v.isArray && executed_ && !created && slot.value.isArray())
        redeclaredArrays_.insert(&v);
    else if (v.isArray && created)
        slot.value = vb::Variant();
}

vb::Ref<Procedure> Compiler::declareProcedure(const ast::ProcedureDecl& d, ClassInfo* owner)
{
    vb::Ref<Procedure> p = vb::make<Procedure>();
    p->name = d.name;
    p->kind = d.procKind;
    p->isPublic = d.access != ast::Access::Private;
    p->line = d.line;
    p->owner = owner;
    p->unit = vb::Ref<CodeUnit>(&unit_);
    p->paramCount = static_cast<int>(d.params.size());
    for (const ast::Param& param : d.params) {
        p->byVal.push_back(param.byVal ? 1 : 0);
        p->anyByVal = p->anyByVal || param.byVal;
    }
    return p;
}

void Compiler::declareClass(ast::ClassDecl& d)
{
    vb::Ref<ClassInfo> cls = vb::make<ClassInfo>();
    cls->name = d.name;
    cls->engine = &engine_;
    engine_.adoptClass(cls);
    PendingClass pc{&d, cls, {}, {}};

    declareClassFields(*cls, d);
    for (const auto& c : d.consts) {
        for (const ast::ConstItem& item : c->items) {
            LocalName n;
            n.kind = LocalName::Kind::Constant;
            n.constant = constantValue(item);
            pc.constants[item.name] = n;
        }
    }
    for (const auto& decl : d.procedures)
        pc.methods.emplace_back(decl.get(), declareClassProcedure(*cls, *decl));
    checkPropertyArguments(*cls);
    GlobalSlot& slot = defineGlobal(d.name, nullptr);
    slot.kind = GlobalSlot::Kind::Class;
    slot.classInfo = cls;
    slot.procedure = nullptr;
    slot.value = vb::Variant();
    pendingClasses_.push_back(std::move(pc));
}

void Compiler::declareClassFields(ClassInfo& cls, const ast::ClassDecl& d)
{
    for (const auto& dim : d.fields) {
        for (const ast::VarDecl& v : dim->vars) {
            if (cls.findMember(v.name) >= 0)
                fail(cerr::NameRedefined, v.line, v.column);
            ClassInfo::Member m;
            m.name = v.name;
            m.isPublic = dim->access != ast::Access::Private;
            m.field = cls.fieldCount++;
            if (v.isArray) {
                ArrayInit init;
                init.slot = m.field;
                init.fixed = !v.upper.empty();
                for (std::int32_t u : v.upper)
                    init.bounds.push_back(vb::Bound{0, u + 1});
                cls.fieldArrays.push_back(std::move(init));
            }
            cls.addMember(std::move(m));
        }
    }
}

// A Sub, Function or Property of the class: its member (a property's Get, Let and Set
// share one), the default member, and Class_Initialize/Class_Terminate.
vb::Ref<Procedure> Compiler::declareClassProcedure(ClassInfo& cls, const ast::ProcedureDecl& decl)
{
    vb::Ref<Procedure> p = declareProcedure(decl, &cls);
    int index = cls.findMember(decl.name);
    if (index < 0) {
        ClassInfo::Member m;
        m.name = decl.name;
        m.isPublic = decl.access != ast::Access::Private;
        index = cls.addMember(std::move(m));
    }
    ClassInfo::Member& m = cls.members[static_cast<std::size_t>(index)];
    auto redefined = [&] { fail(cerr::NameRedefined, decl.line, decl.column); };
    if (m.field >= 0)
        redefined();
    switch (decl.procKind) {
    case ast::ProcKind::Sub:
    case ast::ProcKind::Function:
        if (m.method || m.get || m.let || m.set)
            redefined();
        m.method = p;
        break;
    case ast::ProcKind::PropertyGet:
        if (m.method || m.get)
            redefined();
        m.get = p;
        break;
    case ast::ProcKind::PropertyLet:
        if (m.method || m.let)
            redefined();
        m.let = p;
        break;
    case ast::ProcKind::PropertySet:
        if (m.method || m.set)
            redefined();
        m.set = p;
        break;
    }
    if (decl.access == ast::Access::Public)
        m.isPublic = true;
    if (decl.isDefault) {
        if (cls.defaultMember >= 0 && cls.defaultMember != index)
            fail(cerr::MultipleDefaults, decl.line, decl.column);
        cls.defaultMember = index;
    }
    const bool isInit = vb::equalsIgnoreCase(decl.name, "Class_Initialize");
    const bool isTerm = vb::equalsIgnoreCase(decl.name, "Class_Terminate");
    if (isInit || isTerm) {
        if (!decl.params.empty())
            fail(cerr::InitTerminateArgs, decl.line, decl.column);
        if (decl.procKind == ast::ProcKind::Sub)
            (isInit ? cls.initialize : cls.terminate) = p;
    }
    return p;
}

void Compiler::checkPropertyArguments(const ClassInfo& cls)
{
    // A property's Let/Set takes the Get's arguments plus the value.
    for (const ClassInfo::Member& m : cls.members) {
        if (!m.get)
            continue;
        for (const Procedure* setter : {m.let.get(), m.set.get()}) {
            if (setter && setter->paramCount != m.get->paramCount + 1)
                fail(cerr::InconsistentPropertyArgs, setter->line, 0);
        }
    }
}

void Compiler::declareLocals(const ast::Block& body)
{
    using K = ast::Stmt::Kind;
    for (const ast::StmtPtr& sp : body) {
        const ast::Stmt& s = *sp;
        switch (s.kind) {
        case K::Dim: {
            const auto& d = static_cast<const ast::DimStmt&>(s);
            for (const ast::VarDecl& v : d.vars) {
                auto it = names_.find(v.name);
                if (it != names_.end() && !it->second.isResult)
                    fail(cerr::NameRedefined, v.line, v.column);
                LocalName n;
                n.kind = LocalName::Kind::Local;
                n.index = newLocal();
                names_[v.name] = n;
                if (v.isArray) {
                    ArrayInit init;
                    init.slot = n.index;
                    init.fixed = !v.upper.empty();
                    for (std::int32_t u : v.upper)
                        init.bounds.push_back(vb::Bound{0, u + 1});
                    proc_->arrays.push_back(std::move(init));
                }
            }
            break;
        }
        case K::Const: {
            const auto& c = static_cast<const ast::ConstStmt&>(s);
            for (const ast::ConstItem& item : c.items) {
                if (names_.count(item.name))
                    fail(cerr::NameRedefined, item.line, item.column);
                LocalName n;
                n.kind = LocalName::Kind::Constant;
                n.constant = constantValue(item);
                names_[item.name] = n;
            }
            break;
        }
        case K::ReDim: {
            const auto& r = static_cast<const ast::ReDimStmt&>(s);
            for (const ast::ReDimItem& item : r.items) {
                if (names_.count(item.name) || (class_ && class_->findMember(item.name) >= 0) || scope_.lookup(item.name))
                    continue;
                LocalName n;
                n.kind = LocalName::Kind::Local;
                n.index = newLocal();
                names_[item.name] = n;
            }
            break;
        }
        default:
            forEachNestedBlock(s, [&](const ast::Block& b) { declareLocals(b); });
            break;
        }
    }
}

void Compiler::compileProcedureBody(const ast::ProcedureDecl& d, Procedure& p, ClassInfo* cls)
{
    proc_ = &p;
    topLevel_ = false;
    class_ = cls;
    names_.clear();
    withSlots_.clear();
    p.localCount = p.paramCount;
    for (std::size_t i = 0; i < d.params.size(); ++i) {
        const ast::Param& param = d.params[i];
        if (names_.count(param.name))
            fail(cerr::NameRedefined, param.line, param.column);
        LocalName n;
        n.kind = LocalName::Kind::Arg;
        n.index = static_cast<int>(i);
        names_[param.name] = n;
    }
    if (d.procKind == ast::ProcKind::Function || d.procKind == ast::ProcKind::PropertyGet) {
        p.resultSlot = newLocal();
        LocalName n;
        n.kind = LocalName::Kind::Local;
        n.index = p.resultSlot;
        n.isResult = true;
        names_[d.name] = n;
    }
    for (const auto& [name, n] : classConstants_)
        names_.emplace(name, n);
    declareLocals(d.body);
    compileBlock(d.body, p.body);
    for (const auto& [name, n] : names_) {
        if (n.kind == LocalName::Kind::Arg)
            p.names.emplace_back(name, -(n.index + 1));
        else if (n.kind == LocalName::Kind::Local || n.kind == LocalName::Kind::Implicit)
            p.names.emplace_back(name, n.index);
    }
}

// ---------------------------------------------------------------------------
// Names

// Innermost first: the procedure's own names, the frame code run by Execute inside a
// procedure sees, the class's members, the program's names, then the library's. A name
// nobody declared is bound late.
Compiler::Resolved Compiler::resolve(const std::string& name, bool skipResult)
{
    Resolved r;
    if (resolveLocal(name, skipResult, r) || resolveInFrame(name, skipResult, r) || resolveClassMember(name, r)
        || resolveProgramName(name, r) || resolveLibraryName(name, r))
        return r;
    return resolveUndeclared(name);
}

bool Compiler::resolveLocal(const std::string& name, bool skipResult, Resolved& r)
{
    using K = Resolved::Kind;
    auto it = names_.find(name);
    if (it == names_.end() || (skipResult && it->second.isResult))
        return false;
    const LocalName& n = it->second;
    switch (n.kind) {
    case LocalName::Kind::Local:
        TALLIS_ASSERT(n.index >= 0 && n.index < proc_->localCount);
        r.kind = K::Local;
        r.index = n.index;
        return true;
    case LocalName::Kind::Arg:
        TALLIS_ASSERT(n.index >= 0 && n.index < proc_->paramCount);
        r.kind = K::Arg;
        r.index = n.index;
        return true;
    case LocalName::Kind::Constant: r.kind = K::Constant; r.constant = n.constant; return true;
    case LocalName::Kind::Implicit: r.kind = K::Late; r.implicitSlot = n.index; return true;
    }
    return false;
}

bool Compiler::resolveInFrame(const std::string& name, bool skipResult, Resolved& r)
{
    using K = Resolved::Kind;
    if (!binding_ || asGlobal_ || !topLevel_)
        return false;
    for (const auto& [n, slot] : binding_->procedure->names) {
        if (!vb::equalsIgnoreCase(n, name))
            continue;
        if (skipResult && slot == binding_->procedure->resultSlot)
            break;
        TALLIS_ASSERT(slot < binding_->procedure->localCount && -(slot + 1) < binding_->procedure->paramCount);
        r.kind = K::Direct;
        r.direct = slot >= 0 ? &binding_->locals[slot] : binding_->args[-(slot + 1)];
        return true;
    }
    if (binding_->dynamicLocals) {
        auto d = binding_->dynamicLocals->variables.find(name);
        if (d != binding_->dynamicLocals->variables.end()) {
            r.kind = K::Direct;
            r.direct = d->second.get();
            return true;
        }
    }
    return false;
}

bool Compiler::resolveClassMember(const std::string& name, Resolved& r)
{
    using K = Resolved::Kind;
    if (!class_)
        return false;
    const int m = class_->findMember(name);
    if (m < 0)
        return false;
    const ClassInfo::Member& member = class_->members[static_cast<std::size_t>(m)];
    r.kind = member.field >= 0 ? K::Field : K::ClassMember;
    r.index = member.field >= 0 ? member.field : m;
    return true;
}

// Err, the names the program declared, and the objects the host named.
bool Compiler::resolveProgramName(const std::string& name, Resolved& r)
{
    using K = Resolved::Kind;
    if (vb::equalsIgnoreCase(name, "Err")) {
        r.kind = K::Err;
        return true;
    }
    if (GlobalSlot* g = scope_.lookup(name)) {
        if (g->kind == GlobalSlot::Kind::Constant) {
            r.kind = K::Constant;
            r.constant = g->value;
            return true;
        }
        r.kind = K::Global;
        r.global = g;
        return true;
    }
    if (const NamedObject* named = engine_.findNamedObject(name)) {
        r.kind = K::NamedObject;
        r.object = named->object;
        return true;
    }
    return false;
}

// The language's intrinsics, the library's functions and constants, and the members of
// named objects the host made global.
bool Compiler::resolveLibraryName(const std::string& name, Resolved& r)
{
    using K = Resolved::Kind;
    for (const IntrinsicName& in : kIntrinsics) {
        if (vb::equalsIgnoreCase(in.name, name)) {
            r.kind = K::Intrinsic;
            r.intrinsic = in.kind;
            return true;
        }
    }
    if (const BuiltinFunction* fn = findBuiltinFunction(name)) {
        r.kind = K::Builtin;
        r.builtin = fn;
        return true;
    }
    if (const BuiltinConstant* c = findBuiltinConstant(name)) {
        r.kind = K::Constant;
        r.constant = c->value;
        return true;
    }
    for (const NamedObject& named : engine_.namedObjects()) {
        if (!named.globalMembers)
            continue;
        const vb::MemberId id = named.object->memberId(name);
        if (id != vb::kNoMember) {
            r.kind = K::NamedMember;
            r.object = named.object;
            r.memberId = id;
            return true;
        }
    }
    return false;
}

Compiler::Resolved Compiler::resolveUndeclared(const std::string& name)
{
    using K = Resolved::Kind;
    Resolved r;
    r.kind = K::Late;
    const bool isExplicit = unit_.optionExplicit || scope_.optionExplicit;
    if (binding_ && !asGlobal_ && topLevel_ && !isExplicit) {
        // Execute code inside a procedure: a new variable of that procedure.
        if (!binding_->dynamicLocals)
            binding_->dynamicLocals = new DynamicLocals;
        auto& var = binding_->dynamicLocals->variables[name];
        if (!var)
            var = std::make_unique<vb::Variant>();
        r.kind = K::Direct;
        r.direct = var.get();
        return r;
    }
    if (!topLevel_) {
        // Inside a procedure: an implicit local of it.
        LocalName n;
        n.kind = LocalName::Kind::Implicit;
        n.index = newLocal();
        names_[name] = n;
        r.implicitSlot = n.index;
    }
    return r;
}

ExprPtr Compiler::lateName(const std::string& name, const Resolved& r)
{
    const bool isExplicit = unit_.optionExplicit || scope_.optionExplicit;
    return std::make_unique<LateNameExpr>(name, &scope_, r.implicitSlot, isExplicit);
}

// The node of a name that holds a value (null when the name is something else).
ExprPtr Compiler::variableNode(const Resolved& r, const std::string& name)
{
    using K = Resolved::Kind;
    switch (r.kind) {
    case K::Local: return std::make_unique<LocalExpr>(r.index);
    case K::Arg: return std::make_unique<ArgExpr>(r.index);
    case K::Field: return std::make_unique<FieldExpr>(r.index);
    case K::Direct: return std::make_unique<DirectExpr>(r.direct);
    case K::Late: return lateName(name, r);
    case K::Global:
        if (r.global->kind == GlobalSlot::Kind::Variable)
            return std::make_unique<GlobalExpr>(r.global);
        return nullptr;
    default: return nullptr;
    }
}

} // namespace vbscript
