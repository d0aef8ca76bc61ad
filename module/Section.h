// The cross-section of one field: catalogue or section-file profile at the
// field's start (and end, for a haunch), material values, outline, centroid
// and shear centre, with the "section" element of the position document.
#pragma once

#include <string>
#include <vector>

#include "input/SectProfile.h"
#include "platform/zevud/zevud.h"

class CRecordOwner;
class CKurvo2D;
class CRail;

class CSection {
public:
    CSection();
    CSection(const CSection& other);
    CSection& operator=(const CSection& other);
    virtual ~CSection() = default;

    // The defaults, with the catalogue indices of "HEA" / "HEA 200".
    void SetDefault();
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element);

    // The name of the profile in the section file ("PS<field>A" / "...E") or
    // in the catalogue (profile name); end 0 start, 1 end.
    std::string GetProfileKey(int end) const;
    // The material's norm for the catalogue: "DIN 18800" (7), "EC 3" (8),
    // "EC3 NA (DE)" otherwise, "Nachrechnung" for an assessment; "EC9" for
    // aluminium (norm code 34).
    std::string GetMaterialNorm() const;
    std::string GetMaterialCategory() const;
    std::string GetMaterialSubcategory() const;

    // Reloads the outline, centroid, shear centre and profile type of the
    // start (end 0) or end profile (end 1, only for a haunch) and gives the
    // outline's extents. Without a profile to load, the stored outline stays.
    void ComputeGeometry(int end, double& y1, double& z1, double& y2, double& z2);
    // Centroid (x, y) and shear centre (x, y) at t (0 start .. 1 end).
    void InterpolateAt(double t, double& schwerX, double& schwerY, double& schubX, double& schubY) const;
    // The outline at t; for a haunch with outlines of unequal length, the
    // start outline.
    void GetContourAt(double t, std::vector<double>& x, std::vector<double>& y) const;

    // Draws the outline (start profile, or end profile for end 1) into a
    // cell size wide, filled 0xFFD0C0, y to the right and z upwards on the
    // picture, its upper edge at 0. With a rail whose kind is set and crane
    // type 0 the rail stands on top. Returns the width taken: the larger of
    // size and the drawn width (size when nothing can be drawn).
    double DrawOutline(CKurvo2D& graph, double size, const CRail* rail = nullptr, int craneTyp = 0,
                       int end = 0) const;

    std::string m_profFamily;
    std::string m_profName;
    std::string m_profName2;
    std::string m_strMaterial;
    int m_iFamily = 0;
    int m_iProfile = 0;
    int m_iProfile2 = 0;
    int m_iReserved = 0;
    int m_iNorm = 7;
    int m_profSelType = 0;
    double m_gamma = 78.5;
    double m_gamma_m = 1.0;
    double m_gamma_m1 = 1.1;
    double m_strength = 235.0;
    double m_gamma_mf = 1.15;
    CSectProfile m_profile;
    CSectProfile m_profile2;
    int m_iReserved2 = 1;
    CRecordOwner* m_pOwner = nullptr;
    int m_iField = -1;
    std::vector<double> m_contourX, m_contourY;
    std::vector<double> m_contourX2, m_contourY2;
    double m_schwerX = 0, m_schwerY = 0, m_schwerX2 = 0, m_schwerY2 = 0;
    double m_schubX = 0, m_schubY = 0, m_schubX2 = 0, m_schubY2 = 0;
    double m_rotAngle = 0;
    int m_bMirrorY = 0;
    int m_bMirrorZ = 0;
    int m_bVoute = 0;
    int m_nTeilung = 10;
    int m_ptyp = -1;
    // A parametric section's type and dimensions of the section generator
    // (type 0: wall lines without dimensions), at the start and the end.
    int m_nShapeType = 0;
    std::vector<double> m_shapeDims;
    int m_nShapeType2 = 0;
    std::vector<double> m_shapeDims2;
    // The name of the material description the position carries ("mate"),
    // "" when it carries none.
    std::string m_strCarriedMaterial;

    // True when the steel grade can be calculated: the material database
    // holds it (a description the position carries under that name does not
    // count).
    bool MaterialKnown() const;

private:
    void ReadMaterial(ZVELEM element);
    void LookUpCatalogue(bool report);
    std::string SectionFile() const;
};
