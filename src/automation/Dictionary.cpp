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

std::size_t Dictionary::hashOf(const KeyView& k) noexcept
{
    std::size_t h;
    switch (k.kind) {
    case KeyKind::Text: h = std::hash<std::string_view>()(k.text); break;
    case KeyKind::Number:
    case KeyKind::Other: h = std::hash<double>()(k.number + 0.0); break; // -0 and 0 alike
    case KeyKind::ObjectRef: h = std::hash<const void*>()(k.ptr); break;
    default: h = static_cast<std::size_t>(k.kind); break;
    }
    // Spread the bits: the index uses the low ones.
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 32;
    return h;
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
            foldCase(key.stringValue(), scratch);
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

std::size_t Dictionary::slotOf(const KeyView& k, std::size_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t firstRemoved = std::string::npos;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint32_t s = slots_[i];
        if (s == 0)
            return firstRemoved != std::string::npos ? firstRemoved : i;
        if (s == kRemoved) {
            if (firstRemoved == std::string::npos)
                firstRemoved = i;
            continue;
        }
        const Entry& e = entries_[s - 1];
        if (e.hash == hash && e.view() == k)
            return i;
    }
}

std::size_t Dictionary::indexOf(const Variant& key) const
{
    if (live_ == 0)
        return std::string::npos;
    std::string scratch;
    const KeyView k = keyView(key, scratch);
    const std::size_t hash = hashOf(k);
    const std::uint32_t s = slots_[slotOf(k, hash)];
    return s == 0 || s == kRemoved ? std::string::npos : s - 1;
}

void Dictionary::rebuildIndex(std::size_t capacity)
{
    slots_.assign(capacity, 0);
    usedSlots_ = 0;
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].live)
            continue;
        std::size_t at = entries_[i].hash & mask;
        while (slots_[at] != 0)
            at = (at + 1) & mask;
        slots_[at] = static_cast<std::uint32_t>(i + 1);
        ++usedSlots_;
    }
}

void Dictionary::Entry::setKey(const Variant& newKey, const KeyView& k, std::size_t newHash)
{
    key = newKey;
    hash = newHash;
    number = k.number;
    kind = k.kind;
    if (k.kind == KeyKind::Text && k.text != std::string_view(key.stringValue()))
        folded = std::make_unique<std::string>(k.text);
    else
        folded.reset();
}

void Dictionary::addEntry(const Variant& key, const KeyView& k, std::size_t hash, const Variant& item)
{
    // Keep the index at most half full, counting removed slots.
    if ((usedSlots_ + 1) * 2 > slots_.size()) {
        // Room for twice the keys again; removed slots are dropped on the way.
        std::size_t capacity = 16;
        while (capacity < (live_ + 1) * 4)
            capacity *= 2;
        rebuildIndex(capacity);
    }
    const std::size_t at = slotOf(k, hash);
    if (slots_[at] != 0 && slots_[at] != kRemoved)
        raiseError(err::DuplicateKey);
    if (slots_[at] == 0)
        ++usedSlots_;
    slots_[at] = static_cast<std::uint32_t>(entries_.size() + 1);
    Entry& e = entries_.emplace_back();
    e.setKey(key, k, hash);
    e.item = item;
    ++live_;
}

void Dictionary::Add(const Variant& key, const Variant& item)
{
    std::string scratch;
    const KeyView k = keyView(key, scratch);
    addEntry(key, k, hashOf(k), item);
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
    if (indexOf(newKey) != std::string::npos)
        raiseError(err::DuplicateKey);
    std::string scratch;
    const KeyView k = keyView(newKey, scratch);
    Entry& e = entries_[i];
    slots_[slotOf(e.view(), e.hash)] = kRemoved;
    e.setKey(newKey, k, hashOf(k));
    const std::size_t at = slotOf(e.view(), e.hash);
    if (slots_[at] == 0)
        ++usedSlots_;
    slots_[at] = static_cast<std::uint32_t>(i + 1);
}

Variant Dictionary::Items() const
{
    std::vector<Variant> values;
    values.reserve(live_);
    for (const Entry& e : entries_) {
        if (e.live)
            values.push_back(e.item);
    }
    return Variant(Array::fromValues(std::move(values)));
}

Variant Dictionary::Keys() const
{
    std::vector<Variant> values;
    values.reserve(live_);
    for (const Entry& e : entries_) {
        if (e.live)
            values.push_back(e.key);
    }
    return Variant(Array::fromValues(std::move(values)));
}

void Dictionary::Remove(const Variant& key)
{
    const std::size_t i = indexOf(key);
    if (i == std::string::npos)
        raiseError(err::ElementNotFound);
    Entry& e = entries_[i];
    slots_[slotOf(e.view(), e.hash)] = kRemoved;
    e.live = false;
    e.key = Variant();
    e.item = Variant();
    e.folded.reset();
    --live_;
    ++dead_;
    if (dead_ > 32 && dead_ * 2 > entries_.size() && walkers_ == 0)
        compact();
}

void Dictionary::compact()
{
    std::deque<Entry> kept;
    for (Entry& e : entries_) {
        if (e.live)
            kept.push_back(std::move(e));
    }
    entries_ = std::move(kept);
    dead_ = 0;
    rebuildIndex(slots_.size());
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
        live_ = 0;
        rebuildIndex(slots_.empty() ? 16 : slots_.size());
        return;
    }
    entries_.clear();
    slots_.clear();
    usedSlots_ = 0;
    live_ = 0;
    dead_ = 0;
}

void Dictionary::LetCompareMode(std::int32_t mode)
{
    if (live_ > 0 || mode < 0)
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
