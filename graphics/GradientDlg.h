// CGradientDlg: a dialog that paints its own background, up to three
// horizontal gradient bands (whole client area, a band at the top, a band at
// the bottom) or a bitmap in one of 13 layouts; static texts are drawn
// transparently in the text colour, and the dialog can be dragged by its
// client area. CFontCache: one process-wide map of fonts by their look.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/wl/dialog.h"

class QFont;
class QPainter;
class QRect;
class QSize;

class CGradientDlg : public wl::Dialog {
public:
    explicit CGradientDlg(int templateId);
    ~CGradientDlg() override;
    const char* ClassName() const override { return "CGradientDlg"; }

    // 1 deletes the bitmap; zeroes bitmap, layout, text colour and dragging,
    // shares back to 0.25 (top band) and 0.1 (bottom band).
    void Reset(int deleteBitmap);
    // Band 0 (whole client area), 1 (top), 2 (bottom); colours 0x00BBGGRR
    // at the left and right edge. false for another band.
    bool SetBand(int band, bool on, uint32_t start, uint32_t end);
    // The background bitmap of the window layer by id in a layout 0 to 12;
    // false (nothing kept) for a missing bitmap or another layout.
    bool SetBitmap(int bitmapId, int layout);
    void SetTextColor(uint32_t color);
    void SetBandShares(double top, double bottom);
    void SetDragByClientArea(bool on) { drag_ = on; }

    // Paints the background of a client area of the given size; false when
    // nothing is set (the default erasing then stays).
    bool PaintBackground(QPainter& p, const QSize& client);
    // Where a bitmap of size bitmap goes in a client area, one rectangle per
    // copy (stretched: one rectangle of the whole area).
    static std::vector<QRect> BitmapPlacements(int layout, const QSize& client, const QSize& bitmap);

protected:
    bool OnInitDialog() override;
    // Called after the bands or the bitmap are painted.
    virtual void OnDrawBackground(QPainter& p);

private:
    class Painter;
    struct State;
    std::unique_ptr<State> s_;
    std::unique_ptr<Painter> painter_;
    bool drag_ = false;
};

class CFontCache {
public:
    // The one instance; emptied by the module's teardown.
    static CFontCache& Instance();
    // The font of a look, made on first request and shared afterwards.
    const QFont* GetFont(const std::string& face, int italic, int underline, int height, int weight);
    // Gives the window the bold variant (weight 700) of its own font.
    void SetBoldFont(wl::Window* window);
    void Clear();
    size_t Count() const { return fonts_.size(); }
    // "%s-%d-%d-%d-%d": face, italic, underline, height, weight.
    static std::string Key(const std::string& face, int italic, int underline, int height, int weight);

private:
    std::map<std::string, std::unique_ptr<QFont>> fonts_;
};
