// Inside the window layer: making the controls of a template, their texts
// and the notifications they send.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>
#include <string>

#include "platform/wl/templates.h"
#include "platform/wl/window.h"

namespace wl::detail {

// While one is alive, controls changed by the program send no
// notification (selection of tabs, combos, lists, sliders, checks).
class Programmatic {
public:
    Programmatic();
    ~Programmatic();
    static bool Active();
};

inline const char* kIdProperty = "wl_id";
inline const char* kKindProperty = "wl_kind";
inline const char* kStyleProperty = "wl_style";
inline const char* kClassProperty = "wl_class";
inline const char* kRawTextProperty = "wl_text";
// Tree items carry their handle in this role.
inline constexpr int kHandleRole = Qt::UserRole + 100;

QFont DialogFont();
QString ToQt(const std::string& s);
std::string FromQt(const QString& s);

int ControlId(const QWidget* w);
void SetControlId(QWidget* w, int id);
// Kind of a control made from a template (-1 for other widgets).
int ControlKind(const QWidget* w);
unsigned ControlStyle(const QWidget* w);
// A direct child with the id, or nullptr.
QWidget* FindControl(const QWidget* parent, int id);

// Makes one control as a child of parent, with id, geometry and style.
QWidget* CreateControl(const ControlTemplate& c, QWidget* parent);
// Puts the group boxes below their siblings and joins the radio buttons of
// each group (call after all controls of a template exist).
void FinishControls(QWidget* dialog);

std::string GetText(const QWidget* w);
void SetText(QWidget* w, const std::string& text);

// Sends a notification of control c to the window of its parent.
std::intptr_t NotifyFromControl(QWidget* c, Notify n);

// Spin arrows with a range and a buddy edit that shows the position.
class UpDownWidget : public QWidget {
public:
    explicit UpDownWidget(QWidget* parent);
    void SetRange(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    void SetPos(int pos);  // clamped to the range; the buddy shows it
    int Pos() const;
    void SetBuddy(QWidget* buddy) { buddy_ = buddy; }
    QWidget* Buddy() const { return buddy_; }
    // A user step (+1 up, -1 down): asks the parent (UDN_DELTAPOS) and moves.
    void Step(int direction);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    QWidget* buddy_ = nullptr;
    int lower_ = 0, upper_ = 100, pos_ = 0;
};

// The tabs of a tab row: when the row is narrower than the tabs' natural
// widths, every tab gives up part of its padding (never its text) so that all
// tabs stay in view instead of behind scroll buttons. The padding is the
// style's, lowered through a proxy style of the bar alone.
class RowTabBar : public QTabBar {
public:
    explicit RowTabBar(QWidget* parent);
    // Fits the tabs into the given width.
    void Fit(int width);
    // The width of all tabs at the style's own padding.
    int NaturalWidth() const;

protected:
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

private:
    class PaddingStyle;
    PaddingStyle* style_;
};

// Tab row: the tabs over a framed panel; the pages are sibling windows.
class TabRowWidget : public QWidget {
public:
    explicit TabRowWidget(QWidget* parent);
    QTabBar* Bar() const { return bar_; }

protected:
    void resizeEvent(QResizeEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    RowTabBar* bar_;
};

}  // namespace wl::detail
