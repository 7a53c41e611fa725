' Under On Error Resume Next: For Each over no collection, With on no object,
' ReDim Preserve of a fixed array and date texts that are no dates.
On Error Resume Next
Dim x, n, fixed(3)
n = 0
For Each x In Empty
    n = n + 1
    WScript.Echo "For Each body runs: " & Err.Number
Next
WScript.Echo "after For Each: " & n

Err.Clear
For Each x In 5
    WScript.Echo "For Each 5 body: " & Err.Number
Next

Err.Clear
With Empty
    WScript.Echo "With Empty body: " & Err.Number
    x = .Member
    WScript.Echo "first member: " & Err.Number
End With
Err.Clear
With 5
    WScript.Echo "With 5 body: " & Err.Number
End With

Err.Clear
ReDim Preserve fixed("abc")
WScript.Echo "ReDim Preserve fixed(""abc""): " & Err.Number
Err.Clear
ReDim Preserve fixed(5)
WScript.Echo "ReDim Preserve fixed(5): " & Err.Number
Err.Clear
ReDim fixed("abc")
WScript.Echo "ReDim fixed(""abc""): " & Err.Number

Err.Clear
x = DateValue(44000)
WScript.Echo "DateValue(44000): " & Err.Number
Err.Clear
x = DateValue("1/2/2024")
WScript.Echo "DateValue(""1/2/2024""): " & Err.Number & " " & x
Err.Clear
x = Day("15.03.2026")
WScript.Echo "Day(""15.03.2026""): " & Err.Number
Err.Clear
x = Day("15/03/2026")
WScript.Echo "Day(""15/03/2026""): " & Err.Number & " " & x
