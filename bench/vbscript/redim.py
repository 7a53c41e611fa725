import time

start = time.process_time()
a = [None]
for i in range(1, 1000001):
    a.append(None)
    a[i] = i
result = len(a) - 1 + a[500000]
print("seconds=%f" % (time.process_time() - start))
