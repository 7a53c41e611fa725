import re
import time

def main():
    lines = [None] * 10000
    for i in range(0, 10000):
        lines[i] = "entry " + str(i) + ": device-A" + str(i % 16) + " level=" + str(i % 100) + " ok"
    pattern = re.compile(r"device-(\w+) level=(\d+)")
    matched = 0
    total = 0
    for i in range(0, 10000):
        ms = list(pattern.finditer(lines[i]))
        if len(ms) > 0:
            matched = matched + 1
            total = total + int(ms[0].group(2))
    return matched + total


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
