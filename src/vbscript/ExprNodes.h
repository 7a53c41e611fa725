// Expression nodes of the executable tree: values, variables of every storage
// class, calls of every kind, and operators.
#pragma once

#include "vbscript/builtins/Builtins.h"
#include "Node.h"
#include "Operators.h"

#include "automation/Object.h"

#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

namespace vbscript {

struct GlobalSlot;
class ModuleScope;
class ClassInfo;

// ---------------------------------------------------------------------------
// Values and variables

class ConstantExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    explicit ConstantExpr(vb::Variant v) : value_(std::move(v)) { }
    vb::Variant eval(Frame&) const override { return copyOf(value_); }
    const vb::Variant& read(Frame&, vb::Variant&) const override { return value_; }
    bool test(Frame&) const override { return ops::isTrue(value_); }
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    const vb::Variant& value() const { return value_; }

private:
    vb::Variant value_;
};

// A variable whose storage is known: the base of local, argument, field and direct variables.
class VariableExpr : public Expr {
public:
    virtual vb::Variant& variable(Frame& f) const = 0;
    vb::Variant eval(Frame& f) const override { return copyOf(variable(f)); }
    const vb::Variant& read(Frame& f, vb::Variant&) const override { return variable(f); }
    vb::Variant* address(Frame& f) const override { return &variable(f); }
    bool test(Frame& f) const override { return ops::isTrue(variable(f)); }
    void assign(Frame& f, vb::Variant&& value, bool) const override { moveInto(variable(f), std::move(value)); }
};

// Locals and arguments answer directly, without a second virtual call.
#define VBSCRIPT_DIRECT_VARIABLE(EXPR)                                                              \
    vb::Variant eval(Frame& f) const override { return copyOf(EXPR); }                              \
    const vb::Variant& read(Frame& f, vb::Variant&) const override { return EXPR; }                 \
    vb::Variant* address(Frame& f) const override { return &EXPR; }                                 \
    bool test(Frame& f) const override { return ops::isTrue(EXPR); }                                \
    std::int32_t evalLong(Frame& f) const override { return toLong(EXPR); }                         \
    void assign(Frame& f, vb::Variant&& value, bool) const override { moveInto(EXPR, std::move(value)); }

class LocalExpr final : public VariableExpr {
public:
    explicit LocalExpr(int slot) : slot_(slot) { }
    vb::Variant& variable(Frame& f) const override { return f.locals[slot_]; }
    VBSCRIPT_DIRECT_VARIABLE(f.locals[slot_])
    int slot() const { return slot_; }

private:
    int slot_;
};

class ArgExpr final : public VariableExpr {
public:
    explicit ArgExpr(int index) : index_(index) { }
    vb::Variant& variable(Frame& f) const override { return *f.args[index_]; }
    VBSCRIPT_DIRECT_VARIABLE(*f.args[index_])
    int index() const { return index_; }

private:
    int index_;
};

#undef VBSCRIPT_DIRECT_VARIABLE

class FieldExpr final : public VariableExpr {
public:
    explicit FieldExpr(int index) : index_(index) { }
    vb::Variant& variable(Frame& f) const override;

private:
    int index_;
};

// A variable of a frame that Execute or Eval code sees.
class DirectExpr final : public VariableExpr {
public:
    explicit DirectExpr(vb::Variant* v) : v_(v) { }
    vb::Variant& variable(Frame&) const override { return *v_; }

private:
    vb::Variant* v_;
};

// A global name resolved when compiling: a variable, a constant, or a procedure
// called without arguments.
class GlobalExpr final : public Expr {
public:
    explicit GlobalExpr(GlobalSlot* slot) : slot_(slot) { }
    vb::Variant eval(Frame& f) const override;
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override;
    vb::Variant* address(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    void run(Frame& f) const override;
    bool hasCalls() const override;
    GlobalSlot* slot() const { return slot_; }

private:
    GlobalSlot* slot_;
};

class ArgList;

// A name that did not exist when the code was compiled: looked up when it runs
// (and again only when new global names have appeared since). Inside a procedure
// an unknown name is an implicit local variable.
class LateNameExpr final : public Expr {
public:
    LateNameExpr(std::string name, ModuleScope* scope, int implicitSlot, bool isExplicit);
    vb::Variant eval(Frame& f) const override;
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override;
    vb::Variant* address(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    void run(Frame& f) const override;
    bool hasCalls() const override { return true; }
    bool runsCodeNow(Frame& f) const override;
    std::int32_t evalLong(Frame& f) const override;
    // The module name this one was found to be (it stays that name), or null.
    GlobalSlot* foundGlobal() const { return cached_; }
    // A call of the name with arguments.
    vb::Variant call(Frame& f, const ArgList& args, bool asStatement) const;
    void assignIndexed(Frame& f, const ArgList& args, vb::Variant&& value, bool isSet) const;

private:
    // The module name it is, once found (a slot never goes); looked up again only when
    // new global names have appeared since the last look.
    GlobalSlot* global(Frame& f) const { return cached_ ? cached_ : lookupGlobal(f); }
    GlobalSlot* lookupGlobal(Frame& f) const;
    vb::Variant* variableFor(Frame& f, bool create) const;

    std::string name_;
    ModuleScope* scope_;
    int implicitSlot_;
    bool explicit_;
    mutable GlobalSlot* cached_ = nullptr;
    mutable std::uint64_t generation_ = 0;
};

class MeExpr final : public Expr {
public:
    vb::Variant eval(Frame& f) const override;
};

class ErrExpr final : public Expr {
public:
    vb::Variant eval(Frame& f) const override;
};

class NamedObjectExpr final : public Expr {
public:
    explicit NamedObjectExpr(vb::Ref<vb::Object> obj) : object_(std::move(obj)) { }
    vb::Variant eval(Frame&) const override { return vb::Variant(object_); }

private:
    vb::Ref<vb::Object> object_;
};

// "(x)": the value of a variable, never the variable itself.
class ValueOnlyExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    explicit ValueOnlyExpr(ExprPtr inner) : inner_(std::move(inner)) { }
    vb::Variant eval(Frame& f) const override { return inner_->eval(f); }
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override { return inner_->read(f, scratch); }
    bool test(Frame& f) const override { return inner_->test(f); }
    bool hasCalls() const override { return inner_->hasCalls(); }

private:
    ExprPtr inner_;
};

// Raises a fixed error when evaluated (for code that compiles but cannot run).
class ErrorExpr final : public Expr {
public:
    explicit ErrorExpr(std::int32_t number) : number_(number) { }
    vb::Variant eval(Frame&) const override;
    void assign(Frame& f, vb::Variant&&, bool) const override { eval(f); }

private:
    std::int32_t number_;
};

// Evaluates an expression for its errors, then raises a number of its own: a
// conversion used as a statement converts first and fails only when that succeeded.
class ThenErrorExpr final : public Expr {
public:
    ThenErrorExpr(ExprPtr inner, std::int32_t number) : inner_(std::move(inner)), number_(number) { }
    vb::Variant eval(Frame& f) const override;
    void assign(Frame& f, vb::Variant&&, bool) const override { eval(f); }

private:
    ExprPtr inner_;
    std::int32_t number_;
};

// ---------------------------------------------------------------------------
// Calls

// The arguments of a call; a null entry is an omitted argument.
class ArgList {
public:
    ArgList() = default;
    explicit ArgList(std::vector<ExprPtr> items);
    std::size_t size() const { return items_.size(); }
    const Expr* operator[](std::size_t i) const { return items_[i].get(); }
    bool hasCalls() const { return lastCall_ >= 0; }
    // False when argument i is an expression that is never a variable.
    bool mayBeVariable(std::size_t i) const { return variables_[i]; }
    // True when an argument after `i` may run code.
    bool callsAfter(std::size_t i) const { return lastCall_ > static_cast<int>(i); }
    // True when an argument from `first` on runs code at this moment (see Expr::runsCodeNow).
    bool runsCodeFrom(Frame& f, std::size_t first) const
    {
        // One argument (a subscript, mostly) is asked directly.
        if (lastCall_ == 0)
            return first == 0 && items_[0]->runsCodeNow(f);
        return runsCodeFromEach(f, first);
    }

private:
    bool runsCodeFromEach(Frame& f, std::size_t first) const;

    std::vector<ExprPtr> items_;
    std::vector<std::uint8_t> variables_;
    int lastCall_ = -1;
};

// The evaluated arguments of a call into an object or the library: variables by
// reference (array elements lock their array meanwhile), other values in temporaries.
class CallArgs {
public:
    enum class Mode { ByReference, ByValue };
    CallArgs(Frame& f, const ArgList& list, Mode mode = Mode::ByReference);
    ~CallArgs();
    CallArgs(const CallArgs&) = delete;
    CallArgs& operator=(const CallArgs&) = delete;
    vb::Args view() const { return vb::Args(ptrs_, count_); }
    // Adds one more value at the end (the value of a Let/Set).
    void append(vb::Variant&& value);

private:
    void release();
    static constexpr std::size_t kInline = 5;
    // Texts from this size on are worth not copying into a by-value argument.
    static constexpr std::size_t kLongText = 256;
    Frame& frame_;
    std::size_t lockMark_;
    std::size_t count_ = 0;
    vb::Variant** ptrs_;
    vb::Variant* temps_;
    // Inline temporaries: only the first `inlineUsed_` are constructed (one per
    // argument, one more when a value is appended).
    std::size_t inlineUsed_ = 0;
    vb::Variant* inlinePtrs_[kInline + 1];
    alignas(vb::Variant) std::byte inlineTemps_[(kInline + 1) * sizeof(vb::Variant)];
    std::unique_ptr<vb::Variant*[]> heapPtrs_;
    std::unique_ptr<vb::Variant[]> heapTemps_;
};

// Calls a script procedure with the given argument expressions.
vb::Variant callProcedure(Frame& f, const Procedure& p, ScriptObject* me, const ArgList& args);
// The same with `last` passed after the arguments as the last parameter (by
// reference): the value a Property Let or Set receives.
vb::Variant callProcedure(Frame& f, const Procedure& p, ScriptObject* me, const ArgList& args, vb::Variant& last);

// A Sub or Function of a module.
class ProcCallExpr final : public Expr {
public:
    ProcCallExpr(GlobalSlot* slot, ArgList args) : slot_(slot), args_(std::move(args)) { }
    vb::Variant eval(Frame& f) const override;
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override
    {
        if (isPlain(scratch.type()))
            return *new (&scratch) vb::Variant(ProcCallExpr::eval(f));
        scratch = ProcCallExpr::eval(f);
        return scratch;
    }
    void run(Frame& f) const override { eval(f); }
    bool hasCalls() const override { return true; }

private:
    GlobalSlot* slot_;
    ArgList args_;
};

// A member of the running instance's class, called or read from inside the class.
class MethodCallExpr final : public Expr {
public:
    MethodCallExpr(int member, ArgList args) : member_(member), args_(std::move(args)) { }
    vb::Variant eval(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    bool hasCalls() const override { return true; }

private:
    int member_;
    ArgList args_;
};

class BuiltinCallExpr final : public Expr {
public:
    BuiltinCallExpr(const BuiltinFunction* fn, ArgList args) : fn_(fn), args_(std::move(args)) { }
    vb::Variant eval(Frame& f) const override;
    bool hasCalls() const override { return args_.hasCalls(); }
    bool runsCodeNow(Frame& f) const override { return args_.hasCalls() && args_.runsCodeFrom(f, 0); }

private:
    const BuiltinFunction* fn_;
    ArgList args_;
};

// base(args): an array element, or the default member of an object.
class IndexExpr final : public Expr {
public:
    IndexExpr(ExprPtr base, ArgList args, bool asStatement = false)
        : base_(std::move(base)), args_(std::move(args)), single_(args_.size() == 1 ? args_[0] : nullptr), asStatement_(asStatement) { }
    vb::Variant eval(Frame& f) const override;
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override;
    vb::Variant* address(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    bool hasCalls() const override { return true; }

private:
    const vb::Variant* vectorElement(Frame& f, const vb::Variant& base) const;
    vb::Variant indexBase(Frame& f, const vb::Variant& base) const;

    ExprPtr base_;
    ArgList args_;
    const Expr* single_; // the subscript when there is exactly one (and it is written)
    bool asStatement_;
};

// obj.Member(args); when the member takes no arguments, its value indexed by them.
vb::Variant invokeWithIndexFallback(Frame& f, vb::Object& obj, vb::MemberId id, const ArgList& args);

// The address of an element of the array in the variable `base` (null when it holds no array).
vb::Variant* arrayElementAddress(Frame& f, const Expr& base, const ArgList& args);

// object.Name or object.Name(args), late-bound.
class MemberExpr final : public Expr {
public:
    // `parens`: written with an argument list, even an empty one ("r.Name()");
    // `statement`: the call is a statement ("x.Prop"), which needs an object (424).
    MemberExpr(ExprPtr object, std::string name, ArgList args, bool parens = false, bool statement = false)
        : object_(std::move(object)), name_(std::move(name)), args_(std::move(args)), parens_(parens), statement_(statement) { }
    vb::Variant eval(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    void assignLet(Frame& f, vb::Variant&& value) const override;
    bool hasCalls() const override { return true; }

private:
    vb::Ref<vb::Object> target(Frame& f, bool assigning = false) const;
    void store(Frame& f, vb::Variant&& value, bool isSet, bool letObject) const;
    int scriptMember(Frame& f, vb::Object& obj) const;

    ExprPtr object_;
    std::string name_;
    ArgList args_;
    bool parens_;
    bool statement_;
    vb::MemberId memberIdOf(vb::Object& obj) const;

    // The member index found for the last script class seen here.
    mutable const ClassInfo* cachedClass_ = nullptr;
    mutable int cachedMember_ = -1;
    // The member id found for the last other object seen here.
    mutable const vb::Object* cachedObject_ = nullptr;
    mutable const std::type_info* cachedType_ = nullptr;
    mutable vb::MemberId cachedId_ = vb::kNoMember;
};

// A member of a named object used as a global name (its id found when compiling).
class NamedMemberExpr final : public Expr {
public:
    NamedMemberExpr(vb::Ref<vb::Object> obj, vb::MemberId id, ArgList args)
        : object_(std::move(obj)), id_(id), args_(std::move(args)) { }
    vb::Variant eval(Frame& f) const override;
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override;
    bool hasCalls() const override { return true; }

private:
    vb::Ref<vb::Object> object_;
    vb::MemberId id_;
    ArgList args_;
};

// A call of a name unknown when compiling.
class LateCallExpr final : public Expr {
public:
    LateCallExpr(std::unique_ptr<LateNameExpr> name, ArgList args, bool asStatement)
        : name_(std::move(name)), args_(std::move(args)), asStatement_(asStatement) { }
    vb::Variant eval(Frame& f) const override { return name_->call(f, args_, asStatement_); }
    vb::Variant* address(Frame& f) const override { return arrayElementAddress(f, *name_, args_); }
    void assign(Frame& f, vb::Variant&& value, bool isSet) const override { name_->assignIndexed(f, args_, std::move(value), isSet); }
    bool hasCalls() const override { return true; }

private:
    std::unique_ptr<LateNameExpr> name_;
    ArgList args_;
    bool asStatement_;
};

class NewExpr final : public Expr {
public:
    NewExpr(std::string className, ModuleScope* scope) : className_(std::move(className)), scope_(scope) { }
    vb::Variant eval(Frame& f) const override;
    bool hasCalls() const override { return true; }

private:
    std::string className_;
    ModuleScope* scope_;
};

// Eval, Execute, ExecuteGlobal and GetRef: they need the running frame.
class IntrinsicExpr final : public Expr {
public:
    enum class Kind { Eval, Execute, ExecuteGlobal, GetRef };
    IntrinsicExpr(Kind kind, ArgList args) : kind_(kind), args_(std::move(args)) { }
    vb::Variant eval(Frame& f) const override;
    bool hasCalls() const override { return true; }

private:
    Kind kind_;
    ArgList args_;
};

// ---------------------------------------------------------------------------
// Operators

namespace fast {
[[gnu::always_inline]] inline vb::Variant add(const vb::Variant& a, const vb::Variant& b);
[[gnu::always_inline]] inline vb::Variant subtract(const vb::Variant& a, const vb::Variant& b);
} // namespace fast

// read() of a node that always makes a new value: its own eval, called directly
// (not through a second virtual call), constructed in the scratch.
#define VBSCRIPT_READ_BY_OWN_EVAL(NODE)                                                             \
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const override                         \
    {                                                                                               \
        if (isPlain(scratch.type()))                                                                \
            return *new (&scratch) vb::Variant(NODE::eval(f));                                      \
        scratch = NODE::eval(f);                                                                    \
        return scratch;                                                                             \
    }

// "a & b" where `owned` is a value the node made for itself: when `a` is that value
// and a text, b is appended to it in place, so a chain "x & y & z & ..." builds one
// string instead of a new one at each link. The result is what ops::concat gives.
inline vb::Variant concatOwned(vb::Variant& owned, const vb::Variant& a, const vb::Variant& b)
{
    if (&a == &owned && a.isString() && !b.isObject()) {
        ops::appendText(owned.stringValue(), b);
        return std::move(owned);
    }
    return ops::concat(a, b);
}

template <vb::Variant (*Op)(const vb::Variant&, const vb::Variant&)>
class BinaryExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    BinaryExpr(ExprPtr l, ExprPtr r)
        : left_(std::move(l)), right_(std::move(r)), copyLeft_(right_->hasCalls()), calls_(left_->hasCalls() || right_->hasCalls()) { }
    vb::Variant eval(Frame& f) const override
    {
        Temp ls, rs;
        const vb::Variant& a = copyLeft_ ? ls.emplace([&] { return left_->eval(f); }) : left_->read(f, ls.get());
        const vb::Variant& b = right_->read(f, rs.get());
        if constexpr (Op == &ops::concat)
            return concatOwned(ls.get(), a, b);
        else
            return Op(a, b);
    }
    VBSCRIPT_READ_BY_OWN_EVAL(BinaryExpr)
    bool hasCalls() const override { return calls_; }
    bool runsCodeNow(Frame& f) const override { return calls_ && (left_->runsCodeNow(f) || right_->runsCodeNow(f)); }

private:
    ExprPtr left_;
    ExprPtr right_;
    bool copyLeft_;
    bool calls_;
};

// Comparisons also answer conditions without making a Boolean.
// The order of two values, with whole Integers and Longs compared without the general
// comparison (loop counters against limits, recursion tests).
inline ops::Order fastOrder(const vb::Variant& a, const vb::Variant& b)
{
    const auto order = [](std::int32_t x, std::int32_t y) {
        return x < y ? ops::Order::Less : x > y ? ops::Order::Greater : ops::Order::Equal;
    };
    const bool aWhole = a.type() == vb::vbInteger || a.type() == vb::vbLong;
    const bool bWhole = b.type() == vb::vbInteger || b.type() == vb::vbLong;
    if (aWhole && bWhole)
        return order(a.type() == vb::vbInteger ? a.integerValue() : a.longValue(),
                     b.type() == vb::vbInteger ? b.integerValue() : b.longValue());
    return ops::compare(a, b);
}

template <bool (*Accept)(ops::Order)>
class CompareExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    CompareExpr(ExprPtr l, ExprPtr r)
        : left_(std::move(l)), right_(std::move(r)), copyLeft_(right_->hasCalls()), calls_(left_->hasCalls() || right_->hasCalls()) { }
    ops::Order order(Frame& f) const
    {
        Temp ls, rs;
        const vb::Variant& a = copyLeft_ ? ls.emplace([&] { return left_->eval(f); }) : left_->read(f, ls.get());
        const vb::Variant& b = right_->read(f, rs.get());
        return fastOrder(a, b);
    }
    vb::Variant eval(Frame& f) const override
    {
        const ops::Order o = order(f);
        return o == ops::Order::Null ? vb::Variant::null() : vb::Variant(Accept(o));
    }
    bool test(Frame& f) const override
    {
        const ops::Order o = order(f);
        return o != ops::Order::Null && Accept(o);
    }
    bool hasCalls() const override { return calls_; }
    bool runsCodeNow(Frame& f) const override { return calls_ && (left_->runsCodeNow(f) || right_->runsCodeNow(f)); }

private:
    ExprPtr left_;
    ExprPtr right_;
    bool copyLeft_;
    bool calls_;
};

// Where a node with a constant on the right reads its left operand: through the
// operand's own node, or straight from the frame when it is an argument or a local of
// the procedure ("n < 2", "n - 1" in a recursion, loop counters).
struct NodeOperand {
    ExprPtr node;
    const vb::Variant& read(Frame& f, vb::Variant& scratch) const { return node->read(f, scratch); }
    bool hasCalls() const { return node->hasCalls(); }
    bool runsCodeNow(Frame& f) const { return node->runsCodeNow(f); }
};
struct ArgOperand {
    int index;
    const vb::Variant& read(Frame& f, vb::Variant&) const { return *f.args[index]; }
    bool hasCalls() const { return false; }
    bool runsCodeNow(Frame&) const { return false; }
};
struct LocalOperand {
    int slot;
    const vb::Variant& read(Frame& f, vb::Variant&) const { return f.locals[slot]; }
    bool hasCalls() const { return false; }
    bool runsCodeNow(Frame&) const { return false; }
};

// The same with a constant on the right ("n - 1", "i < 10"): one call less.
template <vb::Variant (*Op)(const vb::Variant&, const vb::Variant&), class Left = NodeOperand>
class BinaryConstExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    BinaryConstExpr(Left l, vb::Variant r)
        : left_(std::move(l))
        , right_(std::move(r))
        , calls_(left_.hasCalls())
        , rightWhole_(right_.type() == vb::vbInteger || right_.type() == vb::vbLong)
        , rightLong_(rightWhole_ ? toLong(right_) : 0) { }
    vb::Variant eval(Frame& f) const override
    {
        Temp ls;
        if constexpr (Op == &ops::concat)
            return concatOwned(ls.get(), left_.read(f, ls.get()), right_);
        else
            return Op(left_.read(f, ls.get()), right_);
    }
    VBSCRIPT_READ_BY_OWN_EVAL(BinaryConstExpr)
    std::int32_t evalLong(Frame& f) const override
    {
        Temp ls;
        const vb::Variant& a = left_.read(f, ls.get());
        // "i + 1", "j - 1" on whole numbers: the sum itself when it is a Long, which
        // is what the Integer or Long result converts to.
        if constexpr (Op == &fast::add || Op == &fast::subtract) {
            if (rightWhole_ && (a.type() == vb::vbInteger || a.type() == vb::vbLong)) {
                const std::int64_t x = a.type() == vb::vbInteger ? a.integerValue() : a.longValue();
                const std::int64_t r = Op == &fast::add ? x + rightLong_ : x - rightLong_;
                if (r >= INT32_MIN && r <= INT32_MAX)
                    return static_cast<std::int32_t>(r);
            }
        }
        return toLong(Op(a, right_));
    }
    bool hasCalls() const override { return calls_; }
    bool runsCodeNow(Frame& f) const override { return calls_ && left_.runsCodeNow(f); }

private:
    Left left_;
    vb::Variant right_;
    bool calls_;
    bool rightWhole_;
    std::int32_t rightLong_;
};

// `literal`: the constant is a numeric literal, so a string on the left is read as a number.
template <bool (*Accept)(ops::Order), class Left = NodeOperand>
class CompareConstExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    CompareConstExpr(Left l, vb::Variant r, bool literal)
        : left_(std::move(l))
        , right_(std::move(r))
        , calls_(left_.hasCalls())
        , literal_(literal)
        , rightWhole_(right_.type() == vb::vbInteger || right_.type() == vb::vbLong)
        , rightLong_(rightWhole_ ? toLong(right_) : 0) { }
    ops::Order order(Frame& f) const
    {
        Temp ls;
        const vb::Variant& a = left_.read(f, ls.get());
        const vb::Variant& b = right_;
        // Whole numbers first: the loop and recursion tests, against the constant's
        // value taken once.
        if (rightWhole_ && (a.type() == vb::vbInteger || a.type() == vb::vbLong)) {
            const std::int32_t x = a.type() == vb::vbInteger ? a.integerValue() : a.longValue();
            return x < rightLong_ ? ops::Order::Less : x > rightLong_ ? ops::Order::Greater : ops::Order::Equal;
        }
        if (literal_ && (a.isString() || a.isObject()))
            return ops::literalOrder(a, b);
        return ops::compare(a, b);
    }
    vb::Variant eval(Frame& f) const override
    {
        const ops::Order o = order(f);
        return o == ops::Order::Null ? vb::Variant::null() : vb::Variant(Accept(o));
    }
    bool test(Frame& f) const override
    {
        const ops::Order o = order(f);
        return o != ops::Order::Null && Accept(o);
    }
    bool hasCalls() const override { return calls_; }
    bool runsCodeNow(Frame& f) const override { return calls_ && left_.runsCodeNow(f); }

private:
    Left left_;
    vb::Variant right_;
    bool calls_;
    bool literal_;
    bool rightWhole_;
    std::int32_t rightLong_;
};

// The rest of a long operator chain ("a & b & c & ..."), evaluated in a loop.
class ChainExpr final : public Expr {
public:
    using Fn = vb::Variant (*)(const vb::Variant&, const vb::Variant&);
    struct Link {
        Fn fn;
        ExprPtr operand;
    };
    bool mayHaveAddress() const override { return false; }
    ChainExpr(ExprPtr first, std::vector<Link> links);
    vb::Variant eval(Frame& f) const override;
    bool hasCalls() const override { return calls_; }

private:
    ExprPtr first_;
    std::vector<Link> links_;
    bool calls_;
};

class UnaryExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    using Fn = vb::Variant (*)(const vb::Variant&);
    UnaryExpr(Fn fn, ExprPtr operand) : fn_(fn), operand_(std::move(operand)) { }
    vb::Variant eval(Frame& f) const override
    {
        Temp s;
        return fn_(operand_->read(f, s.get()));
    }
    bool hasCalls() const override { return operand_->hasCalls(); }
    bool runsCodeNow(Frame& f) const override { return operand_->runsCodeNow(f); }

private:
    Fn fn_;
    ExprPtr operand_;
};

class IsExpr final : public Expr {
public:
    bool mayHaveAddress() const override { return false; }
    IsExpr(ExprPtr l, ExprPtr r) : left_(std::move(l)), right_(std::move(r)) { }
    vb::Variant eval(Frame& f) const override { return vb::Variant(test(f)); }
    bool test(Frame& f) const override
    {
        const vb::Variant a = left_->eval(f);
        vb::Variant s;
        return ops::sameObject(a, right_->read(f, s));
    }
    bool hasCalls() const override { return left_->hasCalls() || right_->hasCalls(); }

private:
    ExprPtr left_;
    ExprPtr right_;
};

// Fast arithmetic on the common Integer and Long cases; the rest goes to ops. Always
// inlined: the operator nodes are where they run, and the compiler otherwise leaves
// them out of line once several node kinds use them.
namespace fast {

inline vb::Variant whole(std::int64_t r, bool isLong)
{
    if (!isLong && r >= -32768 && r <= 32767)
        return vb::Variant(static_cast<std::int16_t>(r));
    return vb::Variant(static_cast<std::int32_t>(r));
}

inline bool wholeOperands(const vb::Variant& a, const vb::Variant& b)
{
    return (a.type() == vb::vbInteger || a.type() == vb::vbLong) && (b.type() == vb::vbInteger || b.type() == vb::vbLong);
}

inline std::int64_t wholeOf(const vb::Variant& v)
{
    return v.type() == vb::vbInteger ? v.integerValue() : v.longValue();
}

[[gnu::always_inline]] inline vb::Variant add(const vb::Variant& a, const vb::Variant& b)
{
    if (wholeOperands(a, b)) {
        const std::int64_t r = wholeOf(a) + wholeOf(b);
        if (r >= INT32_MIN && r <= INT32_MAX)
            return whole(r, a.type() == vb::vbLong || b.type() == vb::vbLong);
    }
    return ops::add(a, b);
}

[[gnu::always_inline]] inline vb::Variant subtract(const vb::Variant& a, const vb::Variant& b)
{
    if (wholeOperands(a, b)) {
        const std::int64_t r = wholeOf(a) - wholeOf(b);
        if (r >= INT32_MIN && r <= INT32_MAX)
            return whole(r, a.type() == vb::vbLong || b.type() == vb::vbLong);
    }
    return ops::subtract(a, b);
}

[[gnu::always_inline]] inline vb::Variant multiply(const vb::Variant& a, const vb::Variant& b)
{
    if (wholeOperands(a, b)) {
        const std::int64_t r = wholeOf(a) * wholeOf(b);
        if (r >= INT32_MIN && r <= INT32_MAX)
            return whole(r, a.type() == vb::vbLong || b.type() == vb::vbLong);
    }
    return ops::multiply(a, b);
}

// "\" and Mod on whole Integers and Longs with a non-zero divisor. A quotient outside
// Long (-2147483648 \ -1) and a zero divisor go to ops, which raises the error.
[[gnu::always_inline]] inline vb::Variant intDivide(const vb::Variant& a, const vb::Variant& b)
{
    if (wholeOperands(a, b)) {
        const std::int64_t d = wholeOf(b);
        if (d != 0) {
            const std::int64_t r = wholeOf(a) / d;
            if (r >= INT32_MIN && r <= INT32_MAX)
                return whole(r, a.type() == vb::vbLong || b.type() == vb::vbLong);
        }
    }
    return ops::intDivide(a, b);
}

[[gnu::always_inline]] inline vb::Variant modulo(const vb::Variant& a, const vb::Variant& b)
{
    if (wholeOperands(a, b)) {
        const std::int64_t d = wholeOf(b);
        if (d != 0)
            return whole(wholeOf(a) % d, a.type() == vb::vbLong || b.type() == vb::vbLong);
    }
    return ops::modulo(a, b);
}

inline bool less(ops::Order o) { return o == ops::Order::Less; }
inline bool greater(ops::Order o) { return o == ops::Order::Greater; }
inline bool lessEqual(ops::Order o) { return o == ops::Order::Less || o == ops::Order::Equal; }
inline bool greaterEqual(ops::Order o) { return o == ops::Order::Greater || o == ops::Order::Equal; }
inline bool equal(ops::Order o) { return o == ops::Order::Equal; }
inline bool notEqual(ops::Order o) { return o == ops::Order::Less || o == ops::Order::Greater; }
} // namespace fast

} // namespace vbscript
