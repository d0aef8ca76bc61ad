// Owner-drawn menus: the pure rules (lightening, check mark, measuring, tab
// alignment, menu characters, synchronisation), the model (items, submenus,
// menu tables, menu bar) and the painting in both looks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPainter>

#include "graphics/OwnerDrawMenu.h"
#include "graphics/SysColors.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

using namespace graphics;

TEST(OwnerDrawMenuRules, Lighten) {
    struct Case {
        uint32_t c;
        double f;
        uint32_t out;
    } cases[] = {
        {0x000000, 0.5, 0x808080},  // 127.5 rounds up
        {0x123456, 0.0, 0x123456}, {0x123456, 1.0, 0x123456}, {0x123456, -0.2, 0x123456},
        {0x0000FF, 0.25, 0x4040FF},  // 63.75 -> 64
        {0xFFFFFF, 0.7, 0xFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(LightenColor(c.c, c.f), c.out) << std::hex << c.c << " " << c.f;
}

TEST(OwnerDrawMenuRules, CheckMarkColumns) {
    const auto pts = CheckMarkPixels(10, 20);
    ASSERT_EQ(pts.size(), 21u);
    const int firstRow[7] = {22, 23, 24, 23, 22, 21, 20};
    for (int col = 0; col < 7; ++col) {
        std::vector<int> rows;
        for (const auto& p : pts)
            if (p.x == 10 + col) rows.push_back(p.y);
        EXPECT_EQ(rows, (std::vector<int>{firstRow[col], firstRow[col] + 1, firstRow[col] + 2})) << col;
    }
}

TEST(OwnerDrawMenuRules, Measure) {
    struct Case {
        bool separator, flat, wide;
        int text;
        wl::Size size;
    } cases[] = {
        {true, true, true, 0, {0, 11}},     // (15 + 7) / 2
        {true, false, true, 0, {0, 9}},     // (15 + 4) / 2
        {false, true, true, 50, {81, 22}},  // 16 + 50 + 7 + 8; 7 + 15
        {false, true, false, 50, {78, 19}}, // spacing 4: the menu-bar height wins
        {false, false, true, 50, {83, 19}}, // 50 + 2 * 16 + 1
    };
    for (const auto& c : cases) {
        MenuMeasure m;
        m.separator = c.separator;
        m.flat = c.flat;
        m.wideSpacing = c.wide;
        m.textWidth = c.text;
        EXPECT_EQ(MeasureMenuItem(m), c.size) << c.separator << c.flat << c.wide;
    }
}

TEST(OwnerDrawMenuRules, TabsAndMenuChars) {
    // One pixel per character: the widest part (a text without tab counts whole) plus a blank is 17 wide.
    auto width = [](const std::wstring& s) { return static_cast<int>(s.size()); };
    const auto out = AlignTabTexts({L"&Öffnen\tStrg+O", L"Speichern &unter", L"&Neu\tStrg+N", L"Rückgängig"}, width);
    EXPECT_EQ(out[0], L"&Öffnen" + std::wstring(10, L' ') + L"\tStrg+O");  // as wide as "Speichern &unter "
    EXPECT_EQ(out[1], L"Speichern &unter");  // no tab: unchanged
    EXPECT_EQ(out[2], L"&Neu" + std::wstring(13, L' ') + L"\tStrg+N");
    EXPECT_EQ(out[3], L"Rückgängig");

    const std::vector<std::wstring> texts{L"&Datei", L"Speichern &unter", L"&Über", L"x&U"};
    EXPECT_EQ(MatchMenuChar(L'u', texts), 0x20001);
    EXPECT_EQ(MatchMenuChar(L'U', texts), 0x20001);  // any case
    EXPECT_EQ(MatchMenuChar(L'ü', texts), 0x20002);
    EXPECT_EQ(MatchMenuChar(L'D', texts), 0x20000);
    EXPECT_EQ(MatchMenuChar(L'q', texts), 0);
}

TEST(OwnerDrawMenuRules, SyncKeepsRecordsOfTheirKind) {
    std::vector<std::unique_ptr<CMenuItemData>> records;
    auto rec = [&](intptr_t id, const wchar_t* text) {
        auto r = std::make_unique<CMenuItemData>();
        r->id = id;
        r->text = text;
        r->flags = MF_OWNERDRAW;
        CMenuItemData* raw = r.get();
        records.push_back(std::move(r));
        return raw;
    };
    CMenuItemData* open = rec(100, L"Öffnen");
    rec(0, L"");
    rec(300, L"Gelöscht");  // no longer in the menu
    std::vector<MenuPosition> pos{
        {MF_SEPARATOR, 0, L"", nullptr},
        {0, 100, L"", nullptr},          // owner-drawn: no string of its own
        {MF_CHECKED, 200, L"Neu", nullptr},  // added behind the menu's back
    };
    auto out = SyncMenuItemData(pos, std::move(records));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0]->id, 0);
    EXPECT_EQ(out[1].get(), open);
    EXPECT_EQ(out[1]->text, L"Öffnen");
    EXPECT_EQ(out[2]->id, 200);
    EXPECT_EQ(out[2]->text, L"Neu");
    EXPECT_EQ(out[2]->flags, MF_CHECKED | MF_BYPOSITION | MF_OWNERDRAW);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(pos[i].data, out[i].get());
    EXPECT_TRUE(pos[0].flags & MF_OWNERDRAW);
}

TEST(OwnerDrawMenuModel, ItemsSubmenusAndCommands) {
    COwnerDrawMenu menu, sub;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(sub.CreatePopupMenu());
    EXPECT_TRUE(sub.AppendItem("Tabelle", 0, 501));
    EXPECT_TRUE(sub.AppendItem("", 0, 0));  // a separator
    EXPECT_TRUE(menu.AppendItem("&Einfügen", MF_POPUP, sub.GetSafeHmenu()));
    EXPECT_TRUE(menu.AppendItem("&Löschen", MF_GRAYED, 502));
    EXPECT_TRUE(COwnerDrawMenu::IsOwnerDrawSubmenu(sub.GetSafeHmenu()));
    EXPECT_EQ(sub.GetMenuState(1), MF_SEPARATOR | MF_OWNERDRAW);
    EXPECT_EQ(menu.FindCommand(501), std::make_pair(&sub, 0));
    EXPECT_EQ(menu.FindCommand(502), std::make_pair(&menu, 1));
    EXPECT_EQ(menu.FindCommand(999), std::make_pair(static_cast<COwnerDrawMenu*>(nullptr), -1));
    EXPECT_EQ(menu.OnMenuChar(L'l', MF_POPUP), 0x20001);
    EXPECT_EQ(menu.OnMenuChar(L'l', 0), 0);  // only popup menus answer

    // An item added with the plain menu call is taken up before matching.
    ASSERT_TRUE(menu.AppendMenu(0, 503, L"&Kopieren"));
    EXPECT_EQ(menu.OnMenuChar(L'k', MF_POPUP), 0x20002);
    EXPECT_EQ(menu.ItemData().size(), 3u);

    const wl::Menu m = menu.ToMenu();
    ASSERT_EQ(m.items.size(), 3u);
    EXPECT_EQ(m.items[0].items.size(), 2u);
    EXPECT_EQ(m.items[0].items[0].id, 501);
    EXPECT_TRUE(m.items[1].disabled);

    menu.DestroyMenu();
    EXPECT_FALSE(COwnerDrawMenu::IsOwnerDrawSubmenu(sub.GetSafeHmenu()));
    EXPECT_TRUE(menu.ItemData().empty());
}

TEST(OwnerDrawMenuModel, LoadFromMenuTable) {
    RegisterMenuTable(7301, {
                                {MF_POPUP, 0, L"&Datei"},
                                {0, 100, L"&Neu\tStrg+N"},
                                {0, 101, L"&Öffnen ...\tStrg+O"},
                                {MF_SEPARATOR, 0, L""},
                                {MF_POPUP | MF_END, 0, L"&Export"},
                                {0, 110, L"RTF"},
                                {MF_END, 111, L"PDF"},
                                {MF_POPUP | MF_END, 0, L"&Hilfe"},
                                {MF_END, 120, L"Info"},
                            });
    COwnerDrawMenu menu;
    EXPECT_FALSE(menu.LoadMenu(7399));  // no such table
    ASSERT_TRUE(menu.LoadMenu(7301));
    EXPECT_TRUE(menu.LoadedFromResource());
    ASSERT_EQ(menu.GetMenuItemCount(), 2);
    // The top level is a menu bar of plain popup items.
    EXPECT_EQ(menu.GetMenuString(0), L"&Datei");
    EXPECT_EQ(menu.GetMenuState(0), MF_POPUP);
    EXPECT_EQ(menu.ItemData()[0]->flags, MF_BYPOSITION | MF_POPUP);
    COwnerDrawMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->GetMenuItemCount(), 4);
    EXPECT_EQ(file->GetSubMenu(3)->GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetSubMenu(1)->GetMenuItemCount(), 1);
    // Tab texts of a level line up: the left parts have the same width.
    const QFontMetrics fm(QApplication::font("QMenu"));
    auto left = [&](const std::wstring& t) {
        return fm.horizontalAdvance(QString::fromStdWString(t.substr(0, t.find(L'\t'))));
    };
    const int a = left(file->ItemData()[0]->text);
    const int b = left(file->ItemData()[1]->text);
    EXPECT_LE(std::abs(a - b), fm.horizontalAdvance(QLatin1Char(' ')));
    EXPECT_EQ(menu.FindCommand(111).first, file->GetSubMenu(3));
}

TEST(OwnerDrawMenuModel, ThemeKeyChoosesTheLook) {
    const std::string key = "Software\\Microsoft\\Plus!\\Themes\\Current";
    winsys::RegDeleteKey(winsys::Hive::CurrentUser, key);
    EXPECT_FALSE(ReadClassicTheme());  // absent: not classic
    winsys::RegSetString(winsys::Hive::CurrentUser, key, "", "C:\\WINDOWS\\Resources\\Themes\\WINDOWS CLASSIC.theme");
    EXPECT_TRUE(ReadClassicTheme());
    winsys::RegSetString(winsys::Hive::CurrentUser, key, "", "C:\\WINDOWS\\Resources\\Themes\\Luna.theme");
    EXPECT_FALSE(ReadClassicTheme());
    winsys::RegDeleteKey(winsys::Hive::CurrentUser, key);
    EXPECT_EQ(WindowsVersionCode(), 7);
}

namespace {

// A small 16 x 15 image: a dark square on the button face.
QImage Icon(QColor ink) {
    QImage img(16, 15, QImage::Format_ARGB32);
    img.fill(SysQColor(COLOR_BTNFACE));
    QPainter p(&img);
    p.fillRect(3, 3, 10, 9, ink);
    return img;
}

QImage ShowMenu(COwnerDrawMenu& menu, const MenuLook& look, int active, const std::string& name) {
    std::unique_ptr<QMenu> q(menu.CreateQMenu(nullptr, look));
    q->popup(QPoint(10, 10));
    wl::guitest::ProcessEventsFor(20);
    if (active >= 0) q->setActiveAction(q->actions().at(active));
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(q.get(), name);
    q->hide();
    return img;
}

}  // namespace

TEST(OwnerDrawMenuPaint, BothLooksOnScreen) {
    COwnerDrawMenu::ClearImages();
    COwnerDrawMenu menu, sub;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(sub.CreatePopupMenu());
    COwnerDrawMenu::AddCommandImage(601, Icon(QColor(0, 0, 160)));
    COwnerDrawMenu::AddCommandImage(602, Icon(QColor(160, 0, 0)));
    sub.AppendItem("Tabelle", 0, 610);
    menu.AppendItem("&Ausschneiden\tStrg+X", 0, 601);
    menu.AppendItem("&Kopieren\tStrg+C", 0, 602);
    menu.AppendItem("Ei&nfügen\tStrg+V", MF_GRAYED, 603);
    menu.AppendItem("", 0, 0);
    menu.AppendItem("&Raster zeigen", MF_CHECKED, 604);
    menu.AppendItem("&Objekt", MF_POPUP, sub.GetSafeHmenu());
    menu.AlignTabs();

    MenuLook flat;  // the XP look: flat, wide spacing
    const QImage f = ShowMenu(menu, flat, 0, "graphics_owner_draw_menu_flat");
    ASSERT_FALSE(f.isNull());
    // The selected item is the highlight colour lightened by 0.7; probe the
    // text area right of the image column, away from text and frame.
    const QColor sel = ToQColor(LightenColor(GetSysColor(COLOR_HIGHLIGHT), 0.7));
    const int y = 2 + 1 + 11;  // margin, panel, middle of the first 22-pixel item
    EXPECT_TRUE(wl::guitest::Near(f.pixel(f.width() - 10, y), sel.rgb(), 2))
        << std::hex << f.pixel(f.width() - 10, y) << " " << sel.rgb();
    // The image column of an unselected item is the button face, the text area the window colour.
    EXPECT_TRUE(wl::guitest::Near(f.pixel(5, y + 22 + 1), SysQColor(COLOR_BTNFACE).rgb(), 2));
    EXPECT_TRUE(wl::guitest::Near(f.pixel(f.width() - 10, y + 22), SysQColor(COLOR_WINDOW).rgb(), 2));

    MenuLook classic{false, false, true};
    const QImage c = ShowMenu(menu, classic, 1, "graphics_owner_draw_menu_classic");
    ASSERT_FALSE(c.isNull());
    // Classic: the selected item's text area in the highlight colour.
    const int yc = 2 + 1 + 19 + 9;
    EXPECT_TRUE(wl::guitest::Near(c.pixel(c.width() - 10, yc), SysQColor(COLOR_HIGHLIGHT).rgb(), 2));
    EXPECT_GT(c.height(), 0);
    EXPECT_LT(c.height(), f.height());  // spacing 4 instead of 7
}

TEST(OwnerDrawMenuPaint, CheckMarkPixelsOnScreen) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem("Raster", MF_CHECKED, 604);
    CMenuItemData item = *menu.ItemData()[0];
    for (bool flatLook : {true, false}) {
        MenuLook look{flatLook, flatLook, true};
        QImage img(120, 22, QImage::Format_ARGB32);
        QPainter p(&img);
        menu.DrawItem(p, QRect(0, 0, 120, 22), item, false, look);
        p.end();
        const int col = flatLook ? 24 : 19;
        const int bx = flatLook ? std::max(0, (col - 16 + 1) / 2) + 5 : 4;
        const int by = flatLook ? std::max(0, (22 - 16 + 1) / 2) + 4 : 4;
        const QRgb text = SysQColor(COLOR_MENUTEXT).rgb();
        for (const auto& pt : CheckMarkPixels(bx, by)) EXPECT_EQ(img.pixel(pt.x, pt.y) | 0xFF000000u, text | 0xFF000000u) << flatLook;
    }
}
