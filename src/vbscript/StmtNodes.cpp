#include "StmtNodes.h"

#include "CompileError.h"
#include "Engine.h"
#include "ErrObject.h"
#include "Procedure.h"
#include "Scope.h"

#include "vbscript/text/Locale.h"

#include "automation/Array.h"
#include "automation/AsciiScan.h"
#include "automation/Conversions.h"
#include "automation/Error.h"

#include <algorithm>
#include <new>
#include <utility>

namespace vbscript {

namespace {

// An array value that is copied into another variable loses its fixed size.
void unfix(vb::Variant& v)
{
    if (v.isArray() && v.arrayValue().fixedSize()) {
        vb::Ref<vb::Array> copy = v.arrayValue().clone();
        copy->setFixedSize(false);
        v = vb::Variant(copy);
    }
}

} // namespace

vb::Variant letValue(vb::Variant v)
{
    if (v.isObject())
        return vb::defaultValue(v);
    unfix(v);
    return v;
}

void Expr::assignLet(Frame& f, vb::Variant&& value) const
{
    assign(f, letValue(std::move(value)), false);
}

Flow Block::exec(Frame& f) const
{
    for (const StmtPtr& s : statements) {
        try {
            const Flow flow = s->exec(f);
            if (flow != Flow::Normal)
                return flow;
        } catch (ScriptInterrupt& e) {
            e.place(s->line(), s->column());
            throw;
        } catch (const RuntimeError& e) {
            if (!f.resumeNext)
                throw;
            f.engine.recordInErr(e);
        } catch (const vb::Error& e) {
            if (!f.resumeNext)
                throw RuntimeError(e, s->line(), s->column(), f.procedure->unit.get());
            f.engine.recordInErr(e);
        } catch (const std::bad_alloc&) {
            const vb::Error e(vb::err::OutOfMemory);
            if (!f.resumeNext)
                throw RuntimeError(e, s->line(), s->column(), f.procedure->unit.get());
            f.engine.recordInErr(e);
        } catch (const std::length_error&) {
            const vb::Error e(vb::err::OutOfMemory);
            if (!f.resumeNext)
                throw RuntimeError(e, s->line(), s->column(), f.procedure->unit.get());
            f.engine.recordInErr(e);
        }
    }
    return Flow::Normal;
}

Flow CallStmt::exec(Frame& f) const
{
    call_->run(f);
    return Flow::Normal;
}

Flow AssignStmt::exec(Frame& f) const
{
    vb::Variant v = value_->eval(f);
    // Plain values go straight in; objects and arrays take the Let rules.
    if (isPlain(v.type()))
        target_->assign(f, std::move(v), false);
    else
        target_->assignLet(f, std::move(v));
    return Flow::Normal;
}

Flow AssignLocalStmt::exec(Frame& f) const
{
    Temp t;
    vb::Variant& v = t.emplace([&] { return value_->eval(f); });
    if (v.isObject() || v.isArray())
        v = letValue(std::move(v));
    moveInto(f.locals[slot_], std::move(v));
    return Flow::Normal;
}

Flow SetStmt::exec(Frame& f) const
{
    vb::Variant v = value_->eval(f);
    if (!v.isObject())
        vb::raiseError(vb::err::ObjectRequired);
    target_->assign(f, std::move(v), true);
    return Flow::Normal;
}

AppendStmt::AppendStmt(int line, int col, ExprPtr target, std::vector<ExprPtr> pieces)
    : Stmt(line, col)
    , target_(std::move(target))
    , pieces_(std::move(pieces))
    , piecesRunNoCode_(std::none_of(pieces_.begin(), pieces_.end(), [](const ExprPtr& e) { return e->hasCalls(); }))
{
}

Flow AppendStmt::exec(Frame& f) const
{
    vb::Variant* t = target_->address(f);
    if (t && t->isString()) {
        // ASCII text that grows by ASCII stays ASCII: kept known, so that the string
        // functions need not scan the text again after each append.
        const bool wasAscii = piecesRunNoCode_ && t->stringKnownAscii();
        std::string& s = t->stringValue();
        const std::size_t seam = s.size();
        for (const ExprPtr& piece : pieces_) {
            vb::Variant scratch;
            const vb::Variant& v = piece->read(f, scratch);
            if (v.isObject())
                ops::appendText(s, ops::valueOf(v));
            else
                ops::appendText(s, v);
        }
        if (wasAscii && vb::isAsciiText(std::string_view(s).substr(seam)))
            t->noteStringIsAscii(true);
        return Flow::Normal;
    }
    vb::Variant result = target_->eval(f);
    for (const ExprPtr& piece : pieces_) {
        vb::Variant scratch;
        result = ops::concat(result, piece->read(f, scratch));
    }
    target_->assign(f, std::move(result), false);
    return Flow::Normal;
}

Flow IfStmt::exec(Frame& f) const
{
    for (const Branch& b : branches) {
        bool taken;
        if (!f.resumeNext) {
            taken = b.condition->test(f);
        } else {
            // Under On Error Resume Next a failing condition goes on with the
            // statement after it, the first of the branch.
            try {
                taken = b.condition->test(f);
            } catch (const ScriptInterrupt&) {
                throw;
            } catch (const vb::Error& e) {
                f.engine.recordInErr(e);
                taken = true;
            }
        }
        if (taken)
            return b.body.exec(f);
    }
    return elseBody.exec(f);
}

namespace {

// A Case of a number written in the source reads a string subject as a number, like
// "="; a subject that is no number matches no such Case rather than failing, so a
// Select can list numbers and texts together.
ops::Order caseOrder(const vb::Variant& subject, const vb::Variant& value, bool literal)
{
    if (!literal || (subject.isString() && value.type() != vb::vbDate && !parseLocaleNumber(subject.stringValue())))
        return ops::compare(subject, value);
    return ops::literalOrder(subject, value);
}

} // namespace

Flow SelectStmt::exec(Frame& f) const
{
    const vb::Variant subjectValue = subject->eval(f);
    for (const Case& c : cases) {
        for (const Item& item : c.items) {
            vb::Variant s1;
            const vb::Variant& v = item.value->read(f, s1);
            bool match = false;
            switch (item.kind) {
            case Item::Kind::Value: match = caseOrder(subjectValue, v, item.literal) == ops::Order::Equal; break;
            case Item::Kind::Compare: {
                const ops::Order o = caseOrder(subjectValue, v, item.literal);
                match = o != ops::Order::Null && item.accept(o);
                break;
            }
            case Item::Kind::Range: {
                const vb::Variant low = v;
                vb::Variant s2;
                const vb::Variant& high = item.upper->read(f, s2);
                const ops::Order a = caseOrder(subjectValue, low, item.literal);
                const ops::Order b = caseOrder(subjectValue, high, item.upperLiteral);
                match = (a == ops::Order::Greater || a == ops::Order::Equal) && (b == ops::Order::Less || b == ops::Order::Equal);
                break;
            }
            }
            if (match)
                return c.body.exec(f);
        }
    }
    if (hasElse)
        return elseBody.exec(f);
    return Flow::Normal;
}

namespace {

// A For bound as a number.
vb::Variant forNumber(vb::Variant v)
{
    switch (v.type()) {
    case vb::vbEmpty: return vb::Variant(std::int16_t(0));
    case vb::vbNull: vb::raiseError(vb::err::InvalidUseOfNull);
    case vb::vbBoolean: return vb::Variant(std::int16_t(v.booleanValue() ? -1 : 0));
    case vb::vbString: return vb::Variant(vb::CDbl(v));
    case vb::vbObject: return forNumber(vb::defaultValue(v));
    case vb::vbArray:
    case vb::vbError: vb::raiseError(vb::err::TypeMismatch);
    default: return v;
    }
}

} // namespace

// A For header that fails under On Error Resume Next: execution resumes with the
// body, and its Next then finds no loop (error 92).
Flow ForStmt::headerFailed(Frame& f, const vb::Error& e) const
{
    f.engine.recordInErr(e);
    const Flow flow = body.exec(f);
    if (flow != Flow::Normal && flow != Flow::ExitFor)
        return flow;
    f.engine.recordInErr(vb::Error(vb::err::ForLoopNotInitialized));
    return Flow::Normal;
}

namespace {

// True when a For counter has gone past the end value in the loop's direction.
bool pastEnd(const vb::Variant& counter, const vb::Variant& to, bool descending)
{
    const ops::Order o = fastOrder(counter, to);
    return descending ? o == ops::Order::Less : o == ops::Order::Greater;
}

} // namespace

// The loop over a counter variable at a fixed address: the same test and step as
// below, read and written in place.
Flow ForStmt::loopAt(Frame& f, vb::Variant& c, const vb::Variant& to, const vb::Variant& by, bool descending) const
{
    while (!pastEnd(c, to, descending)) {
        const Flow flow = body.exec(f);
        if (flow == Flow::ExitFor)
            break;
        if (flow != Flow::Normal)
            return flow;
        f.engine.tick();
        moveInto(c, fast::add(c, by));
    }
    return Flow::Normal;
}

Flow ForStmt::exec(Frame& f) const
{
    vb::Variant from, to, by;
    try {
        from = forNumber(start->eval(f));
        to = forNumber(end->eval(f));
        by = step ? forNumber(step->eval(f)) : vb::Variant(std::int16_t(1));
    } catch (const vb::Error& e) {
        if (!f.resumeNext)
            throw;
        return headerFailed(f, e);
    }
    const bool descending = ops::compare(by, vb::Variant(std::int16_t(0))) == ops::Order::Less;
    counter->assign(f, std::move(from), false);
    // A counter that is a local or a parameter of the procedure stays at one address
    // for the whole loop: tested and stepped there, without asking its node each time.
    if (const auto* local = dynamic_cast<const LocalExpr*>(counter.get()))
        return loopAt(f, f.locals[local->slot()], to, by, descending);
    if (const auto* arg = dynamic_cast<const ArgExpr*>(counter.get()))
        return loopAt(f, *f.args[arg->index()], to, by, descending);
    // A module variable: in place while its name stays a variable (ExecuteGlobal in the
    // body can make it a procedure; the loop then goes on through the node).
    GlobalSlot* g = nullptr;
    if (const auto* global = dynamic_cast<const GlobalExpr*>(counter.get()))
        g = global->slot();
    else if (const auto* late = dynamic_cast<const LateNameExpr*>(counter.get()))
        g = late->foundGlobal();
    if (g)
        return loopAtGlobal(f, *g, to, by, descending);
    return loopByNode(f, to, by, descending);
}

Flow ForStmt::loopAtGlobal(Frame& f, GlobalSlot& g, const vb::Variant& to, const vb::Variant& by, bool descending) const
{
    for (;;) {
        if (g.kind != GlobalSlot::Kind::Variable)
            return loopByNode(f, to, by, descending);
        if (pastEnd(g.value, to, descending))
            break;
        const Flow flow = body.exec(f);
        if (flow == Flow::ExitFor)
            break;
        if (flow != Flow::Normal)
            return flow;
        f.engine.tick();
        if (g.kind != GlobalSlot::Kind::Variable) {
            stepByNode(f, by);
            return loopByNode(f, to, by, descending);
        }
        moveInto(g.value, fast::add(g.value, by));
    }
    return Flow::Normal;
}

void ForStmt::stepByNode(Frame& f, const vb::Variant& by) const
{
    if (vb::Variant* c = counter->address(f))
        moveInto(*c, fast::add(*c, by));
    else
        counter->assign(f, fast::add(counter->eval(f), by), false);
}

// The loop with the counter read and written through its node each time.
Flow ForStmt::loopByNode(Frame& f, const vb::Variant& to, const vb::Variant& by, bool descending) const
{
    for (;;) {
        {
            vb::Variant scratch;
            if (pastEnd(counter->read(f, scratch), to, descending))
                break;
        }
        const Flow flow = body.exec(f);
        if (flow == Flow::ExitFor)
            break;
        if (flow != Flow::Normal)
            return flow;
        f.engine.tick();
        stepByNode(f, by);
    }
    return Flow::Normal;
}

Flow ForEachStmt::exec(Frame& f) const
{
    vb::Variant items;
    try {
        items = collection->eval(f);
        if (!items.isArray() && !items.isObject())
            vb::raiseError(vb::err::NotACollection);
    } catch (const vb::Error& e) {
        if (!f.resumeNext)
            throw;
        // Under On Error Resume Next execution goes on into the body, once.
        f.engine.recordInErr(e);
        const Flow flow = body.exec(f);
        return flow == Flow::ExitFor ? Flow::Normal : flow;
    }
    // Runs the body for one item; false when the loop ends here (result in `flow`).
    Flow flow = Flow::Normal;
    const auto step = [&](vb::Variant&& item) {
        variable->assign(f, std::move(item), false);
        flow = body.exec(f);
        if (flow == Flow::ExitFor) {
            flow = Flow::Normal;
            return false;
        }
        if (flow != Flow::Normal)
            return false;
        f.engine.tick();
        return true;
    };
    if (items.isArray()) {
        const vb::Ref<vb::Array> array = items.arrayRef();
        for (std::size_t i = 0; i < array->size() && step(vb::Variant(array->elements()[i])); ++i) {
        }
        return flow;
    }
    std::unique_ptr<vb::Enumerator> walk = vb::requireObject(items).enumerate();
    vb::Variant item;
    while (walk->next(item) && step(std::exchange(item, vb::Variant()))) {
    }
    return flow;
}

Flow DoStmt::exec(Frame& f) const
{
    for (;;) {
        if (test == Test::Before && condition->test(f) == until)
            break;
        const Flow flow = body.exec(f);
        if (flow == Flow::ExitDo)
            break;
        if (flow != Flow::Normal)
            return flow;
        if (test == Test::After && condition->test(f) == until)
            break;
        f.engine.tick();
    }
    return Flow::Normal;
}

Flow ExitStmt::exec(Frame& f) const
{
    if (flow_ == Flow::ExitProcedure)
        f.engine.err().Clear();
    return flow_;
}

Flow WithStmt::exec(Frame& f) const
{
    // Any value is accepted here; a value that is no object fails at its first
    // ".member" (Object required), so the body runs under On Error Resume Next.
    f.locals[slot_] = object_->eval(f);
    const Flow flow = body.exec(f);
    f.locals[slot_] = vb::Variant();
    return flow;
}

Flow OnErrorStmt::exec(Frame& f) const
{
    f.resumeNext = resumeNext_;
    f.engine.err().Clear();
    return Flow::Normal;
}

Flow ReDimStmt::exec(Frame& f) const
{
    for (const Item& item : items) {
        // ReDim refuses a fixed array before its new bounds are looked at; ReDim
        // Preserve reads the bounds first (a bound that is no number fails as such).
        vb::Variant* v = item.target->address(f);
        if (!preserve_ && v && v->isArray() && v->arrayValue().fixedSize())
            vb::raiseError(vb::err::ArrayFixed);
        bool calls = false;
        std::vector<vb::Bound> bounds;
        if (item.upper.size() > 1)
            bounds.reserve(item.upper.size());
        std::int32_t lastCount = 0;
        for (const ExprPtr& e : item.upper) {
            calls = calls || e->hasCalls();
            vb::Variant s;
            const std::int32_t upper = vb::CLng(e->read(f, s));
            if (upper < -1)
                vb::raiseError(vb::err::SubscriptOutOfRange);
            lastCount = upper + 1;
            if (item.upper.size() > 1)
                bounds.push_back(vb::Bound{0, lastCount});
        }
        // A bound that ran script code may have moved the variable.
        if (calls)
            v = item.target->address(f);
        if (!v)
            vb::raiseError(vb::err::TypeMismatch);
        if (v->isArray() && v->arrayValue().fixedSize())
            vb::raiseError(vb::err::ArrayFixed);
        const bool oneDimension = item.upper.size() == 1;
        // The growth loop of scripts ("ReDim Preserve a(n + 1)") resizes in place.
        if (preserve_ && oneDimension && v->isArray() && v->arrayValue().dimensions() == 1 && v->arrayValue().lbound() == 0) {
            f.engine.writableArray(*v).resizeVector(lastCount);
            continue;
        }
        if (oneDimension)
            bounds.push_back(vb::Bound{0, lastCount});
        if (preserve_ && v->isArray() && v->arrayValue().dimensions() > 0)
            f.engine.writableArray(*v).redim(std::move(bounds), true);
        else
            *v = vb::Variant(vb::make<vb::Array>(std::move(bounds)));
    }
    return Flow::Normal;
}

Flow DeclareArraysStmt::exec(Frame&) const
{
    for (const Item& item : items) {
        if (item.clash)
            vb::raiseError(vb::err::TypeMismatch);
        if (!item.slot->value.isArray())
            item.slot->value = makeDeclaredArray(item.init);
    }
    return Flow::Normal;
}

Flow EraseStmt::exec(Frame& f) const
{
    for (const ExprPtr& t : targets) {
        vb::Variant* v = t->address(f);
        if (!v || !v->isArray())
            vb::raiseError(vb::err::TypeMismatch);
        if (v->arrayValue().fixedSize())
            f.engine.writableArray(*v).clearElements();
        else
            *v = vb::Variant(vb::make<vb::Array>());
    }
    return Flow::Normal;
}

} // namespace vbscript
