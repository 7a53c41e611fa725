' Class_Initialize and Class_Terminate run in order; default members and Me.
Class Logger
    Public Name
    Private Sub Class_Initialize : WScript.Echo "init" : End Sub
    Private Sub Class_Terminate : WScript.Echo "terminate " & Name : End Sub
    Public Default Function Describe : Describe = "logger " & Me.Name : End Function
End Class

Sub UseOne
    Dim l : Set l = New Logger
    l.Name = "local"
    WScript.Echo l
End Sub

UseOne
Dim g : Set g = New Logger
g.Name = "global"
Set g = Nothing
WScript.Echo "done"
