// Wrappers of the two graph controls: every method calls the bound control
// with its dispatch identifier and typed arguments. A wrapper that is bound
// to no control does nothing (Method5 of the 3-D wrapper then gives 0).
// Binding to a control of a window is the window part's business
// (platform/kurvoqt); the report pictures bind to Pictor's control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kurvo/kurvo.h"

using BOOL = int32_t;

class CKurvo2D {
public:
    CKurvo2D() = default;
    explicit CKurvo2D(kurvo::Control* control) : m_control(control) {}
    virtual ~CKurvo2D() = default;
    virtual const char* ClassName() const { return "CKurvo2D"; }

    void Bind(kurvo::Control* control) { m_control = control; }
    kurvo::Control* GetControl() const { return m_control; }

    void Method1();
    void Method3(double x1, double y1, double x2, double y2);
    void Method5(int32_t n, const double* x, const double* y);
    void Method6(double x1, double y1, double x2, double y2);
    void Method7(double x, double y, double angle, double height, const char* text);
    void Method8(double x, double y, double size, int16_t kind, const char* text);
    void Method9(double px, double py, double tx, double ty, double angle, double height, const char* text);
    void Method11(double d1, double d2, double d3, double d4, double d5, double d6, double d7, double d8,
                  const char* text, int16_t align, BOOL framed, int16_t reserved);
    void Method12(double d1, double d2, double d3, double d4, double d5, double d6, int16_t tick, double d8,
                  const char* text, int16_t align, BOOL framed, int16_t reserved);
    void Method15();
    void Method16(int16_t left, int16_t top, int16_t width, int16_t height);
    void Method17(BOOL on);
    void Method18(int32_t item, double x, double y);
    void Method21(int32_t group, int32_t kind);
    void Method22(float f1, float f2, float f3, float f4, float f5, const char* text);
    void Method23(float f1, float f2, float f3, float f4, float f5, float f6, float f7, float f8, const char* text1,
                  const char* text2);
    void Method24(double x1, double y1, double x2, double y2, double x3, double y3);
    void Method25(double x, double y, int16_t kind);
    void Method29(double x, double y, double r);
    void Method30(const char* title, int16_t size1, int16_t size2);
    void Method34(double x1, double y1, double x2, double y2);
    void Method35(int32_t colour, int32_t line, int32_t fill, BOOL bold);
    void Method37(int32_t group, int32_t colour, int32_t line, int32_t fill);
    void Method38(const char* fileName);
    void Method39(double d1, double d2, double d3, double d4, double d5, double d6);
    void Method40(double d1, double d2, double d3, double d4, double d5, const char* text);
    void Method45(double d1, double d2, double d3, double d4, double d5, double d6, double d7, BOOL flag);
    void Method53(const char* text, int32_t commandId, BOOL enabled, BOOL checked);
    void Method54(BOOL show, BOOL secondDown, const char* xName, BOOL reserved, const char* yName);
    void Method55();
    void Method57(double d1, double d2, double d3, double d4, double d5, const char* text);

private:
    int32_t Call(int dispid, kurvo::Args args);
    kurvo::Control* m_control = nullptr;
};

class CKurvo3D {
public:
    CKurvo3D() = default;
    explicit CKurvo3D(kurvo::Control* control) : m_control(control) {}
    virtual ~CKurvo3D() = default;
    virtual const char* ClassName() const { return "CKurvo3D"; }

    void Bind(kurvo::Control* control) { m_control = control; }
    kurvo::Control* GetControl() const { return m_control; }

    void Method3(int16_t n, const float* points, BOOL filled);
    int32_t Method5(int32_t n, const float* points);
    void Method6(const float* p1, const float* p2, int32_t h1, int32_t h2, float angle);
    void Method7(int16_t left, int16_t top, int16_t width, int16_t height);
    void Method12(int32_t colour);
    void Method13(const float* p1, const float* p2, float f1, float f2, const char* text);
    void Method14(const float* p1, const float* p2, const float* p3, float f1, float f2, float f3, int32_t kind,
                  const char* text1, const char* text2);
    void Method16(int32_t colour, BOOL bold, const char* face, int16_t size, float f);
    void Method18(const float* p1, const float* p2, const float* p3, const float* p4, const char* text);
    void Method19(int32_t colour, BOOL show, int16_t width, float f);
    void Method21(const float* p1, const float* p2, float f, const char* t1, const char* t2, const char* t3);
    void Method22(const float* p1, const float* p2, const float* p3, float f, BOOL filled);
    void Method23(BOOL b1, BOOL b2, BOOL b3);
    void Method37(const float* p1, const float* p2, float f1, float f2);
    void Method41(const float* p1, const float* p2, float f, const char* text, BOOL filled);

private:
    int32_t Call(int dispid, kurvo::Args args);
    kurvo::Control* m_control = nullptr;
};

// A control that keeps every call as a line, "Method35(0xFFDAB5,0,0,0)",
// for tests of the drawings.
class CKurvoRecorder : public kurvo::Control {
public:
    int32_t Invoke(int dispid, const kurvo::Args& args) override;
    std::vector<std::string> calls;
    std::vector<std::pair<int, kurvo::Args>> raw;
    // Value returned by Method5 (3-D contours): 1, 2, 3 ... per call.
    int32_t nextHandle = 1;
    // Calls whose line starts with prefix ("Method35(").
    std::vector<std::string> Matching(const std::string& prefix) const;
};

// The report pictures' hidden picture: one per process, with a 2-D graph
// control of the given size in pixels and no window.
bool Pictor_Create2D(int width, int height, int flag);
// The wrapper of that picture's control; nullptr when none was created.
CKurvo2D* Pictor_GetKurvo2DPtr();
void Pictor_Destroy();
