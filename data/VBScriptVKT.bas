-- Macros of the editor's formula text (Lua 5.4, UTF-8).
--
-- A formula line calls a function of this file with a leading "@" and its
-- arguments separated by ";":   A = @Flaeche(b; h) = #.##
-- The first number a function returns is the value of the call; a text it
-- returns (or passes to SetStrResult) is written in brackets behind the line.
-- The user's own functions belong in VBScriptUSER.bas beside this file, and
-- a position's own macro text is stored with the position.
--
-- Macros have no access to files, programs or the network; each call may
-- run at most 10^8 instructions and a session may hold at most 64 MiB.

-- Area of a rectangle b x h.
function Flaeche(b, h) return b * h end

-- Steel grade by its yield strength fy [kN/cm2].
function Guete(fy)
  if fy >= 35.5 then return fy, "S355" end
  return fy, "S235"
end

-- Document events (optional): the position's name and folder.
function OnInitDocument(name, folder) end
function OnExitDocument(name, folder) end
function OnStartCalculation(name, folder) end
function OnEndCalculation(name, folder) end
