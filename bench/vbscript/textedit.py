import time


def main():
    s = ""
    for i in range(1, 20001):
        s += "item" + str(i) + ";"
    count = 0
    pos = 0
    while True:
        pos = s.find(";", pos)
        if pos < 0:
            break
        count = count + 1
        pos = pos + 1
    t = s.replace("item", "it")
    total = 0
    for i in range(1, 20001):
        total = total + len(t[i * 3 - 1:i * 3 - 1 + 5])
    return count + len(t) + total


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
