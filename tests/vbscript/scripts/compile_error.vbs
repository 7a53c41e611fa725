' A syntax error stops the script before anything runs.
WScript.Echo "never printed"
If x Then
    y = 1
Next
