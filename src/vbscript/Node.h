// The executable tree the Compiler builds: expressions and statements with every
// name already resolved to a slot, a global, a member or a library function.
//
// A Frame is one running procedure (or the top-level code of a compile unit):
// its parameters are pointers to the caller's variables (by reference) or to its
// own temporaries (by value), its locals live in the engine's value stack.
#pragma once

#include "VariantOps.h"

#include "automation/Variant.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vbscript {

class Engine;
class ScriptObject;
struct Procedure;
struct DynamicLocals;

enum class Flow : std::uint8_t { Normal, ExitDo, ExitFor, ExitProcedure };

struct Frame {
    Engine& engine;
    vb::Variant* const* args;     // parameters
    vb::Variant* locals;          // locals and temporaries
    ScriptObject* me;             // the instance of a class procedure
    const Procedure* procedure;   // what runs (never null)
    Frame* binding = nullptr;     // for Execute/Eval code: the frame whose variables it sees
    bool resumeNext = false;      // On Error Resume Next is in force
    DynamicLocals* dynamicLocals = nullptr; // variables Execute created in this frame
};

class Expr {
public:
    virtual ~Expr() = default;
    // The value (an object stays an object; the caller asks for its default value when needed).
    virtual vb::Variant eval(Frame& f) const = 0;
    // The value without a copy when it already lives in a variable; otherwise stored in `scratch`.
    virtual const vb::Variant& read(Frame& f, vb::Variant& scratch) const
    {
        if (isPlain(scratch.type()))
            return *new (&scratch) vb::Variant(eval(f));
        scratch = eval(f);
        return scratch;
    }
    // The variable itself, for passing by reference; null for values.
    virtual vb::Variant* address(Frame&) const { return nullptr; }
    // The truth of the value as a condition.
    virtual bool test(Frame& f) const;
    // The value as a Long, converted as CLng converts (subscripts): nodes that make
    // whole numbers answer without handing a Variant through a second call.
    virtual std::int32_t evalLong(Frame& f) const;
    // Assignment ("x = v" or "Set x = v"); the value is already checked for the kind.
    virtual void assign(Frame& f, vb::Variant&& value, bool isSet) const;
    // "x = v" with v as evaluated: an object becomes its default value, except where
    // the target is a Property Let, which receives the object itself.
    virtual void assignLet(Frame& f, vb::Variant&& value) const;
    // Runs the expression as a statement (a call whose result is dropped).
    virtual void run(Frame& f) const { eval(f); }
    // True when evaluating may run script code or change variables (calls).
    virtual bool hasCalls() const { return false; }
    // The same answered for this moment: a name that might have been a procedure when
    // the code was compiled but is a variable now runs no code.
    virtual bool runsCodeNow(Frame&) const { return hasCalls(); }
    // False when address() is always null (operators, constants).
    virtual bool mayHaveAddress() const { return true; }
};

using ExprPtr = std::unique_ptr<Expr>;

// A value as a Long, as CLng converts it; Integer and Long without a call.
std::int32_t longOf(const vb::Variant& v);
inline std::int32_t toLong(const vb::Variant& v)
{
    return v.type() == vb::vbInteger ? v.integerValue() : v.type() == vb::vbLong ? v.longValue() : longOf(v);
}

// The value "x = v" stores: an object's default value, an array without a fixed size.
vb::Variant letValue(vb::Variant v);

class Stmt {
public:
    Stmt(int line, int column) : line_(line), column_(column) { }
    virtual ~Stmt() = default;
    virtual Flow exec(Frame& f) const = 0;
    int line() const { return line_; }
    int column() const { return column_; }

private:
    int line_;
    int column_;
};

using StmtPtr = std::unique_ptr<Stmt>;

// A sequence of statements. Errors are handled here, per statement: with On Error
// Resume Next the error goes to Err and the next statement runs; otherwise the error
// leaves with the place of the statement that failed.
class Block {
public:
    std::vector<StmtPtr> statements;
    Flow exec(Frame& f) const;
};

} // namespace vbscript
