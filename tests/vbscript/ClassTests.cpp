// Classes: fields, properties, default members, Me, New, Nothing, terminate order,
// and instances called late-bound from C++.
#include "ScriptTest.h"

#include "vbscript/ScriptControl.h"

using vbtest::ScriptTest;

namespace {

class Classes : public ScriptTest { };

const char* kAccount =
    "Class Account\n"
    "  Private mBalance\n"
    "  Public Owner\n"
    "  Private Sub Class_Initialize() : mBalance = 0 : End Sub\n"
    "  Public Property Get Balance() : Balance = mBalance : End Property\n"
    "  Public Property Let Balance(v)\n"
    "    If v < 0 Then Err.Raise 5\n"
    "    mBalance = v\n"
    "  End Property\n"
    "  Public Function Deposit(n) : Balance = Balance + n : Deposit = Me.Balance : End Function\n"
    "  Public Default Property Get Summary() : Summary = Owner & \":\" & mBalance : End Property\n"
    "End Class\n";

TEST_F(Classes, FieldsPropertiesAndMethods)
{
    control.AddCode(kAccount);
    EXPECT_EQ(out("Set a = New Account\na.Owner = \"ann\"\nOut.Echo a.Deposit(10), a.Balance\na.Balance = 3\nOut.Echo a.Balance, a"), "10 10|3 ann:3");
    EXPECT_EQ(out("Set a = New Account\nOut.Echo TypeName(a), IsObject(a), TypeName(New Account)"), "Account True Account");
}

TEST_F(Classes, PrivateMembersAreHidden)
{
    control.AddCode(kAccount);
    EXPECT_EQ(errorOf("Set a = New Account\nx = a.mBalance"), 438);
    EXPECT_EQ(errorOf("Set a = New Account\nx = a.NoSuchThing"), 438);
}

TEST_F(Classes, ErrorsInsidePropertiesReachTheCaller)
{
    control.AddCode(kAccount);
    EXPECT_EQ(errorOf("Set a = New Account\na.Balance = -1"), 5);
}

TEST_F(Classes, PropertySetAndObjectFields)
{
    const char* code = "Class Node\nPrivate mNext\nPublic Value\n"
                       "Public Property Get NextNode : Set NextNode = mNext : End Property\n"
                       "Public Property Set NextNode(n) : Set mNext = n : End Property\nEnd Class\n"
                       "Set a = New Node : a.Value = 1\nSet b = New Node : b.Value = 2\nSet a.NextNode = b\n"
                       "Out.Echo a.NextNode.Value, a.NextNode Is b";
    EXPECT_EQ(out(code), "2 True");
}

TEST_F(Classes, SetRequiresAnObject)
{
    EXPECT_EQ(errorOf("Set x = 5"), 424);
    EXPECT_EQ(errorOf("Class Plain : End Class\nSet c = New Plain\nx = c"), 438);
}

TEST_F(Classes, NothingAndObjectVariableNotSet)
{
    EXPECT_EQ(errorOf("Set x = Nothing\ny = x.Foo"), 91);
    EXPECT_EQ(errorOf("x = 5\ny = x.Foo"), 424);
    EXPECT_EQ(errorOf("Set x = New NoSuchClass"), 500);
    EXPECT_EQ(errorOf("Dim notAClass\nSet x = New notAClass"), 506);
}

TEST_F(Classes, TerminateRunsWhenTheLastReferenceGoes)
{
    const char* code = "Class T\nPublic Name\nPrivate Sub Class_Terminate : Out.Echo \"bye \" & Name : End Sub\nEnd Class\n"
                       "Set a = New T : a.Name = \"a\"\nSet b = a\nSet a = Nothing\nOut.Echo \"still\"\nSet b = Nothing\nOut.Echo \"end\"";
    EXPECT_EQ(out(code), "still|bye a|end");
}

TEST_F(Classes, TerminateRunsForLocalsAtProcedureEnd)
{
    const char* code = "Class T\nPrivate Sub Class_Terminate : Out.Echo \"bye\" : End Sub\nEnd Class\n"
                       "Sub Use\nDim obj : Set obj = New T\nOut.Echo \"in\"\nEnd Sub\nUse\nOut.Echo \"out\"";
    EXPECT_EQ(out(code), "in|bye|out");
}

TEST_F(Classes, OuterObjectTerminatesBeforeItsFields)
{
    const char* code = "Class T\nPublic Name, Child\nPrivate Sub Class_Terminate : Out.Echo \"bye \" & Name : End Sub\nEnd Class\n"
                       "Set p = New T : p.Name = \"parent\"\nSet p.Child = New T : p.Child.Name = \"child\"\nSet p = Nothing";
    EXPECT_EQ(out(code), "bye parent|bye child");
}

TEST_F(Classes, LongChainsOfObjectsAreReleasedWithoutRecursion)
{
    const char* code = "Class L : Public NextOne : End Class\n"
                       "Set head = Nothing\nFor i = 1 To 200000\nSet n = New L\nSet n.NextOne = head\nSet head = n\nNext\n"
                       "Set n = Nothing\nSet head = Nothing\nOut.Echo \"released\"";
    EXPECT_EQ(out(code), "released");
}

TEST_F(Classes, MeKeptByTerminateStaysUsable)
{
    const char* code = "Dim keep\nClass T\nPublic V\nPrivate Sub Class_Terminate : Set keep = Me : End Sub\nEnd Class\n"
                       "Set obj = New T : obj.V = 7 : Set obj = Nothing\nOut.Echo keep.V";
    EXPECT_EQ(out(code), "7");
}

TEST_F(Classes, MeOutsideAClassIsACompileError)
{
    EXPECT_EQ(errorOf("x = Me"), 1037);
}

TEST_F(Classes, DefaultMemberWithArguments)
{
    const char* code = "Class Table\nPrivate d\nPrivate Sub Class_Initialize : Set d = CreateObject(\"Scripting.Dictionary\") : End Sub\n"
                       "Public Default Property Get Item(k) : Item = d(k) : End Property\n"
                       "Public Property Let Item(k, v) : d(k) = v : End Property\nEnd Class\n"
                       "Set tbl = New Table\ntbl(\"a\") = 5\nOut.Echo tbl(\"a\"), tbl.Item(\"a\")";
    EXPECT_EQ(out(code), "5 5");
}

TEST_F(Classes, ClassMembersResolveInsideTheClassWithoutMe)
{
    const char* code = "Class C\nPrivate count\nPublic Sub Bump : count = count + 1 : Tell : End Sub\n"
                       "Private Sub Tell : Out.Echo \"count \" & count : End Sub\nEnd Class\nSet obj = New C : obj.Bump : obj.Bump";
    EXPECT_EQ(out(code), "count 1|count 2");
}

TEST_F(Classes, InstancesAreCallableFromCpp)
{
    control.AddCode(kAccount);
    vb::Variant obj = control.Eval("New Account");
    ASSERT_TRUE(obj.isObject());
    vb::Object& account = *obj.objectValue();
    EXPECT_EQ(account.typeName(), "Account");
    vb::setProperty(account, "Owner", vb::Variant("cpp"));
    EXPECT_EQ(vb::CStr(vb::call(account, "Deposit", std::int16_t(7))), "7");
    EXPECT_EQ(vb::CStr(vb::getProperty(account, "Balance")), "7");
    EXPECT_EQ(vb::CStr(vb::defaultValue(obj)), "cpp:7");
    EXPECT_EQ(account.memberId("mBalance"), vb::kNoMember);
}

TEST_F(Classes, InitializeAndTerminateTakeNoArguments)
{
    EXPECT_EQ(errorOf("Class C\nSub Class_Initialize(x) : End Sub\nEnd Class"), 1053);
}

TEST_F(Classes, PropertyArgumentCountsMustAgree)
{
    EXPECT_EQ(errorOf("Class C\nProperty Get P(a) : End Property\nProperty Let P(v) : End Property\nEnd Class"), 1051);
}

TEST_F(Classes, OnlyOneDefaultMember)
{
    EXPECT_EQ(errorOf("Class C\nPublic Default Function A : End Function\nPublic Default Function B : End Function\nEnd Class"), 1052);
}

TEST_F(Classes, ObjectsOutliveAResetSafely)
{
    control.AddCode(kAccount);
    vb::Variant obj = control.Eval("New Account");
    control.Reset();
    EXPECT_THROW(vb::call(*obj.objectValue(), "Deposit", std::int16_t(1)), vb::Error);
}

} // namespace
