// Document library: a tree of named elements with named, typed attributes,
// stored as UTF-8 XML. Every document and element is addressed by a 32-bit
// handle from a handle table (never a pointer); 0 means "none".
//
// The C interface is what every module and the kernel call. Texts are
// returned through caller buffers (the call returns the full length, so a
// caller may ask with a null buffer first); the inline C++ helpers at the end
// of this header wrap that into std::string.
//
// Threads: calls on different documents run side by side (each document has
// its own lock, held for the call's work on it); calls on one document are
// taken one after the other. A copy between two documents locks both.
// Closing a document that another thread still uses is the caller's fault,
// but only that document's handles are affected: they are refused from then
// on. Messages are shown after the call has let go of every document.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
#include <string>
#include <vector>

#include "platform/common/buffer_text.h"
#define ZEVUD_API extern "C" __attribute__((visibility("default")))
#else
#define ZEVUD_API __attribute__((visibility("default")))
#endif

typedef uint32_t ZVDOC;   // document handle, 0 = none
typedef uint32_t ZVELEM;  // element handle, 0 = none

// ---- documents ---------------------------------------------------------
// Creates an empty document with a root element "root". The file name may be
// empty (an unnamed document); it becomes the name used by ZEVUD_SaveDoc.
// File names everywhere: a backslash reads as '/' unless the name is a real
// file as written; relative names are taken as full paths from the current
// directory. Texts set that are not UTF-8 are taken as the Windows-1252 code
// page and stored converted, so a saved document is always valid UTF-8.
ZEVUD_API ZVDOC ZEVUD_CreateDoc(const char* fileName);
// Opens a stored document. A name that does not exist exactly is resolved
// case-insensitively within its folder. Returns 0 (and reports a message
// through the message sink) for a missing, damaged or hostile file.
ZEVUD_API ZVDOC ZEVUD_OpenDoc(const char* fileName);
// Like ZEVUD_OpenDoc but silent: no message on failure.
ZEVUD_API ZVDOC ZEVUD_OpenDocQuiet(const char* fileName);
// Saves under the document's own name (temporary file + rename). 1 = ok;
// a failure (no name, a read-only file, a full disk ...) is also said through
// the message sink, and the file on disk stays as it was.
ZEVUD_API int ZEVUD_SaveDoc(ZVDOC doc);
// Saves under a new name; the document takes that name from then on. 1 = ok.
ZEVUD_API int ZEVUD_SaveDocAs(ZVDOC doc, const char* fileName);
// Writes a copy under another name; the document keeps its own name. 1 = ok.
ZEVUD_API int ZEVUD_SaveCopyAs(ZVDOC doc, const char* fileName);
// Holds back the saves of a document under its own file name: while held,
// ZEVUD_SaveDoc (and a ZEVUD_SaveDocAs/ZEVUD_SaveCopyAs to that same file)
// answers 1 and writes nothing, so a run that fails part-way leaves the file
// as it was; the owner of the document saves it after a run it accepts.
// hold 1 holds, 0 releases (nothing is written on release). Returns 1 = ok,
// 0 for a stale handle.
ZEVUD_API int ZEVUD_HoldSaves(ZVDOC doc, int hold);
// 1 when a save was asked for and held back since the hold began.
ZEVUD_API int ZEVUD_SaveWasHeld(ZVDOC doc);
// Closes the document; every handle into it becomes stale. 1 = ok.
ZEVUD_API int ZEVUD_CloseDoc(ZVDOC doc);
// The document that holds an element (0 for a stale handle).
ZEVUD_API ZVDOC ZEVUD_GetDocument(ZVELEM elem);
// The document's full path ("" for an unnamed document). Returns the length.
ZEVUD_API int ZEVUD_GetCompleteFileName(ZVDOC doc, char* buf, int bufSize);
// Serialised document text (UTF-8 XML) into buf; returns the length.
ZEVUD_API int ZEVUD_GetDocText(ZVDOC doc, char* buf, int bufSize);

// Numbers read from a text that is not one complete, finite number ("x1.07",
// "1.07abc", "nan", "inf", "") still give their value as below, but the
// document remembers the first of them: its file, element path, attribute and
// text, as a message; "" when every number read so far was sound. A reader
// asks after reading and refuses the data. The note stays until cleared.
ZEVUD_API int ZEVUD_GetNumberError(ZVDOC doc, char* buf, int bufSize);
ZEVUD_API int ZEVUD_ClearNumberError(ZVDOC doc);

// ---- elements ----------------------------------------------------------
ZEVUD_API ZVELEM ZEVUD_GetRootElement(ZVDOC doc);
// Adds a child at the end; returns its handle (0 on a bad parent or name, or
// when the parent already lies 256 levels deep, the deepest a file may be).
ZEVUD_API ZVELEM ZEVUD_AddChildElement(ZVELEM parent, const char* name);
// Removes the element with its subtree (the root cannot be deleted). 1 = ok.
ZEVUD_API int ZEVUD_DeleteElement(ZVELEM elem);
// Children by name, in document order; 0 when there is none (more).
ZEVUD_API ZVELEM ZEVUD_FindFirstChild(ZVELEM parent, const char* name);
ZEVUD_API ZVELEM ZEVUD_FindNextChild(ZVELEM sibling, const char* name);
// Children whose attribute has exactly the given text.
ZEVUD_API ZVELEM ZEVUD_FindFirstChildWithAttr(ZVELEM parent, const char* attr, const char* value);
ZEVUD_API ZVELEM ZEVUD_FindNextChildWithAttr(ZVELEM sibling, const char* attr, const char* value);
// Children of any name, in document order.
ZEVUD_API ZVELEM ZEVUD_GetFirstChild(ZVELEM parent);
ZEVUD_API ZVELEM ZEVUD_GetNextChild(ZVELEM sibling);
ZEVUD_API int ZEVUD_GetElementName(ZVELEM elem, char* buf, int bufSize);
ZEVUD_API ZVELEM ZEVUD_GetParentElement(ZVELEM elem);
// Replaces the content (attributes and children) of dest by a copy of
// source's (source may lie in another document, or inside dest or around
// it). 1 = ok; 0 when the copy would lie deeper than 256 levels.
ZEVUD_API int ZEVUD_CloneElementTree(ZVELEM dest, ZVELEM source);
// Turns any text into a valid element name (same text in, same name out).
ZEVUD_API int ZEVUD_MakeValidElementName(const char* text, char* buf, int bufSize);

// ---- attributes ---------------------------------------------------------
// Reads convert the stored text: a double read as int truncates, a list
// "1,3,5" read as int gives its leading number, "2.50" read as double gives
// 2.5. A missing attribute (or element 0) gives 0, 0.0 or "".
ZEVUD_API int32_t ZEVUD_GetInt(ZVELEM elem, const char* attr);
ZEVUD_API int ZEVUD_SetInt(ZVELEM elem, const char* attr, int32_t value);
// The default only when the attribute is absent.
ZEVUD_API int32_t ZEVUD_GetIntWithDefault(ZVELEM elem, const char* attr, int32_t def);
// Path of child names separated by '\' below the document's root, e.g.
// "input\system"; the default when an element or the attribute is missing.
ZEVUD_API int32_t ZEVUD_GetIntByPath(ZVDOC doc, const char* path, const char* attr, int32_t def);
ZEVUD_API int64_t ZEVUD_GetInt64(ZVELEM elem, const char* attr);
ZEVUD_API int ZEVUD_SetInt64(ZVELEM elem, const char* attr, int64_t value);
ZEVUD_API double ZEVUD_GetDouble(ZVELEM elem, const char* attr);
ZEVUD_API int ZEVUD_SetDouble(ZVELEM elem, const char* attr, double value);
ZEVUD_API double ZEVUD_GetDoubleWithDefault(ZVELEM elem, const char* attr, double def);
// The number held under the child element of that name (its "value"
// attribute, else its text content); 0.0 when missing.
ZEVUD_API double ZEVUD_GetDoubleUnderNode(ZVELEM elem, const char* childName);
ZEVUD_API int ZEVUD_GetString(ZVELEM elem, const char* attr, char* buf, int bufSize);
ZEVUD_API int ZEVUD_SetString(ZVELEM elem, const char* attr, const char* value);
ZEVUD_API int ZEVUD_HasAttr(ZVELEM elem, const char* attr);
ZEVUD_API int ZEVUD_DeleteAttr(ZVELEM elem, const char* attr);
// Attribute enumeration in stored order; returns the name's length, -1 past
// the end.
ZEVUD_API int ZEVUD_GetAttrCount(ZVELEM elem);
ZEVUD_API int ZEVUD_GetAttrName(ZVELEM elem, int index, char* buf, int bufSize);

// ---- binary data and stored files ----------------------------------------
ZEVUD_API int ZEVUD_GetBinDataLength(ZVELEM elem, const char* attr);
// Copies at most bufSize bytes; returns the number copied.
ZEVUD_API int ZEVUD_GetBinData(ZVELEM elem, const char* attr, void* buf, int bufSize);
// flag is accepted for compatibility (1 = store compressed-or-plain, same result)
ZEVUD_API int ZEVUD_SetBinData(ZVELEM elem, const char* attr, int length, const void* data, int flag);
// Embeds a file's bytes in an attribute / writes them back to a file. 1 = ok.
ZEVUD_API int ZEVUD_StoreFileInAttr(ZVELEM elem, const char* attr, const char* fileName, int flag);
ZEVUD_API int ZEVUD_LoadFileFromAttr(ZVELEM elem, const char* attr, const char* fileName);

// ---- fingerprints --------------------------------------------------------
// 16 bytes (XXH3-128) of a canonical form of the subtree; independent of the
// file name. 1 = ok, otherwise 16 zero bytes and 0.
ZEVUD_API int ZEVUD_GetFingerPrint(ZVELEM elem, unsigned char out[16]);
// Of a file's bytes; 16 zero bytes when the file cannot be read.
ZEVUD_API int ZEVUD_GetFingerPrintOfFile(const char* fileName, unsigned char out[16]);

#ifdef __cplusplus
// ---- C++ conveniences ------------------------------------------------------
namespace zevud {

inline std::string GetString(ZVELEM e, const std::string& attr) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetString(e, attr.c_str(), b, n); });
}
inline std::string GetCompleteFileName(ZVDOC d) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetCompleteFileName(d, b, n); });
}
inline std::string GetElementName(ZVELEM e) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetElementName(e, b, n); });
}
inline std::string MakeValidElementName(const std::string& text) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_MakeValidElementName(text.c_str(), b, n); });
}
inline std::string GetAttrName(ZVELEM e, int index) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetAttrName(e, index, b, n); });
}
inline std::string GetNumberError(ZVDOC d) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetNumberError(d, b, n); });
}
inline std::string GetDocText(ZVDOC d) {
    return platform_common::FetchText([&](char* b, int n) { return ZEVUD_GetDocText(d, b, n); });
}
inline std::vector<unsigned char> GetBinData(ZVELEM e, const std::string& attr) {
    int n = ZEVUD_GetBinDataLength(e, attr.c_str());
    std::vector<unsigned char> v(n > 0 ? static_cast<size_t>(n) : 0);
    if (n > 0) v.resize(static_cast<size_t>(ZEVUD_GetBinData(e, attr.c_str(), v.data(), n)));
    return v;
}
struct Fingerprint {
    unsigned char bytes[16] = {};
    bool operator==(const Fingerprint&) const = default;
};
inline Fingerprint FingerPrint(ZVELEM e) {
    Fingerprint f;
    ZEVUD_GetFingerPrint(e, f.bytes);
    return f;
}
inline Fingerprint FingerPrintOfFile(const std::string& file) {
    Fingerprint f;
    ZEVUD_GetFingerPrintOfFile(file.c_str(), f.bytes);
    return f;
}

}  // namespace zevud
#endif
