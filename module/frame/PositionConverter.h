// Brings position files of older programs of the suite up to date in place,
// before the program catalogue decides which module a file belongs to: a
// converter, found by the file's program and module name, rewrites the
// identifying attributes (and splits bracket positions in two).
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "module/frame/ProgDB.h"
#include "platform/zevud/zevud.h"

// One kind of conversion.
class CPositionConversion {
public:
    virtual ~CPositionConversion() = default;
    virtual void Convert(const std::string& path) = 0;
    // The version text of the file being converted.
    std::string m_strVersion;
};

class CPositionConverter : public CPositionConverterHook {
public:
    // Registers the converters of the suite's older programs.
    CPositionConverter();
    ~CPositionConverter() override;
    CPositionConverter(const CPositionConverter&) = delete;
    CPositionConverter& operator=(const CPositionConverter&) = delete;

    // 1 when a converter is registered under program name + module name (it
    // has then converted the file), else 0 and the file is left alone.
    int Convert(const std::string& path, const std::string& progName, const std::string& moduleName,
                const std::string& version);

    // The catalogue's hook: keys compared as module keys (trimmed,
    // lower-cased); the names are read again from the file.
    bool HasConverter(const std::string& moduleKey) const override;
    bool Convert(const std::string& path, const std::string& version) override;

    // Registers a converter under a key (replacing one already there).
    void Register(const std::string& progName, const std::string& moduleName,
                  std::shared_ptr<CPositionConversion> conversion);
    size_t Size() const { return m_map.size(); }

    // The name of the newer roof program's module library in the folder
    // "prog" of the installation root.
    static const char* kNewRoofLibrary;

private:
    std::map<std::string, std::shared_ptr<CPositionConversion>> m_map;
    std::set<std::string> m_moduleKeys;
};

// Sets "bModularisieren" = 1 on the element "info" under the root.
void MarkModularised(ZVDOC doc);

// The process-wide converter (built on first use) and its registration with
// the global catalogue.
CPositionConverter& GetPositionConverter();
void InstallPositionConverter(CProgDB& db);
// Destroys the converter with its table (after the catalogue that uses it).
void ReleasePositionConverter();
