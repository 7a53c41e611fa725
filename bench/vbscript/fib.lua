local function fib(n)
    if n < 2 then
        return n
    end
    return fib(n - 1) + fib(n - 2)
end

local function main()
    return fib(30)
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
