' Language basics checked with a tiny assert procedure; any failure ends the script
' with exit code 1.
Option Explicit
Dim failures : failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.StdErr.WriteLine "FAIL: " & what
        failures = failures + 1
    End If
End Sub

' Strings and numbers
Check "abc" & 1 = "abc1", "concatenation with a number"
Check Len("hello") = 5, "Len"
Check Mid("abcdef", 2, 3) = "bcd", "Mid"
Check UCase("x") = "X", "UCase"
Check CStr(3.5) = "3.5", "CStr of a Double"
Check 10 \ 4 = 2, "integer division"
Check 2 ^ 8 = 256, "power"

' Arrays
Dim a : a = Array(3, 1, 2)
Check UBound(a) = 2, "UBound of Array()"
Check Join(a, "-") = "3-1-2", "Join"
Dim parts : parts = Split("a,b,c", ",")
Check parts(2) = "c", "Split"

' Dictionary
Dim d : Set d = CreateObject("Scripting.Dictionary")
d("one") = 1
d.Add "two", 2
Check d.Count = 2, "Dictionary count"
Check d.Exists("one"), "Dictionary Exists"
Check d("two") = 2, "Dictionary item"

' Classes
Class Counter
    Private mCount
    Public Sub Increment(by) : mCount = mCount + by : End Sub
    Public Property Get Value : Value = mCount : End Property
End Class
Dim c : Set c = New Counter
c.Increment 2 : c.Increment 3
Check c.Value = 5, "class property"

' Error handling
On Error Resume Next
Dim z : z = 1 / 0
Check Err.Number = 11, "Err.Number after division by zero"
On Error GoTo 0

If failures = 0 Then
    WScript.Echo "all passed"
Else
    WScript.Quit 1
End If
