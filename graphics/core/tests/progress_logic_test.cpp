// The progress window's logic without the toolkit: percentages, steps past
// the end, owner handling and the cancel flag, with a recording provider and
// with none.
#include <gtest/gtest.h>

#include <map>

#include "graphics/core/ProgressDlg.h"
#include "platform/winsys/winsys.h"

namespace {

struct Shown {
    std::map<int, std::string> texts;
    std::string caption;
    int32_t lower = 0, upper = 0, pos = -1;
    bool open = false;
    bool cancel = false;
    int pumps = 0;
};

class FakeWindow : public winsys::ProgressWindow {
public:
    explicit FakeWindow(Shown& s) : s_(s) { s_.open = true; s_.texts[CProgressDlg::kPercentId] = " 0 %"; }
    ~FakeWindow() override { s_.open = false; }
    void SetCaption(const std::string& t) override { s_.caption = t; }
    void SetItemText(int id, const std::string& t) override { s_.texts[id] = t; }
    std::string GetItemText(int id) const override { return s_.texts[id]; }
    void SetBar(int, int32_t l, int32_t u, int32_t p) override { s_.lower = l, s_.upper = u, s_.pos = p; }
    bool CancelPressed() const override { return s_.cancel; }
    void Pump() override { ++s_.pumps; }

private:
    Shown& s_;
};

class FakeProvider : public winsys::ProgressWindowProvider {
public:
    FakeProvider() { previous_ = winsys::SetProgressWindowProvider(this); }
    ~FakeProvider() override { winsys::SetProgressWindowProvider(previous_); }
    std::uintptr_t SafeOwner(std::uintptr_t parent) override { return parent; }
    bool IsWindowEnabled(std::uintptr_t w) override { return enabled[w]; }
    void EnableWindow(std::uintptr_t w, bool e) override { enabled[w] = e; }
    std::unique_ptr<winsys::ProgressWindow> Open(int id, std::uintptr_t, const winsys::TranslationNames& n) override {
        templateId = id;
        names = n;
        if (fail) return nullptr;
        return std::make_unique<FakeWindow>(shown);
    }
    std::map<std::uintptr_t, bool> enabled;
    Shown shown;
    int templateId = 0;
    winsys::TranslationNames names;
    bool fail = false;

private:
    winsys::ProgressWindowProvider* previous_;
};

}  // namespace

TEST(ProgressLogic, PercentTexts) {
    struct Case {
        int32_t pos, lower, upper;
        const char* text;
    } cases[] = {
        {40, 0, 100, "40%"},   {100, 0, 100, "100%"}, {110, 0, 100, "10%"},  {200, 0, 100, "0%"},
        {5, 0, 8, "62%"},      {-50, -100, 0, "50%"}, {7, 7, 7, "0%"},  // equal ends: no division
        {2000000000, -2000000000, 2000000000, "100%"},                  // full 32-bit range
    };
    for (const auto& c : cases)
        EXPECT_EQ(CProgressDlg::PercentTextOf(c.pos, c.lower, c.upper), c.text) << c.pos << " " << c.upper;
}

TEST(ProgressLogic, StepsWithAndWithoutWindow) {
    // Range 0-100, step 10: ten steps reach 100%, the eleventh wraps the text
    // to 10% while the bar stays at its end.
    struct Case {
        int steps;
        int32_t previous;
        const char* text;
        int32_t bar;
    } cases[] = {{1, 0, "10%", 10}, {4, 30, "40%", 40}, {10, 90, "100%", 100}, {11, 100, "10%", 100}};
    for (bool withWindow : {true, false}) {
        for (const auto& c : cases) {
            std::unique_ptr<FakeProvider> provider;
            if (withWindow) provider = std::make_unique<FakeProvider>();
            CProgressDlg dlg(CProgressDlg::kReportCaptionId);
            ASSERT_EQ(dlg.Create(0), 1);
            EXPECT_EQ(dlg.HasWindow(), withWindow);
            int32_t previous = -1;
            for (int i = 0; i < c.steps; ++i) previous = dlg.StepIt();
            EXPECT_EQ(previous, c.previous) << c.steps;
            EXPECT_EQ(dlg.PercentText(), c.text) << c.steps;
            EXPECT_EQ(dlg.GetPos(), c.bar) << c.steps;
            if (withWindow) {
                EXPECT_EQ(provider->shown.texts[CProgressDlg::kPercentId], c.text);
                EXPECT_EQ(provider->shown.pos, c.bar);
                EXPECT_EQ(provider->shown.pumps, c.steps);
                EXPECT_EQ(provider->shown.caption, "Fortschrittsanzeige");
                EXPECT_EQ(provider->templateId, 504);
                EXPECT_EQ(provider->names.section, "velor_i_common");
                EXPECT_EQ(provider->names.dialog, "ProgressDlg");
            }
        }
    }
}

TEST(ProgressLogic, LargeRangeKeepsTheBarInRange) {
    FakeProvider provider;
    CProgressDlg dlg;
    ASSERT_EQ(dlg.Create(0), 1);
    EXPECT_EQ(provider.shown.caption, "");  // the default caption has no string
    dlg.SetRange(0, 1000000);
    dlg.SetStep(250000);
    dlg.StepIt();
    dlg.StepIt();
    EXPECT_EQ(provider.shown.upper, 1000000);  // not cut to 16 bits
    EXPECT_EQ(provider.shown.pos, 500000);
    EXPECT_EQ(dlg.PercentText(), "50%");
}

TEST(ProgressLogic, OwnerAndCancel) {
    const std::uintptr_t owner = 77;
    for (bool ownerEnabled : {true, false}) {
        FakeProvider provider;
        provider.enabled[owner] = ownerEnabled;
        {
            CProgressDlg dlg(CProgressDlg::kCalculateCaptionId);
            ASSERT_EQ(dlg.Create(owner), 1);
            EXPECT_FALSE(provider.enabled[owner]);
            EXPECT_EQ(provider.shown.caption, "Berechne aktuelles Dokument");
            dlg.OnCancel();
            dlg.OnCancel();
            EXPECT_TRUE(dlg.IsCancelled());
            EXPECT_TRUE(provider.shown.open);  // cancelling does not close
            dlg.DestroyWindow();
            EXPECT_FALSE(provider.shown.open);
            EXPECT_EQ(provider.enabled[owner], ownerEnabled);
        }
        EXPECT_EQ(provider.enabled[owner], ownerEnabled);
    }
    // The cancel button of the window is read back between the steps.
    FakeProvider provider;
    CProgressDlg dlg;
    ASSERT_EQ(dlg.Create(0), 1);
    EXPECT_FALSE(dlg.IsCancelled());
    provider.shown.cancel = true;
    dlg.StepIt();
    EXPECT_TRUE(dlg.IsCancelled());
}

TEST(ProgressLogic, FailedWindowLeavesTheOwner) {
    FakeProvider provider;
    provider.enabled[5] = true;
    provider.fail = true;
    CProgressDlg dlg;
    EXPECT_EQ(dlg.Create(5), 0);
    EXPECT_TRUE(provider.enabled[5]);
    EXPECT_FALSE(dlg.OwnerDisabled());
}
