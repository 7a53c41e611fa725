import time


def fib(n):
    if n < 2:
        return n
    return fib(n - 1) + fib(n - 2)


def main():
    return fib(30)


start = time.process_time()
result = main()
print("seconds=%f" % (time.process_time() - start))
print("result=%s" % result)
