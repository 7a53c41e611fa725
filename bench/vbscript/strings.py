import time


def main():
    s = ""
    for i in range(1, 1000001):
        s += "x" + str(i % 10)
    return len(s)


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
