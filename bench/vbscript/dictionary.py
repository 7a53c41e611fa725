import time

start = time.process_time()
d = {}
for i in range(1, 100001):
    d["key" + str(i)] = i
total = 0
for i in range(1, 100001):
    total = total + d["key" + str(i)]
result = total
print("seconds=%f" % (time.process_time() - start))
