// The hover button: setter answers, bitmap and text placement, pressed
// offsets, bitmaps inside and outside, clicks, focus, drop-down menu and the
// look of its states on screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "graphics/HoverButton.h"
#include "graphics/OwnerDrawMenu.h"
#include "graphics/SysColors.h"
#include "platform/wl/resources.h"
#include "platform/wl/testing/gui_test.h"

using namespace graphics;

namespace {

constexpr int kBitmapIn = 7180;
constexpr int kBitmapOut = 7181;
constexpr uint32_t kGreen = 0x00FF00;

// 16 x 16 on the transparent green: a blue or red square.
QImage Bitmap(QColor ink) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(0, 255, 0));
    QPainter p(&img);
    p.fillRect(3, 3, 10, 10, ink);
    return img;
}

struct Panel {
    QWidget widget;
    wl::Window parent;
    int clicks = 0;
    Panel() {
        widget.resize(400, 200);
        parent.Attach(&widget);
        wl::RegisterBitmap(kBitmapIn, Bitmap(QColor(0, 0, 200)));
        wl::RegisterBitmap(kBitmapOut, Bitmap(QColor(200, 0, 0)));
    }
    ~Panel() { parent.Detach(); }
    // A button at (x, y), 120 x 30.
    CHoverButton& Add(CHoverButton& b, int id, const std::string& text, int x, int y) {
        QWidget* w = b.CreateControlWidget(&widget);
        b.AttachOwned(w);
        b.SetDlgCtrlID(id);
        b.SetWindowText(text);
        w->setGeometry(x, y, 120, 30);
        parent.MapCommand(id, [this] { ++clicks; });
        return b;
    }
};

QImage Render(CHoverButton& b, unsigned state, int w = 120, int h = 30) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    b.DrawItem(p, QRect(0, 0, w, h), state);
    return img;
}

void Enter(CHoverButton& b) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(b.Widget(), &e);
}
void Leave(CHoverButton& b) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(b.Widget(), &e);
}

QRect InkOf(const QImage& img, QColor c) {
    return wl::guitest::BoundingBox(img, [&](QRgb p) { return wl::guitest::Near(p, c.rgb(), 30); });
}

}  // namespace

TEST(HoverButton, SetterAnswers) {
    CHoverButton b;
    EXPECT_EQ(b.SetColor(6, 0x123456), CHoverButton::BTNST_INVALIDINDEX);
    EXPECT_EQ(b.GetColor(0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(b.SetColor(5, 0x123456), CHoverButton::BTNST_OK);
    EXPECT_EQ(b.GetColor(5), 0x123456u);
    EXPECT_EQ(b.SetPressedStyle(2), CHoverButton::BTNST_INVALIDPRESSEDSTYLE);
    EXPECT_EQ(b.PressedOffset(), (wl::Point{1, 1}));
    EXPECT_EQ(b.SetPressedStyle(1), CHoverButton::BTNST_OK);
    EXPECT_EQ(b.PressedOffset(), (wl::Point{0, 2}));
    EXPECT_EQ(b.SetBitmaps(999999, kGreen), CHoverButton::BTNST_INVALIDRESOURCE);
    QRect caption(0, 0, 120, 30);
    EXPECT_TRUE(b.PlaceImage(true, QRect(0, 0, 120, 30), caption, false).isNull());  // no bitmap kept
    // The web address is kept whole, however long.
    const std::string url = "https://www.example.com/" + std::string(300, 'a') + "/handbuch.pdf";
    b.SetURL(url.c_str());
    EXPECT_EQ(b.GetURL(), url);
    b.SetURL(nullptr);
    EXPECT_EQ(b.GetURL(), "");
}

TEST(HoverButton, PlacementAndPressedOffsets) {
    Panel panel;
    CHoverButton b;
    panel.Add(b, 1001, "", 10, 10);
    ASSERT_EQ(b.SetBitmaps(kBitmapIn, kGreen), 0);
    const QRect item(0, 0, 120, 31);
    struct Case {
        bool text;
        bool pressed;
        int style;
        QPoint at;
        int captionLeft;
    } cases[] = {
        {false, false, 0, {52, 7}, 0},  // (120 - 16) / 2, (31 - 16) / 2
        {true, false, 0, {3, 7}, 27},   // 3 + 16 * 1.5
        {true, true, 0, {4, 8}, 27},
        {false, true, 1, {52, 9}, 0},
    };
    for (const auto& c : cases) {
        b.SetPressedStyle(c.style);
        QRect caption = item;
        const QRect at = b.PlaceImage(c.text, item, caption, c.pressed);
        EXPECT_EQ(at.topLeft(), c.at) << c.text << c.pressed << c.style;
        EXPECT_EQ(caption.left(), c.captionLeft);
    }
    // On screen: the blue square (3 px into the bitmap) moves with the press.
    b.SetPressedStyle(0);
    b.SetWindowText("");
    const QRect up = InkOf(Render(b, 0), QColor(0, 0, 200));
    const QRect down = InkOf(Render(b, CHoverButton::ODS_SELECTED), QColor(0, 0, 200));
    EXPECT_EQ(up.topLeft(), QPoint(52 + 3, 7 + 3));
    EXPECT_EQ(down.topLeft() - up.topLeft(), QPoint(1, 1));
}

TEST(HoverButton, CheckBoxModeStaysInPlace) {
    Panel panel;
    QCheckBox* box = new QCheckBox(QStringLiteral("Raster"), &panel.widget);
    wl::Window* boxWin = wl::Window::FromWidgetPermanent(box);
    boxWin->SetDlgCtrlID(1002);
    box->setGeometry(10, 10, 120, 30);
    CHoverButton b;
    ASSERT_TRUE(b.SubclassDlgItem(1002, &panel.parent));
    EXPECT_TRUE(b.IsCheckBoxMode());
    EXPECT_EQ(b.GetWindowText(), "Raster");
    EXPECT_EQ(b.GetWindowRect(), (wl::Rect{10, 10, 130, 40}));
    ASSERT_EQ(b.SetBitmaps(kBitmapIn, kGreen), 0);
    QRect caption(0, 0, 120, 30);
    EXPECT_EQ(b.PlaceImage(true, QRect(0, 0, 120, 30), caption, true).topLeft(), QPoint(3, 7));
    b.SetCheck(2);
    EXPECT_EQ(b.GetCheck(), 1);
    b.SetCheck(3);
    EXPECT_EQ(b.GetCheck(), 0);
    // A click toggles and does not reach the parent.
    QTest::mouseClick(b.Widget(), Qt::LeftButton);
    EXPECT_EQ(b.GetCheck(), 1);
    EXPECT_EQ(panel.clicks, 0);
}

TEST(HoverButton, BitmapsInsideAndOutside) {
    Panel panel;
    CHoverButton one, two;
    panel.Add(one, 1003, "", 10, 10);
    panel.Add(two, 1004, "", 10, 50);
    ASSERT_EQ(one.SetBitmaps(kBitmapIn, kGreen), 0);
    ASSERT_EQ(two.SetBitmaps(kBitmapIn, kGreen, kBitmapOut, kGreen), 0);
    const QColor blue(0, 0, 200), red(200, 0, 0);
    // One bitmap shows whether the mouse is inside or not.
    EXPECT_FALSE(InkOf(Render(one, 0), blue).isEmpty());
    Enter(one);
    EXPECT_TRUE(one.IsInside());
    EXPECT_FALSE(InkOf(Render(one, 0), blue).isEmpty());
    // Two bitmaps: the second outside, the first inside.
    EXPECT_FALSE(InkOf(Render(two, 0), red).isEmpty());
    EXPECT_TRUE(InkOf(Render(two, 0), blue).isEmpty());
    Enter(two);
    EXPECT_FALSE(InkOf(Render(two, 0), blue).isEmpty());
    Leave(two);
    EXPECT_FALSE(two.IsInside());
    // The transparent green never shows.
    EXPECT_TRUE(InkOf(Render(two, 0), QColor(0, 255, 0)).isEmpty());
}

TEST(HoverButton, DoubleClickCountsTwoAndDisablingMovesTheFocus) {
    Panel panel;
    CHoverButton a, b;
    panel.Add(a, 1005, "Eins", 10, 10);
    panel.Add(b, 1006, "Zwei", 10, 50);
    panel.widget.show();
    // What the system sends for a double click: down, up, double click, up.
    const QPointF at(20, 10);
    const QPointF global = a.Widget()->mapToGlobal(at);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
        const bool down = t != QEvent::MouseButtonRelease;
        QMouseEvent e(t, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(a.Widget(), &e);
    }
    EXPECT_EQ(panel.clicks, 2);
    a.Widget()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(a.Widget()->hasFocus());
    a.EnableWindow(false);
    QApplication::processEvents();
    EXPECT_FALSE(a.Widget()->hasFocus());
    EXPECT_TRUE(b.Widget()->hasFocus());
}

TEST(HoverButton, DropDownMenuPostsTheChosenCommand) {
    RegisterMenuTable(7190, {{MF_POPUP | MF_END, 0, L"Menü"}, {0, 7191, L"&Bearbeiten"}, {MF_END, 7192, L"&Drucken"}});
    Panel panel;
    CHoverButton b;
    panel.Add(b, 1007, "Mehr", 10, 10);
    ASSERT_TRUE(b.SetMenu(7190, &panel.parent));
    EXPECT_FALSE(b.SetMenu(7199, &panel.parent));  // no such menu table: none
    ASSERT_TRUE(b.SetMenu(7190, &panel.parent));
    int chosen = 0;
    panel.parent.MapCommand(7192, [&] { chosen = 7192; });
    wl::guitest::ScriptedUi ui;
    ui.menuAnswers.push_back(7192);
    QTest::mouseClick(b.Widget(), Qt::LeftButton);
    ASSERT_EQ(ui.menus.size(), 1u);
    ASSERT_EQ(ui.menus[0].items.size(), 2u);
    EXPECT_EQ(ui.menus[0].items[1].text, "&Drucken");
    EXPECT_EQ(chosen, 0);  // posted, not sent
    wl::PumpMessages();
    EXPECT_EQ(chosen, 7192);
    EXPECT_EQ(panel.clicks, 0);
}

TEST(HoverButton, DisabledCaptionIsEmbossed) {
    Panel panel;
    CHoverButton b;
    panel.Add(b, 1008, "Drucken", 10, 10);
    b.SetDrawFlag(true);
    // White item background keeps both text colours apart from it.
    b.SetColor(CHoverButton::BTNST_COLOR_BK_OUT, 0xFFFFFF);
    const QImage img = Render(b, CHoverButton::ODS_DISABLED);
    const QRect hi = InkOf(img, SysQColor(COLOR_3DHILIGHT));
    const QRect sh = wl::guitest::BoundingBox(img, [](QRgb c) { return c == (SysQColor(COLOR_3DSHADOW).rgb() | 0xFF000000u); });
    ASSERT_FALSE(sh.isEmpty());
    // The highlight copy lies one pixel right and down of the shadow copy:
    // its last column and row stand out past the shadow's.
    const QRgb hiRgb = SysQColor(COLOR_3DHILIGHT).rgb() | 0xFF000000u;
    int below = 0;
    for (int x = sh.left(); x <= sh.right() + 1; ++x)
        if (img.pixel(x, sh.bottom() + 1) == hiRgb) ++below;
    EXPECT_GT(below, 0);
    (void)hi;
    // Every shadow pixel's neighbour one right and down is highlight or shadow.
    int checked = 0, matched = 0;
    for (int y = sh.top(); y <= sh.bottom(); ++y)
        for (int x = sh.left(); x <= sh.right(); ++x)
            if (img.pixel(x, y) == (SysQColor(COLOR_3DSHADOW).rgb() | 0xFF000000u)) {
                ++checked;
                const QRgb n = img.pixel(x + 1, y + 1);
                if (n == hiRgb || n == (SysQColor(COLOR_3DSHADOW).rgb() | 0xFF000000u)) ++matched;
            }
    EXPECT_GT(checked, 20);
    EXPECT_GE(matched, checked * 9 / 10);
}

TEST(HoverButton, ScreenshotOfTheStates) {
    Panel panel;
    panel.widget.resize(400, 250);
    struct Look {
        const char* text;
        bool flat;
        bool inside;
        bool focus;
        bool disabled;
        bool link;
    } looks[] = {
        {"Raised", false, false, false, false, false}, {"Raised Fokus", false, false, true, false, false},
        {"Flach", true, false, false, false, false},   {"Flach darüber", true, true, false, false, false},
        {"Gesperrt", true, false, false, true, false}, {"Verweis", true, true, false, false, true},
    };
    std::vector<std::unique_ptr<CHoverButton>> buttons;
    int i = 0;
    for (const auto& l : looks) {
        auto b = std::make_unique<CHoverButton>();
        panel.Add(*b, 1100 + i, l.text, 10 + (i % 2) * 190, 10 + (i / 2) * 45);
        b->Widget()->resize(180, 36);
        b->SetBitmaps(kBitmapIn, kGreen);
        b->SetDrawFlag(l.flat);
        if (l.link) b->SetLinkLook(true);
        if (l.disabled) b->EnableWindow(false);
        buttons.push_back(std::move(b));
        ++i;
    }
    panel.widget.show();
    QApplication::processEvents();
    Enter(*buttons[3]);
    Enter(*buttons[5]);
    buttons[1]->Widget()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(buttons[5]->Widget()->cursor().shape(), Qt::PointingHandCursor);
    const QImage img = wl::guitest::GrabToPng(&panel.widget, "graphics_hover_buttons");
    ASSERT_FALSE(img.isNull());
    // Raised buttons: highlight top-left edge, dark shadow bottom-right edge.
    const QRect r0 = wl::guitest::RectIn(buttons[0]->Widget(), &panel.widget);
    EXPECT_EQ(img.pixel(r0.left() + 5, r0.top()) | 0xFF000000u, SysQColor(COLOR_3DHILIGHT).rgb() | 0xFF000000u);
    EXPECT_EQ(img.pixel(r0.left() + 5, r0.bottom()) | 0xFF000000u, SysQColor(COLOR_3DDKSHADOW).rgb() | 0xFF000000u);
    // The focused raised button has the black frame, the edge one pixel inside.
    const QRect r1 = wl::guitest::RectIn(buttons[1]->Widget(), &panel.widget);
    EXPECT_EQ(img.pixel(r1.left() + 5, r1.top()) | 0xFF000000u, 0xFF000000u);
    EXPECT_EQ(img.pixel(r1.left() + 5, r1.top() + 1) | 0xFF000000u, SysQColor(COLOR_3DHILIGHT).rgb() | 0xFF000000u);
    // A flat button outside shows no frame; inside it does.
    const QRect r2 = wl::guitest::RectIn(buttons[2]->Widget(), &panel.widget);
    EXPECT_EQ(img.pixel(r2.left() + 5, r2.top()) | 0xFF000000u, SysQColor(COLOR_BTNFACE).rgb() | 0xFF000000u);
    const QRect r3 = wl::guitest::RectIn(buttons[3]->Widget(), &panel.widget);
    EXPECT_EQ(img.pixel(r3.left() + 5, r3.bottom()) | 0xFF000000u, SysQColor(COLOR_3DSHADOW).rgb() | 0xFF000000u);
    // The link look has no frame while inside and blue text.
    const QRect r5 = wl::guitest::RectIn(buttons[5]->Widget(), &panel.widget);
    EXPECT_FALSE(InkOf(img.copy(r5), QColor(0, 0, 255)).isEmpty());
}

TEST(HoverButton, SoundsGoToThePlayer) {
    Panel panel;
    CHoverButton b;
    panel.Add(b, 1009, "Ton", 10, 10);
    std::vector<std::string> played;
    auto previous = SetSoundPlayer([&](const CHoverButton::Sound& s) { played.push_back(s.name); });
    Enter(b);  // no sound set: nothing
    Leave(b);
    b.SetSound(true, {"hover.wav", "", 0});
    b.SetSound(false, {"click.wav", "", 0});
    Enter(b);
    QTest::mouseClick(b.Widget(), Qt::LeftButton);
    EXPECT_EQ(played, (std::vector<std::string>{"hover.wav", "click.wav"}));
    SetSoundPlayer(previous);
}
