local function main()
    -- Index 1 stands for the first element (index 0 elsewhere).
    local a = { 0 }
    for i = 1, 1000000 do
        a[i + 1] = i
    end
    return #a - 1 + a[500001]
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
