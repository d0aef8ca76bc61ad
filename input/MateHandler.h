// The module's material catalogue: the standard and the user material
// database kept open for the life of the module, the property set of one
// material object (CMateList), the name lists of the dialogs, the start of
// the outside material editor, and the transfer of a position's material
// into the user database.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

class CMateList {
public:
    CMateList();
    // Reads the properties of the element and of every level above it, then
    // evaluates the formulas.
    CMateList(ZVELEM element, int userFlag);
    CMateList(const CMateList& other) = default;
    CMateList& operator=(const CMateList& other) = default;
    ~CMateList() = default;

    // The value text of a property; empty when there is none.
    std::string GetValue(const std::string& shortName) const;
    std::string GetPropertyValue(const std::string& shortName) const { return GetValue(shortName); }
    // Adds one "Eigenschaft" child per stored property element under the
    // parent, each a copy of the stored element's tree.
    void WriteToDom(ZVELEM parent) const;

    bool IsEmpty() const { return m_values.empty(); }
    int GetUserFlag() const { return m_userFlag; }
    ZVELEM GetElement() const { return m_element; }
    int GetPriority() const { return m_priority; }
    const std::map<std::string, std::string>& Values() const { return m_values; }
    const std::map<std::string, std::string>& Formulas() const { return m_formulas; }
    const std::vector<ZVELEM>& Elements() const { return m_elements; }

    // Named numbers defined as variables before the formulas are evaluated.
    std::vector<std::string> m_varNames;
    std::vector<double> m_varValues;

    // Evaluates the formulas (two passes) and writes changed texts back into
    // the stored property elements.
    void EvaluateFormulas();

private:
    void Read(ZVELEM element);

    std::map<std::string, std::string> m_values;    // short name -> value text
    std::map<std::string, std::string> m_formulas;  // short name -> formula (non-empty only)
    int m_userFlag = 0;
    ZVELEM m_element = 0;
    std::vector<ZVELEM> m_elements;  // "Eigenschaft" elements read, all levels
    int m_priority = 1;
};

class CMateHandler {
public:
    // Opens the standard and the user database (start-up log lines around).
    CMateHandler();
    // Closes both databases.
    ~CMateHandler();
    CMateHandler(const CMateHandler&) = delete;
    CMateHandler& operator=(const CMateHandler&) = delete;

    int GetCategoryNames(std::vector<std::string>& names);
    int GetSubcategoryNames(const std::string& category, std::vector<std::string>& names);
    int GetNormNames(const std::string& category, const std::string& subcategory, std::vector<std::string>& names);
    int GetObjectNames(const std::string& category, const std::string& subcategory, const std::string& norm,
                       std::vector<std::string>& names);
    std::string GetDefaultObjectName(const std::string& category, const std::string& subcategory,
                                     const std::string& norm);
    int GetDefaultObjectIndex(const std::string& category, const std::string& subcategory, const std::string& norm);

    void FindObject(CMateList& out, const std::string& category, const std::string& subcategory,
                    const std::string& norm, const std::string& object);

    // Whether the material database (standard or user) holds the object;
    // copies that positions brought along and that were put into the open
    // user database without being saved do not count.
    bool KnowsObject(const std::string& category, const std::string& subcategory, const std::string& norm,
                     const std::string& object);

    ZVELEM FindCategory(const std::string& category, int user);
    ZVELEM FindSubcategory(const std::string& category, const std::string& subcategory, int user);
    ZVELEM FindNorm(const std::string& category, const std::string& subcategory, const std::string& norm, int user);
    // Finds or adds the three levels in the chosen database; returns the norm
    // element (0 when that database is not open).
    ZVELEM EnsurePath(const std::string& category, const std::string& subcategory, const std::string& norm,
                      int user);

    void OpenStandardDb(bool open);
    void OpenUserDb(bool open);
    bool SaveDatabaseOf(ZVELEM element);

    void CheckAgainstDatabase(const std::string& category, const std::string& subcategory, const std::string& norm,
                              ZVELEM positionObject, int silent);
    void OpenMaterialEditor(const std::string& category, const std::string& subcategory, const std::string& norm,
                            const std::string& object, int modeFlag);

    ZVELEM StandardRoot() const { return m_roots[0]; }
    ZVELEM UserRoot() const { return m_roots[1]; }
    const std::string& CacheKey() const { return m_cacheKey; }

    // Name lists never grow beyond this many slots; names with a priority
    // outside it are appended after the slots.
    static constexpr int kMaxPrioritySlots = 1024;

    // "DIN 1045-I" is read as "DIN 1045-1".
    static std::string FixNorm(const std::string& norm);
    // Old reinforcing-steel names under the EC2 norms.
    static std::string MapObjectName(const std::string& category, const std::string& subcategory,
                                     const std::string& norm, const std::string& object);

private:
    // The open roots in search order (standard, user) up to the first closed one.
    std::vector<ZVELEM> OpenRoots() const;
    // The level elements (depth 1: categories, 2: subcategories, 3: norms)
    // of one root that match the given names.
    std::vector<ZVELEM> Matching(ZVELEM root, const std::vector<std::string>& names) const;
    int LevelNames(const std::vector<std::string>& path, std::vector<std::string>& names);

    CMateList m_cached;
    std::string m_cacheKey;
    // Objects a position brought along, put into the user database silently
    // and not saved there.
    std::set<ZVELEM> m_positionCopies;
    ZVELEM m_roots[3] = {0, 0, 0};
};

// The module's one material handler, built on first use.
CMateHandler& GetMateHandler();
// Destroys it (closing the databases); a later use builds it again.
void DestroyMateHandler();
