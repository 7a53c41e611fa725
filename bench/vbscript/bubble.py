import time


def main():
    a = [0] * 3000
    seed = 12345
    for i in range(3000):
        seed = (seed * 1103 + 12345) % 65536
        a[i] = seed
    for i in range(2999):
        for j in range(2999 - i):
            if a[j] > a[j + 1]:
                t = a[j]
                a[j] = a[j + 1]
                a[j + 1] = t
    return a[0]


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
