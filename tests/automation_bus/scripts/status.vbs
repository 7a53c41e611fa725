' Status-change callback: logs the four values it is given (as xAP, through WriteLog).
Sub OnChange(p)
    Dim t
    If IsArray(p) Then t = Join(p, ",") Else t = p
    WriteLog "StatusChange", t
End Sub
