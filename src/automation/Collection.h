// Collection: VB's Collection object. Items are numbered from 1 in order; an item may
// carry a text key, compared without regard to case.
#pragma once

#include "MemberTable.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vb {

class Collection final : public Dispatch<Collection> {
public:
    static const MemberTable<Collection>& members();

    // Add(Item, [Key], [Before], [After]); duplicate key 457, Before and After together 5.
    void Add(const Variant& item, Optional<Variant> key, Optional<Variant> before, Optional<Variant> after);
    // Item(Index): 1-based position or key; a bad position raises 9, an unknown key 5.
    Variant Item(const Variant& index) const;
    void Remove(const Variant& index);
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }

    // C++ side conveniences.
    void append(Variant item) { items_.push_back(Entry{std::move(item), std::nullopt}); }
    void append(Variant item, std::string key);
    const Variant& at(std::size_t position) const { return items_.at(position - 1).value; } // 1-based
    std::size_t size() const { return items_.size(); }
    void removeAt(std::size_t position); // 1-based
    void clear();

    std::unique_ptr<Enumerator> enumerate() override;

private:
    struct Entry {
        Variant value;
        std::optional<std::string> key;
    };
    std::size_t positionOf(const Variant& index) const; // 0-based
    void insertAt(std::size_t pos, Entry entry);

    std::vector<Entry> items_;
    std::unordered_map<std::string, bool, CaseInsensitiveHash, CaseInsensitiveEqual> keys_;
};

} // namespace vb
