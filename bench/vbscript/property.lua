-- Lua has no properties: the getter and setter are methods.
local Counter = {}
Counter.__index = Counter

function Counter.new()
    return setmetatable({ m = nil }, Counter)
end

function Counter:getValue()
    return self.m
end

function Counter:setValue(v)
    self.m = v
end

local function main()
    local c = Counter.new()
    c:setValue(0)
    for i = 1, 500000 do
        c:setValue(c:getValue() + 1)
    end
    return c:getValue()
end

local start = os.clock()
local result = main()
print(string.format("seconds=%f", os.clock() - start))
print("result=" .. tostring(result))
