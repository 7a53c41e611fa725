import time


def main():
    d = {}
    for i in range(1, 20001):
        d["k" + str(i)] = i
    hits = 0
    for i in range(1, 20001):
        if ("k" + str(i * 2)) in d:
            hits = hits + 1
    for i in range(1, 20001):
        d["k" + str(i)] = d["k" + str(i)] + 1
    for i in range(1, 20001, 2):
        del d["k" + str(i)]
    return hits + len(d) + d["k2"]


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
