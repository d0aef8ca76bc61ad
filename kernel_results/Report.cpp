// The calculation report: file, header, chapters, tables and pictures.
#include "kernel_results/Report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel_results/ReportDrawing.h"
#include "kernel_results/ResultWriter.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"
#include "platform/zidezaz/zidezaz.h"

namespace tovik::report {

using winsys::FormatC;
namespace z = zadevoz;

namespace {

constexpr double kPicW = 159, kPicH = 46;

std::string Tr(const std::string& text) { return lingo::Translate("VKT Ausgabe", "velor_o_rigel", "Druck", text); }

// The bytes of the picture being embedded, reused from picture to picture.
std::vector<uint8_t> gPictureBytes;

void Para(int style, const std::string& text) { z::RtfWriteText(style, text); }

void Header(std::initializer_list<const char*> cells) {
    for (const char* c : cells) z::RtfWriteCell(std::string("\\qc ") + Tr(c));
}

// Draws one picture kind into a metafile in memory and embeds it; returns
// the drawing's result (-1: a diagram with nothing to show).
template <class Draw>
int32_t Picture(double w, double h, int32_t pageW, int32_t pageH, Draw draw, bool left = false) {
    const HDC dc = emf::CreateMemoryEnhMetaFile(pageW, pageH);
    if (!dc) return 0;
    const PageRect r{0, 0, pageW, pageH};
    MarkPictureCorners(dc, r);
    const int32_t result = draw(dc, r);
    SetDrawingFontHeight(pageH);
    const emf::HENHMETAFILE mf = emf::CloseEnhMetaFile(dc);
    if (!mf) return 0;
    emf::GetEnhMetaFileBits(mf, gPictureBytes);
    emf::DeleteEnhMetaFile(mf);
    if (result < 0) return result;
    z::RtfInsertPictureBytes(std::string_view(reinterpret_cast<const char*>(gPictureBytes.data()), gPictureBytes.size()),
                             w, h, left);
    return result;
}

void EmbedDiagram(RunState& run, const std::vector<std::vector<double>>& curves) {
    const int32_t r = Picture(kPicW / 10, kPicH / 10, RoundToInt(kPicW), RoundToInt(kPicH),
                              [&](HDC dc, const PageRect& pr) { return DrawDiagram(run, dc, pr, curves); });
    if (r < 0) Para(0, Tr("alle Werte < 1e-3"));
}

void SystemLikePicture(RunState& run, int32_t kind) {
    Picture(kPicW / 10, kPicH / 10, RoundToInt(kPicW), RoundToInt(kPicH), [&](HDC dc, const PageRect& pr) {
        DrawSystemPicture(run, dc, pr, kind);
        return 0;
    });
}

const fe::FeCaseResult* Ultimate(RunState& run, int32_t lk) {
    const auto& u = fe::State(run).results.ultimate;
    return lk >= 0 && lk < static_cast<int32_t>(u.size()) ? &u[Z(lk)] : nullptr;
}

double At(const std::vector<double>& v, size_t i) { return i < v.size() ? v[i] : 0.0; }

void WritePositionLabel(const RunState& run, double x, double width) {
    const ModelRecord& m = run.cdltr;
    for (int32_t j = 1; j <= m.nFeld + 1 && j <= limits::kMaxInputNodes; ++j)
        if (std::fabs(m.KnotenPos[Z(j - 1)] - x) < 0.001) {
            z::RtfWriteIntCell("K@0", j);
            return;
        }
    WriteNumberCell(width, x);
}

std::string HingeText(const ModelRecord& m, int32_t h) {
    if (h < 1 || h > m.nGelenkTyp) return "\\qc biegesteif";
    const HingeType& g = m.GelenkTyp[Z(h - 1)];
    std::string s = "\\qc ";
    const int32_t flags[7] = {g.Vx, g.Vy, g.Vz, g.Mx, g.My, g.Mz, g.Mw};
    const char* names[7] = {"N=0", "Qy=0", "Qz=0", "T=0", "My=0", "Mz=0", "Mw=0"};
    for (int k = 0; k < 7; ++k)
        if (flags[k]) s += std::string(names[k]) + ",";
    return s;
}

bool SectionUsed(const ModelRecord& m, int32_t t) {
    for (int32_t i = 0; i < m.nFeld; ++i)
        if (m.Feld_QsA[Z(i)] == t || m.Feld_QsE[Z(i)] == t) return true;
    return false;
}

void CombinationTable(const std::vector<CombinationEntry>& entries) {
    std::vector<double> widths(11, 1.44);
    z::RtfBeginTable(widths);
    z::RtfBeginRow(1);
    Header({"Kollekt.", "Lastf.", "Faktor", "+Lastf.", "Faktor", "+Lastf.", "Faktor", "+Lastf.", "Faktor", "+Lastf.", "Faktor"});
    z::RtfBeginRow(0);
    for (const auto& row : CombinationRows(entries))
        for (const std::string& c : row) z::RtfWriteCell(c);
    z::RtfEndTable();
}

}  // namespace

// ---- shared routines --------------------------------------------------------

OpenArgs OpenArgsOf(int32_t pageSwitch) {
    OpenArgs a;
    a.a = pageSwitch < -1000 ? 1 : 0;
    a.c = pageSwitch >= 0 ? pageSwitch : 1;
    return a;
}

int32_t GetPathPart(const std::string& path, std::string& out, int32_t parent) {
    out.clear();
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    const size_t last = p.rfind('\\');
    if (p.empty() || last == std::string::npos) return 0;
    if (parent == 0) {
        out = p.substr(last + 1);
        return 1;
    }
    if (last == 0) return 0;
    const size_t prev = p.rfind('\\', last - 1);
    if (prev == std::string::npos) return 0;
    out = p.substr(prev + 1, last - prev - 1);
    return 1;
}

int32_t OpenReportRtf(const std::string& name, int32_t pageSwitch, int32_t b) {
    const std::filesystem::path full = std::filesystem::absolute(name);
    std::string project = z::RtfSettings("gets/Projekt");
    if (project.size() > 199) project.resize(199);
    if (project.empty()) GetPathPart(full.string(), project, 1);
    std::string position = z::RtfSettings("gets/Position");
    if (position.size() > 199) position.resize(199);
    if (position.empty()) GetPathPart(full.string(), position, 0);
    std::string header = "@A=" + project;
    header.push_back('\0');
    header += "@P=" + position;
    header.push_back('\0');
    header.push_back('\0');
    const OpenArgs a = OpenArgsOf(pageSwitch);
    if (z::RtfOpenDocument(name + ".rtf", a.a, b, a.c, std::string_view(header)) != 1) {
        z::RtfMessage("W Bitte erst Word Schließen!");
        return 1;
    }
    return 0;
}

void WriteBlankLines(int32_t n) {
    for (int32_t i = 0; i < n; ++i) Para(0, " ");
}

void WriteNumberCell(double /*width*/, double value) {
    // The text "%.2lf" gives, without the cost of a formatted print per cell.
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    if (ec != std::errc())
        z::RtfWriteNumberCell(FormatC("%.2lf", value), value);
    else
        z::RtfWriteNumberCell(std::string_view(buf, static_cast<size_t>(end - buf)), value);
}

int32_t FittedDecimals(double width, double value) {
    const double a = std::fabs(value);
    int32_t d;
    if (a < 1) {
        d = static_cast<int32_t>(std::trunc(width * 5 - 2));
    } else if (a >= 1e5) {
        d = 2;
    } else {
        int k = 1;
        while (k < 5 && a / std::pow(10.0, k) >= 1) ++k;
        d = static_cast<int32_t>(std::trunc((width - 0.2 * k) * 5 - 2));
    }
    if (value < 0) d -= 1;
    if (d < 0) d = 1;
    if (a < 1e-5) d = 0;
    return d;
}

void WriteFittedNumberCell(double width, double value) {
    z::RtfWriteNumberCell(FormatC("@%d", FittedDecimals(width, value)), value);
}

void EccentricSupportForces(double u, double v, double w, double th, double cx, double cy, double cz, double ct,
                            double ey, double ez, double out[4]) {
    out[0] = -cx * u;
    out[1] = -(v - ez * th) * cy;
    out[2] = -(w + ey * th) * cz;
    out[3] = -ct * th;
}

std::string SupportValueText(double v) {
    if (v < 0) return "fest";
    if (v == 0) return "frei";
    return z::FormatCellNumber("@0", v);
}

std::vector<std::vector<std::string>> CombinationRows(const std::vector<CombinationEntry>& entries) {
    std::vector<std::vector<std::string>> rows;
    bool open = false;
    int32_t previous = entries.empty() ? 1 : entries.front().ko;
    int32_t k = 0;
    for (const CombinationEntry& e : entries) {
        if (open && e.ko != previous) {
            // The next combination starts a row of its own; this one is
            // filled with blank pairs.
            for (; k < 5; ++k) rows.back().insert(rows.back().end(), {"", ""});
            open = false;
        }
        previous = e.ko;
        if (!open) {
            rows.push_back({std::to_string(e.ko)});
            open = true;
            k = 0;
        } else if (k == 5) {
            rows.push_back({""});  // continuation row: no combination number
            k = 0;
        }
        rows.back().push_back(std::to_string(e.lf + 1));
        rows.back().push_back(z::FormatCellNumber("@2", e.fak));
        ++k;
    }
    return rows;
}

// ---- input chapter ------------------------------------------------------------

void PrintInputData(RunState& run, std::string& text) {
    ModelRecord& m = run.cdltr;
    if (m.printFlags[1]) {
        Para(3, Tr("Systemdarstellung (Maße in mm)"));
        SystemLikePicture(run, -1);
    }
    if (!m.printFlags[0]) return;
    Para(3, Tr("Geometrie und Querschnitt"));
    // Geometry.
    WriteBlankLines(1);
    Para(0, Tr("Geometriebeschreibung"));
    z::RtfBeginTable({1.35, 1.5, 3.2, 3.2, 2.5, 2.5, 1.4});
    z::RtfBeginRow(1);
    Header({" ", "Länge", "Querschnitt", "Querschnitt", "Gelenk", "Gelenk", "Stabtei-"});
    Header({" ", " ", "Anfang", "Ende", "Anfang", "Ende", "lung"});
    Header({"Feld", "m", "-", "-", "-", "-", "-"});
    z::RtfBeginRow(0);
    auto qsName = [&](int32_t k) {
        const int32_t i = m.SectionIndex(k);
        return "\\qc " + (i >= 0 ? m.Qs_Name[Z(i)] : std::string("-"));
    };
    for (int32_t i = 1; i <= m.nFeld; ++i) {
        z::RtfWriteIntCell("Feld @0", i);
        z::RtfWriteNumberCell("@3", m.Feld_L[Z(i - 1)]);
        z::RtfWriteCell(qsName(m.Feld_QsA[Z(i - 1)]));
        z::RtfWriteCell(qsName(m.Feld_QsE[Z(i - 1)]));
        z::RtfWriteCell(HingeText(m, m.Feld_GelA[Z(i - 1)]));
        z::RtfWriteCell(HingeText(m, m.Feld_GelE[Z(i - 1)]));
        z::RtfWriteIntCell("@0", m.nTeilung[Z(i - 1)]);
    }
    z::RtfEndTable();
    // Section course.
    WriteBlankLines(1);
    Para(0, Tr("Querschnittsverlauf"));
    z::RtfBeginTable({1.0, 3.5, 1.7, 1.7, 1.5, 1.1, 1.5, 1.5, 1.5});
    z::RtfBeginRow(1);
    Header({"Typ", "Bezeichnung", "Drehung", "Spiegeln", "Stahl-", "{\\f2 g}{\\sub M}", "E", "G", "f\\sub y,k"});
    Header({" ", "  ", "Grad", "-", "güte", "-", "kN/cm\\super 2", "kN/cm\\super 2", "kN/cm\\super 2"});
    z::RtfBeginRow(0);
    for (int32_t t = 1; t <= m.nQs; ++t) {
        if (!SectionUsed(m, t)) continue;
        const size_t i = Z(t - 1);
        z::RtfWriteIntCell("Nr. @0", t);
        z::RtfWriteCell(m.Qs_Name[i]);
        z::RtfWriteNumberCell("@1", m.Qs_Dreh[i]);
        static const char* const mirror[3] = {"\\qc nein", "\\qc um Y", "\\qc um Z"};
        z::RtfWriteCell(m.Qs_Spiegel[i] >= 0 && m.Qs_Spiegel[i] <= 2 ? mirror[m.Qs_Spiegel[i]] : "\\qc -");
        // The material the calculation used: the document's material values
        // when the position carries them, else the grade table's row.
        const bool documentMaterial = i < run.materials.Size() && i < run.materials.name.size();
        const bool gradeOk = m.StahlTab >= 0 && m.StahlTab <= 2 && m.Mat[i] >= 0 && m.Mat[i] <= 4;
        if (documentMaterial || gradeOk) {
            section::SteelRecord rec;
            double gammaM = 0.0;
            section::Sections(run).MaterialOf(t, rec, gammaM);
            const std::string name = documentMaterial && !run.materials.name[i].empty()
                                         ? run.materials.name[i]
                                         : std::string(gradeOk ? section::SteelGradeRow(m.StahlTab, m.Mat[i]).name : "-");
            z::RtfWriteCell(name);
            z::RtfWriteNumberCell("@2", gammaM);
            z::RtfWriteNumberCell("@0", rec.E);
            z::RtfWriteNumberCell("@0", rec.G);
            z::RtfWriteNumberCell("@2", rec.fyk);
        } else {
            WriteErrLine(run, 1, FormatC("Stahlgüte %d des Querschnitts %d außerhalb der Tabelle", m.Mat[i], t));
            z::RtfWriteCell("-");
            z::RtfWriteNumberCell("@1", m.Qs_GammaM[i]);
            for (int k = 0; k < 3; ++k) z::RtfWriteCell("-");
        }
    }
    z::RtfEndTable();
    // Supports.
    WriteBlankLines(1);
    Para(0, Tr("Lagerbeschreibung"));
    z::RtfBeginTable({1.9, 1.4, 1.9, 1.9, 1.9, 1.9, 1.9, 1.9});
    z::RtfBeginRow(1);
    Header({" ", "Lag-P\\sub x", "Lag-P\\sub y", "Lag-P\\sub z", "Lag-M\\sub x", "Lag-M\\sub y", "Lag-M\\sub z", "Lag-M\\sub o"});
    Header({"Knoten", "kN/m", "kN/m", "kN/m", "kNm/-", "kNm/-", "kNm/-", "kNm2/-"});
    z::RtfBeginRow(0);
    for (int32_t k = 1; k <= m.nFeld + 1 && k <= limits::kMaxInputNodes; ++k) {
        const int32_t typ = m.Kn_Lager[Z(k - 1)];
        if (typ == 0) continue;
        z::RtfWriteIntCell("K @0", k);
        const SupportType s = typ >= 1 && typ <= m.nLagerTyp ? m.LagerTyp[Z(typ - 1)] : SupportType{};
        for (float v : {s.cx, s.cy, s.cz, s.cmx, s.cmy, s.cmz, s.cwoelb}) z::RtfWriteCell(SupportValueText(v));
    }
    z::RtfEndTable();
    // Section types.
    for (int32_t t = 1; t <= m.nQs; ++t) {
        if (!SectionUsed(m, t)) continue;
        Picture(4.0, 4.0, 120, 120, [&](HDC dc, const PageRect& pr) {
            DrawSectionPicture(run, dc, pr, t);
            return 0;
        }, true);
        z::RtfBeginTable({10.0});
        z::RtfBeginRow(1);
        z::RtfWriteCell(FormatC("\\ql Querschnittstyp %d (%s)", t, m.Qs_Name[Z(t - 1)].c_str()));
        z::RtfEndTable();
        int32_t h = -1;
        section::Sections(run).CheckSectionSimilarity(m.m_IndDBS, m.Qs_Name[Z(t - 1)], m.Qs_Name[Z(t - 1)], 0.0,
                                                      m.Qs_Dreh[Z(t - 1)], m.Qs_Spiegel[Z(t - 1)], h);
        zidezaz::SectionValues v;
        if (h >= 0 && zidezaz::SectionValuesOf(h, v)) {
            Para(0, FormatC("A = %.2f cm{\\super 2} Iy = %.2f cm{\\super 4} Iz = %.2f cm{\\super 4}", v.A, v.Iy, v.Iz));
            Para(0, FormatC("I{\\sub t} = %.2f cm{\\super 4} I{\\sub \\f2w} = %.2f cm{\\super 6}", v.It, v.Iw));
            // Round-off below the last printed digit is shown as 0, not "-0.00".
            auto clean = [](double x) { return std::fabs(x) < 0.005 ? 0.0 : x; };
            Para(0, FormatC("y{\\sub M} = %.2f cm z{\\sub M} = %.2f cm {\\f2 j} = %.2f Grad", clean(v.yM), clean(v.zM),
                            clean(v.phiDeg)));
            Para(0, FormatC("i{\\sub y} = %.2f cm i{\\sub z} = %.2f cm i{\\sub M}{\\super 2} = %.2f cm{\\super 2}", v.iy, v.iz,
                            v.iM2));
            Para(0, FormatC("r{\\sub y} = %.2f cm r{\\sub z} = %.2f cm r{\\sub \\f2w} = %.2f cm", clean(v.ry), clean(v.rz),
                            clean(v.rw)));
        }
        WriteBlankLines(5);
    }
    // Beddings and springs.
    if (m.nBettung > 0) {
        WriteBlankLines(1);
        Para(0, Tr("Stabbettung"));
        z::RtfBeginTable({2.0, 1.9, 1.25, 1.25, 1.25, 1.75, 1.75, 1.75, 1.75});
        z::RtfBeginRow(1);
        Header({"vom", "Abstand a", "Länge", "e\\sub y", "e\\sub z", "C\\sub x", "C\\sub y", "C\\sub z", "C\\sub m,x"});
        Header({"Knoten", "m", "m", "cm", "cm", "kN/m2", "kN/m2", "kN/m2", "kNm/m"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nBettung && i < limits::kMaxBeddings; ++i) {
            const Bedding& b = m.Bettung[Z(i)];
            z::RtfWriteIntCell("@0", b.node);
            z::RtfWriteNumberCell("@3", b.posX);
            z::RtfWriteNumberCell("@3", b.length);
            z::RtfWriteNumberCell("@2", b.ey);
            z::RtfWriteNumberCell("@2", b.ez);
            for (float v : {b.cx, b.cy, b.cz, b.cmx}) z::RtfWriteNumberCell("@1", v);
        }
        z::RtfEndTable();
    }
    if (m.nFeder > 0) {
        WriteBlankLines(1);
        Para(0, Tr("exzentrische Einzelfedern"));
        z::RtfBeginTable({1.75, 1.9, 1.25, 1.25, 2.25, 2.25});
        z::RtfBeginRow(1);
        Header({"vom", "Abstand a", "e\\sub y", "e\\sub z", "C\\sub y", "C\\sub z"});
        Header({"Knoten", "m", "cm", "cm", "kN/m", "kN/m"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nFeder && i < limits::kMaxSprings; ++i) {
            const Spring& s = m.Feder[Z(i)];
            z::RtfWriteIntCell("@0", s.node);
            z::RtfWriteNumberCell("@3", s.posX);
            z::RtfWriteNumberCell("@2", s.ey);
            z::RtfWriteNumberCell("@2", s.ez);
            z::RtfWriteNumberCell("@1", s.cy);
            z::RtfWriteNumberCell("@1", s.cz);
        }
        z::RtfEndTable();
    }
    WriteBlankLines(1);
    // Loads.
    Para(3, Tr("Grundbelastung"));
    if (m.Gamma != 0)
        Para(0, FormatC("Eigengewicht {\\f2 g}{\\sub %s} = %.2f kN/m{\\super 3}", m.GammaOpt ? "-X" : "Z",
                        static_cast<double>(m.Gamma)) +
                    Tr(" (wird immer im Lf 1 mit brücksichtigt !)"));
    if (m.nStreckenL() > 0) {
        Para(3, Tr("Streckenlasten"));
        SystemLikePicture(run, -2);
        z::RtfBeginTable({1.0, 1.75, 1.5, 1.35, 1.35, 1.35, 1.35, 1.35, 1.35, 1.35, 1.35, 1.35});
        z::RtfBeginRow(1);
        Header({" ", "vom", "Abst. a", "Länge", "ey", "ez", "pX-a", "pX-e", "pYa", "pYe", "pZa", "pZe"});
        Header({" ", "Knoten", "m", "m", "cm", "cm", "kN/m", "kN/m", "kN/m", "kN/m", "kN/m", "kN/m"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nStreckenL(); ++i) {
            const LineLoad& q = m.StreckenL[i];
            z::RtfWriteIntCell("Lf: @0", q.LCGen);
            z::RtfWriteIntCell("@0", q.node);
            for (float v : {q.offset, q.length, q.ey0, q.ez0, q.px0, q.px1, q.py0, q.py1, q.pz0, q.pz1})
                z::RtfWriteNumberCell("@2", v);
        }
        z::RtfEndTable();
    }
    if (m.nEinzelF() > 0 || m.nEinzelM() > 0) {
        Para(3, Tr("Einzelkraftgrößen"));
        SystemLikePicture(run, -4);
    }
    if (m.nEinzelF() > 0) {
        const std::vector<double> w = {1.0, 1.75, 1.75, 1.75, 1.75, 1.75, 1.75, 1.75};
        z::RtfBeginTable(w);
        z::RtfBeginRow(1);
        Header({" ", "vom", "Abst. a", "ey", "ez", "PX", "PY", "PZ"});
        z::RtfWriteCell("\\qc  ");
        z::RtfWriteCell("\\qc  \\qc Knoten");
        Header({"m", "cm", "cm", "kN", "kN", "kN"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nEinzelF(); ++i) {
            const PointForce& p = m.EinzelF[i];
            z::RtfWriteIntCell("Lf: @0", p.LCGen);
            z::RtfWriteIntCell("@0", p.node);
            const float v[6] = {p.offset, p.ey, p.ez, p.Px, p.Py, p.Pz};
            for (int k = 0; k < 6; ++k) WriteFittedNumberCell(w[Z(k + 2)], v[k]);
        }
        z::RtfEndTable();
    }
    if (m.nEinzelM() > 0) {
        z::RtfBeginTable({1.0, 1.75, 1.75, 1.75, 1.75, 1.75});
        z::RtfBeginRow(1);
        Header({" ", "vom", "Abst. a", "MX", "MY", "MZ"});
        Header({" ", "Knoten", "m", "kNm", "kNm", "kNm"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nEinzelM(); ++i) {
            const PointMoment& p = m.EinzelM[i];
            z::RtfWriteIntCell("Lf: @0", p.LCGen);
            z::RtfWriteIntCell("@0", p.node);
            for (float v : {p.offset, p.Mx, p.My, p.Mz}) z::RtfWriteNumberCell("@2", v);
        }
        z::RtfEndTable();
    }
    if (m.nZwang() > 0) {
        Para(3, Tr("Auflagerzwangsverformungen"));
        SystemLikePicture(run, -5);
        z::RtfBeginTable({1.0, 1.5, 1.75, 1.75, 1.75, 1.75, 1.75, 1.75});
        z::RtfBeginRow(1);
        Header({"  ", "Knoten", "Delta-u", "Delta-v", "Delta-w", "Delta-phi", "Delta-psi", "Delta-tet"});
        Header({" ", "-", "cm", "cm", "cm", "prom/-", "prom/-", "prom/-"});
        z::RtfBeginRow(0);
        for (int32_t i = 0; i < m.nZwang(); ++i) {
            const ImposedDisplacement& d = m.Zwang[i];
            z::RtfWriteIntCell("Lf: @0", d.LCGen);
            z::RtfWriteIntCell("@0", d.node);
            for (float v : {d.du, d.dv, d.dw, d.dphi, d.dpsi, d.dtet}) z::RtfWriteNumberCell("@2", v);
        }
        z::RtfEndTable();
    }
    // Load-case classification.
    if (m.nLf > 0) {
        WriteBlankLines(1);
        Para(0, Tr("Lastfallklassifizierung und Sicherheitsbeiwerte"));
        z::RtfBeginTable({1.9, 1.9, 3.8, 3.8});
        z::RtfBeginRow(1);
        Header({" ", " ", "Gebrauchstauglickeit", "Stabilitätsnachweis"});
        z::RtfEndTable();
        z::RtfBeginTable({1.9, 1.9, 1.9, 1.9, 1.9, 1.9});
        z::RtfBeginRow(1);
        Header({"Lastfall", "Typ", "\\f2 g\\f1 \\sub F", "\\f2 y\\f1 \\sub 1", "\\f2 g\\f1 \\sub F", "\\f2 y\\f1 \\sub 1"});
        Header({"-", "-", "-", "-", "-", "-"});
        z::RtfBeginRow(0);
        static const char* const types[5] = {"Ständig", "P additiv", "P alt-Gr.1", "P alt-Gr.2", "P alt-Gr3"};
        for (int32_t i = 1; i <= m.nLf && i <= limits::kMaxLoadCases; ++i) {
            z::RtfWriteIntCell("@0", i);
            const int32_t ty = m.Lf_Typ[Z(i - 1)];
            z::RtfWriteCell(ty >= 0 && ty <= 4 ? Tr(types[ty]) : std::string("-"));
            const double f[4] = {1.0, 1.0, i == 1 ? 1.35 : 1.5, i == 1 ? 1.0 : 0.9};
            for (double v : f) z::RtfWriteNumberCell("@2", v);
        }
        z::RtfEndTable();
    }
    auto entries = [](const std::vector<CombinationTerm>& terms, int32_t n) {
        std::vector<CombinationEntry> e;
        for (int32_t i = 0; i < n && i < static_cast<int32_t>(terms.size()); ++i)
            e.push_back({terms[Z(i)].Ko, terms[Z(i)].Lf, terms[Z(i)].Fak});
        return e;
    };
    if (m.nRegelLk > 0) {
        WriteBlankLines(1);
        Para(0, Tr("Gebrauchstauglichkeit"));
        CombinationTable(entries(m.RegelTerm, m.nRegelTerm));
    }
    if (m.nKnickLk > 0) {
        WriteBlankLines(1);
        Para(0, Tr("Stabilitätsnachweis"));
        CombinationTable(entries(m.KnickTerm, m.nKnickTerm));
        WriteBlankLines(1);
    }
    // Imperfections.
    WriteBlankLines(1);
    Para(0, Tr("Vorverformungen"));
    if (m.vorvType == 2) {
        Para(0, Tr("Affin zur Knickfigur. Diese wird in jedem Lastkollektiv nach TH. II Ordnung neu berechnet."));
        if (m.ausmitteDirekt == 0) Para(0, FormatC("Explizite Vorgabe der Vorverformung: %.3f cm", static_cast<double>(m.ausmitte)));
        else Para(0, FormatC("Im Bezugsknoten %d  e{\\sub u} = %.3f cm", m.ausmitteKnoten, static_cast<double>(m.ausmitteGlobal)));
    } else if (m.vorvType == 1) {
        Para(0, Tr("Globale Vorkrümmung in Y, in Z oder in Y und Z.") + Tr(" Diese wird dann in allen Lastkollektiven "));
        Para(0, Tr("nach TH. II Ordnung gleich angesetzt."));
        if (m.w0Direkt == 1)
            Para(0, FormatC("Globale Vorverformung w = %.3f cm,", static_cast<double>(m.wGlobal)) +
                        Tr(" die in Richtung der resultierenden Verformung angesetzt wird."));
        else
            Para(0, Tr("Explizite Vorgabe der Vorverformung : ") + FormatC("in Y-Richtung v{\\sub 0} = %.3f cm ", static_cast<double>(m.v0)) +
                        FormatC("in Z-Richtung w{\\sub 0} = %.3f cm", static_cast<double>(m.w0)));
    } else if (m.vorvType == 0) {
        Para(0, Tr("Globale Schiefstellung in Y, in Z oder in Y und Z.") + Tr(" Diese wird dann in allen Lastkollektiven "));
        Para(0, Tr("nach TH. II Ordnung gleich angesetzt."));
        if (m.psiDirekt == 1)
            Para(0, FormatC("Globale Schiefstellung {\\f2 y} = %.2f,", static_cast<double>(m.psiGlobal) * 100.0) +
                        Tr(" die in Richtung der extr. resultierenden Verformung angesetzt wird."));
        else
            Para(0, Tr("Explizite Vorgabe der Schiefstellung {\\f2 y} : ") + FormatC("in y-Richtung = %.2f proz., ", static_cast<double>(m.psiY)) +
                        FormatC("in z-Richtung = %.2f proz.", static_cast<double>(m.psiZ)));
    }
    // Checks.
    Para(3, Tr("Nachweise"));
    text = Tr("Nachweise");
    Para(0, text);
    z::RtfBeginTable({1.9, 1.9, 10.0});
    z::RtfBeginRow(1);
    Header({"Kollektiv", "Nachweis", "Bildungskriterium"});
    z::RtfBeginRow(0);
    const CombinationTables& c = run.combos;
    for (int32_t i = 1; i <= m.nLkName; ++i) {
        z::RtfWriteIntCell("@0", i);
        z::RtfWriteCell("\\qc " + (Z(i - 1) < c.LkArt.size() ? c.LkArt[Z(i - 1)] : std::string()));
        z::RtfWriteCell("\\ql " + (Z(i - 1) < c.LkRegel.size() ? c.LkRegel[Z(i - 1)] : std::string()));
    }
    z::RtfEndTable();
}

// ---- result chapters ------------------------------------------------------------

void PrintCollective(RunState& run, std::string& text, int32_t lk) {
    const ModelRecord& m = run.cdltr;
    const FeModel& fm = m.fe;
    const fe::FeCaseResult* r = Ultimate(run, lk);
    if (!r) return;
    const fe::FeState& st = fe::State(run);
    const int32_t nn = fm.nKnoten, ne = fm.nStab;
    // Support forces.
    if (m.printFlags[12]) {
        WriteBlankLines(1);
        Para(0, Tr("Lagerkräfte und Knotengleichgewicht (> 1e-3)"));
        z::RtfBeginTable({1.4, 1.9, 1.9, 1.9, 1.9, 1.9, 1.9, 1.9});
        z::RtfBeginRow(1);
        Header({" ", "AP\\sub x", "AP\\sub y", "AP\\sub z", "AM\\sub x", "AM\\sub y", "AM\\sub z", "AM\\sub w"});
        Header({"Knoten", "kN", "kN", "kN", "kNm", "kNm", "kNm", "kNm2"});
        z::RtfBeginRow(0);
        for (int32_t k = 0; k < nn; ++k) {
            double sum = 0;
            for (int j = 0; j < 7; ++j) sum += std::fabs(At(r->reactions, Z(7 * k + j)));
            const double x = fm.KnotenX[Z(k)];
            if (sum >= 0.001) {
                WritePositionLabel(run, x, 1.4);
                for (int j = 0; j < 7; ++j) WriteNumberCell(1.9, At(r->reactions, Z(7 * k + j)));
                continue;
            }
            for (const fe::PlacedRecord& s : st.springs) {
                if (s.where != k || s.v[fe::slot::kSprCy] < 0 || s.v[fe::slot::kSprCz] < 0) continue;
                const double v = At(r->displacements, Z(7 * k + 1)), w = At(r->displacements, Z(7 * k + 2)),
                             th = At(r->displacements, Z(7 * k + 3));
                const double ey = s.v[fe::slot::kSprEy], ez = s.v[fe::slot::kSprEz];
                double q[4];
                EccentricSupportForces(0, v, w, th, 0, s.v[fe::slot::kSprCy], s.v[fe::slot::kSprCz], 0, ey, ez, q);
                WritePositionLabel(run, x, 1.4);
                z::RtfWriteCell("ex. Feder ");
                WriteNumberCell(1.9, q[1]);
                WriteNumberCell(1.9, q[2]);
                for (int j = 0; j < 4; ++j) z::RtfWriteCell("");
                break;
            }
        }
        z::RtfEndTable();
    }
    // Buckling and deformations.
    if (m.printFlags[15]) {
        const double ev = r->eigenValues[0] > 0 ? r->eigenValues[0] : 0.0;
        Para(0, Tr("Niedrigster Eigenwert > 0 als Laststeigerungsfaktor"));
        double vmax = 0, wmax = 0;
        for (int32_t k = 0; k < nn; ++k) {
            vmax = std::max(vmax, std::fabs(At(r->eigenVectors, Z(7 * k + 1))));
            wmax = std::max(wmax, std::fabs(At(r->eigenVectors, Z(7 * k + 2))));
        }
        Para(0, FormatC("1. Eigenwert %.3f (max. v %10.3e, max. w %10.3e)", ev, vmax, wmax));
        Para(0, Tr("Knickfigur (normiert auf 1)"));
        const double norm = std::max({vmax, wmax, 1e-30});
        const char* caps[3] = {"Verschiebung v", "Verschiebung w", "Verdrillung"};
        for (int c = 0; c < 3; ++c) {
            std::vector<double> curve;
            for (int32_t e = 0; e < ne; ++e) {
                curve.push_back(At(r->eigenVectors, Z(7 * e + 1 + c)) / norm);
                curve.push_back(At(r->eigenVectors, Z(7 * (e + 1) + 1 + c)) / norm);
            }
            Para(4, Tr(caps[c]));
            EmbedDiagram(run, {curve});
        }
        WriteBlankLines(1);
        Para(0, Tr("Verformungen mit Vorverformungen"));
        z::RtfBeginTable({1.4, 1.6, 1.6, 1.6, 1.6, 1.6, 1.6, 1.6, 1.6, 1.6});
        z::RtfBeginRow(1);
        Header({" ", "u", "v", "v\\sub 0", "w", "w\\sub 0", "\\f2 q\\f1 \\sub x", "\\f2 q\\f1 \\sub y", "\\f2 q\\f1 \\sub z",
                "\\f2 q\\f1 \\sub w"});
        Header({"Knoten", "mm", "mm", "mm", "mm", "mm", "prom.", "prom.", "prom.", "prom."});
        z::RtfBeginRow(0);
        for (int32_t k = 0; k < nn; ++k) {
            WritePositionLabel(run, fm.KnotenX[Z(k)], 1.4);
            const double* d = nullptr;
            (void)d;
            auto D = [&](int j) { return At(r->displacements, Z(7 * k + j)) * 1000.0; };
            WriteNumberCell(1.6, D(0));
            WriteNumberCell(1.6, D(1));
            WriteNumberCell(1.6, At(r->imperfection, Z(4 * k)) * 1000.0);
            WriteNumberCell(1.6, D(2));
            WriteNumberCell(1.6, At(r->imperfection, Z(4 * k + 1)) * 1000.0);
            for (int j = 3; j < 7; ++j) WriteNumberCell(1.6, D(j));
        }
        z::RtfEndTable();
    }
    // Member forces.
    if (m.printFlags[11]) {
        WriteBlankLines(1);
        Para(0, Tr("Stabschnittkräfte"));
        z::RtfBeginTable({1.1, 1.45, 1.45, 1.45, 1.45, 1.45, 1.45, 1.45, 1.1, 1.1, 1.1, 1.1});
        z::RtfBeginRow(1);
        Header({" ", "N", "V\\sub m", "V\\sub n", "M\\sub x", "M\\sub m", "M\\sub n", "M\\sub w", "s\\sub w", "t\\sub w", "s\\sub v", "nue"});
        Header({"Stelle", "kN", "kN", "kN", "kNm", "kNm", "kNm", "kNm\\super 2", "kN/", "kN/", "kN/", "-"});
        Header({" ", " ", " ", " ", " ", " ", " ", " ", "cm\\super 2", "cm\\super 2", "cm\\super 2", " "});
        z::RtfBeginRow(0);
        for (int32_t e = 0; e < ne; ++e)
            for (int end = 0; end < 2; ++end) {
                WritePositionLabel(run, fm.KnotenX[Z(e + end)], 1.1);
                for (int j = 0; j < 7; ++j) WriteNumberCell(1.45, At(r->endForces, Z(14 * e + 7 * end + j)));
                const size_t s = Z(10 * e + 5 * end);
                z::RtfWriteNumberCell("@2", std::max(std::fabs(At(r->stresses, s)), std::fabs(At(r->stresses, s + 1))));
                for (int j = 2; j < 5; ++j) z::RtfWriteNumberCell("@2", At(r->stresses, s + Z(j)));
            }
        z::RtfEndTable();
        WriteBlankLines(1);
        // Bedding forces.
        bool any = false;
        for (const fe::PlacedRecord& b : st.beddings) any = any || b.where >= 0;
        if (any) {
            Para(0, Tr("Bettungskräfte"));
            z::RtfBeginTable({1.1, 1.45, 1.45, 1.45, 1.45});
            z::RtfBeginRow(1);
            Header({" ", "q\\sub x", "q\\sub y", "q\\sub z", "q\\sub t"});
            Header({"Stab", "kN/m", "kN/m", "kN/m", "kNm/m"});
            z::RtfBeginRow(0);
            for (const fe::PlacedRecord& b : st.beddings) {
                if (b.where < 0 || b.where >= ne) continue;
                for (int end = 0; end < 2; ++end) {
                    const int32_t k = b.where + end;
                    const double u = At(r->displacements, Z(7 * k)), v = At(r->displacements, Z(7 * k + 1)),
                                 w = At(r->displacements, Z(7 * k + 2)), th = At(r->displacements, Z(7 * k + 3));
                    const double ey = b.v[fe::slot::kBedEy], ez = b.v[fe::slot::kBedEz];
                    z::RtfWriteIntCell(end ? "S@0-E" : "S@0-A", b.where + 1);
                    // As the springs and the stiffness: the twist moves the
                    // bedding's point by -ez*theta in y and +ey*theta in z.
                    double q[4];
                    EccentricSupportForces(u, v, w, th, b.v[Z(fe::slot::kBedCx + end)], b.v[Z(fe::slot::kBedCy + end)],
                                           b.v[Z(fe::slot::kBedCz + end)], b.v[fe::slot::kBedCmx], ey, ez, q);
                    for (double f : q) WriteNumberCell(1.45, f);
                }
            }
            z::RtfEndTable();
        }
    }
    if (m.printFlags[10]) {
        const char* caps[7] = {"Normalkraft N", "Querkraft V\\sub m", "Querkraft V\\sub n", "Torsionsmoment M\\sub x",
                               "Biegemoment M\\sub m", "Biegemoment M\\sub n", "Wölbmoment M\\sub w"};
        for (int c = 0; c < 7; ++c) {
            std::vector<double> curve;
            for (int32_t e = 0; e < ne; ++e)
                for (int end = 0; end < 2; ++end) curve.push_back(At(r->endForces, Z(14 * e + 7 * end + c)));
            Para(4, Tr(caps[c]));
            EmbedDiagram(run, {curve});
        }
    }
    (void)text;
}

void PrintEnvelopes(RunState& run, std::string& text, bool forces, bool stresses) {
    const ModelRecord& m = run.cdltr;
    const int32_t ne = m.fe.nStab;
    const auto& ult = fe::State(run).results.ultimate;
    if (forces) {
        const char* caps[7] = {"Normalkraft N", "Querkraft V\\sub m", "Querkraft V\\sub n", "Torsionsmoment M\\sub x",
                               "Biegemoment M\\sub m", "Biegemoment M\\sub n", "Wölbmoment M\\sub w"};
        for (int c = 0; c < 7; ++c) {
            std::vector<double> mx(Z(2 * ne), -1e300), mn(Z(2 * ne), 1e300);
            bool any = false;
            for (const auto& r : ult)
                for (int32_t p = 0; p < 2 * ne; ++p) {
                    if (Z(7 * p + c) >= r.endForces.size()) continue;
                    any = true;
                    mx[Z(p)] = std::max(mx[Z(p)], r.endForces[Z(7 * p + c)]);
                    mn[Z(p)] = std::min(mn[Z(p)], r.endForces[Z(7 * p + c)]);
                }
            if (!any) mx.assign(Z(2 * ne), 0.0), mn.assign(Z(2 * ne), 0.0);
            Para(4, Tr(caps[c]));
            EmbedDiagram(run, {mx, mn});
        }
    }
    if (stresses) {
        const char* caps[5] = {"{max. \\f2 s}{\\f1 }{\\sub x} in kN/cm{\\super 2}, Länge in m",
                               "{min. \\f2 s}{\\f1 }{\\sub x} in kN/cm{\\super 2}, Länge in m",
                               "{max. \\f2 t}{\\f1 }{\\sub xz} in kN/cm{\\super 2}, Länge in m",
                               "{max. \\f2 s}{\\f1 }{\\sub v} in kN/cm{\\super 2}, Länge in m",
                               "max. Ausnutzung {\\f2 n} in -, Länge in m"};
        for (int c = 0; c < 5; ++c) {
            std::vector<double> curve(Z(2 * ne), c == 1 ? 1e300 : -1e300);
            bool any = false;
            for (const auto& r : ult)
                for (int32_t p = 0; p < 2 * ne; ++p) {
                    if (Z(5 * p + c) >= r.stresses.size()) continue;
                    any = true;
                    const double v = r.stresses[Z(5 * p + c)];
                    curve[Z(p)] = c == 1 ? std::min(curve[Z(p)], v) : std::max(curve[Z(p)], v);
                }
            if (!any) curve.assign(Z(2 * ne), 0.0);
            Para(4, Tr("Spannungsverlauf für ") + caps[c]);
            EmbedDiagram(run, {curve});
        }
    }
    (void)text;
}

// ---- the report ---------------------------------------------------------------

int32_t PrintReport(RunState& run) {
    ModelRecord& m = run.cdltr;
    const std::string base = run.ReportBaseName.empty() ? run.RunBaseName + "_XXX" : run.ReportBaseName;
    if (OpenReportRtf(base, m.printFlags[19], 1) == 1) return 1;
    std::string text;
    Para(1, FormatC("%s ", m.Titel.c_str()));
    if (m.printFlags[0] || m.printFlags[1]) {
        Para(2, Tr("Eingabedaten"));
        PrintInputData(run, text);
    }
    Para(2, Tr("Ergebnisse Knicksicherheitsnachweis"));
    const int32_t n = m.nKnickLk;
    // A combination that cannot be proven fails the design: said at the
    // combination and once more at the end.
    const std::vector<results::FailedCombination> failed = results::FailedUltimateCombinations(run);
    auto failure = [&](int32_t i) -> const results::FailedCombination* {
        for (const auto& f : failed)
            if (f.number == i) return &f;
        return nullptr;
    };
    const bool collectives = m.printFlags[10] || m.printFlags[11] || m.printFlags[12] || m.printFlags[15];
    for (int32_t i = 1; i <= n; ++i) {
        const results::FailedCombination* f = failure(i);
        if (!collectives && !f) continue;
        if (n > 1) Para(3, FormatC("%s %d", Tr("Lastkollektiv").c_str(), i));
        if (f)
            Para(0, FormatC("%s %d: %s (%s)", Tr("Lastkollektiv").c_str(), i,
                            Tr("Nachweis nicht erfüllt, die Ergebnisse sind keine Ergebnisse").c_str(),
                            f->reason.c_str()));
        if (collectives) PrintCollective(run, text, i - 1);
    }
    if (n > 1) {
        Para(2, Tr("Extremale Schnittgrößen"));
        if (m.printFlags[13]) PrintEnvelopes(run, text, true, false);
    }
    Para(2, Tr("Extremale Spannungen"));
    if (m.printFlags[14]) PrintEnvelopes(run, text, false, true);
    if (!failed.empty()) {
        std::string numbers;
        for (const auto& f : failed) numbers += (numbers.empty() ? "" : ", ") + std::to_string(f.number);
        WriteBlankLines(1);
        Para(0, FormatC("%s: %s %s", Tr("Tragsicherheit nicht erfüllt").c_str(),
                        Tr("nicht nachgewiesen in Lastkollektiv").c_str(), numbers.c_str()));
    }
    z::RtfCloseDocument(0);
    gPictureBytes = std::vector<uint8_t>();
    return 0;
}

}  // namespace tovik::report
