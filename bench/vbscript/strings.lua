local function main()
    -- A Lua programmer collects the pieces and joins them once.
    local parts = {}
    for i = 1, 1000000 do
        parts[#parts + 1] = "x" .. (i % 10)
    end
    return #table.concat(parts)
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
