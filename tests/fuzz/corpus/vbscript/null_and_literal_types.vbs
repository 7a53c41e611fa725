' Literal and constant types follow the value; Null against functions and operators.
Sub Show(label, expression)
    On Error Resume Next
    Dim r : r = Eval(expression)
    If Err.Number <> 0 Then
        WScript.Echo label & ": error " & Err.Number
    Else
        WScript.Echo label & ": " & TypeName(r) & " " & r
    End If
End Sub

Show "&h10&", "&h10&"
Show "&h7FFF&", "&h7FFF&"
Show "&h8000&", "&h8000&"
Show "&hFFFF&", "&hFFFF&"
Show "&hFFFF", "&hFFFF"
Show "&h8000", "&h8000"
Show "&h10000", "&h10000"
Show "&hFFFFFFFF&", "&hFFFFFFFF&"
Show "vbMsgBoxHelpButton", "vbMsgBoxHelpButton"
Show "vbOKCancel", "vbOKCancel"

Show "FormatNumber(Null)", "FormatNumber(Null)"
Show "FormatPercent(Null)", "FormatPercent(Null)"
Show "FormatCurrency(Null)", "FormatCurrency(Null)"
Show "FormatDateTime(Null)", "FormatDateTime(Null)"
Show "FormatNumber(""x"")", "FormatNumber(""x"")"
Show "Mid(test, Null, -1)", "Mid(""test"", Null, -1)"
Show "Mid(test, 1, Null)", "Mid(""test"", 1, Null)"
Show "Mid(test, 0, 1)", "Mid(""test"", 0, 1)"
Show "Mid(Null, 1)", "IsNull(Mid(Null, 1))"
Show "Array(1) = Null", "Array(1) = Null"
Show "Null = Array(1)", "Null = Array(1)"
Show "1 = Null", "IsNull(1 = Null)"
Show "CByte(255) Imp Null", "CByte(255) Imp Null"
Show "CByte(0) Imp Null", "CByte(0) Imp Null"
Show "True Imp Null", "IsNull(True Imp Null)"
Show "-1 Imp Null", "IsNull(-1 Imp Null)"
Show "False Imp Null", "False Imp Null"
Show "Null Imp True", "Null Imp True"
