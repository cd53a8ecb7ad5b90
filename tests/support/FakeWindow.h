#pragma once
// A window backend for unit tests: keys, buttons and the cursor are set by the test, message
// boxes are recorded and answered from a queue.

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace qw::test {

class FakeWindow : public platform::Window {
public:
    bool Create(const platform::WindowConfig& config) override {
        config_ = config;
        return true;
    }
    void Show() override {}
    void Destroy() override {}
    bool IsHeadless() const override { return true; }
    bool PollEvent(platform::WindowEvent& event) override {
        if (events.empty()) return false;
        event = events.front();
        events.pop_front();
        return true;
    }
    void WaitEvent(int) override {}
    bool SetFullscreen(bool on) override {
        fullscreen = on;
        return true;
    }
    platform::Point GetPosition() const override { return {10, 20}; }
    void Minimize() override { ++minimized; }
    void Restore() override { ++restored; }
    platform::MessageBoxAnswer ShowMessageBox(platform::MessageBoxKind kind, const std::string&,
                                              const std::string& text) override {
        boxes.push_back(text);
        if (kind == platform::MessageBoxKind::Error) return platform::MessageBoxAnswer::Ok;
        bool yes = answers.empty() ? true : answers.front();
        if (!answers.empty()) answers.pop_front();
        return yes ? platform::MessageBoxAnswer::Yes : platform::MessageBoxAnswer::No;
    }
    bool IsKeyDown(int vk) const override {
        return vk >= 0 && vk < 256 && keys[static_cast<size_t>(vk)];
    }
    platform::Point GetCursorPosition() const override { return cursor; }
    bool AreButtonsSwapped() const override { return swapped; }
    void Present(const uint32_t*, int, int, const std::vector<platform::Rect>* rects) override {
        ++presents;
        lastRects = rects ? *rects : std::vector<platform::Rect>{};
        lastWasWhole = rects == nullptr;
    }
    platform::CursorHandle LoadSystemCursor(platform::SystemCursor c) override {
        return std::make_shared<int>(static_cast<int>(c));
    }
    platform::CursorHandle LoadCursorImage(const platform::CursorImage& image) override {
        return image.pixels.empty() ? nullptr : std::make_shared<int>(100);
    }
    void SetCursor(const platform::CursorHandle& c) override { shownCursor = c; }

    platform::WindowConfig config_;
    std::array<bool, 256> keys{};
    platform::Point cursor{100, 100};
    bool swapped = false;
    bool fullscreen = false;
    int minimized = 0, restored = 0, presents = 0;
    bool lastWasWhole = false;
    std::vector<platform::Rect> lastRects;
    std::vector<std::string> boxes;
    std::deque<bool> answers;
    std::deque<platform::WindowEvent> events;
    platform::CursorHandle shownCursor;
};

} // namespace qw::test
