// A device context with fixed metrics that records what is drawn: every
// character is 10 pixels wide, lines are 16 pixels high, no leading.
#pragma once

#include <string>
#include <vector>

#include "gridstyle/GSDrawing.h"

class CFakeDC : public CGSDeviceContext {
 public:
  struct Text {
    int x, y;
    bool clipped;
    GSRect clip;
    std::string text;
  };
  struct Fill {
    GSRect rect;
    uint32_t colour;
  };
  struct Edge {
    GSRect rect;
    unsigned edge, flags;
  };
  struct Blit {
    GSRect dest, source;
  };

  GSSize GetTextExtent(std::string_view text) override {
    int chars = 0;
    for (size_t i = 0; i < text.size(); i += GSCharLength(text, i)) ++chars;
    return GSSize{10 * chars, 16};
  }
  GSTextMetrics GetTextMetrics() override {
    GSTextMetrics tm;
    tm.height = 16;
    tm.ascent = 13;
    tm.descent = 3;
    tm.aveCharWidth = 10;
    tm.maxCharWidth = 10;
    return tm;
  }
  void TextOut(int x, int y, const GSRect* clip, bool, std::string_view text) override {
    texts.push_back(Text{x, y, clip != nullptr, clip ? *clip : GSRect{}, std::string(text)});
  }
  void FillSolidRect(const GSRect& r, uint32_t colour) override {
    fills.push_back(Fill{r, colour});
    bk = colour;
  }
  void DrawEdge(const GSRect& r, unsigned edge, unsigned flags) override { edges.push_back(Edge{r, edge, flags}); }
  void DrawDIB(const GSRect& dest, const GSRect& source, const CGSPackedDIB&) override {
    blits.push_back(Blit{dest, source});
  }
  CGSLogFont SelectFont(const CGSLogFont& font) override {
    CGSLogFont old = current;
    current = font;
    return old;
  }
  uint32_t SetTextColor(uint32_t c) override {
    uint32_t old = textColour;
    textColour = c;
    return old;
  }
  uint32_t SetBkColor(uint32_t c) override {
    uint32_t old = bk;
    bk = c;
    return old;
  }
  uint32_t GetBkColor() const override { return bk; }
  int SetBkMode(int mode) override {
    int old = bkMode;
    bkMode = mode;
    return old;
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const Text& t : texts) out.push_back(t.text);
    return out;
  }

  std::vector<Text> texts;
  std::vector<Fill> fills;
  std::vector<Edge> edges;
  std::vector<Blit> blits;
  CGSLogFont current;
  uint32_t textColour = 0;
  uint32_t bk = 0xFFFFFF;
  int bkMode = 2;
};
