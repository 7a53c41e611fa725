// Statement nodes of the executable tree.
#pragma once

#include "ExprNodes.h"
#include "Node.h"
#include "Procedure.h"

#include "automation/Error.h"

#include <vector>

namespace vbscript {

// A call whose result is dropped.
class CallStmt final : public Stmt {
public:
    CallStmt(int line, int col, ExprPtr call) : Stmt(line, col), call_(std::move(call)) { }
    Flow exec(Frame& f) const override;

private:
    ExprPtr call_;
};

// target = value (Let): an object on the right gives its default value.
class AssignStmt final : public Stmt {
public:
    AssignStmt(int line, int col, ExprPtr target, ExprPtr value)
        : Stmt(line, col), target_(std::move(target)), value_(std::move(value)) { }
    Flow exec(Frame& f) const override;

private:
    ExprPtr target_;
    ExprPtr value_;
};

// local = value, the most common statement.
class AssignLocalStmt final : public Stmt {
public:
    AssignLocalStmt(int line, int col, int slot, ExprPtr value) : Stmt(line, col), slot_(slot), value_(std::move(value)) { }
    Flow exec(Frame& f) const override;

private:
    int slot_;
    ExprPtr value_;
};

// Set target = object
class SetStmt final : public Stmt {
public:
    SetStmt(int line, int col, ExprPtr target, ExprPtr value)
        : Stmt(line, col), target_(std::move(target)), value_(std::move(value)) { }
    Flow exec(Frame& f) const override;

private:
    ExprPtr target_;
    ExprPtr value_;
};

// s = s & a & b: appends to the string in place instead of copying it.
class AppendStmt final : public Stmt {
public:
    AppendStmt(int line, int col, ExprPtr target, std::vector<ExprPtr> pieces);
    Flow exec(Frame& f) const override;

private:
    ExprPtr target_;
    std::vector<ExprPtr> pieces_;
    // No piece runs code, so none can change the target while it grows.
    bool piecesRunNoCode_;
};

class IfStmt final : public Stmt {
public:
    struct Branch {
        ExprPtr condition;
        Block body;
    };
    IfStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    std::vector<Branch> branches;
    Block elseBody;
};

class SelectStmt final : public Stmt {
public:
    struct Item {
        enum class Kind { Value, Range, Compare } kind = Kind::Value;
        bool (*accept)(ops::Order) = nullptr; // for Compare
        ExprPtr value;
        ExprPtr upper;
        // The value (the upper bound) is a number written in the source: a string
        // subject is read as a number.
        bool literal = false;
        bool upperLiteral = false;
    };
    struct Case {
        std::vector<Item> items;
        Block body;
    };
    SelectStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    ExprPtr subject;
    std::vector<Case> cases;
    bool hasElse = false;
    Block elseBody;
};

class ForStmt final : public Stmt {
public:
    ForStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    Flow headerFailed(Frame& f, const vb::Error& e) const;
    Flow loopAt(Frame& f, vb::Variant& counter, const vb::Variant& to, const vb::Variant& by, bool descending) const;
    Flow loopAtGlobal(Frame& f, GlobalSlot& counter, const vb::Variant& to, const vb::Variant& by, bool descending) const;
    Flow loopByNode(Frame& f, const vb::Variant& to, const vb::Variant& by, bool descending) const;
    void stepByNode(Frame& f, const vb::Variant& by) const;
    ExprPtr counter;
    ExprPtr start;
    ExprPtr end;
    ExprPtr step; // may be null
    Block body;
};

class ForEachStmt final : public Stmt {
public:
    ForEachStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    ExprPtr variable;
    ExprPtr collection;
    Block body;
};

class DoStmt final : public Stmt {
public:
    enum class Test { None, Before, After };
    DoStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    Test test = Test::None;
    bool until = false;
    ExprPtr condition;
    Block body;
};

class ExitStmt final : public Stmt {
public:
    ExitStmt(int line, int col, Flow flow) : Stmt(line, col), flow_(flow) { }
    Flow exec(Frame& f) const override;

private:
    Flow flow_;
};

class WithStmt final : public Stmt {
public:
    WithStmt(int line, int col, int slot, ExprPtr object) : Stmt(line, col), slot_(slot), object_(std::move(object)) { }
    Flow exec(Frame& f) const override;
    Block body;

private:
    int slot_;
    ExprPtr object_;
};

class OnErrorStmt final : public Stmt {
public:
    OnErrorStmt(int line, int col, bool resumeNext) : Stmt(line, col), resumeNext_(resumeNext) { }
    Flow exec(Frame& f) const override;

private:
    bool resumeNext_;
};

class ReDimStmt final : public Stmt {
public:
    struct Item {
        ExprPtr target;
        std::vector<ExprPtr> upper;
    };
    ReDimStmt(int line, int col, bool preserve) : Stmt(line, col), preserve_(preserve) { }
    Flow exec(Frame& f) const override;
    std::vector<Item> items;

private:
    bool preserve_;
};

// Stores a value as it is (objects stay objects): the result of an Eval.
class ResultStmt final : public Stmt {
public:
    ResultStmt(int line, int col, int slot, ExprPtr value) : Stmt(line, col), slot_(slot), value_(std::move(value)) { }
    Flow exec(Frame& f) const override
    {
        f.locals[slot_] = value_->eval(f);
        return Flow::Normal;
    }

private:
    int slot_;
    ExprPtr value_;
};

// "Dim list(3)" at module level: the array comes into being when the line runs
// (before, the variable is Empty). `clash`: the name already holds a fixed array of
// earlier code, which cannot be declared again (13).
class DeclareArraysStmt final : public Stmt {
public:
    struct Item {
        GlobalSlot* slot;
        ArrayInit init;
        bool clash;
    };
    DeclareArraysStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    std::vector<Item> items;
};

class EraseStmt final : public Stmt {
public:
    EraseStmt(int line, int col) : Stmt(line, col) { }
    Flow exec(Frame& f) const override;
    std::vector<ExprPtr> targets;
};

} // namespace vbscript
