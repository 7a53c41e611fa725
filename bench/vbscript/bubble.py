import time

start = time.process_time()
a = [0] * 2000
seed = 12345
for i in range(2000):
    seed = (seed * 1103 + 12345) % 65536
    a[i] = seed
for i in range(1999):
    for j in range(1999 - i):
        if a[j] > a[j + 1]:
            t = a[j]
            a[j] = a[j + 1]
            a[j + 1] = t
result = a[0]
print("seconds=%f" % (time.process_time() - start))
