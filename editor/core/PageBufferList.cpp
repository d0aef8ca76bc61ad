#include "editor/core/PageBufferList.h"

#include <cstring>

char* CPageBufferList::Add(int size) {
    m_buffers.emplace_back(static_cast<size_t>(size > 0 ? size : 0), '\0');
    return m_buffers.back().data();
}

char* CPageBufferList::AddCopy(const void* data, int size) {
    char* p = Add(size);
    if (size > 0 && data) std::memcpy(p, data, static_cast<size_t>(size));
    return p;
}

void CPageBufferList::AddText(std::string_view text) {
    char* p = Add(static_cast<int>(text.size()) + 1);
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
}

char* CPageBufferList::GetBuffer(int i) {
    return i >= 0 && i < GetSize() ? m_buffers[static_cast<size_t>(i)].data() : nullptr;
}

const char* CPageBufferList::GetBuffer(int i) const {
    return i >= 0 && i < GetSize() ? m_buffers[static_cast<size_t>(i)].data() : nullptr;
}

int CPageBufferList::GetBufferSize(int i) const {
    return i >= 0 && i < GetSize() ? static_cast<int>(m_buffers[static_cast<size_t>(i)].size()) : 0;
}

std::string CPageBufferList::GetText(int i) const {
    if (i < 0 || i >= GetSize()) return std::string();
    const std::vector<char>& b = m_buffers[static_cast<size_t>(i)];
    const void* nul = std::memchr(b.data(), 0, b.size());
    const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - b.data()) : b.size();
    return std::string(b.data(), n);
}

void CPageBufferList::SetOnlyText(std::string_view text) {
    RemoveAll();
    AddText(text);
}
