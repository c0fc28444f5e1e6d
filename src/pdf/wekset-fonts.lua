-- The fonts of wekset's pages: Latin Modern, the scalable form of the
-- document's cmr and cmssbx, by its optical sizes; and for each character
-- that it lacks, an installed font that has it, from the list that wekset-pdf
-- takes from fontconfig, Noto preferred. Each font is loaded for HarfBuzz
-- with the script that it shapes, once for each size.
local fonts = {}

local hb = require("luaharfbuzz")

-- Latin Modern's optical sizes: each size is set in the design made for the
-- largest one not above it.
local kOpticalSizes = {5, 6, 7, 8, 9, 10, 12, 17}

local function roman(points)
  local chosen = kOpticalSizes[1]
  for _, size in ipairs(kOpticalSizes) do
    if size <= points + 0.001 then chosen = size end
  end
  return "lmroman" .. chosen .. "-regular.otf"
end

-- The OpenType tags of the scripts whose HarfBuzz names differ from their
-- ISO 15924 codes in more than case; the others are those codes in lower
-- case. luaotfload's default script, "dflt", would leave HarfBuzz without
-- the shaper of Indic, Arabic or Thai text; and luaotfload takes the fonts'
-- lookups of the tag it is given, so the Indic scripts and Myanmar take the
-- tags of their fonts' second versions, whose lookups make conjuncts such
-- as Bengali's ঞ্চ.
local kScriptTags = {Zyyy = "dflt", Zinh = "dflt", Zzzz = "dflt", Hira = "kana", Hrkt = "kana",
                     Laoo = "lao ", Yiii = "yi  ", Nkoo = "nko ", Vaii = "vai ", Deva = "dev2",
                     Beng = "bng2", Guru = "gur2", Gujr = "gjr2", Orya = "ory2", Taml = "tml2",
                     Telu = "tel2", Knda = "knd2", Mlym = "mlm2", Mymr = "mym2"}

local function script_tag(script)
  return (kScriptTags[script] or script:lower()):gsub(" ", "")
end

-- The Debian packages with a font for a script, for the report of a
-- character that no installed font has.
local kPackages = {["fonts-noto-cjk"] = "Hani Hira Kana Hang Bopo",
                   ["fonts-noto-core"] = "Latn Grek Cyrl Armn Hebr Arab Syrc Thaa Nkoo Deva Beng Guru " ..
                     "Gujr Orya Taml Telu Knda Mlym Sinh Thai Laoo Tibt Mymr Geor Ethi Cher Khmr Mong " ..
                     "Tfng Cans Ogam Runr Copt Egyp Xsux Yiii Vaii Bali Java Tglg Adlm Olck Lisu"}

-- Emoji, and the symbols that have an emoji form.
local function emoji_code(code)
  return (code >= 0x1F000 and code <= 0x1FAFF) or (code >= 0x2600 and code <= 0x27BF)
end

local function package_of(code, script)
  if emoji_code(code) then return "fonts-noto-color-emoji" end
  for package, scripts in pairs(kPackages) do
    if (" " .. scripts .. " "):find(" " .. script .. " ", 1, true) then return package end
  end
  return nil
end

-- The characters that choose among a font's forms of the one before them
-- or join it to the next (joiners, variation selectors, tags): no font is
-- chosen for them, and HarfBuzz sets them invisible in any.
local function selector(code)
  return code == 0x200C or code == 0x200D or (code >= 0x2060 and code <= 0x2064) or code == 0xFEFF or
    (code >= 0xFE00 and code <= 0xFE0F) or (code >= 0x180B and code <= 0x180F) or
    (code >= 0xE0000 and code <= 0xE0FFF)
end

-- A private-use character means what its font says it means: it is never
-- taken from another font.
local function private(code)
  return (code >= 0xE000 and code <= 0xF8FF) or code >= 0xF0000
end

-- A fontconfig charset, "20-7e a0-17f 192 ...", as a sorted list of ranges.
local function ranges_of(charset)
  local ranges = {}
  for from, to in charset:gmatch("(%x+)%-?(%x*)") do
    local low = tonumber(from, 16)
    ranges[#ranges + 1] = {low, to ~= "" and tonumber(to, 16) or low}
  end
  return ranges
end

local function covers(ranges, code)
  local low, high = 1, #ranges
  while low <= high do
    local middle = (low + high) // 2
    local range = ranges[middle]
    if code < range[1] then
      high = middle - 1
    elseif code > range[2] then
      low = middle + 1
    else
      return true
    end
  end
  return false
end

-- How well an installed font suits text beside Latin Modern: Noto first,
-- serif before sans, the plain design before its mono, UI and display
-- variants. For Han, the font of the wanted forms ("JP", "KR", "SC", "TC");
-- for the scripts of the rest of the world, never a CJK font, whose Greek
-- and Cyrillic lack letters that the Noto of their own has.
local kEastAsian = {Hani = true, Hira = true, Kana = true, Hang = true, Bopo = true}
local function rank(face, han, emoji, script)
  local family = face.family
  local score = 0
  if family:find(" CJK ") and not kEastAsian[script] then score = score - 32 end
  if family:find("^Noto ") then score = score + 16 end
  if emoji and family:find("Emoji") then score = score + 64 end
  if han and family:find(" CJK " .. han .. "$") then score = score + 32 end
  if family:find("Serif") then score = score + 4 end
  if family:find(" Mono") or family:find(" UI$") or family:find(" Display$") or family:find(" Looped") then
    score = score - 8
  end
  return score
end

-- The installed fonts, as wekset-pdf lists them: a line each of file,
-- index, family, style and charset, tab-separated.
local function read_listing(path)
  local faces = {}
  local file = path and io.open(path, "rb")
  if not file then return faces end
  for line in file:lines() do
    local name, index, family, style, charset = line:match("^([^\t]+)\t(%d*)\t([^\t]*)\t([^\t]*)\t(.*)$")
    if name and (style == "Regular" or style == "Book") then
      faces[#faces + 1] = {file = name, index = tonumber(index) or 0, family = family, charset = charset}
    end
  end
  file:close()
  table.sort(faces, function(a, b)
    if a.family ~= b.family then return a.family < b.family end
    if a.file ~= b.file then return a.file < b.file end
    return a.index < b.index
  end)
  return faces
end

function fonts.set_up(listing)
  local define = luaotfload.define_font
  local self = {emoji_code = emoji_code, selector = selector}
  local faces = read_listing(listing)
  local latin = {}  -- the code points that Latin Modern has
  local loaded = {}  -- font ids by request and size
  local chosen = {}  -- faces by the cluster's key

  -- Loads a font once for each size. Asked by TeX for a font, which it has
  -- given an id, the font is made under that id; asked by the text, it gets
  -- one of its own.
  local function load(request, size, id)
    local key = request .. "@" .. size
    if loaded[key] then return loaded[key] end
    local data = define(request, size, id)
    if type(data) ~= "table" then
      loaded[key] = data
      return data
    end
    -- TeX hyphenates only the words of a font that has a hyphen character.
    data.hyphenchar = 0x2D
    if id then
      loaded[key] = id
      return data
    end
    loaded[key] = font.define(data)
    return loaded[key]
  end

  do
    local path = kpse.find_file(roman(10), "opentype fonts")
    local face = path and hb.Face.new(path)
    if face then
      for _, code in ipairs(face:collect_unicodes()) do latin[code] = true end
    end
  end

  -- The installed face best for a cluster of characters: one that has them
  -- all, or else one that has the first; nil if none does.
  local function face_for(codes, han, emoji, script)
    local best, best_score, whole = nil, nil, false
    for _, face in ipairs(faces) do
      face.ranges = face.ranges or ranges_of(face.charset)
      if covers(face.ranges, codes[1]) then
        local all = true
        for i = 2, #codes do
          if not selector(codes[i]) and not covers(face.ranges, codes[i]) then all = false break end
        end
        local score = rank(face, han, emoji, script)
        if (all and not whole) or (all == whole and (not best_score or score > best_score)) then
          best, best_score, whole = face, score, all
        end
      end
    end
    return best
  end

  -- Whether a font is one of Latin Modern's that this module made, whose
  -- text it may set in other fonts.
  local own = {}
  function self.owns(id) return own[id] == true end

  -- The font, at the size, for a cluster of the script: false where Latin
  -- Modern has the whole cluster, which keeps its font; else an installed
  -- font; nil and the package to install when no font has the cluster's
  -- first character.
  function self.font_for(codes, script, size, han)
    local emoji = false
    for _, code in ipairs(codes) do
      if emoji_code(code) or code == 0xFE0F then emoji = true end
    end
    -- Latin Modern places no marks: a letter with a mark that it has no
    -- letter for, as Ọ̀, is set in a font that does.
    local plain, letters = not emoji, 0
    for _, code in ipairs(codes) do
      if not selector(code) then letters = letters + 1 end
      if not latin[code] and not selector(code) then plain = false break end
    end
    if letters > 1 then plain = false end
    if plain then return false end
    if private(codes[1]) then return nil end
    local key = table.concat(codes, ",") .. ":" .. (han or "") .. ":" .. script
    if chosen[key] == nil then chosen[key] = face_for(codes, han, emoji, script) or false end
    local face = chosen[key]
    if not face then return nil, package_of(codes[1], script) end
    return load(string.format("[%s](%d):mode=harf;script=%s", face.file, face.index, script_tag(script)), size)
  end

  local function latin_modern(file, size, id)
    local data = load("file:" .. file .. ":mode=harf", size, id)
    own[type(data) == "table" and id or data] = true
    return data
  end

  -- The document's own font names, at their sizes, become Latin Modern; so
  -- does "wekset-text", the name that the day boxes use. The Latin Modern
  -- that LaTeX chooses for \textbf, \textit and their like is this module's
  -- too, so that the text set in it has fonts for what it lacks.
  luatexbase.remove_from_callback("define_font", "luaotfload.define_font")
  luatexbase.add_to_callback("define_font", function(name, size, id)
    local kind, design = name:match("^(cmssbx)(%d+)$")
    if not kind then kind, design = name:match("^(cmr)(%d+)$") end
    local chosen = name:match("^%[(lm%a+%d+%-%a+)%]")
    if chosen then return latin_modern(chosen .. ".otf", size, id) end
    if not kind and name ~= "wekset-text" then return define(name, size, id) end
    if size < 0 then size = math.floor(tonumber(design or 10) * 65536 * -size / 1000 + 0.5) end
    return latin_modern(kind == "cmssbx" and "lmsans10-bold.otf" or roman(size / 65536), size, id)
  end, "wekset.define_font")

  return self
end

return fonts
