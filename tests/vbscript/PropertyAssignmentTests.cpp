// "obj.Prop = v" and "Set obj.Prop = v" on script objects: Property Let and Set are
// called directly, with the value after the index arguments; fields, wrong argument
// counts and errors keep the object's general rules.
#include "ScriptTest.h"

using vbtest::ScriptTest;

namespace {

class PropertyAssignment : public ScriptTest { };

const char* const kBox = "Class Box\n"
                         "Private items(3), kept, trail\n"
                         "Public Tag\n"
                         "Public Property Get Log : Log = trail : End Property\n"
                         "Public Property Get Item(i) : Item = items(i) : End Property\n"
                         "Public Property Let Item(i, v) : items(i) = v : trail = trail & \"L\" & i : i = i + 10 : End Property\n"
                         "Public Property Let Plain(ByVal v) : trail = trail & \"P\" & TypeName(v) : v = \"changed\" : End Property\n"
                         "Public Property Let Whole(v) : trail = trail & \"W\" & TypeName(v) : End Property\n"
                         "Public Property Set Held(o) : Set kept = o : trail = trail & \"S\" : End Property\n"
                         "Public Property Get Held : Set Held = kept : End Property\n"
                         "Public Property Let Fails(v) : trail = trail & \"F\" : x = 1 / v : trail = trail & \"!\" : End Property\n"
                         "Public Property Let Deep(v) : Me.Deep = v + 1 : End Property\n"
                         "Public Default Property Get Text : Text = \"box\" : End Property\n"
                         "End Class\n";

TEST_F(PropertyAssignment, LetAndSetReceiveTheirArgumentsAndTheValue)
{
    run(kBox);
    // Index arguments by reference: the Let's change to i reaches the caller's variable.
    EXPECT_EQ(out("Sub M1\nDim b, k : Set b = New Box : k = 2\nb.Item(k) = \"two\"\nOut.Echo b.Item(2), k, b.Log\nEnd Sub\nM1"), "two 12 L2");
    // The value itself: ByVal changes stay inside; an object goes to a Let as itself.
    EXPECT_EQ(out("Sub M2\nDim b, s : Set b = New Box : s = \"orig\"\nb.Plain = s\nb.Whole = New Box\nOut.Echo s, b.Log\nEnd Sub\nM2"), "orig PStringWBox");
    EXPECT_EQ(out("Set g = New Box\nSet other = New Box\nSet g.Held = other\nOut.Echo g.Held Is other, g.Log"), "True S");
    // At script level, through an undeclared variable, and inside the class through Me.
    // (The Let adds 10 to its index by reference: a loop counter passed as it is ends
    // the loop; in parentheses it is a value.)
    EXPECT_EQ(out("Set h = New Box\nFor n = 0 To 3 : h.Item(n) = n * n : Next\nOut.Echo n, h.Log"), "11 L0");
    EXPECT_EQ(out("Set h = New Box\nFor n = 0 To 3 : h.Item((n)) = n * n : Next\nOut.Echo h.Item(3), h.Log"), "9 L0L1L2L3");
    EXPECT_EQ(out("Set t = New Box\nt.Tag = \"field\"\nOut.Echo t.Tag"), "field");
}

TEST_F(PropertyAssignment, ErrorsAreTheObjectsOwn)
{
    run(kBox);
    // Wrong argument counts: 450, with the arguments evaluated as before.
    EXPECT_EQ(errorOf("Set b = New Box\nb.Plain(1) = 5"), 450);
    EXPECT_EQ(errorOf("Set b = New Box\nb.Item = 5"), 450);
    // "Set" on a Let-only property and "=" on a Set-only one.
    EXPECT_EQ(errorOf("Set b = New Box\nSet b.Plain = New Box"), 438);
    EXPECT_EQ(errorOf("Set b = New Box\nb.Held = 5"), 438);
    // An error inside the Let is the Let's; Resume Next in the caller goes on after it.
    EXPECT_EQ(errorOf("Set b = New Box\nb.Fails = 0"), 11);
    EXPECT_EQ(out("On Error Resume Next\nSet b = New Box\nb.Fails = 0\nOut.Echo Err.Number, b.Log\nOn Error GoTo 0"), "11 F");
    // A Let that assigns itself for ever ends in "Out of stack space", not a crash.
    EXPECT_EQ(errorOf("Set b = New Box\nb.Deep = 1"), 28);
    // Nothing is no object to assign through.
    EXPECT_EQ(errorOf("Dim n\nSet n = Nothing\nn.Item(1) = 2"), 424);
}

} // namespace
