import time


def main():
    a = [None]
    for i in range(1, 1000001):
        a.append(None)
        a[i] = i
    return len(a) - 1 + a[500000]


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
