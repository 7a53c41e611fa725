' Integer arithmetic in a loop of 5,000,000 steps.
total = 0
For i = 1 To 5000000
    total = (total + i * 3) Mod 1000003
Next
result = total
