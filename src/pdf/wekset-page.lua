-- The page side of wekset's LuaTeX, loaded by hangul.sty: how large a day's
-- text is set to fit its box, the shape of its lines beside the day number,
-- and the report of a day too full. The fonts and the text's own callbacks
-- are wekset.lua's; set_up takes that module and returns this one's
-- functions, which keep their state in the table they close over.
local page = {}

local kGlue, kKern = node.id("glue"), node.id("kern")
local kVlist, kHlist, kRule = node.id("vlist"), node.id("hlist"), node.id("rule")

function page.set_up(text)
  local self = {day_line = nil}  -- the line of the day box being set, or nil

  function self.begin_message(line)
    self.day_line = line
    text.set_day(line)
  end

  function self.end_message()
    self.day_line = nil
    text.set_day(nil)
  end

  -- The size to try first for a text of the given height at the given size
  -- that is too tall for the room: as the text rewraps, its height goes with
  -- the square of the size. Rounded down to a quarter point, not below 5pt.
  function self.estimate_size(size, height, room)
    local points = size / 65536 * math.sqrt(room / height)
    points = math.max(5, math.floor(points * 4) / 4)
    tex.sprint(math.floor(math.min(points * 65536, size)))
  end

  -- Sets \parshape for a paragraph of a day's text that begins at the top of
  -- the box: its lines that would reach down into the line of the day number
  -- take only the room between the month label, if any, and the number.
  -- Called from \everypar, where the vertical list that the paragraph joins
  -- is the one below the paragraph's own.
  function self.shape()
    local list = tex.nest[tex.nest.ptr - 1]
    local used, empty = 0, true
    for n in node.traverse(list.head.next) do
      if n.id == kHlist or n.id == kVlist or n.id == kRule then
        used = used + n.height + n.depth
        empty = false
      elseif n.id == kGlue then
        used = used + n.width
      elseif n.id == kKern then
        used = used + n.kern
      end
    end
    local skip = tex.baselineskip.width
    local size = font.getfont(font.current()).size
    local band = tex.dimen["wekset@bandunset"]
    -- A line's glyphs reach up to nine tenths of the size above its baseline.
    local baseline = empty and size or used - list.prevdepth + skip
    local narrow = 0
    while baseline + (narrow * skip) - size * 0.9 < band do narrow = narrow + 1 end
    if narrow == 0 then return end
    local label, beside = tex.dimen["wekset@labelunset"], tex.dimen["wekset@besideunset"]
    local width = tex.dimen["wekset@widthunset"]
    local shape = {"\\parshape", narrow + 1}
    for _ = 1, narrow do shape[#shape + 1] = label .. "sp " .. beside .. "sp" end
    shape[#shape + 1] = "0sp " .. width .. "sp\\relax"
    tex.sprint(table.concat(shape, " "))
  end

  function self.ratio(size, base) tex.sprint(string.format("%.5f", size / base)) end

  function self.too_full()
    text.log("line %d: the text does not fit its box", self.day_line)
  end

  return self
end

return page
