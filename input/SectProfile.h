// The module's layer over the cross-section library: the process-wide table
// of open section databases with reference counts, the section handle class
// CSectProfile, and the profile reference (the element that records a
// profile and its values in a document).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

namespace kurvo {
class Control;
}

class CSectionDbCache {
public:
    CSectionDbCache() = default;
    ~CSectionDbCache();
    CSectionDbCache(const CSectionDbCache&) = delete;
    CSectionDbCache& operator=(const CSectionDbCache&) = delete;

    // The same path again: its count + 1 and the same handle. Otherwise the
    // library opens it; -1 is returned unchanged.
    int Open(const std::string& path, int mode);
    // Count - 1; the file stays open (and the new count is returned) while
    // the count is above 0, else it is closed and 0 returned. -1 for a
    // handle that is not in the table.
    int Close(int handle);
    // Closes every database in the table.
    void CloseAll();

    int RefCount(int handle) const;
    std::string PathOf(int handle) const;

private:
    std::map<std::string, int> m_pathToHandle;
    std::map<int, std::string> m_handleToPath;
    std::map<int, int> m_refCount;
};

// The module's one table, built on first use; DestroySectionDbCache closes
// whatever is still open.
CSectionDbCache& GetSectionDbCache();
void DestroySectionDbCache();

// The four root-radius values of a plate of the profile reference.
using PlateRadii = std::array<double, 4>;

// Writes the profile reference into an element: the three strings, the
// gross values, the dimension values and one "blech" child per plate.
void WriteProfileReference(ZVELEM element, const std::string& dbPath, const std::string& folder,
                           const std::string& profileName, const SektGqs& gross, const SektSqs& dims,
                           const std::vector<PlateRadii>& plates);

// Breaks the arcs of a drawing-point list into straight pieces, the points
// kept in their order (one figure; see OutlineFromDrawingPoints for a whole
// section).
void ContourFromDrawingPoints(const std::vector<SektDrawPoint>& points, int arcSteps, std::vector<double>& x,
                              std::vector<double>& y);

// The outline of a section from its drawing points: the library draws a
// section as figures (each plate and each root fillet a closed figure of its
// own, a figure starting at a point of kind -1) that meet along common edges.
// Each figure's arcs are broken into arcSteps straight pieces, every edge a
// figure shares with another (in the opposite sense) is dropped, and the edges
// left are joined into closed rings (last point = first), so that an I-section
// gives one simple polygon around its flanges, web and fillets. Rings of
// several pieces or of figures that overlap follow one another in the lists.
void OutlineFromDrawingPoints(const std::vector<SektDrawPoint>& points, int arcSteps, std::vector<double>& x,
                              std::vector<double>& y);

// The St. Venant torsion constant of a rolled I-section with root radius.
// Computed only for an I-section of rolled kind (both type flags 0) with
// equal flanges (widths and thicknesses within 1e-5); otherwise it is left
// as it stands and false is returned.
bool CalcRolledISectionTorsion(int ptyp, int ptyp2, double bo, double to, double bu, double tu, double tw, double h,
                               double r, double& it);

class CSectProfile {
public:
    CSectProfile() = default;
    CSectProfile(const CSectProfile&) = default;
    CSectProfile& operator=(const CSectProfile&) = default;

    int Create(int flag);
    int Release();
    bool IsValid() const { return m_handle > 0; }
    int GetHandle() const { return m_handle; }
    // Names another library section (whoever made it releases it).
    void SetHandle(int handle) {
        m_handle = handle;
        m_calculated = 0;
    }

    int LoadFromDatabase(const char* dbPath, const char* folder, const char* name);
    int SaveToDatabase(const char* dbPath, const char* folder, const char* name);
    int Calculate();
    CSectProfile CopyWeldLines() const;

    void GetGrossValues(SektGqs& out);
    void GetStressValues(SektSqs& out);
    void GetPartValues(SektTqs& out);
    int GetEffValueCount();
    void GetEffValues(SektTqe* out, int count);
    std::string GetSectionValues();
    void GetContour(std::vector<double>& x, std::vector<double>& y, int arcSteps);
    void WriteToDom(ZVELEM element, const std::string& dbPath, const std::string& folder,
                    const std::string& profileName);
    // Draws the plates into the graph control (a CKurvo2D's GetControl())
    // through the section generator (factor: see Shaper_DrawSection); the
    // number of plates, -1 for none.
    int Draw(kurvo::Control* graph, double factor);

private:
    int m_handle = -1;
    uint8_t m_calculated = 0;
};
