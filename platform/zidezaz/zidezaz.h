// Cross-section database and thin-walled section calculator.
//
// A section database (".skw" file) holds profiles in folders; it is stored as
// a document of the document library (UTF-8 XML). Databases are addressed by
// an index (>= 0), profiles by a handle (>= 1); both are 32-bit table
// entries, never pointers.
//
// A profile is a set of wall lines (plates along their centre line with a
// thickness at either end). SEKT_PRO_Calculate computes its values:
//  - gross values (area, centroid, second moments and product about the
//    centroid, principal angle) from the plates as solid rectangles; a plate
//    whose end butts into the interior of another plate (a T junction) is cut
//    back to that plate's face, and the root radii of rolled sections
//    (SektWLine::ra / re at such a junction) add their fillets;
//  - thin-walled values along the centre lines: shear centre, warping
//    ordinates about the shear centre and the warping constant, static
//    moments along the walls, St Venant torsion of the open parts
//    (sum of L*t^3/3) and of the closed cells (Bredt, any number of cells);
//  - for a rolled I-section (three plates, equal flanges, root radius > 0)
//    the torsion constant of the open part follows the formula for rolled
//    I-sections with fillets (RolledISectionTorsion below).
// Units: whatever the wall lines are given in (the catalogue uses cm):
// lengths, areas L^2, second moments L^4, warping constant L^6.
//
// Coordinates: y horizontal, z vertical, both as the wall lines give them.
// Warping ordinates are sectorial coordinates with positive sense from y
// towards z (d(omega) = y dz - z dy about the pole).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#include <string>
#include <vector>
#define ZIDEZAZ_API extern "C" __attribute__((visibility("default")))
#else
#define ZIDEZAZ_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Records. Layouts are fixed (callers read them by offset, and some are
// stored as byte arrays in value files); see the static_asserts below.
// ---------------------------------------------------------------------------

// Line types (SektWLine::type).
#define SEKT_WLINE_PLATE 0      // a plate: area, stiffness, stress points
#define SEKT_WLINE_CONNECTOR 1  // a rigid link without area (joins parts)

// One wall line, 88 bytes.
typedef struct SektWLine {
    int8_t type;        // 0  line type (SEKT_WLINE_...)
    int8_t pad[7];      // 1
    double ya, za;      // 8, 16   start point of the centre line
    double ye, ze;      // 24, 32  end point of the centre line
    double ta, te;      // 40, 48  thickness at start and at end
    double ra, re;      // 56, 64  root radius at the start / end junction (0 = none)
    double reserve[2];  // 72, 80  kept and copied, not used by the calculation
} SektWLine;

// Group of a wall line (a tag kept and copied with the line), 24 bytes.
typedef struct SektWLineGroup {
    int32_t group;      // group number
    int32_t flags;
    double reserve[2];
} SektWLineGroup;

// Parameter of a wall line (kept and copied with the line), 24 bytes.
typedef struct SektWLineParam {
    int32_t material;   // material number, 0 = the profile's
    int32_t flags;
    double reserve[2];
} SektWLineParam;

// Gross values ("Gqs"): 17 doubles, 136 bytes. All about the centroid except
// y0/z0, ym/zm (absolute coordinates).
typedef struct SektGqs {
    double A;    // 0    area
    double Ito;  // 8    St Venant torsion constant, open parts
    double Itg;  // 16   St Venant torsion constant, closed cells (It = Ito + Itg)
    double y0;   // 24   centroid y
    double z0;   // 32   centroid z
    double Ayy;  // 40   Iy = integral z^2 dA
    double Ayz;  // 48   Iyz = integral y z dA
    double Azz;  // 56   Iz = integral y^2 dA
    double Ayw;  // 64   integral y w dA (w: stored warping ordinate, pole at the origin)
    double Azw;  // 72   integral z w dA
    double Aww;  // 80   integral w^2 dA
    double phi;  // 88   angle of the major principal axis from y towards z, radians
    double ym;   // 96   shear centre y
    double zm;   // 104  shear centre z
    double Byy;  // 112  integral z (y^2 + z^2) dA (about the centroid, thin-walled)
    double Bzz;  // 120  integral y (y^2 + z^2) dA (about the centroid, thin-walled)
    double Bww;  // 128  warping constant about the shear centre
} SektGqs;

// A coordinate pair of the dimension record.
typedef struct SektPoint {
    double y, z;
} SektPoint;

#define SEKT_SQS_POINTS 16

// Dimension record ("Sqs"): the recognised shape and its dimensions, and the
// characteristic points of the section (flange tips, web ends), 336 bytes.
// Ptyp: 0 = I-section (two flanges and a web, flanges centred on the web),
// -1 = no recognised shape. Ptyp2: 0 = rolled (root radius > 0),
// 1 = welded / plates.
typedef struct SektSqs {
    int32_t Ptyp;          // 0
    int32_t Ptyp2;         // 4
    double hs;             // 8    overall height h (outer face to outer face)
    double ts;             // 16   web thickness
    double bo, to;         // 24, 32  top flange width and thickness
    double bu, tu;         // 40, 48  bottom flange width and thickness
    double ro, ru;         // 56, 64  root radius web/top flange, web/bottom flange
    int32_t nPoints;       // 72   number of valid points
    int32_t pad;           // 76
    SektPoint pt[SEKT_SQS_POINTS];  // 80
} SektSqs;

// Partial section ("Tqs"), 184 bytes. A profile reports one partial section
// holding all its wall lines.
typedef struct SektTqs {
    double ymi, yma;   // 0, 8     extent in y
    double zmi, zma;   // 16, 24   extent in z
    double y0, z0;     // 32, 40   centroid
    double w0;         // 48      constant added to normalise the warping ordinates
    double nCells;     // 56      number of closed cells
    double ym, zm;     // 64, 72   shear centre
    double A;          // 80
    double Ito;        // 88      torsion constant, open parts
    double Itg;        // 96      torsion constant, closed cells
    double Azz;        // 104     integral y^2 dA (about the centroid)
    double Ayy;        // 112     integral z^2 dA
    double phi;        // 120     principal angle, radians (as SektGqs::phi)
    double Ayz;        // 128     integral y z dA
    double Ayw;        // 136
    double Azw;        // 144
    double Aww;        // 152
    double Aline;      // 160     area of the centre-line model (without fillets)
    double Bww;        // 168     warping constant about the shear centre
    double It;         // 176     Ito + Itg
} SektTqs;

// Wall element of a partial section ("Tqe"), 192 bytes. Coordinates are
// those of the plate as counted (a plate cut back at a T junction starts at
// the face of the plate it butts into). Static moments are the values at
// the element's start, accumulated in the direction start -> end, relative
// to the centroid of the centre-line model and the root fillets, with the
// circulating parts of closed cells included; a root fillet counts with
// the stem it widens, from the face the stem butts into. Warping ordinates
// are about the origin, normalised (see SektTqs::w0), so that
// w_M = w - (z*ym - y*zm) is the ordinate about the shear centre.
typedef struct SektTqe {
    int32_t type;        // 0   line type
    int32_t line;        // 4   index of the wall line it comes from
    double ta, te;       // 8, 16  thickness at start and end
    double fa;           // 24  start factor of the static moments (0)
    double area;         // 32  area of the element
    double ya, ye;       // 40, 48
    double za, ze;       // 56, 64
    double wa, we;       // 72, 80  warping ordinate at start and end
    double Sya, Sye;     // 88, 96   integral (y - yc) dA at start / end
    double Sza, Sze;     // 104, 112 integral (z - zc) dA
    double Swa, Swe;     // 120, 128 integral (w - wc) dA
    double qT;           // 136 shear flow of a closed cell per unit torque (0 on open parts)
    double L;            // 144 length
    int32_t exclude;     // 152 nonzero: not a plate (no stress points)
    int32_t pad;         // 156
    double r[4];         // 160 root radii: start left, start right, end left, end right
} SektTqe;

// Drawing point, 24 bytes. kind -1: first point of a polygon, 0 and 1: next
// point, 2 (-2): centre of an arc from the previous to the next point,
// turning positively, from y towards z (negatively).
typedef struct SektDrawPoint {
    double x, y;
    int32_t kind;
    int32_t pad;
} SektDrawPoint;

// Reference point of a calculated section (ZAZUZER_RefPoint): the centroid.
typedef struct ZazRefPoint {
    double y, z;
} ZazRefPoint;

#ifdef __cplusplus
static_assert(sizeof(SektWLine) == 88 && offsetof(SektWLine, ya) == 8 && offsetof(SektWLine, ze) == 32 &&
              offsetof(SektWLine, ta) == 40 && offsetof(SektWLine, te) == 48 && offsetof(SektWLine, ra) == 56 &&
              offsetof(SektWLine, reserve) == 72, "wall line layout");
static_assert(sizeof(SektWLineGroup) == 24 && sizeof(SektWLineParam) == 24, "group/param layout");
static_assert(sizeof(SektGqs) == 136 && offsetof(SektGqs, y0) == 24 && offsetof(SektGqs, z0) == 32 &&
              offsetof(SektGqs, Ayy) == 40 && offsetof(SektGqs, Azz) == 56 && offsetof(SektGqs, Bww) == 128,
              "gross record layout");
static_assert(sizeof(SektSqs) == 336 && offsetof(SektSqs, hs) == 8 && offsetof(SektSqs, pt) == 80, "dimension record layout");
static_assert(sizeof(SektTqs) == 184 && offsetof(SektTqs, y0) == 32 && offsetof(SektTqs, w0) == 48 &&
              offsetof(SektTqs, nCells) == 56 && offsetof(SektTqs, ym) == 64 && offsetof(SektTqs, A) == 80 &&
              offsetof(SektTqs, Ito) == 88 && offsetof(SektTqs, Itg) == 96 && offsetof(SektTqs, Azz) == 104 &&
              offsetof(SektTqs, Ayy) == 112 && offsetof(SektTqs, Ayz) == 128 && offsetof(SektTqs, Bww) == 168,
              "partial section layout");
static_assert(sizeof(SektTqe) == 192 && offsetof(SektTqe, ta) == 8 && offsetof(SektTqe, te) == 16 &&
              offsetof(SektTqe, fa) == 24 && offsetof(SektTqe, ya) == 40 && offsetof(SektTqe, ye) == 48 &&
              offsetof(SektTqe, za) == 56 && offsetof(SektTqe, ze) == 64 && offsetof(SektTqe, wa) == 72 &&
              offsetof(SektTqe, we) == 80 && offsetof(SektTqe, Sya) == 88 && offsetof(SektTqe, Sza) == 104 &&
              offsetof(SektTqe, Swa) == 120 && offsetof(SektTqe, qT) == 136 && offsetof(SektTqe, L) == 144 &&
              offsetof(SektTqe, exclude) == 152 && offsetof(SektTqe, r) == 160,
              "wall element layout");
static_assert(sizeof(SektDrawPoint) == 24, "drawing point layout");
#endif

// ---------------------------------------------------------------------------
// Databases
// ---------------------------------------------------------------------------
// Open modes: 0 read an existing file; 2 open an existing file for writing;
// 3 open for writing, creating an empty database when the file is missing.
// Returns the database index (>= 0) or -1 (missing or damaged file: a message
// says why for a damaged file). The same file may be open several times,
// each open gets its own index.
ZIDEZAZ_API int SEKT_DB_Open(const char* fileName, int mode);
ZIDEZAZ_API int SEKT_DB_Close(int db);  // 0 ok, -1 bad index
// Project paths are backslash paths of folders and the profile name,
// "\folder\name" or "folder\name" alike (leading backslash optional,
// names compared without regard to ASCII case).
// Loads the stored profile into the handle (replacing its content). >= 0 ok,
// -1 bad index/handle, -2 not found.
ZIDEZAZ_API int SEKT_DB_GetProject(int db, const char* path, int pro);
// Stores a copy of the profile under the path (creating folders, replacing a
// profile of that path). 0 ok, < 0 bad arguments.
ZIDEZAZ_API int SEKT_DB_AddProject(int db, const char* path, int pro);
ZIDEZAZ_API int SEKT_DB_SetProject(int db, const char* path, int pro);
// 0 ok, -2 not found.
ZIDEZAZ_API int SEKT_DB_DeleteProject(int db, const char* path);
// Writes the database to fileName, or to its own file when fileName is null
// or empty. 0 ok, -1 failure (message).
ZIDEZAZ_API int SEKT_DB_Save(int db, const char* fileName);
// The database's file path into buf; returns its length (-1 bad index).
ZIDEZAZ_API int SEKT_DB_GetFilePath(int db, char* buf, int bufSize);
// Members of a folder ("" or "\" for the top level, "\IPE" ...): returns the
// kind of the member (0 profile, 1 folder) and its name into buf, or -1 when
// there is none (more). One listing per database at a time.
ZIDEZAZ_API int SEKT_DB_GetFirstFolderMember(int db, const char* folder, char* buf, int bufSize);
ZIDEZAZ_API int SEKT_DB_GetNextFolderMember(int db, char* buf, int bufSize);

// ---------------------------------------------------------------------------
// Profiles
// ---------------------------------------------------------------------------
ZIDEZAZ_API int SEKT_PRO_Create(void);          // handle >= 1, -1 when none can be made
ZIDEZAZ_API int SEKT_PRO_Init(int pro, int flag);  // empties the profile; flag kept for callers. 0 ok
ZIDEZAZ_API int SEKT_PRO_Delete(int pro);       // 0 ok, -1 bad handle
ZIDEZAZ_API int SEKT_PRO_GetType(int pro);      // 0 = wall-line profile, -1 bad handle

ZIDEZAZ_API int SEKT_PRO_GetnWLine(int pro);    // count, -1 bad handle
ZIDEZAZ_API int SEKT_PRO_GetWLine(int pro, int i, SektWLine* line);  // 0 ok, -1
ZIDEZAZ_API int SEKT_PRO_AddWLine(int pro, SektWLine line);         // new index, -1
ZIDEZAZ_API int SEKT_PRO_GetWLineGroup(int pro, int i, SektWLineGroup* g);
// Sets the group of lines first..last.
ZIDEZAZ_API int SEKT_PRO_SetWLineGroup(int pro, int first, int last, const SektWLineGroup* g);
ZIDEZAZ_API int SEKT_PRO_GetWLineParam(int pro, int i, SektWLineParam* p);
ZIDEZAZ_API int SEKT_PRO_SetWLineParam(int pro, int i, const SektWLineParam* p);

// Moves every wall line by (dy, dz); the values are calculated again on the
// next query.
ZIDEZAZ_API int SEKT_PRO_Move(int pro, double dy, double dz);
// 1 = calculated; 0 = nothing to calculate (no plate with area); -1 bad handle.
ZIDEZAZ_API int SEKT_PRO_Calculate(int pro);

// Result queries calculate first when the profile changed. 0 ok, -1 bad
// handle/index or no values (the record is then zero-filled; Sqs gets
// Ptyp -1).
ZIDEZAZ_API int SEKT_PRO_GetResultGqs(int pro, SektGqs* out);
ZIDEZAZ_API int SEKT_PRO_GetResultSqs(int pro, SektSqs* out);
ZIDEZAZ_API int SEKT_PRO_GetnTqs(int pro);             // number of partial sections
ZIDEZAZ_API int SEKT_PRO_GetResultTqs(int pro, int i, SektTqs* out);
ZIDEZAZ_API int SEKT_PRO_GetnTqe(int pro, int i);      // wall elements of partial section i
ZIDEZAZ_API int SEKT_PRO_GetResultTqe(int pro, int i, int k, SektTqe* out);
// Outline points: with pts null, *count receives the number; otherwise up to
// *count points are written and *count set to the number written. 0 ok, -1.
ZIDEZAZ_API int SEKT_PRO_GetDrawingPoints(int pro, SektDrawPoint* pts, int* count);

// Reference point of a calculated section (the centroid). Ordinal 2 of the
// section extension. 0 ok, -1 bad handle.
ZIDEZAZ_API int ZAZUZER_RefPoint(int pro, ZazRefPoint* out);

#ifdef __cplusplus
namespace zidezaz {

// St Venant torsion constant of a rolled I-section with root radius r:
// It = 2*(alpha*D^4 + b*tf^3/3*(1 - 0.63*tf/b)) + (h - 2*tf)*tw^3/3,
// D = ((tf + r)^2 + tw*(r + tw/4)) / (2*r + tf), alpha = (0.1*r/tf + 0.145)*tw/tf.
ZIDEZAZ_API double RolledISectionTorsion(double h, double b, double tw, double tf, double r);

// Folder listing as a vector of (kind, name).
struct FolderMember {
    int kind;  // 0 profile, 1 folder
    std::string name;
};
inline std::vector<FolderMember> ListFolder(int db, const std::string& folder) {
    std::vector<FolderMember> out;
    char buf[512];
    for (int k = SEKT_DB_GetFirstFolderMember(db, folder.c_str(), buf, sizeof buf); k >= 0;
         k = SEKT_DB_GetNextFolderMember(db, buf, sizeof buf))
        out.push_back({k, buf});
    return out;
}

// A wall line from its two points and thickness (root radii 0).
inline SektWLine MakeWLine(double ya, double za, double ye, double ze, double t, double ra = 0, double re = 0) {
    SektWLine w{};
    w.type = SEKT_WLINE_PLATE;
    w.ya = ya; w.za = za; w.ye = ye; w.ze = ze;
    w.ta = t; w.te = t; w.ra = ra; w.re = re;
    return w;
}

}  // namespace zidezaz
#endif
