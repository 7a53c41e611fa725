' A run-time error ends the script with one line naming the place and exit code 1.
WScript.Echo "before"
Dim x
x = 10
    x = x / 0
WScript.Echo "after"
