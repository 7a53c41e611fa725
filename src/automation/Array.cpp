#include "Array.h"

#include "Error.h"

#include "base/Assert.h"

namespace vb {

Array::Array(std::vector<Bound> bounds) : bounds_(std::move(bounds))
{
    std::size_t total = bounds_.empty() ? 0 : 1;
    for (const Bound& b : bounds_) {
        if (b.count < 0)
            raiseError(err::SubscriptOutOfRange);
        total *= static_cast<std::size_t>(b.count);
    }
    elements_.resize(total);
}

Ref<Array> Array::fromValues(std::vector<Variant> values)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{0, static_cast<std::int32_t>(values.size())}});
    a->elements_ = std::move(values);
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
    TALLIS_ASSERT(offset < elements_.size()); // the elements follow the bounds
    return elements_[offset];
}

const Variant& Array::at(std::span<const std::int32_t> subscripts) const
{
    const std::size_t offset = offsetOf(subscripts);
    TALLIS_ASSERT(offset < elements_.size());
    return elements_[offset];
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
        elements_.assign(total, Variant());
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
    elements_.resize(total);
}

void Array::resizeVector(std::int32_t count)
{
    if (fixed_)
        raiseError(err::ArrayFixed);
    if (count < 0 || bounds_.size() != 1 || bounds_[0].lower != 0)
        raiseError(err::SubscriptOutOfRange);
    bounds_[0].count = count;
    elements_.resize(static_cast<std::size_t>(count));
}

void Array::clearElements()
{
    for (Variant& v : elements_)
        v = Variant();
}

Ref<Array> Array::clone() const
{
    Ref<Array> copy = make<Array>();
    copy->bounds_ = bounds_;
    copy->elements_ = elements_;
    copy->fixed_ = fixed_;
    return copy;
}

} // namespace vb
