#include "module/frame/Registry.h"

#include <unistd.h>

#include <cstring>

CRegistryException::CRegistryException(long errorCode)
    : m_errorCode(errorCode), m_text("Registry error " + std::to_string(errorCode)) {}

namespace {

const char* RootName(HKEY root) {
    switch (root) {
        case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
        case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
        case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
        case HKEY_USERS: return "HKEY_USERS";
        case HKEY_PERFORMANCE_DATA: return "HKEY_PERFORMANCE_DATA";
        case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
        case HKEY_DYN_DATA: return "HKEY_DYN_DATA";
        default: return "Unknown";
    }
}

std::string LocalComputerName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

bool HasWriteAccess(uint32_t access) { return (access & 0x6u) != 0; }  // set value, create sub key

std::string JoinKey(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "\\" + b;
}

// Bytes of a value as the raw kinds hold them.
std::vector<unsigned char> ToBytes(const winsys::RegValue& v, uint32_t& type) {
    std::vector<unsigned char> out;
    switch (v.type) {
        case winsys::RegType::String:
            type = REG_SZ;
            out.assign(v.str.begin(), v.str.end());
            out.push_back(0);
            break;
        case winsys::RegType::Dword:
            type = REG_DWORD;
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v.dword >> (8 * i)) & 0xFF));
            break;
        case winsys::RegType::MultiString:
            type = REG_MULTI_SZ;
            for (const std::string& s : v.multi) {
                out.insert(out.end(), s.begin(), s.end());
                out.push_back(0);
            }
            out.push_back(0);
            break;
        case winsys::RegType::Binary:
            type = REG_BINARY;
            out = v.bin;
            break;
        case winsys::RegType::None: type = REG_NONE; break;
    }
    return out;
}

}  // namespace

CRegistry::CRegistry() { Connect(HKEY_CURRENT_USER, nullptr); }

CRegistry::~CRegistry() { Close(); }

bool CRegistry::Fail(long code) {
    m_errorCode = code;
    return false;
}

bool CRegistry::Succeed() {
    m_errorCode = REG_ERROR_SUCCESS;
    return true;
}

bool CRegistry::HiveOf(winsys::Hive& hive) {
    if (!m_connected) return Fail(REG_ERROR_INVALID_HANDLE);
    if (m_root == HKEY_CURRENT_USER) {
        hive = winsys::Hive::CurrentUser;
        return true;
    }
    if (m_root == HKEY_LOCAL_MACHINE) {
        hive = winsys::Hive::LocalMachine;
        return true;
    }
    // The store holds the current user's and the machine's keys only.
    return Fail(REG_ERROR_NOT_SUPPORTED);
}

bool CRegistry::NeedOpenKey() {
    if (!m_open) return Fail(REG_ERROR_INVALID_HANDLE);
    return true;
}

bool CRegistry::Writable() const { return m_root != HKEY_LOCAL_MACHINE; }

bool CRegistry::Close() {
    m_open = false;
    m_connected = false;
    m_access = 0;
    m_info = {};
    return true;
}

bool CRegistry::Connect(HKEY root, const char* computerName) {
    Close();
    bool remote = computerName != nullptr && *computerName != '\0';
    if (remote && (root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER)) return Fail(REG_ERROR_INVALID_HANDLE);
    if (remote) return Fail(REG_ERROR_BAD_NETPATH);  // no remote registry on this platform
    m_root = root;
    m_connected = true;
    m_computerName = LocalComputerName();
    m_rootKeyName = RootName(root);
    return Succeed();
}

bool CRegistry::Open(const char* name, uint32_t access) {
    if (name == nullptr) return Fail(REG_ERROR_INVALID_PARAMETER);
    m_open = false;
    winsys::Hive hive;
    if (!HiveOf(hive)) return false;
    if (HasWriteAccess(access) && !Writable()) return Fail(REG_ERROR_ACCESS_DENIED);
    if (!winsys::RegKeyExists(hive, name)) return Fail(REG_ERROR_FILE_NOT_FOUND);
    m_open = true;
    m_access = access;
    m_keyName = name;
    return Succeed();
}

bool CRegistry::Create(const char* name, const char* className, uint32_t options, uint32_t access,
                       const void* security, uint32_t* disposition) {
    (void)options;
    (void)security;
    if (name == nullptr) return Fail(REG_ERROR_INVALID_PARAMETER);
    m_open = false;
    winsys::Hive hive;
    if (!HiveOf(hive)) return false;
    bool existed = winsys::RegKeyExists(hive, name);
    if (!existed) {
        if (!Writable()) return Fail(REG_ERROR_ACCESS_DENIED);
        if (!winsys::RegCreateKey(hive, name)) return Fail(REG_ERROR_ACCESS_DENIED);
    } else if (HasWriteAccess(access) && !Writable()) {
        return Fail(REG_ERROR_ACCESS_DENIED);
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    m_open = true;
    m_access = access;
    m_keyName = name;
    m_className = className ? className : "";
    return Succeed();
}

bool CRegistry::DeleteKey(const char* name) {
    if (name == nullptr) return Fail(REG_ERROR_INVALID_PARAMETER);
    winsys::Hive hive;
    if (!HiveOf(hive)) return false;
    if (!Writable()) return Fail(REG_ERROR_ACCESS_DENIED);
    std::string n = name;
    std::string path;
    size_t sep = n.rfind('\\');
    if (sep != std::string::npos) {
        // Open the parent and delete the last part under it.
        std::string oldName = m_keyName;
        bool wasOpen = m_open;
        if (!Open(n.substr(0, sep).c_str(), KEY_ALL_ACCESS)) {
            long code = m_errorCode;
            m_keyName = oldName;
            m_open = wasOpen;
            return Fail(code);
        }
        path = JoinKey(m_keyName, n.substr(sep + 1));
    } else {
        path = JoinKey(m_open ? m_keyName : std::string(), n);
    }
    if (!winsys::RegKeyExists(hive, path)) return Fail(REG_ERROR_FILE_NOT_FOUND);
    if (!winsys::RegDeleteKey(hive, path)) return Fail(REG_ERROR_ACCESS_DENIED);
    return Succeed();
}

bool CRegistry::DeleteValue(const char* name) {
    if (name == nullptr) return Fail(REG_ERROR_INVALID_PARAMETER);
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return false;
    if (!Writable()) return Fail(REG_ERROR_ACCESS_DENIED);
    if (!winsys::RegGetValue(hive, m_keyName, name)) return Fail(REG_ERROR_FILE_NOT_FOUND);
    if (!winsys::RegDeleteValue(hive, m_keyName, name)) return Fail(REG_ERROR_ACCESS_DENIED);
    return Succeed();
}

bool CRegistry::EnumKey(uint32_t index, std::string& name, std::string* className) {
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return false;
    std::vector<std::string> keys = winsys::RegEnumKeys(hive, m_keyName);
    if (index >= keys.size()) return Fail(REG_ERROR_NO_MORE_ITEMS);
    name = keys[index];
    if (className) className->clear();
    return Succeed();
}

bool CRegistry::EnumValue(uint32_t index, std::string& name, uint32_t* type) {
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return false;
    std::vector<std::string> values = winsys::RegEnumValues(hive, m_keyName);
    if (index >= values.size()) return Fail(REG_ERROR_NO_MORE_ITEMS);
    name = values[index];
    if (type) {
        std::optional<winsys::RegValue> v = winsys::RegGetValue(hive, m_keyName, name);
        *type = REG_NONE;
        if (v) ToBytes(*v, *type);
    }
    return Succeed();
}

bool CRegistry::Flush() {
    if (!NeedOpenKey()) return false;
    return Succeed();  // every write of the store is already on disk
}

// The value of that name in the open key; nothing (with the error code set)
// when the name is missing, the key is not open, the hive is not served or
// the value does not exist.
std::optional<winsys::RegValue> CRegistry::ReadValue(const char* name) {
    if (name == nullptr) {
        Fail(REG_ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return std::nullopt;
    std::optional<winsys::RegValue> v = winsys::RegGetValue(hive, m_keyName, name);
    if (!v) Fail(REG_ERROR_FILE_NOT_FOUND);
    return v;
}

// As above, and nothing (invalid parameter) when the value has another type.
std::optional<winsys::RegValue> CRegistry::ReadValue(const char* name, winsys::RegType type) {
    std::optional<winsys::RegValue> v = ReadValue(name);
    if (v && v->type != type) {
        Fail(REG_ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    return v;
}

bool CRegistry::QueryValue(const char* name, uint32_t& type, std::vector<unsigned char>& data) {
    type = REG_NONE;
    data.clear();
    std::optional<winsys::RegValue> v = ReadValue(name);
    if (!v) return false;
    data = ToBytes(*v, type);
    return Succeed();
}

bool CRegistry::GetStringValue(const char* name, std::string& out) {
    out.clear();
    std::optional<winsys::RegValue> v = ReadValue(name, winsys::RegType::String);
    if (!v) return false;
    out = v->str;  // no length limit
    return Succeed();
}

bool CRegistry::GetMultiStringValue(const char* name, std::vector<std::string>& out) {
    out.clear();
    std::optional<winsys::RegValue> v = ReadValue(name, winsys::RegType::MultiString);
    if (!v) return false;
    out = v->multi;
    return Succeed();
}

bool CRegistry::GetDWordValue(const char* name, uint32_t& out) {
    std::optional<winsys::RegValue> v = ReadValue(name, winsys::RegType::Dword);
    if (!v) return false;
    out = v->dword;
    return Succeed();
}

bool CRegistry::GetBinaryValue(const char* name, std::vector<unsigned char>& out) {
    out.clear();
    std::optional<winsys::RegValue> v = ReadValue(name, winsys::RegType::Binary);
    if (!v) return false;
    out = v->bin;
    return Succeed();
}

bool CRegistry::SetValue(const char* name, uint32_t type, const unsigned char* data, size_t length) {
    if (name == nullptr) return Fail(REG_ERROR_INVALID_PARAMETER);
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return false;
    if (!Writable() || !HasWriteAccess(m_access)) return Fail(REG_ERROR_ACCESS_DENIED);
    if (data == nullptr && length != 0) return Fail(REG_ERROR_INVALID_PARAMETER);
    winsys::RegValue v;
    const char* text = reinterpret_cast<const char*>(data);
    switch (type) {
        case REG_SZ: {
            v.type = winsys::RegType::String;
            size_t n = 0;
            while (n < length && text[n] != '\0') ++n;  // stops at the terminating zero
            v.str.assign(text, n);
            break;
        }
        case REG_DWORD:
            if (length < 4) return Fail(REG_ERROR_INVALID_PARAMETER);
            v.type = winsys::RegType::Dword;
            v.dword = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                      static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
            break;
        case REG_MULTI_SZ: {
            v.type = winsys::RegType::MultiString;
            size_t i = 0;
            while (i < length) {
                size_t n = 0;
                while (i + n < length && text[i + n] != '\0') ++n;
                if (n == 0) break;  // the closing empty text
                v.multi.emplace_back(text + i, n);
                i += n + 1;
            }
            break;
        }
        case REG_BINARY:
            v.type = winsys::RegType::Binary;
            v.bin.assign(data, data + length);
            break;
        default: return Fail(REG_ERROR_NOT_SUPPORTED);
    }
    if (!winsys::RegSetValue(hive, m_keyName, name, v)) return Fail(REG_ERROR_ACCESS_DENIED);
    return Succeed();
}

bool CRegistry::SetStringValue(const char* name, const std::string& value) {
    std::vector<unsigned char> bytes(value.begin(), value.end());
    bytes.push_back(0);
    return SetValue(name, REG_SZ, bytes.data(), bytes.size());
}

bool CRegistry::SetMultiStringValue(const char* name, const std::vector<std::string>& values) {
    std::vector<unsigned char> bytes;
    for (const std::string& s : values) {
        if (s.empty()) continue;  // an empty text would end the list
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return SetValue(name, REG_MULTI_SZ, bytes.data(), bytes.size());
}

bool CRegistry::SetDWordValue(const char* name, uint32_t value) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    return SetValue(name, REG_DWORD, bytes, 4);
}

bool CRegistry::SetBinaryValue(const char* name, const std::vector<unsigned char>& data) {
    return SetValue(name, REG_BINARY, data.data(), data.size());
}

bool CRegistry::QueryInfo() {
    winsys::Hive hive;
    if (!NeedOpenKey() || !HiveOf(hive)) return false;
    CRegistryKeyInfo info;
    info.className = m_className;
    for (const std::string& k : winsys::RegEnumKeys(hive, m_keyName)) {
        ++info.subKeys;
        info.maxSubKeyLength = std::max<uint32_t>(info.maxSubKeyLength, static_cast<uint32_t>(k.size()));
    }
    for (const std::string& n : winsys::RegEnumValues(hive, m_keyName)) {
        ++info.values;
        info.maxValueNameLength = std::max<uint32_t>(info.maxValueNameLength, static_cast<uint32_t>(n.size()));
        if (std::optional<winsys::RegValue> v = winsys::RegGetValue(hive, m_keyName, n)) {
            uint32_t type = REG_NONE;
            info.maxValueDataLength =
                std::max<uint32_t>(info.maxValueDataLength, static_cast<uint32_t>(ToBytes(*v, type).size()));
        }
    }
    m_info = info;
    return Succeed();
}

// Hive files, change notification and key security have no counterpart in
// the store of this platform.
bool CRegistry::GetKeySecurity(uint32_t, std::vector<unsigned char>& out) {
    out.clear();
    return Fail(REG_ERROR_NOT_SUPPORTED);
}
bool CRegistry::SetKeySecurity(uint32_t, const std::vector<unsigned char>&) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::Load(const char*, const char*) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::UnLoad(const char*) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::Replace(const char*, const char*, const char*) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::Restore(const char*, uint32_t) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::Save(const char*, const void*) { return Fail(REG_ERROR_NOT_SUPPORTED); }
bool CRegistry::NotifyChange(bool, uint32_t, void*, bool) { return Fail(REG_ERROR_NOT_SUPPORTED); }
