// Dictionary: the scripting dictionary. Keys keep their insertion order; text keys
// compare byte for byte or, with CompareMode text, without regard to case; numbers
// compare by value, objects by identity.
#pragma once

#include "MemberTable.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <functional>
#include <string_view>
#include <string>
#include <vector>

namespace vb {

class Dictionary final : public Dispatch<Dictionary> {
public:
    static const MemberTable<Dictionary>& members();

    explicit Dictionary(CompareMode mode = CompareMode::Binary) : mode_(mode) { }

    // Add: 457 "This key is already associated with an element of this collection" for a duplicate.
    void Add(const Variant& key, const Variant& item);
    bool Exists(const Variant& key) const;
    // Item get adds a missing key with an Empty item, as the scripting dictionary does.
    Variant Item(const Variant& key);
    void LetItem(const Variant& key, const Variant& item);
    // Key(old) = new renames a key: 32811 when old is missing, 457 when new exists.
    void LetKey(const Variant& oldKey, const Variant& newKey);
    Variant Items() const;
    Variant Keys() const;
    // Remove: 32811 "Element not found" when the key is missing.
    void Remove(const Variant& key);
    void RemoveAll();
    std::int32_t Count() const { return static_cast<std::int32_t>(live_); }
    std::int32_t GetCompareMode() const { return static_cast<std::int32_t>(mode_); }
    // Changing the mode of a dictionary that holds items raises 5.
    void LetCompareMode(std::int32_t mode);

    // C++ side conveniences.
    CompareMode compareMode() const { return mode_; }
    const Variant* find(const Variant& key) const;
    Variant* find(const Variant& key);
    void forEach(const std::function<void(const Variant& key, const Variant& item)>& fn) const;
    std::size_t size() const { return live_; }

    std::unique_ptr<Enumerator> enumerate() override;

private:
    enum class KeyKind : std::uint8_t { Empty, Null, Number, Text, ObjectRef, Other };
    // A key as compared: numbers by value, text (case-folded in text mode), objects by
    // identity. Text is viewed, not copied, when looking up.
    struct KeyView {
        KeyKind kind = KeyKind::Empty;
        double number = 0;
        const void* ptr = nullptr;
        std::string_view text;
        bool operator==(const KeyView& o) const noexcept
        {
            return kind == o.kind && number == o.number && ptr == o.ptr && text == o.text;
        }
    };
    // One key and its item. What a key compares by is read from the key itself; only
    // a text key whose compared text differs from it (CompareMode text folds case)
    // keeps that text beside it.
    struct Entry {
        Variant key;
        Variant item;
        std::size_t hash = 0;
        double number = 0;
        std::unique_ptr<std::string> folded;
        KeyKind kind = KeyKind::Empty;
        bool live = true;
        KeyView view() const
        {
            KeyView k{kind, number, nullptr, {}};
            if (kind == KeyKind::Text)
                k.text = folded ? std::string_view(*folded) : std::string_view(key.stringValue());
            else if (kind == KeyKind::ObjectRef)
                k.ptr = key.objectValue();
            return k;
        }
        // Sets the key and what it compares by.
        void setKey(const Variant& newKey, const KeyView& k, std::size_t newHash);
    };

    // The compared form of a key; text mode folds letter case into `scratch`.
    KeyView keyView(const Variant& key, std::string& scratch) const;
    static std::size_t hashOf(const KeyView& k) noexcept;
    std::size_t indexOf(const Variant& key) const; // npos when missing
    // The slot of a key in the index: where it is, or the empty slot it would take.
    std::size_t slotOf(const KeyView& k, std::size_t hash) const;
    void addEntry(const Variant& key, const KeyView& k, std::size_t hash, const Variant& item);
    void rebuildIndex(std::size_t capacity);
    void compact();

    CompareMode mode_;
    // Entries in insertion order; a deque grows without moving the ones it holds.
    std::deque<Entry> entries_;
    std::size_t live_ = 0;
    std::size_t dead_ = 0;
    int walkers_ = 0; // running enumerations; the entry list is not compacted under them
    // Open addressing over the entries: 0 is an empty slot, kRemoved a removed key,
    // anything else the entry's position plus one. Its size is a power of two.
    static constexpr std::uint32_t kRemoved = 0xFFFFFFFFu;
    std::vector<std::uint32_t> slots_;
    std::size_t usedSlots_ = 0; // taken or removed

    friend class DictionaryEnumerator;
};

} // namespace vb
