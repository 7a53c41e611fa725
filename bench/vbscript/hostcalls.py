import time


class Host:
    def add(self, a, b):
        return a + b


host = Host()
start = time.process_time()
total = 0
for i in range(1, 100001):
    total = host.add(total, 1)
result = total
print("seconds=%f" % (time.process_time() - start))
