import time


class Counter:
    def __init__(self):
        self._m = None

    @property
    def value(self):
        return self._m

    @value.setter
    def value(self, v):
        self._m = v


def main():
    c = Counter()
    c.value = 0
    for i in range(1, 500001):
        c.value = c.value + 1
    return c.value


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
