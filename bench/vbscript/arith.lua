local function main()
    local total = 0
    for i = 1, 5000000 do
        total = (total + i * 3) % 1000003
    end
    return total
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
