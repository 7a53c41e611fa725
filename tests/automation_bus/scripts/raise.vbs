' Fails in three ways, for error replies to bus callers.
Function Raise5(p)
    Err.Raise 5
End Function

Function Divide(p)
    Divide = 1 / 0
End Function

Function Fine(p)
    Fine = "fine " & p
End Function

' Without a display a message box becomes a line of the log file.
Function Box(p)
    MsgBox "a line for the log"
    Box = ""
End Function

' Calls a member that fails inside its own trap (an empty device code): the member
' reports and returns, the script goes on.
Function Nested(p)
    SetDeviceTime "", 5
    Nested = "survived"
End Function

' Changes a setting from a script.
Function Debug(p)
    xap.DebugMode = 3
    Debug = ""
End Function
