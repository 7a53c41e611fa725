local function main()
    -- A table keeps no count of its keys, so the count is kept beside it.
    local d = {}
    local count = 0
    for i = 1, 20000 do
        d["k" .. i] = i
        count = count + 1
    end
    local hits = 0
    for i = 1, 20000 do
        if d["k" .. (i * 2)] ~= nil then
            hits = hits + 1
        end
    end
    for i = 1, 20000 do
        d["k" .. i] = d["k" .. i] + 1
    end
    for i = 1, 20000, 2 do
        d["k" .. i] = nil
        count = count - 1
    end
    return hits + count + d["k2"]
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
