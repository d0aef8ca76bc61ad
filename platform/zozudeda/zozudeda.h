// Macro engine: one script session per editor document, kept by handle.
//
// Macros are written in Lua 5.4 and stored as UTF-8 text files (the ".bas"
// names of the installation). A macro file defines global functions that the
// editor's formulas call ("@Flaeche(b; h)" calls Flaeche) and, optionally, the
// document events OnInitDocument, OnExitDocument, OnStartCalculation and
// OnEndCalculation, each with the position's name and folder:
//
//   function Flaeche(b, h) return b * h end
//   function Guete(fy) if fy >= 35.5 then return fy, "S355" end return fy, "S235" end
//   function OnInitDocument(name, folder) end
//
// A command is a single call, "Name(arg, arg, ...)", whose arguments are
// numbers or double-quoted texts ("" inside a text stands for one quote). It
// is parsed here and never run as code. Of the values a function returns the
// first number is the command's result (0 when there is none) and the first
// text its string result; SetStrResult(text) sets the string result as well.
//
// The sessions are confined: only the base library (without dofile and
// loadfile; load takes text only), string, table, math, utf8 and os.time,
// os.date and os.clock are there, so a macro reaches no file, process or
// network. Each session may hold at most kMemoryLimit bytes and each call
// may run at most kInstructionLimit instructions and kCallSeconds seconds
// (the calls of a session since it was started or cleared kSessionSeconds
// together; a thread beside the interpreter stops a call whose time is up).
// Objects get no finalisers (a __gc metamethod is refused), and the pattern
// functions of the string library take subjects of at most
// kPatternSubjectLimit bytes and kPatternSteps matcher steps. Past any limit
// the call stops with a message that names the macro and the limit.
// print writes to standard error, each line marked as the macro's.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#define ZOZUDEDA_API __attribute__((visibility("default")))

namespace zozudeda {
constexpr std::size_t kMemoryLimit = 64u * 1024u * 1024u;
constexpr long long kInstructionLimit = 100000000;
constexpr int kCallSeconds = 10;
constexpr int kSessionSeconds = 15;
constexpr std::size_t kPatternSubjectLimit = 1000000;
constexpr long long kPatternSteps = 10000000;
// The editor that lets the user correct macro code: given the text, the error
// text and its position (-1 when unknown), it returns the edited text.
using MacroEditor = std::function<std::string(const std::string& text, const std::string& errorText, int line,
                                              int column)>;
}  // namespace zozudeda

// A new session; its handle (never 0), or 0 when no interpreter could be made.
ZOZUDEDA_API int ZOZUDEDA_StartSession();
// Ends a session; an unknown handle is ignored.
ZOZUDEDA_API void ZOZUDEDA_EndSession(int session);
// Forgets every macro of the session (a fresh interpreter, same handle).
ZOZUDEDA_API void ZOZUDEDA_ClearSession(int session);
// Runs a macro file into the session. A file that does not exist loads as
// empty. Result 1 = loaded, 0 = error (ZOZUDEDA_GetLastError).
ZOZUDEDA_API int ZOZUDEDA_LoadMacroFile(int session, const std::string& file);
// Runs macro text into the session; 1 = loaded, 0 = error.
ZOZUDEDA_API int ZOZUDEDA_AddMacro(int session, const std::string& text);
// Runs one command; its number (0 on an error or when none was returned).
// An empty command does nothing and gives 0.
ZOZUDEDA_API double ZOZUDEDA_Execute(int session, const std::string& command);
// The string result of the last command ("" when none).
ZOZUDEDA_API std::string ZOZUDEDA_GetStrResult(int session);
// The error of the last call of the session, "" when it succeeded. line and
// column receive its position (-1 when unknown); both may be null.
ZOZUDEDA_API std::string ZOZUDEDA_GetLastError(int session, int* line = nullptr, int* column = nullptr);
// Lets the user edit macro code through the registered editor; without one
// the text comes back unchanged.
ZOZUDEDA_API std::string ZOZUDEDA_EditMacro(int session, const std::string& text, const std::string& errorText,
                                            int line, int column);
// Registers the editor of ZOZUDEDA_EditMacro (an empty function removes it);
// returns the previous one.
ZOZUDEDA_API zozudeda::MacroEditor ZOZUDEDA_SetMacroEditor(zozudeda::MacroEditor editor);
