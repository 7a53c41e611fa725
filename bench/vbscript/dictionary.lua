local function main()
    local d = {}
    for i = 1, 300000 do
        d["key" .. i] = i
    end
    local total = 0
    for i = 1, 300000 do
        total = total + d["key" .. i]
    end
    return total
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
