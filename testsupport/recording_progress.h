// A progress-window provider without windows that records what a run shows:
// the templates opened, captions, item texts in order, bar settings and the
// enabling of a stand-in owner window. Installed while the object lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"

namespace test_support {

class RecordingProgressProvider : public winsys::ProgressWindowProvider {
public:
    struct Item {
        int id;
        std::string text;
    };
    struct Bar {
        int id;
        int32_t lower, upper, pos;
    };
    static constexpr std::uintptr_t kOwner = 77;

    RecordingProgressProvider() : previous_(winsys::SetProgressWindowProvider(this)) {}
    ~RecordingProgressProvider() override { winsys::SetProgressWindowProvider(previous_); }
    RecordingProgressProvider(const RecordingProgressProvider&) = delete;
    RecordingProgressProvider& operator=(const RecordingProgressProvider&) = delete;

    // What was recorded.
    std::vector<int> opened;             // template ids
    std::vector<std::string> captions;
    std::vector<Item> items;             // every text set, in order
    std::vector<Bar> bars;
    std::vector<bool> ownerStates;       // the owner's enabling, one entry per change
    std::vector<bool> ownerWhileShown;   // the owner's enabling at each text set
    int open = 0;                        // windows open now
    bool ownerEnabled = true;
    bool failOpen = false;               // Open answers nullptr
    bool hasOwner = true;                // SafeOwner answers 0 when false

    // The texts set on control id, in order.
    std::vector<std::string> TextsOf(int id) const {
        std::vector<std::string> out;
        for (const Item& i : items)
            if (i.id == id) out.push_back(i.text);
        return out;
    }

    std::uintptr_t SafeOwner(std::uintptr_t) override { return hasOwner ? kOwner : 0; }
    bool IsWindowEnabled(std::uintptr_t w) override { return w == kOwner && ownerEnabled; }
    void EnableWindow(std::uintptr_t w, bool enable) override {
        if (w != kOwner) return;
        ownerEnabled = enable;
        ownerStates.push_back(enable);
    }
    std::unique_ptr<winsys::ProgressWindow> Open(int templateId, std::uintptr_t,
                                                 const winsys::TranslationNames&) override {
        opened.push_back(templateId);
        if (failOpen) return nullptr;
        return std::make_unique<Window>(*this);
    }

private:
    class Window : public winsys::ProgressWindow {
    public:
        explicit Window(RecordingProgressProvider& p) : p_(p) { ++p_.open; }
        ~Window() override { --p_.open; }
        void SetCaption(const std::string& text) override { p_.captions.push_back(text); }
        void SetItemText(int id, const std::string& text) override {
            p_.items.push_back({id, text});
            p_.ownerWhileShown.push_back(p_.ownerEnabled);
        }
        std::string GetItemText(int id) const override {
            for (auto it = p_.items.rbegin(); it != p_.items.rend(); ++it)
                if (it->id == id) return it->text;
            return {};
        }
        void SetBar(int id, int32_t lower, int32_t upper, int32_t pos) override {
            p_.bars.push_back({id, lower, upper, pos});
        }
        bool CancelPressed() const override { return false; }
        void Pump() override {}

    private:
        RecordingProgressProvider& p_;
    };

    winsys::ProgressWindowProvider* previous_;
};

}  // namespace test_support
