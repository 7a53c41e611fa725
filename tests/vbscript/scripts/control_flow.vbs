' Loops, Select Case and Exit in one place.
Dim i, total, s
For i = 1 To 10 Step 3
    total = total + i
Next
WScript.Echo "for", total
Do
    i = i - 1
    If i < 5 Then Exit Do
Loop
WScript.Echo "do", i
For Each s In Array("x", 2, Null, 3.5)
    Select Case VarType(s)
        Case vbString : WScript.Echo "string " & s
        Case vbInteger, vbLong : WScript.Echo "whole " & s
        Case vbNull : WScript.Echo "null"
        Case Else : WScript.Echo "other " & s
    End Select
Next
While total > 0
    total = total - 10
Wend
WScript.Echo "while", total
