import time


def build(count):
    s = ""
    for i in range(1, count + 1):
        s += "x" + str(i % 10)
    return s


start = time.process_time()
result = len(build(100000))
print("seconds=%f" % (time.process_time() - start))
