// The pages of an editor document: byte buffers, each holding one RTF text
// with its terminating NUL (the size counts the NUL).
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CPageBufferList {
public:
    // A new zero-filled buffer of size bytes, appended; returns it.
    char* Add(int size);
    // A new buffer holding a copy of the bytes.
    char* AddCopy(const void* data, int size);
    // A page holding the text and a terminating NUL.
    void AddText(std::string_view text);
    char* GetBuffer(int i);
    const char* GetBuffer(int i) const;
    int GetBufferSize(int i) const;
    int GetSize() const { return static_cast<int>(m_buffers.size()); }
    void RemoveAll() { m_buffers.clear(); }
    // The page's text up to its first NUL ("" for an index outside).
    std::string GetText(int i) const;
    // Page 0 replaced by the text (the list then holds only that page).
    void SetOnlyText(std::string_view text);

private:
    std::vector<std::vector<char>> m_buffers;
};
