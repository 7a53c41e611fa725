' The WScript object: Echo, Arguments, StdOut, ScriptName and Quit with a code.
WScript.Echo "args:", WScript.Arguments.Count
For Each arg In WScript.Arguments
    WScript.StdOut.Write "[" & arg & "]"
Next
WScript.StdOut.WriteLine
WScript.Echo WScript.Arguments(1)
WScript.Echo WScript.ScriptName
WScript.StdErr.WriteLine "to stderr"
WScript.Quit 3
WScript.Echo "not reached"
