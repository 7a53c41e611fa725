import time


def main():
    d = {}
    for i in range(1, 300001):
        d["key" + str(i)] = i
    total = 0
    for i in range(1, 300001):
        total = total + d["key" + str(i)]
    return total


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
