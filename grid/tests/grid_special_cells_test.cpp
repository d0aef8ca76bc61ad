// Button, check, radio, drop-down and rich-text cells of the grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "grid/GridCellSpecial.h"
#include "grid/GridCtrl.h"
#include "platform/richedit/rtf_reader.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixtureT;

namespace {

class CellGrid : public CGridCtrl {
public:
    int buttonClicks = 0, checkClicks = 0, comboIndex = -2, lastKey = -1;
    void OnButtonCellClicked(int, int) override { ++buttonClicks; }
    void OnCheckCellClicked(int, int) override { ++checkClicks; }
    void OnComboCellSelChanged(int, int, int index) override { comboIndex = index; }

protected:
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override {
        if (n.code == GN_ENDLABELEDIT) lastKey = int(GridRecord<GRIDDISPINFO>(n)->item.lParam);
        return CGridCtrl::OnNotify(n, result);
    }
};
using Fixture = GridFixtureT<CellGrid>;

template <class Cell>
Cell* Make(CGridCtrl& g, int row, int col, const CGridRuntimeClass* cls) {
    g.SetCellClass(row, col, cls);
    return dynamic_cast<Cell*>(g.GetCell(row, col));
}
#define MAKE(Cell, g, r, c) Make<Cell>(g, r, c, GRID_RUNTIME_CLASS(Cell))

CGridCellCombo* OpenCombo(Fixture& f, int choices, unsigned style) {
    auto* cell = MAKE(CGridCellCombo, f.grid, 1, 1);
    std::vector<std::string> list;
    for (int i = 0; i < choices; ++i) list.push_back("choice " + std::to_string(i));
    cell->SetOptions(list);
    cell->SetStyle(style);
    f.grid.SetItemText(1, 1, "choice 1");
    f.grid.SetFocusCell(1, 1);
    f.grid.OnEditCell(1, 1, {-1, -1}, VK_LBUTTON);
    return cell;
}

QImage Render(CGridCtrl& g, int row, int col) {
    wl::Rect r;
    g.GetCellRect(row, col, r);
    QImage img(r.Width() + 1, r.Height() + 1, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    g.GetCell(row, col)->Draw(&p, row, col, {0, 0, r.Width(), r.Height()});
    return img;
}

}  // namespace

TEST(GridComboCell, ListHeightFollowsTheChoices) {
    const std::pair<int, int> cases[] = {{2, 4}, {4, 4}, {9, 9}, {20, 15}};
    for (const auto& [choices, visible] : cases) {
        SCOPED_TRACE(choices);
        Fixture f;
        CGridCellCombo* cell = OpenCombo(f, choices, CGridCellCombo::CBS_DROPDOWNLIST);
        ASSERT_NE(cell->GetComboWnd(), nullptr);
        EXPECT_EQ(cell->GetComboWnd()->GetVisibleItems(), visible);
        EXPECT_EQ(cell->GetComboWnd()->maxVisibleItems(), visible);
        EXPECT_EQ(cell->GetComboWnd()->currentText().toStdString(), "choice 1");
        EXPECT_LE(cell->GetComboWnd()->DroppedWidth(), 200);
        cell->EndEdit();
    }
}

TEST(GridComboCell, KeysEndTheList) {
    struct Case {
        const char* name;
        unsigned style;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int lastKey;
    };
    const Case cases[] = {
        {"tab in a list ends like enter", CGridCellCombo::CBS_DROPDOWNLIST, Qt::Key_Tab, Qt::NoModifier, VK_RETURN},
        {"tab in the edit field too", CGridCellCombo::CBS_DROPDOWN, Qt::Key_Tab, Qt::NoModifier, VK_RETURN},
        {"escape", CGridCellCombo::CBS_DROPDOWNLIST, Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE},
        {"ctrl+down", CGridCellCombo::CBS_DROPDOWNLIST, Qt::Key_Down, Qt::ControlModifier, VK_DOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        CGridCellCombo* cell = OpenCombo(f, 3, c.style);
        CGridComboWnd* combo = cell->GetComboWnd();
        ASSERT_NE(combo, nullptr);
        QPointer<CGridComboWnd> guard(combo);
        QWidget* target = combo->lineEdit() ? static_cast<QWidget*>(combo->lineEdit()) : combo;
        QTest::keyClick(target, c.key, c.mods);
        EXPECT_EQ(f.grid.lastKey, c.lastKey);
        EXPECT_TRUE(guard.isNull() || guard->isHidden());
        EXPECT_EQ(f.grid.GetItemText(1, 1), "choice 1");
    }
}

TEST(GridComboCell, ChoosingAnEntryWritesTheCellAndTellsTheGrid) {
    Fixture f;
    CGridCellCombo* cell = OpenCombo(f, 3, CGridCellCombo::CBS_DROPDOWNLIST);
    CGridComboWnd* combo = cell->GetComboWnd();
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(f.grid.GetItemText(1, 1), "choice 2");
    EXPECT_EQ(f.grid.comboIndex, 2);
}

TEST(GridCheckCell, DisabledCellDrawsInactiveAndIgnoresClicks) {
    Fixture f;
    auto* check = MAKE(CGridCellCheck, f.grid, 2, 2);
    ASSERT_NE(check, nullptr);
    check->SetCheck(true);
    const QImage enabled = Render(f.grid, 2, 2);
    check->SetDisabled(true);
    EXPECT_NE(Render(f.grid, 2, 2), enabled);  // the box drawn inactive
    check->SetDisabled(false);
    check->SetCheck(false);
    wl::Rect r;
    f.grid.GetCellRect(2, 2, r);
    const wl::Rect box = check->BoxRect(r);
    const wl::Point inBox{box.left - r.left + 3, box.top - r.top + 3};

    check->OnClick(inBox);
    EXPECT_TRUE(check->GetCheck());
    EXPECT_EQ(f.grid.checkClicks, 1);
    check->OnClick({0, r.Height()});  // below the box
    EXPECT_TRUE(check->GetCheck());

    check->SetCheck(false);
    check->SetDisabled(true);
    EXPECT_FALSE(check->IsEditable());
    check->OnClick(inBox);
    EXPECT_FALSE(check->Activate());
    EXPECT_FALSE(check->GetCheck());
    EXPECT_EQ(f.grid.checkClicks, 1);

    SCOPED_TRACE("a radio cell toggles through Activate and leaves others to the grid");
    auto* radio = MAKE(CVKTGridCellRadio, f.grid, 3, 2);
    EXPECT_TRUE(radio->Activate());
    EXPECT_TRUE(radio->GetCheck());
    EXPECT_EQ(f.grid.checkClicks, 2);
}

TEST(GridButtonCell, ClickOnTheOnePixelBorderDoesNothing) {
    Fixture f;
    auto* button = MAKE(CGridCellButton, f.grid, 2, 2);
    ASSERT_NE(button, nullptr);
    Render(f.grid, 2, 2);
    button->OnClick({0, 0});
    EXPECT_EQ(f.grid.buttonClicks, 0);
    button->OnClick({4, 4});
    EXPECT_EQ(f.grid.buttonClicks, 1);
    EXPECT_TRUE(button->IsEditable());
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(f.grid.buttonClicks, 2);
}

TEST(GridRichCell, SuperscriptDocumentAndItsSizes) {
    const std::string rtf = BuildRichCellRtf("x\\super 2\\super0 y", "Tahoma", 0, CLR_DEFAULT, 0);
    const std::string tail = "x\\super \\fs20 2\\nosupersub\\fs16 y\\par }";
    ASSERT_GE(rtf.size(), tail.size());
    EXPECT_EQ(rtf.substr(rtf.size() - tail.size()), tail);
    // A default background is white (colour 2), the text black (colour 1).
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;"), std::string::npos);
    EXPECT_NE(rtf.find("\\fs16\\cf1\\cb2\\ql "), std::string::npos);
    EXPECT_NE(BuildRichCellRtf("a", "", 0x0000FF, 0x00FF00, DT_CENTER).find("Tahoma;}"), std::string::npos);
    EXPECT_NE(BuildRichCellRtf("a", "", 0x0000FF, 0x00FF00, DT_CENTER).find("\\red255\\green0\\blue0;\\red0\\green255"),
              std::string::npos);

    QTextDocument doc;
    ASSERT_TRUE(richedit::ReadRtf(rtf, doc).read);
    std::map<std::string, QTextCharFormat> formats;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString t = it.fragment().text();
            for (QChar ch : t)
                if (!ch.isSpace()) formats[QString(ch).toStdString()] = it.fragment().charFormat();
        }
    ASSERT_TRUE(formats.count("2") && formats.count("y") && formats.count("x"));
    EXPECT_EQ(formats["2"].verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_DOUBLE_EQ(formats["2"].fontPointSize(), 10.0);
    EXPECT_EQ(formats["y"].verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_DOUBLE_EQ(formats["y"].fontPointSize(), 8.0);
    EXPECT_DOUBLE_EQ(formats["x"].fontPointSize(), 8.0);
}

TEST(GridRichCell, SizeWordWithoutBlankGetsOne) {
    // "\sub0" directly before a letter leaves "\fs0" glued to it.
    const std::string rtf = BuildRichCellRtf("a\\sub i\\sub0b", "", 0, CLR_DEFAULT, 0);
    EXPECT_NE(rtf.find("a\\sub \\fs20 i\\nosupersub\\fs16 b\\par }"), std::string::npos);
}
