#include "Dictionary.h"

#include "Array.h"

#include <functional>

namespace vb {

class DictionaryEnumerator final : public Enumerator {
public:
    explicit DictionaryEnumerator(Ref<Dictionary> owner) : owner_(std::move(owner)) { ++owner_->walkers_; }
    ~DictionaryEnumerator() override { --owner_->walkers_; }
    bool next(Variant& out) override
    {
        // Keys as they stand when the walk reaches them; removed entries are skipped.
        while (position_ < owner_->entries_.size()) {
            const auto& e = owner_->entries_[position_++];
            if (e.live) {
                out = e.key;
                return true;
            }
        }
        return false;
    }

private:
    Ref<Dictionary> owner_;
    std::size_t position_ = 0;
};

const MemberTable<Dictionary>& Dictionary::members()
{
    static const MemberTable<Dictionary> table("Dictionary", {
        method<&Dictionary::Add>("Add"),
        get<&Dictionary::GetCompareMode>("CompareMode"),
        let<&Dictionary::LetCompareMode>("CompareMode"),
        get<&Dictionary::Count>("Count"),
        method<&Dictionary::Exists>("Exists"),
        get<&Dictionary::Item>("Item", kDefault),
        let<&Dictionary::LetItem>("Item", kDefault),
        set<&Dictionary::LetItem>("Item", kDefault),
        method<&Dictionary::Items>("Items"),
        let<&Dictionary::LetKey>("Key"),
        method<&Dictionary::Keys>("Keys"),
        method<&Dictionary::Remove>("Remove"),
        method<&Dictionary::RemoveAll>("RemoveAll"),
    });
    return table;
}

std::size_t Dictionary::HashKeyHash::operator()(const KeyView& k) const noexcept
{
    switch (k.kind) {
    case KeyKind::Text: return std::hash<std::string_view>()(k.text);
    case KeyKind::Number:
    case KeyKind::Other: return std::hash<double>()(k.number) ^ 0x9e3779b97f4a7c15ull;
    case KeyKind::ObjectRef: return std::hash<const void*>()(k.ptr);
    default: return static_cast<std::size_t>(k.kind);
    }
}

Dictionary::KeyView Dictionary::keyView(const Variant& key, std::string& scratch) const
{
    KeyView k;
    switch (key.type()) {
    case vbEmpty: k.kind = KeyKind::Empty; break;
    case vbNull: k.kind = KeyKind::Null; break;
    case vbString:
        k.kind = KeyKind::Text;
        if (mode_ == CompareMode::Text) {
            scratch = key.stringValue();
            for (char& c : scratch)
                c = asciiLower(c);
            k.text = scratch;
        } else {
            k.text = key.stringValue();
        }
        break;
    case vbObject:
        k.kind = KeyKind::ObjectRef;
        k.ptr = key.objectValue();
        break;
    case vbArray: raiseError(err::TypeMismatch);
    case vbError:
        k.kind = KeyKind::Other;
        k.number = key.errorValue();
        break;
    default:
        k.kind = KeyKind::Number;
        k.number = toDouble(key);
        break;
    }
    return k;
}

Dictionary::HashKey Dictionary::hashKey(const Variant& key) const
{
    std::string scratch;
    const KeyView v = keyView(key, scratch);
    return HashKey{v.kind, v.number, v.ptr, std::string(v.text)};
}

std::size_t Dictionary::indexOf(const Variant& key) const
{
    std::string scratch;
    auto it = index_.find(keyView(key, scratch));
    return it == index_.end() ? std::string::npos : it->second;
}

void Dictionary::Add(const Variant& key, const Variant& item)
{
    if (!index_.try_emplace(hashKey(key), entries_.size()).second)
        raiseError(err::DuplicateKey);
    entries_.push_back(Entry{key, item});
}

bool Dictionary::Exists(const Variant& key) const
{
    return indexOf(key) != std::string::npos;
}

const Variant* Dictionary::find(const Variant& key) const
{
    const std::size_t i = indexOf(key);
    return i == std::string::npos ? nullptr : &entries_[i].item;
}

Variant* Dictionary::find(const Variant& key)
{
    const std::size_t i = indexOf(key);
    return i == std::string::npos ? nullptr : &entries_[i].item;
}

Variant Dictionary::Item(const Variant& key)
{
    const std::size_t i = indexOf(key);
    if (i != std::string::npos)
        return entries_[i].item;
    Add(key, Variant());
    return Variant();
}

void Dictionary::LetItem(const Variant& key, const Variant& item)
{
    const std::size_t i = indexOf(key);
    if (i != std::string::npos)
        entries_[i].item = item;
    else
        Add(key, item);
}

void Dictionary::LetKey(const Variant& oldKey, const Variant& newKey)
{
    const std::size_t i = indexOf(oldKey);
    if (i == std::string::npos)
        raiseError(err::ElementNotFound);
    HashKey k = hashKey(newKey);
    if (index_.count(k))
        raiseError(err::DuplicateKey);
    std::string scratch;
    index_.erase(index_.find(keyView(oldKey, scratch)));
    index_.emplace(std::move(k), i);
    entries_[i].key = newKey;
}

Variant Dictionary::Items() const
{
    std::vector<Variant> values;
    values.reserve(index_.size());
    for (const Entry& e : entries_) {
        if (e.live)
            values.push_back(e.item);
    }
    return Variant(Array::fromValues(std::move(values)));
}

Variant Dictionary::Keys() const
{
    std::vector<Variant> values;
    values.reserve(index_.size());
    for (const Entry& e : entries_) {
        if (e.live)
            values.push_back(e.key);
    }
    return Variant(Array::fromValues(std::move(values)));
}

void Dictionary::Remove(const Variant& key)
{
    std::string scratch;
    auto it = index_.find(keyView(key, scratch));
    if (it == index_.end())
        raiseError(err::ElementNotFound);
    Entry& e = entries_[it->second];
    e.live = false;
    e.key = Variant();
    e.item = Variant();
    index_.erase(it);
    ++dead_;
    if (dead_ > 32 && dead_ * 2 > entries_.size() && walkers_ == 0)
        compact();
}

void Dictionary::compact()
{
    std::vector<Entry> kept;
    kept.reserve(index_.size());
    for (Entry& e : entries_) {
        if (e.live)
            kept.push_back(std::move(e));
    }
    entries_ = std::move(kept);
    index_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(hashKey(entries_[i].key), i);
    dead_ = 0;
}

void Dictionary::RemoveAll()
{
    if (walkers_ > 0) {
        // A running walk keeps its positions; the entries die in place.
        for (Entry& e : entries_) {
            e.live = false;
            e.key = Variant();
            e.item = Variant();
        }
        dead_ = entries_.size();
        index_.clear();
        return;
    }
    entries_.clear();
    index_.clear();
    dead_ = 0;
}

void Dictionary::LetCompareMode(std::int32_t mode)
{
    if (!index_.empty() || mode < 0)
        raiseError(err::InvalidProcedureCall);
    mode_ = mode == 0 ? CompareMode::Binary : CompareMode::Text;
}

void Dictionary::forEach(const std::function<void(const Variant&, const Variant&)>& fn) const
{
    for (const Entry& e : entries_) {
        if (e.live)
            fn(e.key, e.item);
    }
}

std::unique_ptr<Enumerator> Dictionary::enumerate()
{
    return std::make_unique<DictionaryEnumerator>(Ref<Dictionary>(this));
}

} // namespace vb
