import time


def main():
    total = 0
    for i in range(1, 5000001):
        total = (total + i * 3) % 1000003
    return total


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
