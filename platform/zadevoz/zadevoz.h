// RTF report writer: one open report document per process (shared by the
// host, DlgRigel and Tovik), its current table and row mode, and a small
// settings store. Every report of the system goes through these calls.
//
// The operations keep the ordinals by which the report writers know them
// (noted at each function). Texts handed to the paragraph and cell calls are
// RTF: control words and groups pass unchanged; characters outside ASCII
// (UTF-8) are written as RTF escapes; unbalanced braces are repaired so that
// the document always stays well formed.
//
// The document goes to a temporary file beside its file while it is written
// (memory use does not grow with its length) and replaces its file when it is
// closed: an existing file is replaced only by a complete report.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#define ZADEVOZ_API __attribute__((visibility("default")))

namespace zadevoz {

// ordinal 22: reset. Forgets an open document (its file is left as it was),
// the output file set by ordinal 26 and any open table.
ZADEVOZ_API void RtfResetReport();

// ordinal 26: the output file (a full path) of the next document opened with
// an empty file name.
ZADEVOZ_API void RtfSetOutputFile(const std::string& path);

// ordinal 1: opens a document.
//   fileName    the ".rtf" file; "" takes the one set by ordinal 26.
//   noPageNum   1 = no page numbers in the page header.
//   flags       accepted; no effect on the layout.
//   firstPage   number of the first page (values below 1 count as 1).
//   header      NUL-separated "key=value" fields ending in an empty field
//               (two NULs), or bare fields: "Name=", "Titel=", "Version=",
//               "@T=" (free text), "@A=" (project), "@P=" (position) and
//               "nologo" (no customer lines in the page header).
// Result 1 = open, 0 = not opened (no file name, or the file cannot be
// written, e.g. its folder is missing or the file is write-protected).
// A document still open is closed (written) first.
ZADEVOZ_API int RtfOpenDocument(const std::string& fileName, int noPageNum, int flags, int firstPage,
                                std::string_view header);
// A header block given as a character array (a literal such as
// "nologo\0\0" or a formatted buffer): read up to its end, not to its first NUL.
template <std::size_t N>
inline int RtfOpenDocument(const std::string& fileName, int noPageNum, int flags, int firstPage,
                           const char (&header)[N]) {
    return RtfOpenDocument(fileName, noPageNum, flags, firstPage, std::string_view(header, N ? N - 1 : 0));
}

// A document kept in memory instead of a file (a part that is stored
// elsewhere, such as in the position): opened as ordinal 1 opens a file,
// written and closed (ordinal 2) as any document. Its bytes, exactly those
// its file would hold, are then taken with RtfTakeMemoryDocument. Result 1.
ZADEVOZ_API int RtfOpenMemoryDocument(int noPageNum, int flags, int firstPage, std::string_view header);
template <std::size_t N>
inline int RtfOpenMemoryDocument(int noPageNum, int flags, int firstPage, const char (&header)[N]) {
    return RtfOpenMemoryDocument(noPageNum, flags, firstPage, std::string_view(header, N ? N - 1 : 0));
}
// The bytes of the memory document closed last, once; false when there is
// none (none was closed since, or they were taken already).
ZADEVOZ_API bool RtfTakeMemoryDocument(std::string& bytes);

// ordinal 2: closes the document and writes its file. An open table is ended
// first. Result 1 = written; 0 = nothing open or the file could not be written
// (then a message goes through the message sink).
ZADEVOZ_API int RtfCloseDocument(int unused = 0);

// ordinal 3: raw RTF inserted unchanged. A complete RTF document ("{\rtf1 ...")
// is merged: its body is inserted with its fonts and colours mapped.
ZADEVOZ_API int RtfWriteRaw(std::string_view rtf);

// ordinal 7: paragraph with a style:
//   0 body, 1 title, 2 chapter, 3 section, 4 diagram caption,
//   -1 .. -5 headings (-1 the highest; lower numbers take the lowest level),
//   -10 RTF inserted unchanged (as ordinal 3).
// Other numbers are written as body text. An open table is ended first.
ZADEVOZ_API int RtfWriteText(int style, std::string_view text);

// ordinal 9: picture. An enhanced metafile, PNG or JPEG file, embedded at once
// (the caller may overwrite or delete the file right after). Width and height
// in cm; 0 for both means the picture's own size, 0 for one of them keeps the
// picture's proportions. Call sites: (name, 1, w, h) from the kernel and
// (name, 0, 0, 0, 0, 0) from the report writers. Result 1 = embedded,
// 0 = missing or unreadable picture (a message goes through the message sink).
ZADEVOZ_API int RtfInsertPicture(const std::string& fileName, int flag = 0, double widthCm = 0,
                                 double heightCm = 0, double reserved1 = 0, double reserved2 = 0);
// ordinal 10: picture as ordinal 9, placed at the left margin instead of centred.
ZADEVOZ_API int RtfInsertPictureLeft(const std::string& fileName, int flag = 0, double widthCm = 0,
                                     double heightCm = 0, double reserved1 = 0, double reserved2 = 0);

// A picture held in memory (the bytes of an enhanced metafile, PNG or JPEG
// file), embedded as ordinal 9 (centred) or, with left, as ordinal 10. name
// only names the picture in a message. Result 1 = embedded, 0 = not a
// readable picture or no open document.
ZADEVOZ_API int RtfInsertPictureBytes(std::string_view bytes, double widthCm, double heightCm, bool left = false,
                                      const std::string& name = "");

// A picture whose bytes (as for RtfInsertPictureBytes) make returns: it is
// made on a thread of the document's own while the document is written on,
// and stands at this place as if its bytes had been given here (an open
// table is ended here). The document waits for it at the latest when it is
// closed. Bytes that are no readable picture are said then and embed nothing.
// Result 1 = placed, 0 = no open document.
ZADEVOZ_API int RtfInsertPictureMade(std::function<std::string()> make, double widthCm, double heightCm,
                                     bool left = false, const std::string& name = "");

// ordinal 35: appends an RTF file's content (its body, fonts and colours
// mapped onto the document's own). The caller may delete the file after the
// call. Result 1 = appended, 0 = missing or unreadable file (message).
ZADEVOZ_API int RtfAppendFile(const std::string& fileName, const std::string& unused1 = "", int unused2 = 10,
                              int unused3 = 0);

// The content of an RTF file held in memory, appended as ordinal 35 appends
// the file; name only names it in a message.
ZADEVOZ_API int RtfAppendBytes(std::string_view rtf, const std::string& name);

// ordinal 11: begins a table of n columns with the given widths (cm). Cells
// fill rows of n. An open table is ended first.
ZADEVOZ_API int RtfBeginTable(int columns, const double* widthsCm);
ZADEVOZ_API int RtfBeginTable(const std::vector<double>& widthsCm);
// ordinal 12: row mode, 1 header rows, 0 body rows. It applies to the row that
// is being filled (empty leading cells may come before it) and the rows after.
ZADEVOZ_API int RtfBeginRow(int header);
// ordinal 18: text cell (RTF text).
ZADEVOZ_API int RtfWriteCell(std::string_view rtf);
// ordinal 15: integer cell. In the format, "@" and a digit d is replaced by the
// value with d decimals; other characters are copied ("K @0" -> "K 12").
ZADEVOZ_API int RtfWriteIntCell(std::string_view format, int value);
// ordinal 17: number cell, same rule ("@2" with 3.14159 -> "3.14").
ZADEVOZ_API int RtfWriteNumberCell(std::string_view format, double value);
// ordinal 14: ends the table; a row left incomplete is filled with empty cells.
ZADEVOZ_API int RtfEndTable();

// ordinal 24: shows a message through the message sink. The text may start
// with a kind letter and a blank ("W Bitte erst Word Schließen!"): W warning,
// E or F error, I or H information.
ZADEVOZ_API void RtfMessage(std::string_view text);

// ordinal 23: the settings channel.
//   "gets/NAME" (or a bare "NAME") returns the stored setting, or
//   defaultValue when there is none. "VK-Version/zadevoz" answers the
//   library's version ("V2").
//   "sets/NAME" stores value persistently (registry) and returns it.
// Names used: "Lister", "Customer0" .. "Customer4", "Vorlage", "Projekt",
// "Position". Names compare without regard to case.
ZADEVOZ_API std::string RtfSettings(std::string_view request, std::string_view value = {});

// Helper of the cell and paragraph calls, public for the callers' tests:
// applies the "@d" number rule to a format.
ZADEVOZ_API std::string FormatCellNumber(std::string_view format, double value);

}  // namespace zadevoz
