local total = 0
for round = 0, 199 do
  local s = ""
  for i = 0, 499 do
    s = s .. "ab" .. i
  end
  total = total + 1
end
result = total
