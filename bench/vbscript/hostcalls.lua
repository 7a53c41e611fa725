local Host = {}
Host.__index = Host

function Host.new()
    return setmetatable({}, Host)
end

function Host:add(a, b)
    return a + b
end

local function main()
    local host = Host.new()
    local total = 0
    for i = 1, 1000000 do
        total = host:add(total, 1)
    end
    return total
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
