// The automation backend: no window, no devices. Input comes only from the input script, message
// boxes go to stderr and yes/no questions get the answer given on the command line.

#include <cstdio>

#include "platform/AudioSink.h"
#include "platform/CodePage.h"
#include "platform/Window.h"

namespace qw::platform {
namespace {

class HeadlessWindow final : public Window {
public:
    explicit HeadlessWindow(const HeadlessOptions& options) : options_(options) {}

    bool Create(const WindowConfig& config) override {
        fullscreen_ = config.fullscreen;
        position_ = config.hasPosition ? Point{config.x, config.y} : Point{0, 0};
        return true;
    }
    void Show() override {}
    void Destroy() override {}
    bool IsHeadless() const override { return true; }
    std::unique_ptr<AudioSink> OpenAudio(std::shared_ptr<SoundMixer> mixer) override {
        return MakeHeadlessAudioSink(std::move(mixer), options_.recordAudio);
    }

    bool PollEvent(WindowEvent& event) override { return TakeOverlayEvent(event); }
    void WaitEvent(int) override {}

    bool SetFullscreen(bool fullscreen) override {
        fullscreen_ = fullscreen;
        return true;
    }
    Point GetPosition() const override { return position_; }
    void Minimize() override {}
    void Restore() override {}

    MessageBoxAnswer ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                                    const std::string& text) override {
        std::string line = "[" + GameToUtf8Lossy(caption) + "] " + GameToUtf8Lossy(text);
        if (kind == MessageBoxKind::Question) line += options_.answerYes ? " -> yes" : " -> no";
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        if (kind == MessageBoxKind::Error) return MessageBoxAnswer::Ok;
        return options_.answerYes ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
    }

    bool IsKeyDown(int virtualKey) const override { return overlay_.IsKeyDown(virtualKey); }
    Point GetCursorPosition() const override {
        if (overlay_.mouse) return {overlay_.mouse->first, overlay_.mouse->second};
        return {-1, -1}; // no pointer over the game until the script moves it
    }
    bool AreButtonsSwapped() const override { return false; }

    void Present(const uint32_t*, int, int, const std::vector<Rect>*) override {}

    CursorHandle LoadSystemCursor(SystemCursor cursor) override {
        return std::make_shared<int>(static_cast<int>(cursor));
    }
    CursorHandle LoadCursorImage(const CursorImage& image) override {
        if (image.pixels.empty()) return nullptr;
        return std::make_shared<int>(-1);
    }
    void SetCursor(const CursorHandle&) override {}

private:
    HeadlessOptions options_;
    bool fullscreen_ = false;
    Point position_;
};

} // namespace

std::unique_ptr<Window> CreateHeadlessWindow(const HeadlessOptions& options) {
    return std::make_unique<HeadlessWindow>(options);
}

} // namespace qw::platform
