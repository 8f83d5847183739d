local function add(a, b)
  return a + b
end
local x = 0
local i = 0
while i < 1000000 do
  x = add(x, 1)
  i = i + 1
end
result = x
