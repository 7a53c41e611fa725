' On Error Resume Next around failing statements, calls and conditions.
On Error Resume Next
Dim a(2)
a(5) = 1
WScript.Echo "1:", Err.Number, Err.Description
Err.Clear
Set o = Nothing
o.Method
WScript.Echo "2:", Err.Number
Err.Clear
If CInt("x") = 1 Then
    WScript.Echo "3: entered the branch"
End If
Err.Raise 513, "Tester", "Own error"
WScript.Echo "4:", Err.Number, Err.Source, Err.Description
On Error GoTo 0
WScript.Echo "5:", Err.Number
Err.Raise 513, "Tester", "Own error"
