// Dictionary: the scripting dictionary. Keys keep their insertion order; text keys
// compare byte for byte or, with CompareMode text, without regard to case; numbers
// compare by value, objects by identity.
#pragma once

#include "MemberTable.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <string>
#include <unordered_map>
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
    std::int32_t Count() const { return static_cast<std::int32_t>(index_.size()); }
    std::int32_t GetCompareMode() const { return static_cast<std::int32_t>(mode_); }
    // Changing the mode of a dictionary that holds items raises 5.
    void LetCompareMode(std::int32_t mode);

    // C++ side conveniences.
    CompareMode compareMode() const { return mode_; }
    const Variant* find(const Variant& key) const;
    Variant* find(const Variant& key);
    void forEach(const std::function<void(const Variant& key, const Variant& item)>& fn) const;
    std::size_t size() const { return index_.size(); }

    std::unique_ptr<Enumerator> enumerate() override;

private:
    enum class KeyKind : std::uint8_t { Empty, Null, Number, Text, ObjectRef, Other };
    // A key as looked up: text is viewed, not copied.
    struct KeyView {
        KeyKind kind = KeyKind::Empty;
        double number = 0;
        const void* ptr = nullptr;
        std::string_view text;
    };
    // A key as stored.
    struct HashKey {
        KeyKind kind = KeyKind::Empty;
        double number = 0;
        const void* ptr = nullptr;
        std::string text; // lower-cased in text mode
        KeyView view() const { return KeyView{kind, number, ptr, text}; }
    };
    struct HashKeyHash {
        using is_transparent = void;
        std::size_t operator()(const KeyView& k) const noexcept;
        std::size_t operator()(const HashKey& k) const noexcept { return (*this)(k.view()); }
    };
    struct HashKeyEqual {
        using is_transparent = void;
        static bool same(const KeyView& a, const KeyView& b) noexcept
        {
            return a.kind == b.kind && a.number == b.number && a.ptr == b.ptr && a.text == b.text;
        }
        bool operator()(const HashKey& a, const HashKey& b) const noexcept { return same(a.view(), b.view()); }
        bool operator()(const KeyView& a, const HashKey& b) const noexcept { return same(a, b.view()); }
        bool operator()(const HashKey& a, const KeyView& b) const noexcept { return same(a.view(), b); }
    };
    struct Entry {
        Variant key;
        Variant item;
        bool live = true;
    };

    // The lookup form of a key; text mode lower-cases into `scratch`.
    KeyView keyView(const Variant& key, std::string& scratch) const;
    HashKey hashKey(const Variant& key) const;
    std::size_t indexOf(const Variant& key) const; // npos when missing
    void compact();

    CompareMode mode_;
    std::vector<Entry> entries_;
    std::size_t dead_ = 0;
    int walkers_ = 0; // running enumerations; the entry list is not compacted under them
    std::unordered_map<HashKey, std::size_t, HashKeyHash, HashKeyEqual> index_;

    friend class DictionaryEnumerator;
};

} // namespace vb
