// Helpers shared by the library's objects: "For Each" over a collection, objects as
// Variants, and properties that return a collection.
#pragma once

#include "automation/Error.h"
#include "automation/Object.h"

namespace vbscript::objects {

// Owner provides size() and itemAt(index); the walk keeps the owner alive.
template <class Owner>
class ListEnumerator final : public vb::Enumerator {
public:
    explicit ListEnumerator(vb::Ref<Owner> owner) : owner_(std::move(owner)) { }
    bool next(vb::Variant& out) override
    {
        if (position_ >= owner_->size())
            return false;
        out = owner_->itemAt(position_++);
        return true;
    }

private:
    vb::Ref<Owner> owner_;
    std::size_t position_ = 0;
};

// An object reference as a Variant.
template <class T>
vb::Variant objectValue(const vb::Ref<T>& object)
{
    return vb::Variant(static_cast<vb::Object*>(object.get()));
}

// A property that returns an object. Arguments given with it go to that object's
// default member, so "m.SubMatches(0)" and "folder.Files(name)" read an item.
template <class T, vb::Variant (T::*Getter)() const>
vb::Variant collectionProperty(T& self, vb::Args args)
{
    vb::Variant result = (self.*Getter)();
    if (args.empty())
        return result;
    return vb::requireObject(result).invoke("", vb::Method | vb::Get, args);
}

} // namespace vbscript::objects
