// The graph controls: a 2-D picture (display list of groups) and a 3-D
// picture (contours, extrusions, polygons and symbols seen through a camera),
// both driven by method calls with a dispatch identifier and a list of typed
// arguments, both drawing into an abstract canvas. No window toolkit here:
// the widgets that show them on screen live in platform/kurvoqt; the 2-D
// picture writes enhanced metafiles through platform/emf.
//
// Bad input never reaches the drawing: a call with a non-finite number, a
// count of 0 or less, missing arguments or an unknown group or contour is
// skipped as a whole.
//
// 2-D methods (coordinates in drawing units, y up; angles in degrees,
// counter-clockwise; text heights in drawing units):
//   1   ()                                clears the picture (groups, title, axes, menu, marker)
//   3   (x1, y1, x2, y2)                  line
//   5   (n, x[], y[])                     polygon: filled in the current colour unless the
//                                         fill code is 3, outlined in the current colour
//   6   (x1, y1, x2, y2)                  rectangle between two corners, as a polygon
//   7   (x, y, angle, height, text)       text, left end of its base line at (x, y)
//   8   (x, y, size, kind, text)          marker of diameter size: kind 0 open circle (hinge),
//                                         1 filled circle, 2 open square, else a cross; the text
//                                         right of it at height size
//   9   (px, py, tx, ty, angle, height, text)  label with a leader from (px, py) to (tx, ty)
//   11  (x1, y1, x2, y2, dx, dy, angle, height, text, align, framed, reserved)
//                                         text at the middle of the box (x1, y1)-(x2, y2), moved by
//                                         (dx, dy) text heights; align 0 left, 1 right, 2 centred;
//                                         framed draws the box
//   12  (x1, y1, x2, y2, reserved, offset, tick, height, text, align, framed, reserved)
//                                         dimension: a line parallel to P1P2 at distance offset (left
//                                         of the direction P1->P2) with oblique ticks at its ends,
//                                         extension lines from the points, the text (height) centred
//                                         on the far side of the line; tick, align, framed not used
//   15  ()                                redraw
//   16  (left, top, width, height)        moves the widget (window part)
//   17  (BOOL)                            accepted
//   18  (group, dx, dy)                   draws the group shifted by (dx, dy) from where it was drawn
//   21  (group, kind)                     opens the group for the elements that follow (group 0 is
//                                         drawn but never picked; kind is kept)
//   22  (x, y, head, length, width, text)  arrow standing on its tip (x, y): the shaft reaches
//                                         length above it (below for a negative length), head of
//                                         the given length and width, the text beside the tail
//   23  (x1, y1, x2, y2, dx, dy, q1, q2, text1, text2)
//                                         load band on the base line P1P2 acting in direction
//                                         (dx, dy): its outer edge lies q1 and q2 against that
//                                         direction, filled; arrows from the outer edge onto the base,
//                                         outline, arrows and texts at half brightness; texts of
//                                         height |(dx, dy)|/2: text1 at the start, text2 at the end
//   24  (x1, y1, x2, y2, x3, y3)          circular arc from P1 through P2 to P3 (a line when they
//                                         lie on one line)
//   25  (x, y, kind)                      snap marker at (x, y): 1 circle, 2 square, other cross;
//                                         kind 0 hides it
//   29  (x, y, r)                         centroid mark: circle of radius r, two quarters filled
//   30  (title, minText, titleSize)       the picture's title, titleSize pixels high at the top;
//                                         texts are drawn at least minText pixels high
//   34  (x1, y1, x2, y2)                  the window of drawing units shown; all zero: fit the
//                                         content with a margin, aspect kept
//   35  (colour, line, fill, bold)        style of what follows: line 0 thin, 1 two pixels, 2 dotted,
//                                         3 dashed, 4 three pixels; fill 3 = outline only, any other
//                                         value fills; bold texts
//   37  (group, colour, line, fill)       restyles every element of a group
//   38  (fileName)                        writes the picture as an enhanced metafile
//   39  (dx, dy, a11, a12, a21, a22)      transformation of what follows: p' = A p + d
//   40  (x, y, radius, reserved, height, text)  moment: arc of 270 degrees around (x, y) with
//                                         an arrow head, counter-clockwise for a positive radius,
//                                         clockwise for a negative one; the text beside it
//   45  (x, y, angle, size, translation, cx, rotation, hatched)
//                                         support symbol with its tip at (x, y), below the point
//                                         (turned by angle): a rotation value other than 0 gives a
//                                         clamping wall; else a translation value other than 0 a
//                                         triangle on a ground line (with a second line, sliding,
//                                         when cx is 0); else cx alone a stop along the member; all
//                                         zero a small open circle; hatched adds strokes
//   53  (text, command, enabled, checked) an entry of the context menu
//   54  (show, secondDown, xName, reserved, yName)  axis cross at the lower left corner
//   55  ()                                accepted
//   57  (x, y, angle, size, length, text)  zig-zag spring from (x, y) over length, |size| wide,
//                                         upwards (turned by angle), downwards for a negative size;
//                                         the text beside it, 1.5 |size| high
// Events (Events2D): 3 press (item, x, y, shift, right button), 2 move (the
// displacement from the press point in drawing units), 4 release (item, x,
// y), 7 menu command (command id).
//
// 3-D methods (points are three floats x, y, z):
//   3   (n, points[3n], filled)           polygon
//   5   (n, yz[2n]) -> handle             a contour of n points in the section plane (y, z);
//                                         returns a new positive handle (0 when refused)
//   6   (p1, p2, h1, h2, reserved)      extrusion from contour h1 at p1 to contour h2 at p2; the
//                                         contours' y lies horizontal across the axis, z downwards as in a section
//   7   (left, top, width, height)        moves the widget (window part)
//   12  (colour)                          background
//   13  (p1, p2, size, reserved, text)    line with a text at its middle
//   14  (p1, p2, p3, size, height, reserved, kind, text1, text2)  triangle P1 P2 P3 with texts
//   16  (colour, bold, face, size, reserved)  colour and text size (pixels) of what follows
//   18  (p1, p2, p3, p4, text)            quadrilateral with a text at its centre
//   19  (colour, show, width, reserved)   colour and line width of the edges
//   21  (p1, p2, size, text1, text2, text3)  arrow from p1 to p2, texts at the tail
//   22  (p1, p2, p3, reserved, filled)    triangle
//   23  (axes, edges, shading)            axis cross, edges of the faces, flat shading
//   37  (p1, v, r, r2)                  cylinder from p1 along the vector v with radius r
//   41  (p1, p2, size, text, filled)      arrow from p1 to p2 with a text at its tip
// Events (Events3D): 1 after the camera has changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define KURVO_API __attribute__((visibility("default")))

namespace kurvo {

using COLORREF = uint32_t;  // 0x00BBGGRR

// One argument of a method call.
struct KURVO_API Arg {
    enum Kind : uint8_t { Double, Float, Long, Colour, Short, Bool, Text, Doubles, Floats };
    Kind kind = Double;
    double num = 0;
    std::string text;
    std::vector<double> values;

    static Arg D(double v) { return {Double, v, {}, {}}; }
    static Arg F(float v) { return {Float, v, {}, {}}; }
    static Arg L(int32_t v) { return {Long, static_cast<double>(v), {}, {}}; }
    static Arg C(int32_t v) { return {Colour, static_cast<double>(static_cast<uint32_t>(v)), {}, {}}; }
    static Arg S(int16_t v) { return {Short, static_cast<double>(v), {}, {}}; }
    static Arg B(bool v) { return {Bool, v ? 1.0 : 0.0, {}, {}}; }
    static Arg T(std::string_view v) { return {Text, 0, std::string(v), {}}; }
    static Arg Ds(std::vector<double> v) { return {Doubles, 0, {}, std::move(v)}; }
    static Arg Fs(std::vector<double> v) { return {Floats, 0, {}, std::move(v)}; }
};
using Args = std::vector<Arg>;

// A call as a line: "Method35(0xFFDAB5,0,0,0)"; texts quoted, arrays in [].
KURVO_API std::string FormatCall(int dispid, const Args& args);

// Anything that takes method calls by dispatch identifier.
class KURVO_API Control {
public:
    virtual ~Control();
    virtual int32_t Invoke(int dispid, const Args& args) = 0;
};

// ---- canvas ------------------------------------------------------------------

struct PointF {
    double x = 0, y = 0;
};

struct Pen {
    COLORREF colour = 0;
    int width = 1;  // pixels; 0: no outline
    int dash = 0;   // 0 solid, 1 dashed, 2 dotted
};

// Drawing surface in pixels, y down.
class KURVO_API Canvas {
public:
    virtual ~Canvas();
    virtual void Clear(COLORREF background) = 0;
    // Closed polygon; fill absent: outline only.
    virtual void Polygon(const std::vector<PointF>& pts, const Pen& pen, std::optional<COLORREF> fill) = 0;
    virtual void Polyline(const std::vector<PointF>& pts, const Pen& pen) = 0;
    // Text with the left end of its base line at p (align 0), its right end
    // (1) or its middle (2); angle in degrees counter-clockwise on screen.
    virtual void Text(PointF p, double angle, double heightPx, std::string_view text, COLORREF colour, int align,
                      bool bold) = 0;
    // The width in pixels of a text drawn at heightPx; a surface without
    // fonts answers an estimate of 0.6 × height per character.
    virtual double TextWidth(double heightPx, std::string_view text);
};

// ---- 2-D picture ---------------------------------------------------------------

struct EventArgs {
    int32_t item = 0;
    double x = 0, y = 0;
    int16_t flag1 = 0, flag2 = 0;
    int32_t command = 0;
};

class KURVO_API Events {
public:
    virtual ~Events();
    virtual void OnEvent(int code, const EventArgs& args) = 0;
};

struct MenuEntry {
    std::string text;
    int32_t command = 0;
    bool enabled = true;
    bool checked = false;
};

struct BoxF {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool empty = true;
    void Add(double x, double y);
};

class KURVO_API Graph2D : public Control {
public:
    Graph2D();
    ~Graph2D() override;
    int32_t Invoke(int dispid, const Args& args) override;

    // Size in pixels of the surface the picture is shown on (view, metafile).
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF Background() const { return background_; }

    void Render(Canvas& canvas) const;
    // Writes the picture as an enhanced metafile; false (with the metafile
    // layer's message) when it cannot be written. The metafile is trimmed to
    // what is drawn (with a small margin, at the scale of the view), so that a
    // report places it in the room it needs: the axis cross and the title
    // follow the drawing instead of the corners of the surface.
    bool WriteMetafile(const std::string& path) const;
    // The same metafile in memory: its bytes, exactly those WriteMetafile
    // would write, without a file. false (out empty) when there is nothing
    // to keep (a surface of no size).
    bool MetafileBytes(std::vector<uint8_t>& out) const;
    // A copy of the picture as it stands (its drawing, view and size; no
    // window hooks, events or menu), so that its metafile can be made
    // elsewhere while this one is drawn anew.
    std::unique_ptr<Graph2D> Snapshot() const;
    // The part of the surface (pixels) that the metafile keeps.
    BoxF MetafileFrame() const;

    // Drawing units <-> pixels of the current view.
    PointF ToPixel(PointF p) const;
    PointF ToDrawing(PointF px) const;
    double Scale() const;

    // The topmost pickable group under a pixel, within tol pixels; 0: none.
    int32_t HitTest(PointF px, double tol = 4) const;
    // Bounding box of a group as drawn (with its shift), in drawing units.
    BoxF GroupBox(int32_t group) const;
    bool HasGroup(int32_t group) const;

    // Mouse and menu input from the window part, in pixels.
    void SetEvents(Events* events) { events_ = events; }
    void MousePress(PointF px, bool shift, bool right);
    void MouseMove(PointF px);
    void MouseRelease(PointF px);
    void MenuCommand(int32_t command);
    const std::vector<MenuEntry>& Menu() const { return menu_; }

    // Window part hooks: repaint (Method15 and visible changes), move (Method16).
    void SetRepaint(std::function<void()> f) { repaint_ = std::move(f); }
    void SetMove(std::function<void(int, int, int, int)> f) { move_ = std::move(f); }

    // Number of elements drawn, all groups together (for tests and checks).
    size_t ElementCount() const;

    struct Impl;

private:
    // The drawing itself (groups and marker), and the axis cross and title
    // placed in a frame (the whole surface on screen, the trimmed part in a
    // metafile).
    void RenderContent(Canvas& canvas) const;
    void RenderDecorations(Canvas& canvas, const BoxF& frame, PointF axesOrigin) const;
    // The metafile's drawing: background, content and decorations in frame.
    void DrawMetafile(Canvas& canvas, const BoxF& frame) const;

    std::unique_ptr<Impl> impl_;
    int width_ = 640, height_ = 480;
    COLORREF background_ = 0xFFFFFF;
    Events* events_ = nullptr;
    std::vector<MenuEntry> menu_;
    std::function<void()> repaint_;
    std::function<void(int, int, int, int)> move_;
    bool pressed_ = false;
    PointF pressAt_;
    int32_t pressItem_ = 0;
};

// ---- 3-D picture -------------------------------------------------------------

class KURVO_API Graph3D : public Control {
public:
    Graph3D();
    ~Graph3D() override;
    int32_t Invoke(int dispid, const Args& args) override;

    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Render(Canvas& canvas) const;

    // Camera: a dimetric view at the start; turning (degrees) and zoom
    // (factor) from the window part; Fit shows everything.
    void Rotate(double dAzimuth, double dElevation);
    void Zoom(double factor);
    void Fit();
    void SetEvents(Events* events) { events_ = events; }
    void SetRepaint(std::function<void()> f) { repaint_ = std::move(f); }
    void SetMove(std::function<void(int, int, int, int)> f) { move_ = std::move(f); }
    size_t FaceCount() const;

    struct Impl;

private:
    void Changed();
    std::unique_ptr<Impl> impl_;
    int width_ = 400, height_ = 300;
    Events* events_ = nullptr;
    std::function<void()> repaint_;
    std::function<void(int, int, int, int)> move_;
};

}  // namespace kurvo
