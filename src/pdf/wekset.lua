-- wekset's side of LuaTeX, set up once by hangul.sty: its reports
-- (wekset-reports.lua), the fonts (wekset-fonts.lua), how every box's text
-- is set (wekset-text.lua) and the pages (wekset-page.lua). Each module
-- returns a table whose set_up makes its state; this one joins them.
local wekset = {}

-- The fonts that wekset-pdf lists from fontconfig, in TeX's directory.
local kFontList = "wekset-fonts.txt"

-- Where lines may break inside the runs of text between spaces, which
-- wekset-pdf asks ICU for, in TeX's directory.
local kBreakList = "wekset-breaks.txt"

-- The language of the calendar's text, for its hyphenation and its Han
-- forms, is wekset-pdf's --lang, else the locale's, which wekset-pdf
-- passes on as WEKSET_LANG: LuaTeX sets LC_CTYPE for itself.

function wekset.set_up()
  local reports = require("wekset-reports").set_up()
  local fonts = require("wekset-fonts").set_up(kFontList)
  local text = require("wekset-text").set_up(fonts, reports, os.getenv("WEKSET_LANG"), kBreakList)
  return {page = require("wekset-page").set_up(text, reports)}
end

return wekset
