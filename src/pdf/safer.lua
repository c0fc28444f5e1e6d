-- What Lua may still do once an imported calendar is being typeset: read
-- files, and write only in the current directory (wekset-pdf's temporary
-- one) and in luaotfload's font caches. LuaTeX's own --safer would do much
-- the same, but luaotfload refuses to run under it; the font loader finds
-- these functions by name each time it writes a cache, so it keeps working
-- through the checks, while nothing can run a program or set the
-- environment. Called once, by wekset-pdf, before the document is read.
local safer = {}

-- The directories under which luaotfload keeps its caches, each with a
-- slash at the end.
local function cache_roots()
  local roots = {}
  for root in (kpse.var_value("TEXMFCACHE") or ""):gmatch("[^:;]+") do
    roots[#roots + 1] = (root:gsub("/+$", "")) .. "/luatex-cache/"
  end
  return roots
end

-- A path may be written if it is in the current directory, in a cache, or
-- on the way down to one (the cache's parents are made as it is).
local function may_write(roots, path)
  if type(path) ~= "string" or path == "" then return false end
  path = path:gsub("//+", "/")
  if (path .. "/"):find("/%.%./") or path:find("^%.%./") or path == ".." then return false end
  if path:sub(1, 1) ~= "/" then return true end
  for _, root in ipairs(roots) do
    if path:sub(1, #root) == root or root:sub(1, #path + 1) == path .. "/" or path .. "/" == root then
      return true
    end
  end
  return false
end

local function guarded(roots, action, what)
  return function(path, ...)
    if not may_write(roots, path) then return nil, path .. ": " .. what .. " is not allowed here" end
    return action(path, ...)
  end
end

function safer.close()
  local roots = cache_roots()
  for _, name in ipairs({"execute", "exec", "spawn", "setenv", "kpsepopen", "tmpname", "tmpdir"}) do
    os[name] = nil
  end
  io.popen, io.tmpfile = nil, nil
  for _, name in ipairs({"chdir", "link", "lock", "unlock", "setmode"}) do lfs[name] = nil end
  local open = io.open
  io.open = function(path, mode)
    if mode == nil or mode == "r" or mode == "rb" then return open(path, mode) end
    if not may_write(roots, path) then return nil, tostring(path) .. ": writing is not allowed here" end
    return open(path, mode)
  end
  local output = io.output
  io.output = function(file)
    if type(file) == "string" and not may_write(roots, file) then
      error(file .. ": writing is not allowed here", 2)
    end
    return output(file)
  end
  package.loadlib = nil
  os.remove = guarded(roots, os.remove, "removing")
  local rename = os.rename
  os.rename = function(from, to)
    if not (may_write(roots, from) and may_write(roots, to)) then return nil, "renaming is not allowed here" end
    return rename(from, to)
  end
  for _, name in ipairs({"mkdir", "mkdirs", "rmdir", "touch"}) do
    if lfs[name] then lfs[name] = guarded(roots, lfs[name], name) end
  end
end

return safer
