-- wekset's side of LuaTeX, loaded by hangul.sty: the scalable fonts behind
-- the document's cmr and cmssbx names, fallback fonts for what Latin Modern
-- lacks, line breaks anywhere in long words and addresses, and a report in
-- the log of each character that no font can print and of each day whose
-- text does not fit its box. wekset-pdf reads the reports; "line N" is the
-- line of the document at which the day's box is drawn.
local wekset = {}

local hb = require("luaharfbuzz")

-- Latin Modern's optical sizes: each size is set in the design made for the
-- largest one not above it.
local kOpticalSizes = {5, 6, 7, 8, 9, 10, 12, 17}

local function optical_size(points)
  local chosen = kOpticalSizes[1]
  for _, size in ipairs(kOpticalSizes) do
    if size <= points + 0.001 then chosen = size end
  end
  return chosen
end

local function roman(points) return "lmroman" .. optical_size(points) .. "-regular.otf" end

-- The fonts that supply what Latin Modern lacks, most general first, with
-- the Debian package of each and the blocks of Unicode that it is for; a font
-- without blocks may have anything. Only those that the text needs are loaded.
local kFallbacks = {
  {file = "NotoSerif-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x0080, 0x052F}, {0x1AB0, 0x1AFF}, {0x1C80, 0x1C8F}, {0x1D00, 0x214F},
             {0x2C60, 0x2C7F}, {0x2DE0, 0x2DFF}, {0xA640, 0xA69F}, {0xA700, 0xA7FF},
             {0xAB30, 0xAB6F}, {0xFB00, 0xFB06}}},
  {file = "NotoSerifCJK-Regular.ttc", index = 1, package = "fonts-noto-cjk",  -- Korean forms
   blocks = {{0x1100, 0x11FF}, {0x2E80, 0x2FDF}, {0x3000, 0x9FFF}, {0xA960, 0xA97F},
             {0xAC00, 0xD7FF}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFFEF},
             {0x20000, 0x3FFFF}}},
  {file = "NotoNaskhArabic-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}, {0xFB50, 0xFDFF},
             {0xFE70, 0xFEFF}}},
  {file = "NotoSerifHebrew-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x0590, 0x05FF}, {0xFB1D, 0xFB4F}}},
  {file = "NotoSerifThai-Regular.ttf", package = "fonts-noto-core", blocks = {{0x0E00, 0x0E7F}}},
  {file = "NotoSerifArmenian-Regular.ttf", package = "fonts-noto-core", blocks = {{0x0530, 0x058F}}},
  {file = "NotoSerifGeorgian-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x10A0, 0x10FF}, {0x2D00, 0x2D2F}}},
  {file = "NotoSerifDevanagari-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x0900, 0x097F}, {0xA8E0, 0xA8FF}}},
  {file = "NotoSerifBengali-Regular.ttf", package = "fonts-noto-core", blocks = {{0x0980, 0x09FF}}},
  {file = "NotoSerifTamil-Regular.ttf", package = "fonts-noto-core", blocks = {{0x0B80, 0x0BFF}}},
  {file = "NotoSerifEthiopic-Regular.ttf", package = "fonts-noto-core",
   blocks = {{0x1200, 0x139F}, {0x2D80, 0x2DDF}}},
  {file = "NotoSerifKhmer-Regular.ttf", package = "fonts-noto-core", blocks = {{0x1780, 0x17FF}}},
  {file = "NotoColorEmoji.ttf", package = "fonts-noto-color-emoji", blocks = {{0x1F000, 0x1FAFF}}},
  {file = "NotoSansSymbols-Regular.ttf", package = "fonts-noto-core"},
  {file = "NotoSansSymbols2-Regular.ttf", package = "fonts-noto-core"},
  {file = "NotoSansMath-Regular.ttf", package = "fonts-noto-core"},
}

local function is_for(fallback, code)
  if not fallback.blocks then return true end
  for _, block in ipairs(fallback.blocks) do
    if code >= block[1] and code <= block[2] then return true end
  end
  return false
end

local function find_font(name)
  return kpse.find_file(name, "truetype fonts") or kpse.find_file(name, "opentype fonts")
end

local function coverage(path, index)
  local face = hb.Face.new(path, index or 0)
  local set = {}
  if face then
    for _, code in ipairs(face:collect_unicodes()) do set[code] = true end
  end
  return set
end

-- The code points of a UTF-8 text outside ASCII, each once.
local function code_points(text)
  local points = {}
  for _, code in utf8.codes(text, true) do
    if code > 127 then points[code] = true end
  end
  return points
end

-- A line of its own in the log, for wekset-pdf to find.
local function log(format, ...)
  texio.write_nl("log", string.format("wekset: " .. format, ...))
  texio.write_nl("log", "")
end
wekset.log = log

-- Chooses the fallback fonts for the characters of the document that Latin
-- Modern has not, in the order of kFallbacks. A character that is in none of
-- the installed ones is reported when it is typeset.
local function choose_fallbacks(document)
  local file = io.open(document, "rb")
  local text = file and file:read("a") or ""
  if file then file:close() end
  local missing = {}
  local latin = coverage(find_font(roman(10)))
  for code in pairs(code_points(text)) do
    if not latin[code] then missing[code] = true end
  end
  local chosen = {}
  for _, fallback in ipairs(kFallbacks) do
    local wanted = {}
    for code in pairs(missing) do
      if is_for(fallback, code) then wanted[#wanted + 1] = code end
    end
    if #wanted > 0 then
      local path = find_font(fallback.file)
      if path then
        local covered = coverage(path, fallback.index)
        local needed = false
        for _, code in ipairs(wanted) do
          if covered[code] then
            missing[code] = nil
            needed = true
          end
        end
        if needed then
          local index = fallback.index and "(" .. fallback.index .. ")" or ""
          chosen[#chosen + 1] = "file:" .. fallback.file .. index .. ":mode=harf"
        end
      elseif fallback.blocks then
        log("font %s is missing (%s)", fallback.file, fallback.package)
      end
    end
  end
  luaotfload.add_fallback("wekset", chosen)
end

-- The document's own font names, at their sizes, become Latin Modern, with
-- the fallback fonts for names in other scripts; so does "wekset-text", the
-- name the day boxes use. Each font is made once for each size.
local function define_fonts()
  local define = luaotfload.define_font
  local made = {}
  luatexbase.remove_from_callback("define_font", "luaotfload.define_font")
  luatexbase.add_to_callback("define_font", function(name, size, id)
    local kind, design = name:match("^(cmssbx)(%d+)$")
    if not kind then kind, design = name:match("^(cmr)(%d+)$") end
    if not kind and name ~= "wekset-text" then return define(name, size, id) end
    if size < 0 then size = math.floor(tonumber(design or 10) * 65536 * -size / 1000 + 0.5) end
    local key = name .. "@" .. size
    if made[key] then return made[key] end
    local request
    if kind == "cmssbx" then
      request = "file:lmsans10-bold.otf:mode=harf;fallback=wekset"
    else
      request = "file:" .. roman(size / 65536) .. ":mode=harf;fallback=wekset"
    end
    local data = define(request, size, id)
    made[key] = type(data) == "table" and id or data  -- TeX makes a table font number id
    return data
  end, "wekset.define_font")
end

function wekset.begin_document()
  choose_fallbacks(status.filename)
end

--
-- The day boxes
--

local kGlyph = node.id("glyph")
local kGlue = node.id("glue")
local kDisc = node.id("disc")
local kKern = node.id("kern")
local kPenalty = node.id("penalty")

-- Break penalties inside a word: anywhere at a high cost, so that a word
-- that fits on a line, or can be hyphenated, is not broken; after the
-- punctuation of an address for less; between Chinese and Japanese
-- characters, which have no spaces to break at, for nothing.
local kAnywhere = 5000
local kInAddress = 3000

local function is_ideograph(code)
  return (code >= 0x2E80 and code <= 0x9FFF) or (code >= 0xF900 and code <= 0xFAFF) or
             (code >= 0x20000 and code <= 0x3FFFF)
end

local kNoBreakBefore = {}
for _, code in utf8.codes("、。，．：；？！）」』】〉》〕ー・ぁぃぅぇぉっゃゅょァィゥェォッャュョ") do
  kNoBreakBefore[code] = true
end

local kAddressBreak = {}
for _, code in utf8.codes("/.-_?&=@:#") do kAddressBreak[code] = true end

local message_line = nil  -- the line of the day box being set, or nil
local reported = {}

-- The day box being set, by the line of the document at which it is drawn;
-- nil between day boxes, where the text callbacks leave TeX's text alone.
function wekset.set_day(line) message_line = line end

-- Leaves out the characters that no font has, reporting each once a day.
-- HarfBuzz sets such a character as the font's empty glyph 0, which carries
-- the character as its text; that goes too.
local function leave_out_unprintable(head)
  local unprintable = {}
  for n in node.traverse_id(kGlyph, head) do
    local data = font.getfont(n.font)
    local glyph0 = data.hb and data.hb.shared.gid_offset
    if not data.characters[n.char] or n.char == glyph0 then unprintable[#unprintable + 1] = n end
  end
  for _, n in ipairs(unprintable) do
    local key = message_line .. ":" .. n.char
    if n.char < 0x110000 and not reported[key] then
      reported[key] = true
      log("line %d: cannot print U+%04X", message_line, n.char)
    end
    head = node.remove(head, n)
    node.free(n)
  end
  return head
end

-- A word: the nodes from first up to the next glue, or the end.
local function word_end(first)
  local n = first
  while n.next and n.next.id ~= kGlue do n = n.next end
  return n
end

-- A web or e-mail address, or a name such as example.com: a "/" or "@"
-- anywhere, or a "." within.
local function is_address(first, last)
  local n = first
  while true do
    if n.id == kGlyph then
      if n.char == 0x2F or n.char == 0x40 then return true end
      if n.char == 0x2E and n ~= first and n ~= last then return true end
    end
    if n == last then return false end
    n = n.next
  end
end

-- Hyphens would change an address, so it breaks without them.
local function drop_hyphenation(head, first, last)
  local n = first
  while n do
    local following = nil
    if n ~= last then following = n.next end
    if n.id == kDisc and n.subtype ~= 1 then  -- all but an explicit "\-"
      local replace = n.replace
      n.replace = nil
      if replace then
        local tail = node.tail(replace)
        head = node.insert_before(head, n, replace)
        if n == last then last = tail end
        if n == first then first = replace end
      end
      head = node.remove(head, n)
      node.free(n)
    end
    n = following
  end
  return head, first, last
end

local function add_breaks(head)
  local n = head
  while n do
    if n.id == kGlyph then
      local first, last = n, word_end(n)
      local address = is_address(first, last)
      if address then head, first, last = drop_hyphenation(head, first, last) end
      local previous = nil
      n = first
      while true do
        if n.id == kGlyph then
          if previous then
            local value = kAnywhere
            if address and kAddressBreak[previous.char] then value = kInAddress end
            if is_ideograph(previous.char) or is_ideograph(n.char) then value = 0 end
            if kNoBreakBefore[n.char] then value = nil end
            if value then
              local penalty = node.new(kPenalty)
              penalty.penalty = value
              head = node.insert_before(head, n, penalty)
            end
          end
          previous = n
        elseif n.id ~= kKern then
          previous = nil
        end
        if n == last then break end
        n = n.next
      end
      n = last
    end
    n = n.next
  end
  return head
end

local function paragraph(head)
  if not message_line then return true end
  return add_breaks(leave_out_unprintable(head))
end

local function box(head)
  if not message_line then return true end
  return leave_out_unprintable(head)
end

define_fonts()
luatexbase.add_to_callback("pre_linebreak_filter", paragraph, "wekset.paragraph")
luatexbase.add_to_callback("hpack_filter", box, "wekset.box")

return wekset
