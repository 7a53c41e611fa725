// Values, variables and operators of the executable tree.
#include "ExprNodes.h"

#include "CompileError.h"
#include "Engine.h"
#include "ErrObject.h"
#include "Scope.h"
#include "ScriptClass.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/Error.h"

#include <typeinfo>

namespace vbscript {

bool Expr::test(Frame& f) const
{
    vb::Variant s;
    return ops::isTrue(read(f, s));
}

std::int32_t Expr::evalLong(Frame& f) const
{
    Temp s;
    return toLong(read(f, s.get()));
}

std::int32_t longOf(const vb::Variant& v)
{
    return vb::CLng(v);
}

void Expr::assign(Frame&, vb::Variant&&, bool) const
{
    vb::raiseError(rterr::IllegalAssignment);
}

void ConstantExpr::assign(Frame&, vb::Variant&&, bool) const
{
    vb::raiseError(rterr::IllegalAssignment);
}

vb::Variant& FieldExpr::variable(Frame& f) const
{
    return f.me->field(index_);
}

vb::Variant ErrorExpr::eval(Frame&) const
{
    vb::raiseError(number_);
}

vb::Variant ThenErrorExpr::eval(Frame& f) const
{
    inner_->eval(f);
    vb::raiseError(number_);
}

vb::Variant MeExpr::eval(Frame& f) const
{
    if (!f.me)
        vb::raiseError(vb::err::ObjectRequired);
    return vb::Variant(static_cast<vb::Object*>(f.me));
}

vb::Variant ErrExpr::eval(Frame& f) const
{
    return vb::Variant(f.engine.errObject());
}

// ---------------------------------------------------------------------------
// Globals

vb::Variant GlobalExpr::eval(Frame& f) const
{
    switch (slot_->kind) {
    case GlobalSlot::Kind::Variable:
    case GlobalSlot::Kind::Constant: return slot_->value;
    case GlobalSlot::Kind::Procedure: return callProcedure(f, *slot_->procedure, nullptr, ArgList());
    default: vb::raiseError(vb::err::TypeMismatch);
    }
}

const vb::Variant& GlobalExpr::read(Frame& f, vb::Variant& scratch) const
{
    if (slot_->kind == GlobalSlot::Kind::Variable || slot_->kind == GlobalSlot::Kind::Constant)
        return slot_->value;
    scratch = eval(f);
    return scratch;
}

vb::Variant* GlobalExpr::address(Frame&) const
{
    return slot_->kind == GlobalSlot::Kind::Variable ? &slot_->value : nullptr;
}

void GlobalExpr::assign(Frame&, vb::Variant&& value, bool) const
{
    if (slot_->kind != GlobalSlot::Kind::Variable)
        vb::raiseError(rterr::IllegalAssignment);
    slot_->value = std::move(value);
}

void GlobalExpr::run(Frame& f) const
{
    if (slot_->kind == GlobalSlot::Kind::Procedure)
        callProcedure(f, *slot_->procedure, nullptr, ArgList());
    else
        vb::raiseError(vb::err::TypeMismatch);
}

bool GlobalExpr::hasCalls() const
{
    return slot_->kind != GlobalSlot::Kind::Variable && slot_->kind != GlobalSlot::Kind::Constant;
}

// ---------------------------------------------------------------------------
// Names unknown when compiling

LateNameExpr::LateNameExpr(std::string name, ModuleScope* scope, int implicitSlot, bool isExplicit)
    : name_(std::move(name))
    , scope_(scope)
    , implicitSlot_(implicitSlot)
    , explicit_(isExplicit)
{
}

GlobalSlot* LateNameExpr::lookupGlobal(Frame& f) const
{
    if (generation_ != f.engine.generation()) {
        cached_ = scope_->lookup(name_);
        generation_ = f.engine.generation();
    }
    return cached_;
}

vb::Variant* LateNameExpr::variableFor(Frame& f, bool create) const
{
    if (GlobalSlot* g = global(f))
        return g->kind == GlobalSlot::Kind::Variable ? &g->value : nullptr;
    // A variable that Execute declared in this procedure ("Execute "Dim total"").
    if (f.dynamicLocals) {
        auto it = f.dynamicLocals->variables.find(name_);
        if (it != f.dynamicLocals->variables.end())
            return it->second.get();
        if (implicitSlot_ >= 0 && f.dynamicLocals->declared.contains(name_))
            return &f.locals[implicitSlot_];
    }
    if (explicit_)
        vb::raiseError(vb::err::VariableUndefined);
    if (implicitSlot_ >= 0)
        return &f.locals[implicitSlot_];
    if (!create)
        return nullptr;
    GlobalSlot& s = scope_->define(name_);
    f.engine.bumpGeneration();
    cached_ = &s;
    return &s.value;
}

vb::Variant LateNameExpr::eval(Frame& f) const
{
    if (GlobalSlot* g = global(f)) {
        switch (g->kind) {
        case GlobalSlot::Kind::Variable:
        case GlobalSlot::Kind::Constant: return g->value;
        case GlobalSlot::Kind::Procedure: return callProcedure(f, *g->procedure, nullptr, ArgList());
        default: vb::raiseError(vb::err::TypeMismatch);
        }
    }
    vb::Variant* v = variableFor(f, false);
    return v ? *v : vb::Variant();
}

const vb::Variant& LateNameExpr::read(Frame& f, vb::Variant& scratch) const
{
    GlobalSlot* g = global(f);
    if (g && (g->kind == GlobalSlot::Kind::Variable || g->kind == GlobalSlot::Kind::Constant))
        return g->value;
    if (!g) {
        if (vb::Variant* v = variableFor(f, false))
            return *v;
    }
    scratch = eval(f);
    return scratch;
}

vb::Variant* LateNameExpr::address(Frame& f) const
{
    GlobalSlot* g = global(f);
    if (g)
        return g->kind == GlobalSlot::Kind::Variable ? &g->value : nullptr;
    return variableFor(f, true);
}

void LateNameExpr::assign(Frame& f, vb::Variant&& value, bool) const
{
    GlobalSlot* g = global(f);
    if (g && g->kind != GlobalSlot::Kind::Variable)
        vb::raiseError(rterr::IllegalAssignment);
    vb::Variant* v = variableFor(f, true);
    *v = std::move(value);
}

bool LateNameExpr::runsCodeNow(Frame& f) const
{
    // An object's default member may be script code too.
    if (GlobalSlot* g = global(f))
        return (g->kind != GlobalSlot::Kind::Variable && g->kind != GlobalSlot::Kind::Constant) || g->value.isObject();
    // Not a module name: a variable of the procedure unless Execute declared names here.
    return implicitSlot_ < 0 || f.dynamicLocals || f.locals[implicitSlot_].isObject();
}

std::int32_t LateNameExpr::evalLong(Frame& f) const
{
    // A module variable or constant found before: its value converted directly.
    const GlobalSlot* g = global(f);
    if (g && (g->kind == GlobalSlot::Kind::Variable || g->kind == GlobalSlot::Kind::Constant))
        return toLong(g->value);
    return Expr::evalLong(f);
}

void LateNameExpr::run(Frame& f) const
{
    call(f, ArgList(), true);
}

namespace {

// Where subscript `i` of a one-dimension array lies in its elements (error 9 outside).
std::size_t vectorOffset(const vb::Array& array, std::int32_t i)
{
    const vb::Bound& b = array.bounds().front();
    const std::int64_t k = static_cast<std::int64_t>(i) - b.lower;
    if (k < 0 || k >= b.count)
        vb::raiseError(vb::err::SubscriptOutOfRange);
    return static_cast<std::size_t>(k);
}

// The subscripts of an element; up to four without a heap allocation.
class Subscripts {
public:
    Subscripts(Frame& f, const ArgList& args) : count_(args.size())
    {
        std::int32_t* out = inline_;
        if (count_ > kInline) {
            heap_.resize(count_);
            out = heap_.data();
        }
        for (std::size_t i = 0; i < count_; ++i) {
            if (!args[i])
                vb::raiseError(vb::err::SubscriptOutOfRange);
            out[i] = args[i]->evalLong(f); // rounded as CLng rounds
        }
    }
    operator std::span<const std::int32_t>() const
    {
        return {count_ > kInline ? heap_.data() : inline_, count_};
    }

private:
    static constexpr std::size_t kInline = 4;
    std::size_t count_;
    std::int32_t inline_[kInline];
    std::vector<std::int32_t> heap_;
};



vb::Variant callDefault(vb::Object& obj, vb::CallKind kind, vb::Args args)
{
    const vb::MemberId id = obj.memberId("");
    if (id == vb::kNoMember)
        vb::raiseError(vb::err::NoSuchMember);
    return obj.invoke(id, kind, args);
}

// "n()" or a statement "n" on a variable: only an array or an object can be called.
void requireCallable(const vb::Variant& value)
{
    if (!value.isArray() && !value.isObject())
        vb::raiseError(vb::err::TypeMismatch);
}

// value(args): an element of an array or the default member of an object.

vb::Variant indexValue(Frame& f, const vb::Variant& value, const ArgList& args, bool asStatement = false)
{
    if (args.size() == 0 && !value.isArray() && !(asStatement && value.isObject()))
        return value;
    if (value.isArray()) {
        const Subscripts subs(f, args);
        return copyOf(value.arrayValue().at(subs));
    }
    if (value.isObject()) {
        if (!value.objectValue())
            vb::raiseError(vb::err::ObjectVariableNotSet);
        vb::Ref<vb::Object> keep = value.objectRef();
        CallArgs a(f, args);
        return callDefault(*keep, vb::Method | vb::Get, a.view());
    }
    if (args.size() == 0)
        return value;
    vb::raiseError(vb::err::TypeMismatch);
}

// variable(args) = value
void assignIndexedVariable(Frame& f, vb::Variant* variable, const ArgList& args, vb::Variant&& value, bool isSet)
{
    if (variable && variable->isArray()) {
        const Subscripts subs(f, args);
        // A subscript may have run code that gave the variable another value.
        if (!variable->isArray())
            vb::raiseError(vb::err::TypeMismatch);
        moveInto(f.engine.writableArray(*variable).at(subs), std::move(value));
        return;
    }
    // Nothing has no default member to assign through: a type mismatch.
    if (variable && variable->isObject() && variable->objectValue()) {
        vb::Ref<vb::Object> keep = variable->objectRef();
        CallArgs a(f, args);
        a.append(std::move(value));
        callDefault(*keep, isSet ? vb::Set : vb::Let, a.view());
        return;
    }
    vb::raiseError(vb::err::TypeMismatch);
}

} // namespace

vb::Variant LateNameExpr::call(Frame& f, const ArgList& args, bool asStatement) const
{
    if (GlobalSlot* g = global(f)) {
        switch (g->kind) {
        case GlobalSlot::Kind::Procedure: return callProcedure(f, *g->procedure, nullptr, args);
        case GlobalSlot::Kind::Variable:
        case GlobalSlot::Kind::Constant:
            if (args.size() == 0)
                requireCallable(g->value);
            return indexValue(f, g->value, args, asStatement || args.size() == 0);
        default: vb::raiseError(vb::err::TypeMismatch);
        }
    }
    // A variable of this procedure, also one that Execute declared (Variable is
    // undefined under Option Explicit when there is none).
    const vb::Variant* v = variableFor(f, false);
    if (v && (v->isArray() || v->isObject()))
        return indexValue(f, *v, args, asStatement);
    vb::raiseError(vb::err::TypeMismatch);
}

void LateNameExpr::assignIndexed(Frame& f, const ArgList& args, vb::Variant&& value, bool isSet) const
{
    GlobalSlot* g = global(f);
    if (g && g->kind != GlobalSlot::Kind::Variable)
        vb::raiseError(rterr::IllegalAssignment);
    assignIndexedVariable(f, variableFor(f, false), args, std::move(value), isSet);
}

// ---------------------------------------------------------------------------
// Arguments

ArgList::ArgList(std::vector<ExprPtr> items) : items_(std::move(items))
{
    variables_.resize(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        variables_[i] = items_[i] && items_[i]->mayHaveAddress();
        if (items_[i] && items_[i]->hasCalls())
            lastCall_ = static_cast<int>(i);
    }
}

bool ArgList::runsCodeFromEach(Frame& f, std::size_t first) const
{
    for (std::size_t j = first; static_cast<int>(j) <= lastCall_; ++j)
        if (items_[j] && items_[j]->runsCodeNow(f))
            return true;
    return false;
}

CallArgs::CallArgs(Frame& f, const ArgList& list, Mode mode)
    : frame_(f)
    , lockMark_(f.engine.lockMark())
{
    const std::size_t n = list.size();
    if (n <= kInline) {
        ptrs_ = inlinePtrs_;
        temps_ = reinterpret_cast<vb::Variant*>(inlineTemps_);
        for (std::size_t i = 0; i < n; ++i)
            new (&temps_[i]) vb::Variant();
        inlineUsed_ = n;
    } else {
        heapPtrs_ = std::make_unique<vb::Variant*[]>(n + 1);
        heapTemps_ = std::make_unique<vb::Variant[]>(n + 1);
        ptrs_ = heapPtrs_.get();
        temps_ = heapTemps_.get();
    }
    // The destructor does not run when the constructor fails: what the arguments
    // made so far (temporaries, array locks) is released here then.
    try {
        for (std::size_t i = 0; i < n; ++i) {
            const Expr* e = list[i];
            if (!e) {
                temps_[i] = vb::Variant::missing();
                ptrs_[i] = &temps_[i];
            } else if (mode == Mode::ByReference) {
                vb::Variant* a = list.mayBeVariable(i) ? e->address(f) : nullptr;
                if (a) {
                    ptrs_[i] = a;
                } else {
                    temps_[i] = e->eval(f);
                    ptrs_[i] = &temps_[i];
                }
            } else if (list.callsAfter(i)) {
                // A later argument may run code that changes this one's variable, so the
                // value is copied; a long text is not when no later argument runs code at
                // this moment (names that turned out to be variables).
                const vb::Variant& v = e->read(f, temps_[i]);
                if (&v == &temps_[i] || (v.isString() && v.stringValue().size() >= kLongText && !list.runsCodeFrom(f, i + 1))) {
                    ptrs_[i] = const_cast<vb::Variant*>(&v);
                } else {
                    temps_[i] = v;
                    ptrs_[i] = &temps_[i];
                }
            } else {
                ptrs_[i] = const_cast<vb::Variant*>(&e->read(f, temps_[i]));
            }
            ++count_;
        }
    } catch (...) {
        release();
        throw;
    }
}

CallArgs::~CallArgs()
{
    release();
}

void CallArgs::release()
{
    if (frame_.engine.lockMark() != lockMark_)
        frame_.engine.unlockArrays(lockMark_);
    for (std::size_t i = 0; i < inlineUsed_; ++i) {
        if (!isPlain(temps_[i].type()))
            temps_[i].~Variant();
    }
    inlineUsed_ = 0;
}

void CallArgs::append(vb::Variant&& value)
{
    if (!heapTemps_ && inlineUsed_ == count_) {
        new (&temps_[count_]) vb::Variant();
        ++inlineUsed_;
    }
    temps_[count_] = std::move(value);
    ptrs_[count_] = &temps_[count_];
    ++count_;
}

// ---------------------------------------------------------------------------
// Calls

namespace {
// No array-lock mark taken yet.
constexpr std::size_t kNoMark = ~std::size_t(0);
} // namespace

namespace {

// A call with the argument expressions, and with `last` after them when WithLast.
template <bool WithLast>
[[gnu::always_inline]] inline vb::Variant callWith(Frame& f, const Procedure& p, ScriptObject* me, const ArgList& args, vb::Variant* last)
{
    if (static_cast<int>(args.size()) + (WithLast ? 1 : 0) != p.paramCount)
        vb::raiseError(vb::err::WrongArgumentCount);
    const int given = WithLast ? p.paramCount - 1 : p.paramCount;
    Engine& engine = f.engine;
    // Every value of the frame starts Empty: an error while evaluating an argument
    // leaves a frame that its memory's destructor can release as it is.
    FrameMemory mem(engine.stack(), p.localCount, p.paramCount);
    // Only an argument passed by reference can lock an array: the mark is taken then.
    struct LazyLockRelease {
        Engine& engine;
        std::size_t mark = kNoMark;
        ~LazyLockRelease()
        {
            if (mark != kNoMark && engine.lockMark() != mark)
                engine.unlockArrays(mark);
        }
    } locks{engine};
    for (int i = 0; i < given; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const Expr* a = args[k];
        vb::Variant* addr = nullptr;
        if (!a) {
            // An omitted argument arrives as the "missing" marker.
            new (&mem.values[i]) vb::Variant(vb::Variant::missing());
        } else if (args.mayBeVariable(k) && !p.byVal[k]) {
            if (locks.mark == kNoMark)
                locks.mark = engine.lockMark();
            addr = a->address(f);
            if (!addr)
                new (&mem.values[i]) vb::Variant(a->eval(f));
        } else {
            new (&mem.values[i]) vb::Variant(a->eval(f));
        }
        mem.pointers[i] = addr ? addr : &mem.values[i];
    }
    if constexpr (WithLast)
        mem.pointers[given] = last;
    return engine.invoke(p, me, mem.pointers, mem.values);
}

} // namespace

vb::Variant callProcedure(Frame& f, const Procedure& p, ScriptObject* me, const ArgList& args)
{
    return callWith<false>(f, p, me, args, nullptr);
}

vb::Variant callProcedure(Frame& f, const Procedure& p, ScriptObject* me, const ArgList& args, vb::Variant& last)
{
    return callWith<true>(f, p, me, args, &last);
}

vb::Variant ProcCallExpr::eval(Frame& f) const
{
    if (slot_->kind == GlobalSlot::Kind::Procedure)
        return callProcedure(f, *slot_->procedure, nullptr, args_);
    if (slot_->kind == GlobalSlot::Kind::Class)
        vb::raiseError(vb::err::TypeMismatch);
    return indexValue(f, slot_->value, args_);
}

vb::Variant MethodCallExpr::eval(Frame& f) const
{
    ScriptObject* me = f.me;
    const ClassInfo::Member& m = me->classInfo().members[static_cast<std::size_t>(member_)];
    if (m.method)
        return callProcedure(f, *m.method, me, args_);
    if (m.get)
        return callProcedure(f, *m.get, me, args_);
    if (m.field >= 0)
        return indexValue(f, me->field(m.field), args_);
    vb::raiseError(vb::err::NoSuchMember);
}

void MethodCallExpr::assign(Frame& f, vb::Variant&& value, bool isSet) const
{
    ScriptObject* me = f.me;
    const ClassInfo::Member& m = me->classInfo().members[static_cast<std::size_t>(member_)];
    if (m.field >= 0) {
        if (args_.size() == 0)
            me->field(m.field) = std::move(value);
        else
            assignIndexedVariable(f, &me->field(m.field), args_, std::move(value), isSet);
        return;
    }
    const Procedure* p = isSet ? (m.set ? m.set.get() : nullptr) : (m.let ? m.let.get() : nullptr);
    if (!p)
        vb::raiseError(m.method ? rterr::IllegalAssignment : vb::err::NoSuchMember);
    CallArgs a(f, args_);
    a.append(std::move(value));
    f.engine.call(*p, me, a.view());
}

vb::Variant BuiltinCallExpr::eval(Frame& f) const
{
    const auto n = static_cast<int>(args_.size());
    if (n < fn_->minArgs || (fn_->maxArgs >= 0 && n > fn_->maxArgs))
        vb::raiseError(vb::err::WrongArgumentCount);
    CallArgs a(f, args_, CallArgs::Mode::ByValue);
    return fn_->fn(f.engine, a.view());
}

vb::Variant IndexExpr::eval(Frame& f) const
{
    // The base is copied only when a subscript may run code that changes it (at
    // script level an undeclared name might be a procedure, but is a variable by now).
    Temp h;
    const vb::Variant& base = args_.hasCalls() && args_.runsCodeFrom(f, 0) ? h.emplace([&] { return base_->eval(f); }) : base_->read(f, h.get());
    if (const vb::Variant* element = vectorElement(f, base))
        return copyOf(*element);
    return indexBase(f, base);
}

const vb::Variant& IndexExpr::read(Frame& f, vb::Variant& scratch) const
{
    if (args_.hasCalls() && args_.runsCodeFrom(f, 0))
        return Expr::read(f, scratch);
    Temp h;
    const vb::Variant& base = base_->read(f, h.get());
    const vb::Variant* element = vectorElement(f, base);
    // The element is copied: a reference into the array could outlive the array when
    // the reader runs script code later (a default member, a library function).
    if (isPlain(scratch.type()))
        return element ? *new (&scratch) vb::Variant(*element) : *new (&scratch) vb::Variant(indexBase(f, base));
    scratch = element ? copyOf(*element) : indexBase(f, base);
    return scratch;
}

// "a(i)" on a one-dimension array, the usual case, without the subscript list: the
// element, or null when the general rules decide. The array stays as it is while the
// subscript runs: either no code runs or the caller holds its own copy of `base`.
const vb::Variant* IndexExpr::vectorElement(Frame& f, const vb::Variant& base) const
{
    if (!single_ || !base.isArray() || base.arrayValue().dimensions() != 1)
        return nullptr;
    const vb::Array& array = base.arrayValue();
    const std::int32_t i = single_->evalLong(f);
    return &array.elements()[vectorOffset(array, i)];
}

// base(args) by the general rules: an element of an array, the default member of an
// object ("o()" is its value).
vb::Variant IndexExpr::indexBase(Frame& f, const vb::Variant& base) const
{
    if (args_.size() == 0)
        requireCallable(base);
    return indexValue(f, base, args_, asStatement_ || args_.size() == 0);
}

vb::Variant* IndexExpr::address(Frame& f) const
{
    return arrayElementAddress(f, *base_, args_);
}

vb::Variant* arrayElementAddress(Frame& f, const Expr& base, const ArgList& args)
{
    vb::Variant* b = base.address(f);
    if (!b || !b->isArray())
        return nullptr;
    const Subscripts subs(f, args);
    b = base.address(f);
    if (!b || !b->isArray())
        return nullptr;
    vb::Array& array = f.engine.writableArray(*b);
    vb::Variant* element = &array.at(subs);
    f.engine.lockArray(array);
    return element;
}

void IndexExpr::assign(Frame& f, vb::Variant&& value, bool isSet) const
{
    vb::Variant* b = base_->address(f);
    if (b && single_ && b->isArray()) {
        // "a(i) = v" on one subscript; the array is looked at after the subscript ran.
        const std::int32_t i = single_->evalLong(f);
        if (!b->isArray())
            vb::raiseError(vb::err::TypeMismatch);
        vb::Array& array = f.engine.writableArray(*b);
        if (array.dimensions() == 1) {
            moveInto(array.elements()[vectorOffset(array, i)], std::move(value));
        } else {
            const std::int32_t subs[] = {i};
            moveInto(array.at(subs), std::move(value));
        }
        return;
    }
    if (b) {
        assignIndexedVariable(f, b, args_, std::move(value), isSet);
        return;
    }
    vb::Variant v = base_->eval(f);
    if (!v.isObject())
        vb::raiseError(vb::err::TypeMismatch);
    assignIndexedVariable(f, &v, args_, std::move(value), isSet);
}

// ---------------------------------------------------------------------------
// Members

// `assigning`: a member of Nothing that is assigned is "Object required" (424);
// one that is read, "Object variable not set" (91).
vb::Ref<vb::Object> MemberExpr::target(Frame& f, bool assigning) const
{
    vb::Variant h;
    const vb::Variant& v = object_->read(f, h);
    if (!v.isObject())
        vb::raiseError(vb::err::ObjectRequired);
    if (!v.objectValue())
        vb::raiseError(assigning ? vb::err::ObjectRequired : vb::err::ObjectVariableNotSet);
    return v.objectRef();
}

int MemberExpr::scriptMember(Frame& f, vb::Object& obj) const
{
    auto& so = static_cast<ScriptObject&>(obj);
    const ClassInfo& cls = so.classInfo();
    if (cachedClass_ != &cls) {
        cachedMember_ = cls.findMember(name_);
        cachedClass_ = &cls;
    }
    if (cachedMember_ < 0)
        vb::raiseError(vb::err::NoSuchMember);
    const ClassInfo::Member& m = cls.members[static_cast<std::size_t>(cachedMember_)];
    if (!m.isPublic && !(f.me && &f.me->classInfo() == &cls))
        vb::raiseError(vb::err::NoSuchMember);
    return cachedMember_;
}

vb::Variant invokeWithIndexFallback(Frame& f, vb::Object& obj, vb::MemberId id, const ArgList& args)
{
    vb::Ref<vb::Object> keep(&obj);
    if (args.size() == 0)
        return obj.invoke(id, vb::Method | vb::Get, vb::Args());
    {
        CallArgs a(f, args);
        try {
            return obj.invoke(id, vb::Method | vb::Get, a.view());
        } catch (const vb::Error& e) {
            if (e.number() != vb::err::WrongArgumentCount)
                throw;
        }
    }
    // A property without arguments followed by an index: Arguments(1) is
    // Arguments.Item(1), an array property is indexed.
    const vb::Variant value = obj.invoke(id, vb::Method | vb::Get, vb::Args());
    if (!value.isArray() && !value.isObject())
        vb::raiseError(vb::err::WrongArgumentCount);
    return indexValue(f, value, args);
}

namespace {
bool isScriptObjectOf(const vb::Object& obj, const Engine& engine)
{
    return typeid(obj) == typeid(ScriptObject) && static_cast<const ScriptObject&>(obj).classInfo().engine == &engine;
}
} // namespace

vb::Variant MemberExpr::eval(Frame& f) const
{
    vb::Ref<vb::Object> obj = target(f, statement_);
    if (isScriptObjectOf(*obj, f.engine)) {
        auto* so = static_cast<ScriptObject*>(obj.get());
        const int index = scriptMember(f, *so);
        const ClassInfo::Member& m = so->classInfo().members[static_cast<std::size_t>(index)];
        const Procedure* p = m.method ? m.method.get() : m.get.get();
        if (p) {
            // obj.Items(i) where Items takes no arguments: index what it returns.
            if (p->paramCount == 0 && args_.size() > 0)
                return indexValue(f, callProcedure(f, *p, so, ArgList()), args_);
            return callProcedure(f, *p, so, args_);
        }
        if (m.field >= 0) {
            // The field itself (an array too) when read without an argument list.
            const vb::Variant& v = so->field(m.field);
            if (!parens_)
                return copyOf(v);
            // "o.arr()": an array takes no empty argument list.
            if (v.isArray() && args_.size() == 0)
                vb::raiseError(vb::err::InvalidProcedureCall);
            if (v.isArray() || v.isObject())
                return indexValue(f, v, args_);
            // A plain value takes no arguments: "r.Name()" is 5, "r.Name(0)" 438.
            vb::raiseError(args_.size() == 0 ? vb::err::InvalidProcedureCall : vb::err::NoSuchMember);
        }
        vb::raiseError(vb::err::NoSuchMember);
    }
    return invokeWithIndexFallback(f, *obj, memberIdOf(*obj), args_);
}

vb::MemberId MemberExpr::memberIdOf(vb::Object& obj) const
{
    // Calls in a loop usually reach the same object: its member id is kept.
    if (cachedObject_ != &obj || cachedType_ != &typeid(obj)) {
        cachedId_ = obj.memberId(name_);
        cachedObject_ = &obj;
        cachedType_ = &typeid(obj);
    }
    if (cachedId_ == vb::kNoMember)
        vb::raiseError(vb::err::NoSuchMember);
    return cachedId_;
}

void MemberExpr::assign(Frame& f, vb::Variant&& value, bool isSet) const
{
    store(f, std::move(value), isSet, false);
}

void MemberExpr::assignLet(Frame& f, vb::Variant&& value) const
{
    if (!value.isObject())
        return store(f, letValue(std::move(value)), false, false);
    store(f, std::move(value), false, true);
}

// `letObject`: a Let of an object as evaluated; a script class's Property Let receives
// the object itself, anything else its default value.
void MemberExpr::store(Frame& f, vb::Variant&& value, bool isSet, bool letObject) const
{
    vb::Ref<vb::Object> obj = target(f, true);
    if (isScriptObjectOf(*obj, f.engine)) {
        auto* so = static_cast<ScriptObject*>(obj.get());
        const int index = scriptMember(f, *so);
        const ClassInfo::Member& m = so->classInfo().members[static_cast<std::size_t>(index)];
        if (letObject && !m.let)
            value = letValue(std::move(value));
        // A Property Let/Set that takes these arguments is called like a Property Get,
        // the value passed after them; anything else (fields, a wrong count) goes the
        // object's general way, which also reports the errors.
        const Procedure* p = isSet ? m.set.get() : m.let.get();
        if (p && m.field < 0 && static_cast<int>(args_.size()) + 1 == p->paramCount) {
            callProcedure(f, *p, so, args_, value);
            return;
        }
        CallArgs a(f, args_);
        a.append(std::move(value));
        so->invokeMember(index, isSet ? vb::Set : vb::Let, a.view());
        return;
    }
    const vb::MemberId id = memberIdOf(*obj);
    if (letObject)
        value = letValue(std::move(value));
    CallArgs a(f, args_);
    a.append(std::move(value));
    obj->invoke(id, isSet ? vb::Set : vb::Let, a.view());
}

vb::Variant NamedMemberExpr::eval(Frame& f) const
{
    return invokeWithIndexFallback(f, *object_, id_, args_);
}

void NamedMemberExpr::assign(Frame& f, vb::Variant&& value, bool isSet) const
{
    CallArgs a(f, args_);
    a.append(std::move(value));
    object_->invoke(id_, isSet ? vb::Set : vb::Let, a.view());
}

vb::Variant NewExpr::eval(Frame&) const
{
    // The built-in classes (RegExp) come first: a script class cannot replace them.
    if (vb::Ref<vb::Object> obj = createBuiltinClass(className_))
        return vb::Variant(obj);
    GlobalSlot* g = scope_->lookup(className_);
    if (g && g->kind == GlobalSlot::Kind::Class)
        return vb::Variant(vb::Ref<vb::Object>(ScriptObject::create(g->classInfo)));
    // A name nobody declared is undefined; a name that is no class, no class.
    vb::raiseError(g ? rterr::ClassNotDefined : vb::err::VariableUndefined);
}

vb::Variant IntrinsicExpr::eval(Frame& f) const
{
    if (args_.size() != 1 || !args_[0])
        vb::raiseError(vb::err::WrongArgumentCount);
    vb::Variant s;
    const vb::Variant value = vb::defaultValue(args_[0]->read(f, s));
    // Eval gives Null for Null and Empty for Empty; the others take only text.
    if (kind_ == Kind::Eval && (value.isNull() || value.isEmpty()))
        return value;
    if (kind_ != Kind::Eval && !value.isString())
        vb::raiseError(vb::err::TypeMismatch);
    const std::string text = vb::CStr(value);
    switch (kind_) {
    case Kind::Eval: return f.engine.evalIn(f, text);
    case Kind::Execute: f.engine.executeIn(f, text, false); return {};
    case Kind::ExecuteGlobal: f.engine.executeIn(f, text, true); return {};
    case Kind::GetRef: return vb::Variant(f.engine.getRef(f, text));
    }
    return {};
}

ChainExpr::ChainExpr(ExprPtr first, std::vector<Link> links) : first_(std::move(first)), links_(std::move(links))
{
    calls_ = first_->hasCalls();
    for (const Link& l : links_)
        calls_ = calls_ || l.operand->hasCalls();
}

vb::Variant ChainExpr::eval(Frame& f) const
{
    vb::Variant acc = first_->eval(f);
    for (const Link& l : links_) {
        Temp s;
        acc = l.fn(acc, l.operand->read(f, s.get()));
    }
    return acc;
}

} // namespace vbscript
