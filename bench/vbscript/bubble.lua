local function main()
    local a = {}
    local seed = 12345
    for i = 1, 3000 do
        seed = (seed * 1103 + 12345) % 65536
        a[i] = seed
    end
    for i = 0, 2998 do
        for j = 1, 2999 - i do
            if a[j] > a[j + 1] then
                local t = a[j]
                a[j] = a[j + 1]
                a[j + 1] = t
            end
        end
    end
    return a[1]
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
