// The graph controls on screen: widgets that paint the 2-D and 3-D pictures
// of platform/kurvo with QPainter, turn mouse and keys into the pictures'
// events, show the 2-D picture's menu entries as a context menu through the
// window layer's UI service, and follow the pictures' move requests. A
// picture can also be rendered into an image.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/kurvo/kurvo.h"
#include "platform/wl/window.h"

#define KURVOQT_API __attribute__((visibility("default")))

namespace kurvoqt {

// A window of the window layer holding a 2-D picture; bound to a template's
// custom control it makes its widget there (CreateControlWidget).
class KURVOQT_API Graph2DWindow : public wl::Window {
public:
    Graph2DWindow();
    ~Graph2DWindow() override;
    const char* ClassName() const override { return "Graph2DWindow"; }
    QWidget* CreateControlWidget(QWidget* parent) override;
    // Makes the widget as a child of parent (or top-level) at the given size.
    bool Create(QWidget* parent, int width, int height);
    kurvo::Graph2D& Graph() { return graph_; }
    void OnContextMenu(wl::Window* w, wl::Point pos) override;

private:
    kurvo::Graph2D graph_;
};

class KURVOQT_API Graph3DWindow : public wl::Window {
public:
    Graph3DWindow();
    ~Graph3DWindow() override;
    const char* ClassName() const override { return "Graph3DWindow"; }
    QWidget* CreateControlWidget(QWidget* parent) override;
    bool Create(QWidget* parent, int width, int height);
    kurvo::Graph3D& Graph() { return graph_; }

private:
    kurvo::Graph3D graph_;
};

// The picture at the given size, as the widget would show it.
KURVOQT_API QImage Render(kurvo::Graph2D& graph, int width, int height);
KURVOQT_API QImage Render(kurvo::Graph3D& graph, int width, int height);

}  // namespace kurvoqt
