' How a string compares with a number: a number held in a variable is less than
' any string; only a number or date written in the source reads the string as a
' number (or date), and folding constants does not change which rule applies.
Sub Show(label, expression)
    On Error Resume Next
    Dim r : r = Eval(expression)
    If Err.Number <> 0 Then
        WScript.Echo label & ": error " & Err.Number
    Else
        WScript.Echo label & ": " & r
    End If
End Sub

Dim s, n, t, d : s = "5" : n = 5 : t = "abc" : d = #1/2/2024#
Const K = 5
Show "s = n", "s = n"
Show "s > n", "s > n"
Show "n < t", "n < t"
Show "s = 5", "s = 5"
Show "s < 10", "s < 10"
Show "10 > s", "10 > s"
Show "t = 5", "t = 5"
Show "abc = (5+0)", """abc"" = (5+0)"
Show "abc = -5", """abc"" = -5"
Show "010 = (5+5)", """010"" = (5+5)"
Show "abc = K", """abc"" = K"
Show "s = K", "s = K"
Show "9 < 10 as text", "9 < ""10"""
Show "9 > 10 as text", "9 > ""10"""
Show "date literal", """1/2/2024"" = #1/2/2024#"
Show "date variable", "d = ""1/2/2024"" Or d > ""1/3/2024"""
Show "Boolean variable", "CBool(1) = ""True"""
Show "Empty", "Empty = """""

' The same rules in statements compiled with the script, where constants fold.
WScript.Echo "compiled: " & ("abc" = (5+0)) & " " & (s = n) & " " & (9 < "10") & " " & ("010" = (5+5))
On Error Resume Next
x = ("abc" = 5)
WScript.Echo "abc = 5 compiled: error " & Err.Number
On Error GoTo 0

' Select Case against number Cases.
Function Kind(v)
    Select Case v
    Case 1, 2 : Kind = "small"
    Case 3 To 9 : Kind = "range"
    Case "x" : Kind = "text"
    Case Else : Kind = "other"
    End Select
End Function
WScript.Echo "select: " & Kind("2") & " " & Kind("7") & " " & Kind("x") & " " & Kind(2)
