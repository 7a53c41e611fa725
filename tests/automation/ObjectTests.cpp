#include "automation/Array.h"
#include "automation/Collection.h"
#include "automation/MemberTable.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vb;
using testing_support::errorOf;

namespace {

// A small published class exercising every kind of parameter.
class Probe final : public Dispatch<Probe> {
public:
    static const MemberTable<Probe>& members()
    {
        static const MemberTable<Probe> table("Probe", {
            method<&Probe::Add>("Add"),
            method<&Probe::Increment>("Increment"),
            method<&Probe::Greet>("Greet"),
            get<&Probe::GetName>("Name", kDefault),
            let<&Probe::LetName>("Name", kDefault),
            set<&Probe::SetTarget>("Target"),
            get<&Probe::GetTarget>("Target"),
            method<&Probe::CountArgs>("CountArgs"),
            method<&Probe::Half>("Half"),
            get<&Probe::GetTarget>("Inner"),
        });
        return table;
    }

    std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
    void Increment(Variant& counter) { counter = Variant(CLng(counter) + 1); }
    std::string Greet(const std::string& who, Optional<std::string> greeting)
    {
        return greeting.value_or("Hello") + ", " + who;
    }
    std::string GetName() const { return name_; }
    void LetName(const std::string& name) { name_ = name; }
    void SetTarget(Ref<Object> target) { target_ = std::move(target); }
    Ref<Object> GetTarget() const { return target_; }
    std::int32_t CountArgs(Args rest) { return static_cast<std::int32_t>(rest.size()); }
    std::int16_t Half(std::int16_t n) { return static_cast<std::int16_t>(n / 2); }

private:
    std::string name_ = "probe";
    Ref<Object> target_;
};


} // namespace

TEST(LateBoundCalls, NamesIgnoreCase)
{
    Ref<Probe> p = make<Probe>();
    EXPECT_EQ(call(*p, "add", 2, 3).longValue(), 5);
    EXPECT_EQ(call(*p, "ADD", 2, 3).longValue(), 5);
    EXPECT_EQ(CStr(getProperty(*p, "name")), "probe");
    setProperty(*p, "NAME", Variant("renamed"));
    EXPECT_EQ(CStr(getProperty(*p, "Name")), "renamed");
}

TEST(LateBoundCalls, ArgumentsAreConvertedAsVbConverts)
{
    Ref<Probe> p = make<Probe>();
    EXPECT_EQ(call(*p, "Add", "2", 3.5).longValue(), 6); // "2" + CLng(3.5) = 2 + 4
    EXPECT_EQ(call(*p, "Half", Variant(std::int16_t(9))).type(), vbInteger);
    EXPECT_EQ(errorOf([&] { call(*p, "Add", "x", 1); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([&] { call(*p, "Half", 70000); }), err::Overflow);
}

TEST(LateBoundCalls, ByReferenceArgumentsReachTheCaller)
{
    Ref<Probe> p = make<Probe>();
    Variant counter(std::int16_t(41));
    ArgPack<1> args{Variant()};
    args.byRef(0, counter);
    p->invoke("Increment", Method, args);
    EXPECT_EQ(CLng(counter), 42);

    // By value the caller's variable stays.
    Variant copy(std::int16_t(1));
    call(*p, "Increment", copy);
    EXPECT_EQ(CLng(copy), 1);
}

TEST(LateBoundCalls, OptionalAndMissingArguments)
{
    Ref<Probe> p = make<Probe>();
    EXPECT_EQ(CStr(call(*p, "Greet", "Ann")), "Hello, Ann");
    EXPECT_EQ(CStr(call(*p, "Greet", "Ann", "Hi")), "Hi, Ann");
    EXPECT_EQ(CStr(call(*p, "Greet", "Ann", Variant::missing())), "Hello, Ann");
    EXPECT_EQ(errorOf([&] { call(*p, "Greet", Variant::missing()); }), err::ArgumentNotOptional);
    EXPECT_EQ(call(*p, "CountArgs", 1, 2, 3).longValue(), 3);
    EXPECT_EQ(call(*p, "CountArgs").longValue(), 0);
}

TEST(LateBoundCalls, ErrorsAsVbRaisesThem)
{
    Ref<Probe> p = make<Probe>();
    EXPECT_EQ(errorOf([&] { call(*p, "Nope"); }), err::NoSuchMember);
    EXPECT_EQ(errorOf([&] { call(*p, "Add", 1); }), err::WrongArgumentCount);
    EXPECT_EQ(errorOf([&] { call(*p, "Add", 1, 2, 3); }), err::WrongArgumentCount);
    // A read-only member refuses assignment.
    EXPECT_EQ(errorOf([&] { setProperty(*p, "Add", Variant(1)); }), err::NoSuchMember);
    EXPECT_EQ(describe(err::NoSuchMember), "Object doesn't support this property or method");
    EXPECT_EQ(describe(err::WrongArgumentCount), "Wrong number of arguments or invalid property assignment");
}

TEST(LateBoundCalls, DefaultMemberAndObjects)
{
    Ref<Probe> p = make<Probe>();
    EXPECT_EQ(CStr(Variant(p)), "probe"); // conversion reads the default member
    Ref<Probe> other = make<Probe>();
    setProperty(*p, "Target", Variant(other));
    EXPECT_EQ(getProperty(*p, "Target").objectValue(), other.get());
    EXPECT_EQ(other->refCount(), 2);
    // A Set of a non-object is a type mismatch; a Let on a Set-only property is unsupported.
    ArgPack<1> five{5};
    EXPECT_EQ(errorOf([&] { p->invoke("Target", Set, five); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([&] { setProperty(*p, "Target", Variant(5)); }), err::NoSuchMember);
    EXPECT_EQ(typeName(Variant(p)), "Probe");
    EXPECT_EQ(typeName(Variant::nothing()), "Nothing");
}

TEST(VariantArrays, BoundsAndCopyOnWrite)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{1, 3}, Bound{0, 2}});
    EXPECT_EQ(a->lbound(1), 1);
    EXPECT_EQ(a->ubound(1), 3);
    EXPECT_EQ(a->ubound(2), 1);
    a->at({3, 1}) = Variant("corner");
    EXPECT_EQ(errorOf([&] { a->at({4, 0}); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { a->at({1}); }), err::SubscriptOutOfRange);

    Variant first(a);
    Variant second = first; // shares until written
    second.mutableArray().at({1, 0}) = Variant(7);
    EXPECT_TRUE(first.arrayValue().at({1, 0}).isEmpty());
    EXPECT_EQ(second.arrayValue().at({3, 1}).stringValue(), "corner");
    EXPECT_EQ(varTypeOf(first), vbArray | vbVariant);
    EXPECT_EQ(typeName(first), "Variant()");
}

TEST(VariantArrays, OneDimensionBoundsAtBothEnds)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{-2, 3}});
    a->at({-2}) = Variant(1);
    a->at({0}) = Variant(3);
    EXPECT_EQ(a->elements()[0].longValue(), 1);
    EXPECT_EQ(a->elements()[2].longValue(), 3);
    for (const std::int32_t outside : {-3, 1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()})
        EXPECT_EQ(errorOf([&] { a->at({outside}); }), err::SubscriptOutOfRange) << outside;
    EXPECT_EQ(errorOf([&] { a->at({0, 0}); }), err::SubscriptOutOfRange);
    Ref<Array> empty = Array::vector(-1);
    EXPECT_EQ(errorOf([&] { empty->at({0}); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { empty->at({-1}); }), err::SubscriptOutOfRange);
}

TEST(VariantArrays, RedimPreserveKeepsElements)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{0, 2}, Bound{0, 2}});
    a->at({1, 1}) = Variant(11);
    a->redim({Bound{0, 2}, Bound{0, 4}}, true);
    EXPECT_EQ(a->at({1, 1}).longValue(), 11);
    EXPECT_EQ(errorOf([&] { a->redim({Bound{0, 3}, Bound{0, 4}}, true); }), err::SubscriptOutOfRange);
    a->redim({Bound{0, 1}}, false);
    EXPECT_EQ(a->dimensions(), 1);
    EXPECT_TRUE(a->at({0}).isEmpty());
}

TEST(LateBoundCalls, ArgumentsToAParameterlessReadGoToTheDefaultMemberOfItsResult)
{
    Ref<Probe> outer = make<Probe>();
    Ref<Probe> inner = make<Probe>();
    setProperty(*inner, "Name", Variant("inner"));
    setProperty(*outer, "Target", Variant(inner));
    // outer.Inner() is the inner probe; outer.Inner("x") is inner's default member with "x".
    EXPECT_EQ(getProperty(*outer, "Inner").objectValue(), inner.get());
    EXPECT_EQ(errorOf([&] { call(*outer, "Inner", "x"); }), err::WrongArgumentCount); // Name takes no argument
    EXPECT_EQ(errorOf([&] { call(*outer, "Version", 1); }), err::NoSuchMember);
    // With a collection inside, the argument picks its item.
    Ref<Collection> items = make<Collection>();
    items->append(Variant("first"));
    setProperty(*outer, "Target", Variant(items));
    EXPECT_EQ(CStr(call(*outer, "Inner", 1)), "first");
}
