-- How text is set on wekset's pages, before HarfBuzz shapes it: each cluster
-- of characters in a font that has it, with the script it is shaped as;
-- words hyphenated by the patterns of their language; break points where
-- ICU finds them between spaces, and inside long words and addresses, never
-- inside a cluster, and in a script that HarfBuzz shapes across its letters
-- only at discretionaries, which luaotfload shapes across; each line
-- ordered by the Unicode Bidirectional Algorithm (babel's), right to left
-- where its first strong letter is; and a character that no font has left
-- out and reported.
local text = {}

local hb = require("luaharfbuzz")
require("babel-bidi-basic.lua")  -- Babel.bidi and Babel.characters

local kGlyph, kGlue, kDisc = node.id("glyph"), node.id("glue"), node.id("disc")
local kPenalty, kWhatsit, kLocalPar = node.id("penalty"), node.id("whatsit"), node.id("local_par")
local kKern = node.id("kern")
-- The subtypes of a discretionary: one written as \-, as a soft hyphen is
-- taken; one that TeX made after an explicit hyphen; one that hyphenation
-- made, as a new one is unless told.
local kExplicitDisc, kAutomaticDisc, kRegularDisc = 1, 2, 3
local kCharacter = 1  -- a glyph's subtype: a character, not yet a font's glyph

-- Break penalties inside a word: anywhere at a high cost, so that a word
-- that fits on a line, or can be hyphenated, is not broken; after the
-- punctuation of an address for less; where ICU breaks text that has no
-- spaces (Thai, Chinese, Japanese and their like), for nothing.
local kAnywhere, kInAddress = 5000, 3000
local kZeroWidthSpace, kSoftHyphen, kJoiner = 0x200B, 0x00AD, 0x200D

-- The scripts whose letters HarfBuzz sets one by one, so that a word may
-- break between any two clusters of them.
local kSeparable = {Latn = true, Grek = true, Cyrl = true, Armn = true, Geor = true, Cher = true,
                    Ethi = true, Hebr = true, Hang = true, Hani = true, Hira = true, Kana = true,
                    Bopo = true, Zyyy = true}
-- The scripts of characters that take the script of the text around them.
local kCommon = {Zyyy = true, Zinh = true}

-- The characters that end a run of text looked up for its breaks, besides
-- ASCII: white space, and the zero width space and soft hyphen, which are
-- breaks of their own.
local kEndsRun = {}
for _, code in ipairs({0x85, 0xA0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000, kZeroWidthSpace,
                       kSoftHyphen}) do
  kEndsRun[code] = true
end
for code = 0x2000, 0x200A do kEndsRun[code] = true end
local kAddressBreak = {}
for _, code in utf8.codes("/.-_?&=@:#") do kAddressBreak[code] = true end

-- The hyphenation patterns of each language, by the first part of a
-- locale's name; and the script of each that is not written in Latin.
local kPatterns = {de = "de-1996", fr = "fr", es = "es", it = "it", nl = "nl", pt = "pt", pl = "pl",
                   cs = "cs", sk = "sk", sv = "sv", da = "da", nb = "nb", nn = "nn", fi = "fi",
                   hu = "hu", tr = "tr", ro = "ro", hr = "hr", sl = "sl", et = "et", lt = "lt",
                   lv = "lv", ca = "ca", eu = "eu", gl = "gl", af = "af", cy = "cy", ga = "ga",
                   is = "is", id = "id", eo = "eo", la = "la", oc = "oc", rm = "rm", tk = "tk",
                   el = "el-monoton", ru = "ru", uk = "uk", bg = "bg", mk = "mk", be = "be",
                   sr = "sr-cyrl", hy = "hy", ka = "ka", am = "mul-ethi", hi = "hi", mr = "mr",
                   bn = "bn", as = "as", pa = "pa", gu = "gu", ["or"] = "or", ta = "ta", te = "te",
                   kn = "kn", ml = "ml"}
local kLanguageScript = {el = "Grek", ru = "Cyrl", uk = "Cyrl", bg = "Cyrl", mk = "Cyrl", be = "Cyrl",
                         sr = "Cyrl", hy = "Armn", ka = "Geor", am = "Ethi", hi = "Deva", mr = "Deva",
                         bn = "Beng", as = "Beng", pa = "Guru", gu = "Gujr", ["or"] = "Orya",
                         ta = "Taml", te = "Telu", kn = "Knda", ml = "Mlym"}
-- The main language of each script but Latin, whose patterns its text
-- takes in a locale of another script.
local kScriptLanguage = {Grek = "el", Cyrl = "ru", Armn = "hy", Geor = "ka", Ethi = "am", Deva = "hi",
                         Beng = "bn", Guru = "pa", Gujr = "gu", Orya = "or", Taml = "ta", Telu = "te",
                         Knda = "kn", Mlym = "ml"}

local function script_of(code) return tostring(hb.unicode.script(code)) end

-- Whether a character belongs to the cluster before it: marks, joiners and
-- selectors, an emoji that a joiner joins to the one before, emoji
-- modifiers and tags, and the second of a pair of regional indicators (a
-- flag).
local function continues(code, script, mark, emoji, previous, pairs_before)
  if mark or script == "Zinh" or (previous == kJoiner and emoji) then return true end
  if (code >= 0x1F3FB and code <= 0x1F3FF) or (code >= 0xE0020 and code <= 0xE007F) then return true end
  if code >= 0x1F1E6 and code <= 0x1F1FF and previous >= 0x1F1E6 and previous <= 0x1F1FF then
    return pairs_before % 2 == 1
  end
  return false
end

-- A bidi class's direction: "l", "r" or "al" for a strong letter, else nil.
local function strong(code)
  local data = Babel.characters[code]
  local class = data and data.d
  if not class then
    for _, range in ipairs(Babel.ranges) do
      if code < range[1] then break end
      if code <= range[2] then class = range[3] break end
    end
  end
  class = class or "l"
  if class == "l" or class == "r" or class == "al" then return class end
  return nil
end

local function utf16(codes)
  local parts = {}
  for _, code in ipairs(codes) do
    if code >= 0x10000 then
      code = code - 0x10000
      parts[#parts + 1] = string.format("%04X%04X", 0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF))
    else
      parts[#parts + 1] = string.format("%04X", code)
    end
  end
  return table.concat(parts)
end

local function literal(data)
  local n = node.new(kWhatsit, "pdf_literal")
  n.mode = 1  -- outside the text object, as a bitmap glyph is drawn
  n.data = data
  return n
end

-- The start of a span whose text the PDF gives as these characters.
local function actual_text(codes) return literal("/Span<</ActualText<FEFF" .. utf16(codes) .. ">>>BDC") end

-- The runs of text and their breaks, as offsets in characters, from a file
-- of lines each a run, a tab and its offsets; none where it is missing.
local function read_breaks(path)
  local breaks = {}
  local file = path and io.open(path, "rb")
  if not file then return breaks end
  for line in file:lines() do
    local run, offsets = line:match("^([^\t]+)\t([%d ]+)$")
    if run then
      local set = {}
      for offset in offsets:gmatch("%d+") do set[tonumber(offset)] = true end
      breaks[run] = set
    end
  end
  file:close()
  return breaks
end

function text.set_up(fonts, reports, locale, break_list)
  local self = {}
  local breaks = read_breaks(break_list)
  local day = nil        -- the day whose box is being set, or nil
  local reported = {}    -- the characters reported, by day and code
  local patterns = {}    -- language objects by pattern name
  local direction = luatexbase.new_attribute("wekset@direction")
  -- Set on the characters of a list once it is prepared, as a box's are
  -- when the box is unpacked into a paragraph, so that they are not again:
  -- the font they were in before, Latin Modern at their size.
  local prepared = luatexbase.new_attribute("wekset@prepared")
  -- Set on the characters of a cluster that lost selectors its font does
  -- not know, and on a selector that it knows: which of the texts below is
  -- theirs as written, which the PDF gives for them.
  local selected = luatexbase.new_attribute("wekset@selected")
  local selections = {}
  Babel.attr_dir = direction

  local language = ((locale or "") .. "_"):match("^(%a%a%a?)[_.@]") or "en"
  language = language:lower()
  -- Han characters take the forms of the locale's language where the line
  -- gives no sign of its own.
  local han = "SC"
  if locale then
    if locale:match("^zh_TW") or locale:match("^zh_HK") then
      han = "TC"
    elseif language == "ja" then
      han = "JP"
    elseif language == "ko" then
      han = "KR"
    end
  end

  local function language_id(name)
    if not kPatterns[name] then return nil end
    local file = "hyph-" .. kPatterns[name]
    if patterns[file] == nil then
      patterns[file] = false
      local path = kpse.find_file(file .. ".pat.txt")
      local data = path and io.open(path, "rb")
      if data then
        local object = lang.new()
        object:prehyphenchar(0x2D)
        object:posthyphenchar(0)
        object:patterns(data:read("a"))
        data:close()
        local exceptions = kpse.find_file(file .. ".hyp.txt")
        data = exceptions and io.open(exceptions, "rb")
        if data then
          object:hyphenation(data:read("a"))
          data:close()
        end
        patterns[file] = object:id()
      end
    end
    return patterns[file] or nil
  end
  -- A language that hyphenates nothing, for the scripts without patterns.
  local none = lang.new():id()

  -- The locale's language for text of its script, English for Latin text
  -- in a locale of another, and else the script's main language; none
  -- where the patterns are not installed.
  local function hyphenation_of(script)
    if script == (kLanguageScript[language] or "Latn") then
      return language == "en" and 0 or language_id(language) or none
    end
    if script == "Latn" then return 0 end
    local main = kScriptLanguage[script]
    return main and language_id(main) or none
  end

  -- The day box being set, by its date; nil between them, where characters
  -- that no font has are left out without a word.
  function self.set_day(date) day = date end

  local function report_unprintable(code, package)
    if not day or code >= 0x110000 then return end
    local key = day .. ":" .. code
    if reported[key] then return end
    reported[key] = true
    if package then
      reports.day(day, "cannot print U+%04X (on Debian: apt-get install %s)", code, package)
    else
      reports.day(day, "cannot print U+%04X", code)
    end
  end

  -- Whether a character is a mark, by the Unicode data that luaotfload
  -- ships, read the first time that a character past Latin-1 asks.
  local categories = nil
  local function is_mark(code)
    if code < 0x300 then return false end
    categories = categories or require("luaotfload-characters")
    local category = (categories[code] or {}).category
    return category == "mn" or category == "mc" or category == "me"
  end

  -- The clusters of the list's characters that no font has set yet: runs of
  -- glyph nodes, each with its codes, script and the word it is in.
  local function clusters_of(head)
    local clusters, current, word = {}, nil, 1
    local previous, regional, script = nil, 0, "Zyyy"
    for n in node.traverse(head) do
      local code = n.id == kGlyph and fonts.owns(n.font) and not node.has_attribute(n, prepared) and node.is_char(n)
      if code then
        local own = script_of(code)
        if code >= 0x1F1E6 and code <= 0x1F1FF then regional = regional + 1 else regional = 0 end
        local mark = is_mark(code) or fonts.selector(code)
        if current and previous and continues(code, own, mark, fonts.emoji_code(code), previous, regional - 1) then
          current.nodes[#current.nodes + 1] = n
          current.codes[#current.codes + 1] = code
        else
          -- Common characters, as digits and punctuation, take the script of
          -- the text around them.
          if own ~= "Zyyy" and own ~= "Zinh" then script = own end
          current = {nodes = {n}, codes = {code}, script = script, own = own, word = word}
          clusters[#clusters + 1] = current
        end
        previous = code
      else
        if n.id == kGlue then word = word + 1 end
        if n.id ~= kDisc then current, previous = nil, nil end
      end
    end
    -- A run of a script that shapes across its letters is one cluster for
    -- the choice of its font, so that a word is in one font.
    return clusters
  end

  -- Marks the clusters before which ICU breaks a run of text between
  -- spaces, as wekset-pdf had it write them.
  local function mark_opportunities(head, clusters)
    -- By the nodes' numbers: a node's Lua object is made anew each time.
    local todirect = node.direct.todirect
    local starts = {}
    for _, cluster in ipairs(clusters) do starts[todirect(cluster.nodes[1])] = cluster end
    local run = {}
    local function look_up()
      local codes = {}
      for index, n in ipairs(run) do codes[index] = utf8.char(n.char) end
      local offsets = #run > 1 and breaks[table.concat(codes)]
      if offsets then
        for offset in pairs(offsets) do
          local cluster = run[offset + 1] and starts[todirect(run[offset + 1])]
          if cluster then cluster.opportunity = true end
        end
      end
      run = {}
    end
    for n in node.traverse(head) do
      local code = n.id == kGlyph and node.is_char(n)
      if code and code >= 0x80 and not kEndsRun[code] then
        run[#run + 1] = n
      else
        look_up()
      end
    end
    look_up()
  end

  -- The forms of Han characters for a line: Japanese beside kana, Korean
  -- beside Hangul, else the locale's.
  local function han_of(clusters)
    for _, cluster in ipairs(clusters) do
      if cluster.own == "Hira" or cluster.own == "Kana" then return "JP" end
      if cluster.own == "Hang" then return "KR" end
    end
    return han
  end

  local function remove(head, n)
    head = node.remove(head, n)
    node.free(n)
    return head
  end

  -- A selector that the cluster's font does not know selects nothing in it,
  -- and HarfBuzz would set it invisible; luaotfload would draw the font's
  -- box for a missing glyph beside it. It is left out, and the cluster's
  -- text as written goes with the glyphs that stay, with the pending text of
  -- selectors before it that had no glyph to go with; the text still
  -- pending is returned. The text goes in /ActualText, by the attribute.
  local function drop_selectors(head, one, pending)
    local characters = font.getfont(one.font).characters
    local written = table.move(pending, 1, #pending, 1, {})
    table.move(one.codes, 1, #one.codes, #written + 1, written)
    for k = #one.nodes, 1, -1 do
      local code = one.codes[k]
      if fonts.selector(code) and not characters[code] then
        head = remove(head, one.nodes[k])
        table.remove(one.nodes, k)
        table.remove(one.codes, k)
      end
    end
    if #one.nodes == 0 then return head, written end
    if #one.codes < #written then
      selections[#selections + 1] = written
      for _, n in ipairs(one.nodes) do node.set_attribute(n, selected, #selections) end
    else
      -- A selector that the font knows HarfBuzz sets as an invisible glyph,
      -- which gives back no text of its own: it is given its character.
      for k, n in ipairs(one.nodes) do
        if fonts.selector(one.codes[k]) then
          selections[#selections + 1] = {one.codes[k]}
          node.set_attribute(n, selected, #selections)
        end
      end
    end
    return head, {}
  end

  -- Each cluster in its font; one that no font has is left out.
  local function set_fonts(head, clusters)
    local forms = han_of(clusters)
    local kept = {}
    local pending = {}
    local i = 1
    while i <= #clusters do
      local cluster = clusters[i]
      -- The codes of the whole run of a script that shapes across clusters,
      -- or of a word of another script but Latin, which Latin Modern has a
      -- few letters of: a word is in one font.
      local last = i
      if cluster.script ~= "Latn" and not kCommon[cluster.script] then
        while clusters[last + 1] and clusters[last + 1].script == cluster.script and
          clusters[last + 1].nodes[1].prev == clusters[last].nodes[#clusters[last].nodes] do
          last = last + 1
        end
      end
      -- The run's font is chosen for its letters: punctuation and digits
      -- (as ":" or "." beside Arabic) take it where it has them, and else a
      -- font of their own, so that a font that lacks them does not give the
      -- whole run to another.
      local codes = {}
      for k = i, last do
        if not kCommon[clusters[k].own] then
          for _, code in ipairs(clusters[k].codes) do codes[#codes + 1] = code end
        end
      end
      local run_font = nil
      if last > i and #codes > 0 then
        run_font = fonts.font_for(codes, cluster.script, font.getfont(cluster.nodes[1].font).size, forms)
      end
      for k = i, last do
        local one = clusters[k]
        local size = font.getfont(one.nodes[1].font).size
        local id, package = run_font, nil
        if id and kCommon[one.own] then
          local characters = font.getfont(id).characters
          for _, code in ipairs(one.codes) do
            if not characters[code] and not fonts.selector(code) then id = nil break end
          end
        end
        if id == nil then id, package = fonts.font_for(one.codes, one.script, size, forms) end
        if id ~= nil then
          one.base = one.nodes[1].font
          if id then
            for _, n in ipairs(one.nodes) do n.font = id end
          end
          one.font = one.nodes[1].font
          head, pending = drop_selectors(head, one, pending)
          if #one.nodes > 0 then kept[#kept + 1] = one end
        else
          for _, code in ipairs(one.codes) do
            if not fonts.selector(code) then report_unprintable(code, package) end
          end
          for _, n in ipairs(one.nodes) do head = remove(head, n) end
        end
      end
      i = last + 1
    end
    return head, kept
  end

  -- A zero width space is a break point, a soft hyphen one with a hyphen.
  -- The break after a hyphen that TeX made is made anew, as a penalty
  -- after the hyphen, with the others.
  local function mark_breaks(head)
    local n = head
    while n do
      local following = n.next
      local code = n.id == kGlyph and fonts.owns(n.font) and node.is_char(n)
      local replace = n.id == kDisc and n.replace
      if n.id == kDisc and (n.subtype == kAutomaticDisc or (replace and replace.char == 0x2D and not replace.next)) then
        n.replace = nil
        if replace then head = node.insert_before(head, n, replace) end
        head = remove(head, n)
      elseif code == kZeroWidthSpace then
        local penalty = node.new(kPenalty)
        penalty.penalty = 0
        head = node.insert_before(head, n, penalty)
        head = remove(head, n)
      elseif code == kSoftHyphen then
        local disc = node.new(kDisc, kExplicitDisc)
        local hyphen = node.copy(n)
        hyphen.char = 0x2D
        disc.pre = hyphen
        disc.penalty = tex.hyphenpenalty
        head = node.insert_before(head, n, disc)
        head = remove(head, n)
      end
      n = following
    end
    return head
  end

  -- Words hyphenated anew, each by its script's or the locale's patterns.
  local function hyphenate(head, clusters)
    local n = head
    while n do
      local following = n.next
      if n.id == kDisc and n.subtype == kRegularDisc then head = remove(head, n) end
      n = following
    end
    -- The hyphenator takes only glyphs marked as characters, which TeX's own
    -- pass, having found no patterns to use, has left unmarked.
    for _, cluster in ipairs(clusters) do
      local id = hyphenation_of(cluster.script)
      for _, glyph in ipairs(cluster.nodes) do
        glyph.lang = id
        glyph.subtype = kCharacter
      end
    end
    lang.hyphenate(head, node.tail(head))
    return head
  end

  -- A web or e-mail address, or a name such as example.com: a "/" or "@"
  -- anywhere, or a "." within; or a code: a word with a digit, "=" or "_",
  -- or a capital after a small letter. Hyphens would change it, so it
  -- breaks without them.
  local function addresses_of(clusters)
    local words = {}
    for index, cluster in ipairs(clusters) do
      local code = cluster.codes[1]
      local first = index == 1 or clusters[index - 1].word ~= cluster.word
      local last = index == #clusters or clusters[index + 1].word ~= cluster.word
      local before = not first and clusters[index - 1].codes[1]
      if code == 0x2F or code == 0x40 or (code == 0x2E and not first and not last) or
        (code >= 0x30 and code <= 0x39) or code == 0x3D or code == 0x5F or
        (before and before >= 0x61 and before <= 0x7A and code >= 0x41 and code <= 0x5A) then
        words[cluster.word] = true
      end
    end
    return words
  end

  local function add_breaks(head, clusters)
    local addresses = addresses_of(clusters)
    for index = 2, #clusters do
      local before, cluster = clusters[index - 1], clusters[index]
      local first = cluster.nodes[1]
      local next_to = before.nodes[#before.nodes].next
      while next_to and next_to.id == kDisc do
        if addresses[cluster.word] and not next_to.replace then
          local disc = next_to
          next_to = next_to.next
          head = remove(head, disc)
        else
          next_to = next_to.next
        end
      end
      if before.word == cluster.word and next_to == first then
        local value = nil
        local after = before.codes[#before.codes]
        -- Korean words break at spaces, between their syllables only where
        -- they must.
        if cluster.opportunity and not (before.own == "Hang" and cluster.own == "Hang") then
          value = 0
        elseif after == 0x2D then
          value = addresses[cluster.word] and kInAddress or tex.exhyphenpenalty
        elseif kSeparable[before.script] and kSeparable[cluster.script] then
          value = (addresses[cluster.word] and kAddressBreak[after]) and kInAddress or kAnywhere
        elseif before.script == cluster.script and before.nodes[#before.nodes].next == first then
          -- The letters of the other scripts join or are shaped together,
          -- which a break point would pull apart before HarfBuzz shapes
          -- them: a word of theirs that is wider than its box breaks at a
          -- discretionary, which luaotfload shapes across, where hyphenation
          -- made none.
          local disc = node.new(kDisc)
          disc.penalty = kAnywhere
          head = node.insert_before(head, first, disc)
        end
        if value then
          local penalty = node.new(kPenalty)
          penalty.penalty = value
          head = node.insert_before(head, first, penalty)
        end
      end
    end
    return head
  end

  -- A bitmap glyph carries no text: its cluster's characters, as HarfBuzz's
  -- shaping left them with it, go with it as the text that the PDF gives
  -- when the page is copied or searched. Readers give a span's text only
  -- for the glyphs drawn in it, so the span holds a space of the text's own
  -- font at each end of the picture, within it, that it may span the
  -- picture; and it is the glyph's only one.
  local properties = node.direct.get_properties_table()
  local function keep_text(head)
    local n = head
    while n do
      local data = n.id == kGlyph and font.getfont(n.font)
      local own = data and properties[node.direct.todirect(n)]
      local base = data and node.has_attribute(n, prepared)
      local selection = data and node.has_attribute(n, selected)
      if data and data.hb and data.hb.shared.haspng and own and (own.glyph_info or "") ~= "" and base and
        not own.wekset_text then
        own.luaotfload_startactualtext, own.luaotfload_endactualtext = nil, nil
        own.wekset_text = true
        node.unset_attribute(n, selected)
        local codes = selections[selection]
        if not codes then
          codes = {}
          for _, code in utf8.codes(own.glyph_info) do codes[#codes + 1] = code end
        end
        local space = node.copy(n)
        space.font, space.char = base, 0x20
        local back = node.new(kKern)
        back.kern = -((font.getfont(base).characters[0x20] or {}).width or 0)
        head = node.insert_before(head, n, actual_text(codes))
        head = node.insert_before(head, n, space)
        head = node.insert_before(head, n, back)
        local last
        head, last = node.insert_after(head, n, node.copy(back))
        head, last = node.insert_after(head, last, node.copy(space))
        head, n = node.insert_after(head, last, literal("EMC"))
      elseif selection then
        -- The glyphs of a cluster that lost its selectors, or a selector's
        -- own, and the kerns that place them, with their text, given once.
        local last, probe = n, n.next
        while probe and (probe.id == kKern or probe.id == kGlyph) do
          if probe.id == kGlyph then
            if node.has_attribute(probe, selected) ~= selection then break end
            last = probe
          end
          probe = probe.next
        end
        for glyph in node.traverse(n) do
          node.unset_attribute(glyph, selected)
          if glyph == last then break end
        end
        head = node.insert_before(head, n, actual_text(selections[selection]))
        head, n = node.insert_after(head, last, literal("EMC"))
      end
      n = n.next
    end
    return head
  end

  -- The order of a line's characters: right to left where its first strong
  -- letter outside an isolate is, as babel's implementation of the
  -- algorithm sets them.
  local function order(head, paragraph)
    local rtl, isolated = false, 0
    for n in node.traverse_id(kGlyph, head) do
      local code = node.is_char(n)
      -- The letters inside an isolate do not count.
      if code and code >= 0x2066 and code <= 0x2068 then
        isolated = isolated + 1
      elseif code == 0x2069 then
        isolated = math.max(0, isolated - 1)
      elseif isolated == 0 then
        local class = code and strong(code)
        if class then
          rtl = class ~= "l"
          break
        end
      end
    end
    if paragraph and head.id == kLocalPar then
      head.dir = rtl and "TRT" or "TLT"
    elseif not paragraph then
      rtl = false
    end
    for n in node.traverse(head) do node.set_attribute(n, direction, rtl and 1 or 0) end
    return Babel.bidi(head, paragraph, rtl and "TRT" or "TLT")
  end

  local function prepare(head, paragraph)
    head = mark_breaks(head)
    local clusters = clusters_of(head)
    if #clusters == 0 then return head end
    mark_opportunities(head, clusters)
    head, clusters = set_fonts(head, clusters)
    head = hyphenate(head, clusters)
    head = add_breaks(head, clusters)
    for _, cluster in ipairs(clusters) do
      for _, n in ipairs(cluster.nodes) do node.set_attribute(n, prepared, cluster.base) end
    end
    return order(head, paragraph)
  end

  -- Runs before luaotfload's shaping, which follows it in each callback.
  for _, name in ipairs({"pre_linebreak_filter", "hpack_filter"}) do
    local shape = luatexbase.remove_from_callback(name, "luaotfload.node_processor")
    luatexbase.add_to_callback(name, function(head, ...)
      head = prepare(head, name == "pre_linebreak_filter")
      local shaped = shape(head, ...)
      if shaped == true then shaped = head elseif not shaped then return shaped end
      return keep_text(shaped)
    end, "wekset.text")
  end

  return self
end

return text
