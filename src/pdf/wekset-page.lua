-- The page side of wekset's LuaTeX, loaded by hangul.sty: the pages that
-- wekset-pdf makes of wek.tex. It reads the document's days as TeX reads its
-- lines (the dates of the day comments, the month labels, each day's text
-- and the header line's weeks a page), tries each day's events at the sizes
-- of text it may take, and at the end lays the weeks out into pages that fill
-- the paper: a heading with the months and the year, the weekday header, and
-- rows as tall as the page allows, each page's text at one size where it
-- fits, smaller down to 6pt where not, and a "+N more" line where even that
-- leaves events out. The fonts and the text's own callbacks are wekset.lua's;
-- set_up takes that module and returns this one's functions, which keep their
-- state in the table they close over.
local page = {}

local kGlue, kKern = node.id("glue"), node.id("kern")
local kVlist, kHlist, kRule = node.id("vlist"), node.id("hlist"), node.id("rule")

local kPoint = 65536
-- The sizes of event text, largest first; the last is the floor below which
-- text no longer prints legibly. Rows as tall as a week's alone on a page
-- take larger text too.
local kSizes = {12, 11, 10, 9, 8, 7, 6}
local kTallSizes = {14, 12, 11, 10, 9, 8, 7, 6}
local kTallRow = 150 * kPoint
local kFloor = 6
local kBase = 10  -- the size that the text is set at before it is scaled
-- The margins that printers leave, and the rows' least height: a day number
-- and one line of text at the floor.
local kMargin = 36 * kPoint
local kLeastRow = 18 * kPoint
local kHeading = 22 * kPoint       -- the heading's line and the space below it
local kMonthNames = {"January", "February", "March", "April", "May", "June", "July",
                     "August", "September", "October", "November", "December"}
local kLineMark = "@WEKSET_LINE_MARK@"  -- written by the build
local kDayMark = "%" .. string.rep(".", 30)
local kMessage = "\\def\\message{\\vbox{{"

-- The characters that TeX cannot take from a string as they are: a zero
-- width no-break space, which LaTeX ignores as a byte order mark, and the
-- replacement character, which LuaTeX takes for a fault in the string's
-- UTF-8, given to TeX by their numbers; and a soft hyphen, which as
-- LaTeX's active character cut the paragraph there, given as TeX's \-.
local kAsCharacters = {["\u{FEFF}"] = "\\char65279 ", ["\u{FFFD}"] = "\\char65533 ", ["\u{AD}"] = "\\-"}

local function clamp(value, low, high) return math.max(low, math.min(high, value)) end

-- The events of a day's text as the grid writes it: its entries are joined,
-- as its continuation lines are, by the line mark; a continuation line keeps
-- its leading blanks after the mark. An event whose braces open more than
-- they close takes the next ones in, so that each is set whole.
local function events_of(text)
  local events, depth = {}, 0
  local start = 1
  local function add(piece)
    if #events > 0 and (piece:sub(1, 1) == " " or depth > 0) then
      events[#events] = events[#events] .. kLineMark .. piece
    else
      events[#events + 1] = piece
    end
    local plain = piece:gsub("\\.", "")
    local _, opened = plain:gsub("{", "")
    local _, closed = plain:gsub("}", "")
    depth = math.max(0, depth + opened - closed)
  end
  while true do
    local at = text:find(kLineMark, start, true)
    if not at then
      add(text:sub(start))
      return events
    end
    add(text:sub(start, at - 1))
    start = at + #kLineMark
  end
end

-- The text of the row that defines a day's message: after the sizing prefix
-- that the document chose for crowded days and the blank that follows it,
-- up to the blank and the braces that close the definition.
local function message_text(line)
  local text = line:sub(#kMessage + 1)
  text = text:gsub("^\\vskip%-%d+pt ", "", 1):gsub("^\\s*msgft ", "", 1)
  text = text:sub(2)
  if text:sub(-5) == " }}}%" then text = text:sub(1, -6) end
  return text
end

-- A day's text as its box shows it, for a report: its lines joined by " / ".
local function shown_text(text)
  return text and (text:gsub(kLineMark:gsub("%p", "%%%0") .. " *", " / "))
end

-- Whether the braces of a row of the document match, outside its comment.
local function balanced(line)
  local depth = 0
  local plain = line:gsub("\\.", ""):gsub("%%.*", "")
  for brace in plain:gmatch("[{}]") do depth = depth + (brace == "{" and 1 or -1) end
  return depth == 0
end

-- The first words of an event, for a report: its first line's first three,
-- or up to 40 bytes of it.
local function first_words(event)
  local line = event:sub(1, (event:find(kLineMark, 1, true) or 0) - 1)
  local words = {}
  for word in line:gmatch("%S+") do
    words[#words + 1] = word
    if #words == 3 then break end
  end
  local text = table.concat(words, " ")
  if #text > 40 then
    text = text:sub(1, 40)
    while #text > 0 and not utf8.len(text) do text = text:sub(1, -2) end
  end
  return text
end

-- The heading of a page from its first day to its last: the months by the
-- names that the document gives them, as it labels them, or else in English.
local function heading_of(first, last, title, months)
  if title then
    return title.name .. " " .. title.year
  end
  local from = months[first.month] or kMonthNames[first.month]
  local to = months[last.month] or kMonthNames[last.month]
  if first.year ~= last.year then
    return string.format("%s %d \u{2013} %s %d", from, first.year, to, last.year)
  elseif first.month ~= last.month then
    return string.format("%s \u{2013} %s %d", from, to, last.year)
  end
  return string.format("%s %d", from, first.year)
end

local function earlier(a, b)
  return a.year * 10000 + a.month * 100 + a.day < b.year * 10000 + b.month * 100 + b.day
end

function page.set_up(text, reports)
  -- The catcodes of a package, for the macros of hangul.sty.
  local at_letter = luatexbase.registernumber("catcodetable@atletter")
  local self = {
    days = {},          -- every day of the document, in order
    weeks = 6,          -- the header line's weeks a page
    title = nil,        -- the month of the short header form
    geometry = nil,     -- the sizes of the page, once a day needs them
    day = nil,          -- the day whose text is being set
    events = nil,       -- and its events
    months = {},        -- the month names of the document's labels, by month
    weekdays = {},      -- the weekday names of its header, left to right
    week = nil,         -- the week number of the row being read, if any
    first = nil,        -- the day of the page being laid out that is earliest
  }

  -- What one row of the document says of the page, before TeX reads it.
  local function read_line(line)
    local first = line:sub(1, 1)
    if first == " " then
      local number, name = line:match("^%s*\\ifnum \\the\\weeknumber=(%d) \\def\\dayname{(.*)}\\fi%s*$")
      if number then self.weekdays[tonumber(number)] = name end
    elseif first == "%" then
      if line:sub(1, #kDayMark) == kDayMark then
        local year, month, day = line:match("%[(%d+)%.%s*(%d+)%.%s*(%d+)%]")
        if year then
          self.days[#self.days + 1] = {year = tonumber(year), month = tonumber(month),
                                       day = tonumber(day), week = self.week,
                                       date = string.format("%04d/%02d/%02d", year, month, day)}
          self.week = nil
        end
      else
        local weeks = line:match("^%% LinesInPages=(%-?%d+)%.")
        if weeks then self.weeks = tonumber(weeks) end
      end
    elseif first == "\\" then
      local current = self.days[#self.days]
      if line:sub(1, #kMessage) == kMessage then
        if current then
          current.text = message_text(line)
          -- TeX may stop on the text as it reads it. A definition whose braces
          -- do not match reads on to the end of the document, where TeX
          -- stops: at this day.
          if not self.runaway then
            reports.stopping_at(current.date, shown_text(current.text))
            if not balanced(line) then self.runaway = current end
          end
        end
      elseif line:sub(1, 19) == "\\def\\firstday{\\fbox" then
        -- The label as the document names the month, less the font that
        -- it asks for by hand.
        local name = line:match("^\\def\\firstday{\\fbox{(.*)}}%%$")
        if current and name then
          current.label = true
          self.months[current.month] = name:gsub("^\\msgft ", "")
        end
      elseif line:match("^\\weeklabel{%d+}%%$") then
        self.week = line:match("(%d+)")
      else
        local name = line:match("^\\centerline{\\ftwo \\hskip2%.25in \\ {(.*)}}%s*$")
        if name then self.title = {name = name} end
      end
    end
    -- LuaTeX takes a replacement character in its input for a fault in the
    -- file's UTF-8; by its number it is the character.
    if line:find("\xEF\xBF\xBD", 1, true) then return (line:gsub("\xEF\xBF\xBD", "^^^^fffd")) end
    return nil
  end
  luatexbase.add_to_callback("process_input_buffer", read_line, "wekset.page.read_line")

  -- The reports, for wekset-pdf to pass on: of fewer weeks a page than the
  -- header line asks for, and of a day whose events do not all fit.
  local function report_weeks(asked, used)
    reports.note("%d weeks a page would set the text smaller than %dpt; %d weeks a page are used",
                 asked, kFloor, used)
  end

  local function report_left_off(day, shown)
    local named = {}
    for i = shown + 1, math.min(#day.events, shown + 10) do
      named[#named + 1] = '"' .. first_words(day.events[i]) .. '"'
    end
    if #day.events > shown + 10 then named[#named + 1] = "\u{2026}" end
    reports.day(day.date, "%d of %d events do not fit: %s", #day.events - shown, #day.events,
                table.concat(named, ", "))
  end

  -- The page's sizes: the paper turned, its margins, the rows that fit.
  local function geometry()
    if self.geometry then return self.geometry end
    local long = math.max(tex.dimen.paperwidth, tex.dimen.paperheight)
    local short = math.min(tex.dimen.paperwidth, tex.dimen.paperheight)
    local g = {rule = math.floor(0.8 * kPoint), pad = 2 * kPoint, top = math.floor(1.5 * kPoint)}
    g.width, g.height = long - 2 * kMargin, short - 2 * kMargin
    local weeks = math.abs(self.weeks)
    if weeks == 0 then weeks = 6 end
    g.header = (weeks <= 2 and 28 or weeks <= 6 and 22 or 16) * kPoint
    local grid = g.height - kHeading - g.header - g.rule
    local most = math.floor(grid / kLeastRow)
    if weeks > most then
      report_weeks(weeks, most)
      weeks = most
    end
    g.weeks = weeks
    g.row = math.floor(grid / weeks)
    g.column = math.floor((g.width - 8 * g.rule) / 7)
    g.inner = g.column - 2 * g.pad
    g.room = g.row - g.rule - 2 * g.top
    g.sizes = g.row >= kTallRow and kTallSizes or kSizes
    g.number = math.floor(clamp(0.3 * g.row, 6 * kPoint, 24 * kPoint))
    g.label = math.floor(clamp(0.6 * g.number, 6 * kPoint, 9 * kPoint))
    g.names = math.floor(0.65 * g.header)
    self.geometry = g
    return g
  end

  -- The TeX dimensions of the page and its day boxes, for hangul.sty.
  function self.set_page()
    local g = geometry()
    for name, value in pairs({pagewd = g.width, pageht = g.height, headerht = g.header,
                              namesize = g.names, rowht = g.row, colwd = g.column,
                              inner = g.inner, room = g.room, rule = g.rule, pad = g.pad, top = g.top,
                              numbersize = g.number, labelsize = g.label}) do
      tex.setdimen("wekset@" .. name, value)
    end
  end

  -- Sets up the day's box, its number and label, for its text to be set.
  local function enter_day(index)
    local g = geometry()
    self.set_page()
    local day = self.days[index]
    local first_of_page = self.first == day
    local label = (day.label or first_of_page) and (self.months[day.month] or
                                                    kMonthNames[day.month]) or ""
    tex.runtoks(function()
      tex.sprint(at_letter, string.format("\\wekset@measure{%d}{%s}", day.day, label))
    end)
    self.box = {inner = g.inner, room = g.room}
    for _, name in ipairs({"band", "indent", "beside"}) do
      self.box[name] = tex.getdimen("wekset@" .. name)
    end
    self.day, self.events = day, day.events
    text.set_day(day.date)
    reports.stopping_at(day.date, shown_text(day.text))
  end

  local function leave_day()
    self.set_page()  -- the box's own widths, for it to be drawn
    self.day, self.events = nil, nil
    text.set_day(nil)
    reports.stopping_at(self.runaway and self.runaway.date, self.runaway and shown_text(self.runaway.text))
  end

  local function box_height()
    local box = tex.getbox("wekset@box")
    return box and box.height + box.depth or 0
  end

  -- The text is set at one size, kBase, at the widths that scale to the
  -- box's at the size it is to have, and then scaled: so each day needs its
  -- fonts at one size only. The room in the box, in those units.
  local function room_at(size)
    return math.floor(self.box.room * kBase / size)
  end

  -- The first line is lifted so that Latin letters stand just below the
  -- rule; a line whose glyphs are taller, as Gujarati or Khmer marks, comes
  -- down until its ink clears the rule too.
  local function clear_top()
    local box = tex.getbox("wekset@box")
    if not box then return end
    local above, last_kern = 0, nil
    for n in node.traverse(box.list) do
      if n.id == kHlist then
        local low = math.floor(0.05 * kBase * kPoint)
        if above < low and last_kern then
          last_kern.kern = last_kern.kern + low - above
          box.height = box.height + low - above
        end
        return
      elseif n.id == kKern then
        above, last_kern = above + n.kern, n
      elseif n.id == kGlue then
        above = above + n.width
      end
    end
  end

  -- Sets the day's first events for the size, one by one, while they fit,
  -- and says how many did, with the height of the text after each.
  local function try(size, limit)
    tex.setdimen("wekset@size", kBase * kPoint)
    for name, value in pairs(self.box) do
      tex.setdimen("wekset@" .. name, math.floor(value * kBase / size))
    end
    tex.runtoks(function() tex.sprint(at_letter, "\\wekset@begintext") end)
    local room, heights = room_at(size), {}
    for i = 1, math.min(limit or #self.events, #self.events) do
      tex.runtoks(function() tex.sprint(at_letter, "\\wekset@addevent{" .. i .. "}") end)
      if i == 1 then clear_top() end
      local height = box_height()
      if height > room then return i - 1, heights end
      heights[i] = height
    end
    return #heights, heights
  end

  -- The day whose text the document draws now: its events are tried at each
  -- size, largest first, until they all fit. TeX reads the events here, so
  -- that an error in one is reported at its day.
  function self.try_day(line)
    local index = #self.days
    local day = self.days[index]
    if not day or not day.text then return end
    day.line = line
    day.events = events_of(day.text)
    day.fits = {}
    enter_day(index)
    for _, size in ipairs(geometry().sizes) do
      local count = try(size)
      day.fits[size] = count
      if count == #day.events then
        day.best = size
        break
      end
    end
    leave_day()
  end

  -- The event, by its number, as the macro \wekset@event, read with the
  -- document's catcodes: so a TeX error in it is shown at its day's line.
  function self.take_event(i)
    token.set_macro("wekset@event", (self.events[i]:gsub(utf8.charpattern, kAsCharacters)))
  end

  -- Sets the day's text into \wekset@box at the size: all its events, or as
  -- many whole ones as leave room for the line that counts the others.
  local function set_day(index, size)
    local day = self.days[index]
    enter_day(index)
    local count, heights = try(size)
    if count < #day.events then
      local room = room_at(size)
      local line = math.ceil(1.45 * kBase * kPoint)
      local shown = count
      while shown > 0 and heights[shown] + line > room do shown = shown - 1 end
      while true do
        if shown > 0 then
          try(size, shown)
        else
          -- Of a first event too long for the box, as many whole lines as fit.
          try(size, 1)
          tex.runtoks(function()
            tex.sprint(at_letter, string.format("\\wekset@cut{%dsp}", room - line))
          end)
        end
        tex.runtoks(function()
          tex.sprint(at_letter, string.format("\\wekset@addmore{+%d more}", #day.events - shown))
        end)
        if shown == 0 or box_height() <= room then break end
        shown = shown - 1
      end
      report_left_off(day, shown)
    end
    if size ~= kBase then
      tex.runtoks(function()
        tex.sprint(at_letter, string.format("\\wekset@scale{%.5f}", size / kBase))
      end)
    end
    leave_day()
  end

  -- The size of a page's text: the largest at which all its days fit but
  -- one in twenty, or at least one; a day that does not fit at it takes the
  -- smallest size at which the others that do not fit do, or else the floor.
  local function sizes_of(first, last)
    local busy = {}
    for i = first, last do
      if self.days[i].events then busy[#busy + 1] = self.days[i] end
    end
    local allowed = math.max(1, #busy // 20)
    local chosen = kFloor
    for _, size in ipairs(geometry().sizes) do
      -- A day that does not fit even at the floor is set at the floor, and
      -- has no say in the page's size.
      local failing = 0
      for _, day in ipairs(busy) do
        if day.best and day.best < size then failing = failing + 1 end
      end
      if failing <= allowed then
        chosen = size
        break
      end
    end
    local second = nil
    for _, day in ipairs(busy) do
      if day.best and day.best < chosen and (not second or day.best < second) then
        second = day.best
      end
    end
    local sizes = {}
    for _, day in ipairs(busy) do
      if not day.best then
        sizes[day] = kFloor
      elseif day.best < chosen then
        sizes[day] = second
      else
        sizes[day] = chosen
      end
    end
    return sizes
  end

  -- The pages: the header line's weeks a page, each page under its heading
  -- and the weekday header.
  function self.lay_out()
    local g = geometry()
    local days = self.days
    if #days == 0 then return end
    local year_of_title = nil
    if self.title then
      for _, day in ipairs(days) do
        if (self.months[day.month] or kMonthNames[day.month]) == self.title.name then
          year_of_title = day.year
          break
        end
      end
      self.title.year = year_of_title or days[1].year
    end
    local per_page = 7 * g.weeks
    local pages = {}
    -- A grid that runs right to left writes each row last day first.
    local rtl = #days > 1 and earlier(days[2], days[1])
    tex.runtoks(function()
      tex.sprint(at_letter, rtl and "\\wekset@rtltrue" or "\\wekset@rtlfalse")
      if #self.weekdays == 7 then
        tex.sprint(at_letter, "\\def\\wekset@weekdays{")
        for _, name in ipairs(self.weekdays) do tex.sprint(at_letter, "\\wekset@name{" .. name .. "}") end
        tex.sprint(at_letter, "}")
      end
    end)
    for first = 1, #days, per_page do
      local last = math.min(#days, first + per_page - 1)
      local sizes = sizes_of(first, last)
      local from, to = days[first], days[first]
      for index = first, last do
        if earlier(days[index], from) then from = days[index] end
        if earlier(to, days[index]) then to = days[index] end
      end
      self.first = from
      local heading = heading_of(from, to, self.title, self.months)
      tex.runtoks(function()
        -- The names come from the document, as TeX, the rest as text.
        tex.sprint(at_letter, "\\wekset@beginpage{")
        tex.sprint(heading)
        tex.sprint(at_letter, "}")
      end)
      for row = first, last, 7 do
        local week = days[row].week or days[math.min(last, row + 6)].week
        tex.runtoks(function()
          tex.sprint(at_letter, "\\def\\wekset@week{" .. (week or "") .. "}\\wekset@beginrow")
        end)
        for index = row, math.min(last, row + 6) do
          local day = days[index]
          if day.events then
            set_day(index, sizes[day])
          else
            enter_day(index)
            leave_day()
            tex.runtoks(function() tex.sprint(at_letter, "\\wekset@begintext") end)
          end
          tex.runtoks(function() tex.sprint(at_letter, "\\wekset@addday") end)
        end
        tex.runtoks(function() tex.sprint(at_letter, "\\wekset@endrow") end)
      end
      tex.runtoks(function() tex.sprint(at_letter, "\\wekset@endpage") end)
      pages[#pages + 1] = node.copy_list(tex.getbox("wekset@page"))
    end
    self.pages = pages
    reports.pages(#pages)
    for k = 1, #pages do tex.sprint(at_letter, "\\wekset@ship{" .. k .. "}") end
  end

  -- Puts the page, by its number, back in \wekset@page for TeX to ship out.
  function self.give(k)
    tex.setbox("wekset@page", self.pages[k])
    self.pages[k] = nil
  end

  -- Sets \parshape for a paragraph of a day's text: its lines that would
  -- reach up into the band of the month label and the day number take only
  -- the room between them. Called from \everypar, where the vertical list
  -- that the paragraph joins is the one below the paragraph's own.
  function self.shape()
    local beside = tex.getdimen("wekset@beside")
    local size = tex.getdimen("wekset@size")
    if beside < 3 * size then return end
    local list = tex.nest[tex.nest.ptr - 1]
    local used = 0
    for n in node.traverse(list.head.next) do
      if n.id == kHlist or n.id == kVlist or n.id == kRule then
        used = used + n.height + n.depth
      elseif n.id == kGlue then
        used = used + n.width
      elseif n.id == kKern then
        used = used + n.kern
      end
    end
    local skip = tex.baselineskip.width
    local band = tex.getdimen("wekset@band")
    local depth = list.prevdepth > -1000 * kPoint and list.prevdepth or 0
    -- A line's glyphs reach up to nine tenths of the size above its baseline.
    local baseline = used - depth + skip
    local narrow = 0
    while baseline + (narrow * skip) - size * 0.9 < band do narrow = narrow + 1 end
    if narrow == 0 then return end
    local indent, width = tex.getdimen("wekset@indent"), tex.getdimen("wekset@inner")
    local shape = {"\\parshape", narrow + 1}
    for _ = 1, narrow do shape[#shape + 1] = indent .. "sp " .. beside .. "sp" end
    shape[#shape + 1] = "0sp " .. width .. "sp\\relax"
    tex.sprint(table.concat(shape, " "))
  end

  return self
end

return page
