// Array: a VB array of Variants with any number of dimensions and lower bounds.
//
// Elements are stored column-major (the first subscript varies fastest), as VB lays
// them out, so ReDim Preserve of the last dimension keeps every element in place.
#pragma once

#include "Ref.h"
#include "Variant.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace vb {

struct Bound {
    std::int32_t lower = 0;
    std::int32_t count = 0; // elements in this dimension (upper = lower + count - 1)
    std::int32_t upper() const { return lower + count - 1; }
};

class Array final : public RefCounted {
public:
    Array() = default;
    explicit Array(std::vector<Bound> bounds);
    // A zero-based one-dimensional array of the given values (VB's Array()).
    static Ref<Array> fromValues(std::vector<Variant> values);
    // A zero-based one-dimensional array with upper bound `upper` (-1 gives an empty array).
    static Ref<Array> vector(std::int32_t upper);

    int dimensions() const { return static_cast<int>(bounds_.size()); }
    const std::vector<Bound>& bounds() const { return bounds_; }
    // LBound/UBound of dimension `dim` (1-based); error 9 when out of range.
    std::int32_t lbound(int dim = 1) const;
    std::int32_t ubound(int dim = 1) const;
    std::size_t size() const { return elements_.size(); }

    // Element by subscripts; error 9 "Subscript out of range" when any is outside.
    Variant& at(std::span<const std::int32_t> subscripts);
    const Variant& at(std::span<const std::int32_t> subscripts) const;
    Variant& at(std::initializer_list<std::int32_t> subscripts) { return at(std::span(subscripts.begin(), subscripts.size())); }
    const Variant& at(std::initializer_list<std::int32_t> subscripts) const { return at(std::span(subscripts.begin(), subscripts.size())); }

    // Flat storage, column-major.
    std::vector<Variant>& elements() { return elements_; }
    const std::vector<Variant>& elements() const { return elements_; }

    // ReDim [Preserve]: new bounds. With preserve only the last dimension may change
    // its count (error 9 otherwise) and the dimension count must stay.
    void redim(std::vector<Bound> bounds, bool preserve);
    // ReDim Preserve of a one-dimensional array to `count` elements from 0, without
    // building a bounds list (the growth loop of scripts).
    void resizeVector(std::int32_t count);
    // Erase of a fixed array: every element back to Empty.
    void clearElements();

    // Fixed-size arrays (Dim a(3)) refuse ReDim with error 10 "This array is fixed or temporarily locked".
    bool fixedSize() const { return fixed_; }
    void setFixedSize(bool fixed) { fixed_ = fixed; }

    Ref<Array> clone() const;

private:
    std::size_t offsetOf(std::span<const std::int32_t> subscripts) const;

    std::vector<Bound> bounds_;
    std::vector<Variant> elements_;
    bool fixed_ = false;
};

} // namespace vb
