' Members of script objects and of Nothing, Join of a table, and Err.Raise keeping
' what the Err object holds.
Class Holder
    Public p
    Public arr
    Private Sub Class_Initialize
        p = 1
        arr = Array(1, 2)
    End Sub
End Class

Sub Try(label, code)
    On Error Resume Next
    Execute code
    WScript.Echo label & ": " & Err.Number
End Sub

Dim o, x, nothingHere, grid(1, 1)
Set o = New Holder
Set nothingHere = Nothing
Try "o.p(0) = 5", "o.p(0) = 5"
Try "o.arr(0) = 5", "o.arr(0) = 5 : WScript.Echo o.arr(0)"
Try "x = o.arr()", "x = o.arr()"
Try "x = o.arr(1)", "x = o.arr(1) : WScript.Echo x"
Try "x = o.p()", "x = o.p()"
Try "nothingHere.Prop statement", "nothingHere.Prop"
Try "x = nothingHere.Prop", "x = nothingHere.Prop"
Try "nothingHere.Prop = 1", "nothingHere.Prop = 1"
Try "Join of a table", "x = Join(grid)"
Try "Join of a list", "x = Join(Array(1, 2), ""-"") : WScript.Echo x"

On Error Resume Next
Err.Raise 1000, "MySource", "My description", "help.chm", 42
Err.Raise 1001
WScript.Echo "kept: " & Err.Number & " " & Err.Source & " / " & Err.Description & " / " & Err.HelpFile & " " & Err.HelpContext
Err.Raise 1002, , "Other"
WScript.Echo "description given: " & Err.Number & " " & Err.Source & " / " & Err.Description
Err.Clear
Err.Raise 11
WScript.Echo "after Clear: " & Err.Number & " " & Err.Source & " / " & Err.Description & " / [" & Err.HelpFile & "] " & Err.HelpContext
Err.Clear
Err.Description = "Set by hand"
Err.Raise 6
WScript.Echo "set by hand: " & Err.Number & " " & Err.Description
