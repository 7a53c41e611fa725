#include "Array.h"

#include "Error.h"

#include "base/Assert.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace vb {

namespace {

// The text of a String Variant when std::string keeps it inside the Variant itself
// (its short-string buffer), the one thing a Variant owns that points into itself.
std::string* textInside(Variant& v)
{
    if (!v.isString())
        return nullptr;
    // Not the writing accessor: the text does not change, what is known of it stays.
    auto& text = const_cast<std::string&>(std::as_const(v).stringValue());
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    const auto* self = reinterpret_cast<const std::byte*>(&v);
    return data >= self && data < self + sizeof(Variant) ? &text : nullptr;
}

} // namespace

Array::Array(std::vector<Bound> bounds) : bounds_(std::move(bounds))
{
    std::size_t total = bounds_.empty() ? 0 : 1;
    for (const Bound& b : bounds_) {
        if (b.count < 0)
            raiseError(err::SubscriptOutOfRange);
        total *= static_cast<std::size_t>(b.count);
    }
    resizeElements(total, false);
}

Array::~Array()
{
    destroyElements(0);
    std::free(data_);
}

Ref<Array> Array::fromValues(std::vector<Variant> values)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{0, static_cast<std::int32_t>(values.size())}});
    for (std::size_t i = 0; i < values.size(); ++i)
        a->data_[i] = std::move(values[i]);
    return a;
}

Ref<Array> Array::vector(std::int32_t upper)
{
    return make<Array>(std::vector<Bound>{Bound{0, upper + 1}});
}

std::int32_t Array::lbound(int dim) const
{
    if (dim < 1 || dim > dimensions())
        raiseError(err::SubscriptOutOfRange);
    return bounds_[dim - 1].lower;
}

std::int32_t Array::ubound(int dim) const
{
    if (dim < 1 || dim > dimensions())
        raiseError(err::SubscriptOutOfRange);
    return bounds_[dim - 1].upper();
}

std::size_t Array::offsetOf(std::span<const std::int32_t> subscripts) const
{
    // One dimension, the usual case, without the general loop.
    if (subscripts.size() == 1 && bounds_.size() == 1) {
        const std::int64_t i = static_cast<std::int64_t>(subscripts[0]) - bounds_[0].lower;
        if (i < 0 || i >= bounds_[0].count)
            raiseError(err::SubscriptOutOfRange);
        return static_cast<std::size_t>(i);
    }
    if (subscripts.size() != bounds_.size())
        raiseError(err::SubscriptOutOfRange);
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (std::size_t d = 0; d < bounds_.size(); ++d) {
        const Bound& b = bounds_[d];
        const std::int64_t i = static_cast<std::int64_t>(subscripts[d]) - b.lower;
        if (i < 0 || i >= b.count)
            raiseError(err::SubscriptOutOfRange);
        offset += static_cast<std::size_t>(i) * stride;
        stride *= static_cast<std::size_t>(b.count);
    }
    return offset;
}

Variant& Array::at(std::span<const std::int32_t> subscripts)
{
    const std::size_t offset = offsetOf(subscripts);
    TALLIS_ASSERT(offset < size_); // the elements follow the bounds
    return data_[offset];
}

const Variant& Array::at(std::span<const std::int32_t> subscripts) const
{
    const std::size_t offset = offsetOf(subscripts);
    TALLIS_ASSERT(offset < size_);
    return data_[offset];
}

void Array::destroyElements(std::size_t from) noexcept
{
    for (std::size_t i = from; i < size_; ++i)
        data_[i].~Variant();
    size_ = from < size_ ? from : size_;
}

void Array::reallocate(std::size_t capacity)
{
    // The Variants move with their bytes: realloc extends the block in place or, for a
    // large one, remaps its pages, so growing never copies each element into new
    // memory that must first be faulted in. A Variant owns nothing that points back
    // into itself except the text of a short String kept inside std::string; such
    // texts go to the heap for the move and come back inside after it.
    std::vector<std::size_t> inside;
    for (std::size_t i = 0; i < size_; ++i) {
        if (std::string* text = textInside(data_[i])) {
            inside.push_back(i);
            text->reserve(sizeof(std::string)); // more than any inside buffer holds
        }
    }
    if (capacity == 0) {
        std::free(data_);
        data_ = nullptr;
        capacity_ = 0;
        return;
    }
    // Every Variant may move by its bytes now; realloc is given an untyped block.
    void* block = std::realloc(static_cast<void*>(data_), capacity * sizeof(Variant));
    if (!block) {
        for (std::size_t i : inside)
            const_cast<std::string&>(std::as_const(data_[i]).stringValue()).shrink_to_fit();
        throw std::bad_alloc();
    }
    data_ = static_cast<Variant*>(block);
    capacity_ = capacity;
    for (std::size_t i : inside)
        const_cast<std::string&>(std::as_const(data_[i]).stringValue()).shrink_to_fit();
}

void Array::resizeElements(std::size_t count, bool spare)
{
    if (count < size_)
        destroyElements(count);
    // A block left mostly empty gives its room back.
    if (count < capacity_ / 4)
        reallocate(count);
    else if (count > capacity_)
        reallocate(spare ? std::max(count, 2 * capacity_) : count);
    for (std::size_t i = size_; i < count; ++i)
        new (&data_[i]) Variant();
    size_ = count;
}

void Array::redim(std::vector<Bound> bounds, bool preserve)
{
    if (fixed_)
        raiseError(err::ArrayFixed);
    for (const Bound& b : bounds) {
        if (b.count < 0)
            raiseError(err::SubscriptOutOfRange);
    }
    std::size_t total = bounds.empty() ? 0 : 1;
    for (const Bound& b : bounds)
        total *= static_cast<std::size_t>(b.count);
    if (!preserve || bounds_.empty()) {
        bounds_ = std::move(bounds);
        destroyElements(0);
        resizeElements(total, false);
        return;
    }
    if (bounds.size() != bounds_.size())
        raiseError(err::SubscriptOutOfRange);
    for (std::size_t d = 0; d + 1 < bounds.size(); ++d) {
        if (bounds[d].count != bounds_[d].count || bounds[d].lower != bounds_[d].lower)
            raiseError(err::SubscriptOutOfRange);
    }
    // Column-major: changing the last dimension keeps every kept element in place.
    bounds_ = std::move(bounds);
    resizeElements(total, true);
}

void Array::resizeVector(std::int32_t count)
{
    if (fixed_)
        raiseError(err::ArrayFixed);
    if (count < 0 || bounds_.size() != 1 || bounds_[0].lower != 0)
        raiseError(err::SubscriptOutOfRange);
    resizeElements(static_cast<std::size_t>(count), true);
    bounds_[0].count = count;
}

void Array::clearElements()
{
    for (std::size_t i = 0; i < size_; ++i)
        data_[i] = Variant();
}

Ref<Array> Array::clone() const
{
    Ref<Array> copy = make<Array>();
    copy->bounds_ = bounds_;
    copy->reallocate(size_);
    for (std::size_t i = 0; i < size_; ++i) {
        new (&copy->data_[i]) Variant(data_[i]);
        copy->size_ = i + 1; // a failed copy leaves the copies made so far to the destructor
    }
    copy->fixed_ = fixed_;
    return copy;
}

} // namespace vb
