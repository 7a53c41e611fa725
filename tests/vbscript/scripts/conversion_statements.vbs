' A conversion function used as a statement converts first: its own error comes
' first, and only a conversion that succeeded fails as a statement (458).
Sub Try(code)
    On Error Resume Next
    Execute code
    WScript.Echo code & ": " & Err.Number
End Sub

Try "Call CByte("""")"
Try "Call CByte(300)"
Try "Call CByte(1)"
Try "Call CBool(""maybe"")"
Try "Call CCur(Null)"
Try "Call CDate(""no date"")"
Try "Call CDbl(Array(1))"
Try "Call CInt(40000)"
Try "Call CLng(""7"")"
Try "Call CSng(1E+300)"
Try "Call CStr(Null)"
Try "Call CStr(Nothing)"
Try "CInt ""x"""
