// Dispatch calls of the two graph wrappers, the recording control and the
// report pictures' hidden picture.
#include "graphics/core/Kurvo.h"

#include <memory>

using kurvo::Arg;

namespace {
std::string Str(const char* s) { return s ? std::string(s) : std::string(); }
std::vector<double> Doubles(const double* p, int32_t n) {
    if (!p || n <= 0) return {};
    return std::vector<double>(p, p + n);
}
std::vector<double> Floats(const float* p, int64_t n) {
    if (!p || n <= 0) return {};
    return std::vector<double>(p, p + n);
}
}  // namespace

int32_t CKurvo2D::Call(int dispid, kurvo::Args args) { return m_control ? m_control->Invoke(dispid, args) : 0; }

void CKurvo2D::Method1() { Call(1, {}); }
void CKurvo2D::Method3(double x1, double y1, double x2, double y2) { Call(3, {Arg::D(x1), Arg::D(y1), Arg::D(x2), Arg::D(y2)}); }
void CKurvo2D::Method5(int32_t n, const double* x, const double* y) {
    // The point arrays are moved into the call, not copied once more (a
    // report diagram draws thousands of polygons).
    kurvo::Args args;
    args.reserve(3);
    args.push_back(Arg::L(n));
    args.push_back(Arg::Ds(Doubles(x, n)));
    args.push_back(Arg::Ds(Doubles(y, n)));
    Call(5, std::move(args));
}
void CKurvo2D::Method6(double x1, double y1, double x2, double y2) { Call(6, {Arg::D(x1), Arg::D(y1), Arg::D(x2), Arg::D(y2)}); }
void CKurvo2D::Method7(double x, double y, double angle, double height, const char* text) { Call(7, {Arg::D(x), Arg::D(y), Arg::D(angle), Arg::D(height), Arg::T(Str(text))}); }
void CKurvo2D::Method8(double x, double y, double size, int16_t kind, const char* text) { Call(8, {Arg::D(x), Arg::D(y), Arg::D(size), Arg::S(kind), Arg::T(Str(text))}); }
void CKurvo2D::Method9(double px, double py, double tx, double ty, double angle, double height, const char* text) { Call(9, {Arg::D(px), Arg::D(py), Arg::D(tx), Arg::D(ty), Arg::D(angle), Arg::D(height), Arg::T(Str(text))}); }
void CKurvo2D::Method11(double d1, double d2, double d3, double d4, double d5, double d6, double d7, double d8, const char* text, int16_t align, BOOL framed, int16_t reserved) { Call(11, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::D(d6), Arg::D(d7), Arg::D(d8), Arg::T(Str(text)), Arg::S(align), Arg::B(framed != 0), Arg::S(reserved)}); }
void CKurvo2D::Method12(double d1, double d2, double d3, double d4, double d5, double d6, int16_t tick, double d8, const char* text, int16_t align, BOOL framed, int16_t reserved) { Call(12, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::D(d6), Arg::S(tick), Arg::D(d8), Arg::T(Str(text)), Arg::S(align), Arg::B(framed != 0), Arg::S(reserved)}); }
void CKurvo2D::Method15() { Call(15, {}); }
void CKurvo2D::Method16(int16_t left, int16_t top, int16_t width, int16_t height) { Call(16, {Arg::S(left), Arg::S(top), Arg::S(width), Arg::S(height)}); }
void CKurvo2D::Method17(BOOL on) { Call(17, {Arg::B(on != 0)}); }
void CKurvo2D::Method18(int32_t item, double x, double y) { Call(18, {Arg::L(item), Arg::D(x), Arg::D(y)}); }
void CKurvo2D::Method21(int32_t group, int32_t kind) { Call(21, {Arg::L(group), Arg::L(kind)}); }
void CKurvo2D::Method22(float f1, float f2, float f3, float f4, float f5, const char* text) { Call(22, {Arg::F(f1), Arg::F(f2), Arg::F(f3), Arg::F(f4), Arg::F(f5), Arg::T(Str(text))}); }
void CKurvo2D::Method23(float f1, float f2, float f3, float f4, float f5, float f6, float f7, float f8, const char* text1, const char* text2) { Call(23, {Arg::F(f1), Arg::F(f2), Arg::F(f3), Arg::F(f4), Arg::F(f5), Arg::F(f6), Arg::F(f7), Arg::F(f8), Arg::T(Str(text1)), Arg::T(Str(text2))}); }
void CKurvo2D::Method24(double x1, double y1, double x2, double y2, double x3, double y3) { Call(24, {Arg::D(x1), Arg::D(y1), Arg::D(x2), Arg::D(y2), Arg::D(x3), Arg::D(y3)}); }
void CKurvo2D::Method25(double x, double y, int16_t kind) { Call(25, {Arg::D(x), Arg::D(y), Arg::S(kind)}); }
void CKurvo2D::Method29(double x, double y, double r) { Call(29, {Arg::D(x), Arg::D(y), Arg::D(r)}); }
void CKurvo2D::Method30(const char* title, int16_t size1, int16_t size2) { Call(30, {Arg::T(Str(title)), Arg::S(size1), Arg::S(size2)}); }
void CKurvo2D::Method34(double x1, double y1, double x2, double y2) { Call(34, {Arg::D(x1), Arg::D(y1), Arg::D(x2), Arg::D(y2)}); }
void CKurvo2D::Method35(int32_t colour, int32_t line, int32_t fill, BOOL bold) { Call(35, {Arg::C(colour), Arg::L(line), Arg::L(fill), Arg::B(bold != 0)}); }
void CKurvo2D::Method37(int32_t group, int32_t colour, int32_t line, int32_t fill) { Call(37, {Arg::L(group), Arg::C(colour), Arg::L(line), Arg::L(fill)}); }
void CKurvo2D::Method38(const char* fileName) { Call(38, {Arg::T(Str(fileName))}); }
void CKurvo2D::Method39(double d1, double d2, double d3, double d4, double d5, double d6) { Call(39, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::D(d6)}); }
void CKurvo2D::Method40(double d1, double d2, double d3, double d4, double d5, const char* text) { Call(40, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::T(Str(text))}); }
void CKurvo2D::Method45(double d1, double d2, double d3, double d4, double d5, double d6, double d7, BOOL flag) { Call(45, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::D(d6), Arg::D(d7), Arg::B(flag != 0)}); }
void CKurvo2D::Method53(const char* text, int32_t commandId, BOOL enabled, BOOL checked) { Call(53, {Arg::T(Str(text)), Arg::L(commandId), Arg::B(enabled != 0), Arg::B(checked != 0)}); }
void CKurvo2D::Method54(BOOL show, BOOL secondDown, const char* xName, BOOL reserved, const char* yName) { Call(54, {Arg::B(show != 0), Arg::B(secondDown != 0), Arg::T(Str(xName)), Arg::B(reserved != 0), Arg::T(Str(yName))}); }
void CKurvo2D::Method55() { Call(55, {}); }
void CKurvo2D::Method57(double d1, double d2, double d3, double d4, double d5, const char* text) { Call(57, {Arg::D(d1), Arg::D(d2), Arg::D(d3), Arg::D(d4), Arg::D(d5), Arg::T(Str(text))}); }

int32_t CKurvo3D::Call(int dispid, kurvo::Args args) { return m_control ? m_control->Invoke(dispid, args) : 0; }

void CKurvo3D::Method3(int16_t n, const float* points, BOOL filled) { Call(3, {Arg::S(n), Arg::Fs(Floats(points, 3 * n)), Arg::B(filled != 0)}); }
int32_t CKurvo3D::Method5(int32_t n, const float* points) { return Call(5, {Arg::L(n), Arg::Fs(Floats(points, 2 * static_cast<int64_t>(n)))}); }
void CKurvo3D::Method6(const float* p1, const float* p2, int32_t h1, int32_t h2, float angle) { Call(6, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::L(h1), Arg::L(h2), Arg::F(angle)}); }
void CKurvo3D::Method7(int16_t left, int16_t top, int16_t width, int16_t height) { Call(7, {Arg::S(left), Arg::S(top), Arg::S(width), Arg::S(height)}); }
void CKurvo3D::Method12(int32_t colour) { Call(12, {Arg::C(colour)}); }
void CKurvo3D::Method13(const float* p1, const float* p2, float f1, float f2, const char* text) { Call(13, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::F(f1), Arg::F(f2), Arg::T(Str(text))}); }
void CKurvo3D::Method14(const float* p1, const float* p2, const float* p3, float f1, float f2, float f3, int32_t kind, const char* text1, const char* text2) { Call(14, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::Fs(Floats(p3, 3)), Arg::F(f1), Arg::F(f2), Arg::F(f3), Arg::L(kind), Arg::T(Str(text1)), Arg::T(Str(text2))}); }
void CKurvo3D::Method16(int32_t colour, BOOL bold, const char* face, int16_t size, float f) { Call(16, {Arg::C(colour), Arg::B(bold != 0), Arg::T(Str(face)), Arg::S(size), Arg::F(f)}); }
void CKurvo3D::Method18(const float* p1, const float* p2, const float* p3, const float* p4, const char* text) { Call(18, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::Fs(Floats(p3, 3)), Arg::Fs(Floats(p4, 3)), Arg::T(Str(text))}); }
void CKurvo3D::Method19(int32_t colour, BOOL show, int16_t width, float f) { Call(19, {Arg::C(colour), Arg::B(show != 0), Arg::S(width), Arg::F(f)}); }
void CKurvo3D::Method21(const float* p1, const float* p2, float f, const char* t1, const char* t2, const char* t3) { Call(21, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::F(f), Arg::T(Str(t1)), Arg::T(Str(t2)), Arg::T(Str(t3))}); }
void CKurvo3D::Method22(const float* p1, const float* p2, const float* p3, float f, BOOL filled) { Call(22, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::Fs(Floats(p3, 3)), Arg::F(f), Arg::B(filled != 0)}); }
void CKurvo3D::Method23(BOOL b1, BOOL b2, BOOL b3) { Call(23, {Arg::B(b1 != 0), Arg::B(b2 != 0), Arg::B(b3 != 0)}); }
void CKurvo3D::Method37(const float* p1, const float* p2, float f1, float f2) { Call(37, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::F(f1), Arg::F(f2)}); }
void CKurvo3D::Method41(const float* p1, const float* p2, float f, const char* text, BOOL filled) { Call(41, {Arg::Fs(Floats(p1, 3)), Arg::Fs(Floats(p2, 3)), Arg::F(f), Arg::T(Str(text)), Arg::B(filled != 0)}); }

// ---- recording control ---------------------------------------------------------

int32_t CKurvoRecorder::Invoke(int dispid, const kurvo::Args& args) {
    calls.push_back(kurvo::FormatCall(dispid, args));
    raw.emplace_back(dispid, args);
    return dispid == 5 ? nextHandle++ : 0;
}

std::vector<std::string> CKurvoRecorder::Matching(const std::string& prefix) const {
    std::vector<std::string> v;
    for (const auto& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) v.push_back(c);
    return v;
}

// ---- the report pictures' hidden picture -----------------------------------------

namespace {
struct Picture {
    kurvo::Graph2D graph;
    CKurvo2D wrapper{&graph};
};
std::unique_ptr<Picture>& ThePicture() {
    static std::unique_ptr<Picture> p;
    return p;
}
}  // namespace

bool Pictor_Create2D(int width, int height, int /*flag*/) {
    if (width <= 0 || height <= 0 || width > 20000 || height > 20000) return false;
    auto& p = ThePicture();
    p = std::make_unique<Picture>();
    p->graph.SetSize(width, height);
    return true;
}

CKurvo2D* Pictor_GetKurvo2DPtr() {
    auto& p = ThePicture();
    return p ? &p->wrapper : nullptr;
}

void Pictor_Destroy() { ThePicture().reset(); }
