// VBScript's operators on Variants, with the language's type rules:
// Integer results that overflow widen to Long and Long to Double, Byte to Integer;
// Single mixes with Long into Double; Currency stays exact; Date arithmetic; "+" on
// two strings concatenates while a string and a number add numerically; "&" treats
// Null as "" unless both sides are Null; a string compared with a
// number compares as text (with a numeric literal, as a number), a Boolean as
// "True"/"False", Empty as 0 or ""; Null propagates through
// arithmetic and comparisons and is three-valued in the logical operators.
// Objects take part through their default member.
#pragma once

#include "Ast.h"

#include "automation/Variant.h"

#include <cstdint>

namespace vbscript::ops {

vb::Variant add(const vb::Variant& a, const vb::Variant& b);
vb::Variant subtract(const vb::Variant& a, const vb::Variant& b);
vb::Variant multiply(const vb::Variant& a, const vb::Variant& b);
vb::Variant divide(const vb::Variant& a, const vb::Variant& b);
vb::Variant intDivide(const vb::Variant& a, const vb::Variant& b);
vb::Variant modulo(const vb::Variant& a, const vb::Variant& b);
vb::Variant power(const vb::Variant& a, const vb::Variant& b);
vb::Variant negate(const vb::Variant& a);
vb::Variant unaryPlus(const vb::Variant& a);

// "&": appends the text of `b` to `a` when `a` already holds a string.
vb::Variant concat(const vb::Variant& a, const vb::Variant& b);
// The text a value contributes to "&" (Null gives "").
void appendText(std::string& out, const vb::Variant& v);

enum class Order : std::int8_t { Less = -1, Equal = 0, Greater = 1, Null = 2 };
Order compare(const vb::Variant& a, const vb::Variant& b);
vb::Variant equal(const vb::Variant& a, const vb::Variant& b);
vb::Variant notEqual(const vb::Variant& a, const vb::Variant& b);
vb::Variant less(const vb::Variant& a, const vb::Variant& b);
vb::Variant greater(const vb::Variant& a, const vb::Variant& b);
vb::Variant lessEqual(const vb::Variant& a, const vb::Variant& b);
vb::Variant greaterEqual(const vb::Variant& a, const vb::Variant& b);
// "Is": the same object (both sides must be objects or Nothing).
bool sameObject(const vb::Variant& a, const vb::Variant& b);
vb::Variant isOperator(const vb::Variant& a, const vb::Variant& b);

// The order of a value and a numeric literal: a string is read as a number
// (Type mismatch when it is not one); anything else compares as usual.
Order literalOrder(const vb::Variant& a, const vb::Variant& literal);
// A comparison (Equal .. GreaterEqual) of a value with a numeric literal.
vb::Variant literalComparison(ast::BinaryOp op, const vb::Variant& a, const vb::Variant& literal);

vb::Variant logicalNot(const vb::Variant& a);
vb::Variant logicalAnd(const vb::Variant& a, const vb::Variant& b);
vb::Variant logicalOr(const vb::Variant& a, const vb::Variant& b);
vb::Variant logicalXor(const vb::Variant& a, const vb::Variant& b);
vb::Variant logicalEqv(const vb::Variant& a, const vb::Variant& b);
vb::Variant logicalImp(const vb::Variant& a, const vb::Variant& b);

// The truth of a condition (If, While, Until): Null is False.
bool isTrue(const vb::Variant& v);

// A value as a plain value: an object's default member, anything else unchanged.
vb::Variant valueOf(const vb::Variant& v);

} // namespace vbscript::ops
