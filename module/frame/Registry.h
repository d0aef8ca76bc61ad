// Registry access: a thin class over the registry store of the platform
// layer. Every operation answers true or false and keeps an error code; the
// class never throws.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"

// The predefined roots.
using HKEY = uintptr_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

// Access rights (only read and write matter here).
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t KEY_WRITE = 0x20006;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

// Value kinds.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;

// Error codes kept by CRegistry.
inline constexpr long REG_ERROR_SUCCESS = 0;
inline constexpr long REG_ERROR_FILE_NOT_FOUND = 2;
inline constexpr long REG_ERROR_ACCESS_DENIED = 5;
inline constexpr long REG_ERROR_INVALID_HANDLE = 6;
inline constexpr long REG_ERROR_NOT_SUPPORTED = 50;
inline constexpr long REG_ERROR_BAD_NETPATH = 53;
inline constexpr long REG_ERROR_INVALID_PARAMETER = 87;
inline constexpr long REG_ERROR_MORE_DATA = 234;
inline constexpr long REG_ERROR_NO_MORE_ITEMS = 259;

// Dispositions of CRegistry::Create.
inline constexpr uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

class CRegistryException : public std::exception {
public:
    explicit CRegistryException(long errorCode);
    const char* what() const noexcept override { return m_text.c_str(); }
    long GetErrorCode() const { return m_errorCode; }

private:
    long m_errorCode;
    std::string m_text;
};

struct CRegistryKeyInfo {
    std::string className;
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLength = 0;
    uint32_t maxClassLength = 0;
    uint32_t values = 0;
    uint32_t maxValueNameLength = 0;
    uint32_t maxValueDataLength = 0;
};

class CRegistry {
public:
    CRegistry();
    virtual ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    virtual const char* ClassName() const { return "CRegistry"; }

    virtual bool Close();
    // The classes root and the current-user root only locally (a computer
    // name gives error 6). Connects to the current user when never called.
    virtual bool Connect(HKEY root = HKEY_CURRENT_USER, const char* computerName = nullptr);
    virtual bool Create(const char* name, const char* className = "", uint32_t options = 0,
                        uint32_t access = KEY_ALL_ACCESS, const void* security = nullptr,
                        uint32_t* disposition = nullptr);
    // A name with backslashes deletes its last part under its parent.
    virtual bool DeleteKey(const char* name);
    virtual bool DeleteValue(const char* name);
    virtual bool EnumKey(uint32_t index, std::string& name, std::string* className = nullptr);
    virtual bool EnumValue(uint32_t index, std::string& name, uint32_t* type = nullptr);
    virtual bool Flush();
    virtual bool GetBinaryValue(const char* name, std::vector<unsigned char>& out);
    virtual std::string GetClassName() const { return m_className; }
    virtual std::string GetComputerName() const { return m_computerName; }
    virtual bool GetDWordValue(const char* name, uint32_t& out);
    virtual long GetErrorCode() const { return m_errorCode; }
    virtual std::string GetKeyName() const { return m_keyName; }
    virtual uint32_t GetSubKeyCount() const { return m_info.subKeys; }
    virtual uint32_t GetValueCount() const { return m_info.values; }
    virtual std::string GetRootKeyName() const { return m_rootKeyName; }
    virtual bool GetKeySecurity(uint32_t what, std::vector<unsigned char>& out);
    virtual bool GetStringValue(const char* name, std::string& out);
    virtual bool GetMultiStringValue(const char* name, std::vector<std::string>& out);
    virtual bool GetValue(const char* name, uint32_t& out) { return GetDWordValue(name, out); }
    virtual bool GetValue(const char* name, std::string& out) { return GetStringValue(name, out); }
    virtual bool GetValue(const char* name, std::vector<std::string>& out) { return GetMultiStringValue(name, out); }
    virtual bool GetValue(const char* name, std::vector<unsigned char>& out) { return GetBinaryValue(name, out); }
    virtual bool Load(const char* subKey, const char* fileName);
    virtual bool NotifyChange(bool watchSubtree, uint32_t filter, void* event, bool async);
    virtual bool Open(const char* name, uint32_t access = KEY_ALL_ACCESS);
    virtual bool QueryInfo();
    // Reads a value of any kind; type REG_NONE when it does not read.
    virtual bool QueryValue(const char* name, uint32_t& type, std::vector<unsigned char>& data);
    virtual bool Replace(const char* subKey, const char* newFile, const char* oldFile);
    virtual bool Restore(const char* fileName, uint32_t flags);
    virtual bool Save(const char* fileName, const void* security = nullptr);
    virtual bool SetBinaryValue(const char* name, const std::vector<unsigned char>& data);
    virtual bool SetDWordValue(const char* name, uint32_t value);
    virtual bool SetKeySecurity(uint32_t what, const std::vector<unsigned char>& data);
    virtual bool SetStringValue(const char* name, const std::string& value);
    virtual bool SetMultiStringValue(const char* name, const std::vector<std::string>& values);
    // Writes raw bytes of a kind: strings with their terminating zero,
    // multi-strings as zero-separated texts closed by an empty one, 32-bit
    // values as four little-endian bytes.
    virtual bool SetValue(const char* name, uint32_t type, const unsigned char* data, size_t length);
    virtual bool SetValue(const char* name, uint32_t value) { return SetDWordValue(name, value); }
    virtual bool SetValue(const char* name, const std::string& value) { return SetStringValue(name, value); }
    virtual bool SetValue(const char* name, const std::vector<std::string>& values) {
        return SetMultiStringValue(name, values);
    }
    virtual bool SetValue(const char* name, const std::vector<unsigned char>& data) { return SetBinaryValue(name, data); }
    virtual bool UnLoad(const char* subKey);

    const CRegistryKeyInfo& KeyInfo() const { return m_info; }
    bool IsOpen() const { return m_open; }

private:
    bool Fail(long code);
    bool Succeed();
    bool NeedOpenKey();
    bool HiveOf(winsys::Hive& hive);
    bool Writable() const;
    std::optional<winsys::RegValue> ReadValue(const char* name);
    std::optional<winsys::RegValue> ReadValue(const char* name, winsys::RegType type);

    HKEY m_root = 0;
    bool m_connected = false;
    bool m_open = false;
    uint32_t m_access = 0;
    long m_errorCode = REG_ERROR_SUCCESS;
    std::string m_className;
    std::string m_computerName;
    std::string m_keyName;
    std::string m_rootKeyName;
    CRegistryKeyInfo m_info;
};
