' Byte strings keep odd lengths; characters beyond 16 bits are two UTF-16 units.
Sub Show(label, expression)
    On Error Resume Next
    Dim r : r = Eval(expression)
    If Err.Number <> 0 Then
        WScript.Echo label & ": error " & Err.Number
    Else
        WScript.Echo label & ": " & r
    End If
End Sub

Show "LenB(LeftB(""ABC"", 3))", "LenB(LeftB(""ABC"", 3))"
Show "LenB(ChrB(65))", "LenB(ChrB(65))"
Show "AscB(ChrB(200))", "AscB(ChrB(200))"
Show "ChrB(256)", "ChrB(256)"
Show "ChrB(-1)", "ChrB(-1)"
Show "LenB(RightB(""ABC"", 5))", "LenB(RightB(""ABC"", 5))"
Show "LenB(MidB(""ABC"", 2, 3))", "LenB(MidB(""ABC"", 2, 3))"
Show "AscB(MidB(""ABC"", 3, 1))", "AscB(MidB(""ABC"", 3, 1))"
Show "LenB(MidB(LeftB(""ABC"", 3), 2))", "LenB(MidB(LeftB(""ABC"", 3), 2))"
Show "InStrB(LeftB(""ABC"", 5), ChrB(67))", "InStrB(LeftB(""ABC"", 5), ChrB(67))"
Show "ChrB(65) & ChrB(0) = ""A""", "ChrB(65) & ChrB(0) = ""A"""
Show "LenB(ChrB(65) & ChrB(66) & ChrB(67))", "LenB(ChrB(65) & ChrB(66) & ChrB(67))"
Show "LenB(""ABC"")", "LenB(""ABC"")"

Dim clef : clef = "𝄞"
Show "Len(clef)", "Len(clef)"
Show "pair = clef", "ChrW(&HD834) & ChrW(&HDD1E) = clef"
Show "AscW(clef)", "AscW(clef)"
Show "AscW(Mid(clef, 2))", "AscW(Mid(clef, 2))"
Show "Len(""a𝄞b"")", "Len(""a𝄞b"")"
Show "InStr(""a𝄞b"", ""b"")", "InStr(""a𝄞b"", ""b"")"
Show "LenB(clef)", "LenB(clef)"
Show "StrReverse twice", "StrReverse(StrReverse(clef)) = clef"
WScript.Echo "echo: " & clef & " " & ChrW(&HD834) & ChrW(&HDD1E) & " lone: " & ChrW(&HD834) & "|" & Mid(clef, 2)
