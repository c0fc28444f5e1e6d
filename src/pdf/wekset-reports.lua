-- What wekset's side of LuaTeX tells the user: a line each, in a file of the
-- directory where TeX runs, which wekset-pdf passes on as it stands. Each
-- report of a day names its date, and a TeX error names the day whose text
-- stopped TeX, or else the line of the document where it did.
local reports = {}

local kFile = "wekset-messages.txt"
local kPages = "wekset-pages.txt"  -- the number of pages made

function reports.set_up()
  local self = {}
  local file = nil

  local function write(line)
    file = file or io.open(kFile, "wb")
    if not file then return end
    file:write(line, "\n")
    file:flush()
  end

  -- A report of the document as a whole.
  function self.note(format, ...) write(string.format(format, ...)) end

  -- A report of the day of the date ("YYYY/MM/DD").
  function self.day(date, format, ...) write("[" .. date .. "] " .. string.format(format, ...)) end

  function self.pages(count)
    local pages = io.open(kPages, "wb")
    if pages then
      pages:write(count, "\n")
      pages:close()
    end
  end

  -- Where the text that stopped TeX is. The day's text, as its box shows it:
  -- its lines joined by " / ".
  local where = nil
  function self.stopping_at(date, text) where = date and {date = date, text = text} or nil end

  -- TeX stops at its first error, under --halt-on-error, with its message.
  luatexbase.add_to_callback("show_error_message", function()
    texio.write_nl("term and log", status.lasterrorstring or "")
    -- The message's own line; an error that asks for a file name has the
    -- rest of what TeX shows run on after it.
    local message = (status.lasterrorstring or ""):gsub("^! ", ""):match("^[^\n]*")
    message = message:gsub("<to be read again>.*", ""):gsub("l%.%d+ .*", ""):gsub("%.$", "")
    if where then
      self.day(where.date, 'TeX stopped on "%s": %s', where.text, message)
    else
      write(string.format("TeX stopped at line %d of wek.tex: %s", status.linenumber or 0, message))
    end
  end, "wekset.reports")

  return self
end

return reports
