import time


class Host:
    def add(self, a, b):
        return a + b


def main():
    host = Host()
    total = 0
    for i in range(1, 1000001):
        total = host.add(total, 1)
    return total


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
