// Array: a VB array of Variants with any number of dimensions and lower bounds.
//
// Elements are stored column-major (the first subscript varies fastest), as VB lays
// them out, so ReDim Preserve of the last dimension keeps every element in place.
// They sit in one block that grows by realloc: a large block is moved by remapping
// its pages, not by copying each Variant into freshly faulted memory (see Array.cpp).
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
    ~Array();
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;
    // A zero-based one-dimensional array of the given values (VB's Array()).
    static Ref<Array> fromValues(std::vector<Variant> values);
    // A zero-based one-dimensional array with upper bound `upper` (-1 gives an empty array).
    static Ref<Array> vector(std::int32_t upper);

    int dimensions() const { return static_cast<int>(bounds_.size()); }
    const std::vector<Bound>& bounds() const { return bounds_; }
    // LBound/UBound of dimension `dim` (1-based); error 9 when out of range.
    std::int32_t lbound(int dim = 1) const;
    std::int32_t ubound(int dim = 1) const;
    std::size_t size() const { return size_; }

    // Element by subscripts; error 9 "Subscript out of range" when any is outside.
    Variant& at(std::span<const std::int32_t> subscripts);
    const Variant& at(std::span<const std::int32_t> subscripts) const;
    Variant& at(std::initializer_list<std::int32_t> subscripts) { return at(std::span(subscripts.begin(), subscripts.size())); }
    const Variant& at(std::initializer_list<std::int32_t> subscripts) const { return at(std::span(subscripts.begin(), subscripts.size())); }

    // Flat storage, column-major. Valid until the next ReDim of this array.
    std::span<Variant> elements() { return {data_, size_}; }
    std::span<const Variant> elements() const { return {data_, size_}; }

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
    // Elements [size_, count) become Empty, or [count, size_) go; the block grows to at
    // least `count`, doubling when `spare` (repeated growth stays amortised).
    void resizeElements(std::size_t count, bool spare);
    void reallocate(std::size_t capacity);
    void destroyElements(std::size_t from) noexcept;

    std::vector<Bound> bounds_;
    Variant* data_ = nullptr; // malloc'd, `capacity_` Variants of room
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool fixed_ = false;
};

} // namespace vb
