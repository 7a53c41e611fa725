#include "Collection.h"

namespace vb {

namespace {

class CollectionEnumerator final : public Enumerator {
public:
    CollectionEnumerator(Ref<Collection> owner) : owner_(std::move(owner)) { }
    bool next(Variant& out) override
    {
        if (position_ >= owner_->size())
            return false;
        out = owner_->at(++position_);
        return true;
    }

private:
    Ref<Collection> owner_;
    std::size_t position_ = 0;
};

} // namespace

const MemberTable<Collection>& Collection::members()
{
    static const MemberTable<Collection> table("Collection", {
        method<&Collection::Add>("Add"),
        get<&Collection::Count>("Count"),
        get<&Collection::Item>("Item", kDefault),
        method<&Collection::Remove>("Remove"),
    });
    return table;
}

void Collection::append(Variant item, std::string key)
{
    if (keys_.count(key))
        raiseError(err::DuplicateKey);
    keys_.emplace(key, true);
    items_.push_back(Entry{std::move(item), std::move(key)});
}

std::size_t Collection::positionOf(const Variant& index) const
{
    const Variant v = defaultValue(index);
    if (v.isString()) {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].key && equalsIgnoreCase(*items_[i].key, v.stringValue()))
                return i;
        }
        raiseError(err::InvalidProcedureCall);
    }
    const std::int32_t pos = CLng(v);
    if (pos < 1 || static_cast<std::size_t>(pos) > items_.size())
        raiseError(err::SubscriptOutOfRange);
    return static_cast<std::size_t>(pos - 1);
}

void Collection::insertAt(std::size_t pos, Entry entry)
{
    if (entry.key) {
        if (keys_.count(*entry.key))
            raiseError(err::DuplicateKey);
        keys_.emplace(*entry.key, true);
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(entry));
}

void Collection::Add(const Variant& item, Optional<Variant> key, Optional<Variant> before, Optional<Variant> after)
{
    if (before && after)
        raiseError(err::InvalidProcedureCall);
    Entry entry{item, std::nullopt};
    if (key)
        entry.key = CStr(*key);
    std::size_t pos = items_.size();
    if (before)
        pos = positionOf(*before);
    else if (after)
        pos = positionOf(*after) + 1;
    insertAt(pos, std::move(entry));
}

Variant Collection::Item(const Variant& index) const
{
    return items_[positionOf(index)].value;
}

void Collection::Remove(const Variant& index)
{
    removeAt(positionOf(index) + 1);
}

void Collection::removeAt(std::size_t position)
{
    if (position < 1 || position > items_.size())
        raiseError(err::SubscriptOutOfRange);
    auto it = items_.begin() + static_cast<std::ptrdiff_t>(position - 1);
    if (it->key)
        keys_.erase(*it->key);
    items_.erase(it);
}

void Collection::clear()
{
    items_.clear();
    keys_.clear();
}

std::unique_ptr<Enumerator> Collection::enumerate()
{
    return std::make_unique<CollectionEnumerator>(Ref<Collection>(this));
}

} // namespace vb
