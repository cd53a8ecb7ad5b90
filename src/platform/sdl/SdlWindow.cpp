// The real backend: an SDL2 window. The game's 800 × 600 frame is shown either through a
// renderer with one streaming texture (the whole frame every tick) or through the window surface
// (only the dirty rectangles). Full screen uses the desktop mode and scales the frame with its
// 4:3 aspect kept; mouse positions are mapped back to the game's 800 × 600 area.

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/AudioSink.h"
#include "platform/CodePage.h"
#include "platform/Window.h"
#include "platform/sdl/SdlKeys.h"

namespace qw::platform {
namespace {

constexpr int kGameWidth = 800;
constexpr int kGameHeight = 600;

SDL_Rect Letterbox(int outW, int outH) {
    if (outW <= 0 || outH <= 0) return {0, 0, kGameWidth, kGameHeight};
    // The largest 4:3 rectangle that fits, centred.
    int w = outW, h = outW * kGameHeight / kGameWidth;
    if (h > outH) {
        h = outH;
        w = outH * kGameWidth / kGameHeight;
    }
    return {(outW - w) / 2, (outH - h) / 2, w, h};
}

class SdlWindow final : public Window {
public:
    ~SdlWindow() override { Destroy(); }

    bool Create(const WindowConfig& config) override {
        if (!SDL_WasInit(SDL_INIT_VIDEO) &&
            SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "quillwork: cannot start the video system: %s\n", SDL_GetError());
            return false;
        }
        ownsVideo_ = true;
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        presentation_ = config.presentation;
        std::string caption = GameToUtf8Lossy(config.caption);
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
        if (config.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        int x = config.hasPosition ? config.x : static_cast<int>(SDL_WINDOWPOS_CENTERED);
        int y = config.hasPosition ? config.y : static_cast<int>(SDL_WINDOWPOS_CENTERED);
        window_ = SDL_CreateWindow(caption.c_str(), x, y, config.width, config.height, flags);
        if (!window_) {
            std::fprintf(stderr, "quillwork: cannot create the window: %s\n", SDL_GetError());
            return false;
        }
        hasPosition_ = config.hasPosition;
        windowedPos_ = {config.x, config.y};
        fullscreen_ = config.fullscreen;
        if (presentation_ == Presentation::Renderer && !CreateRenderer()) {
            // No renderer on this display: present through the window surface instead.
            presentation_ = Presentation::Surface;
        }
        SDL_StartTextInput();
        return true;
    }

    void Show() override {
        if (!window_) return;
        SDL_ShowWindow(window_);
        // The frame is known once the window is shown: place its outer corner where it was.
        if (hasPosition_) MoveOuterTo(windowedPos_);
    }

    void Destroy() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (frameSurface_) SDL_FreeSurface(frameSurface_);
        if (window_) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        frameSurface_ = nullptr;
        window_ = nullptr;
        if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        ownsVideo_ = false;
    }

    bool IsHeadless() const override { return false; }
    std::unique_ptr<AudioSink> OpenAudio(std::shared_ptr<SoundMixer> mixer) override {
        return OpenSdlAudioSink(std::move(mixer));
    }

    bool PollEvent(WindowEvent& event) override {
        if (TakeOverlayEvent(event)) return true;
        if (!pendingChars_.empty()) {
            event = {WindowEvent::Type::Char, pendingChars_.front(), 0, 0, 0};
            pendingChars_.erase(pendingChars_.begin());
            return true;
        }
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (Translate(e, event)) return true;
        }
        return false;
    }

    void WaitEvent(int timeoutMs) override {
        if (timeoutMs > 0) SDL_WaitEventTimeout(nullptr, timeoutMs);
    }

    bool SetFullscreen(bool fullscreen) override {
        if (!window_) return false;
        if (!fullscreen_) windowedPos_ = OuterPosition();
        int rc = SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        fullscreen_ = fullscreen;
        if (!fullscreen) {
            SDL_SetWindowSize(window_, kGameWidth, kGameHeight);
            MoveOuterTo(windowedPos_);
            hasPosition_ = true;
        }
        return rc == 0;
    }

    Point GetPosition() const override { return fullscreen_ ? windowedPos_ : OuterPosition(); }
    void Minimize() override {
        if (window_) SDL_MinimizeWindow(window_);
    }
    void Restore() override {
        if (window_) SDL_RestoreWindow(window_);
    }

    MessageBoxAnswer ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                                    const std::string& text) override {
        std::string title = GameToUtf8Lossy(caption);
        std::string message = GameToUtf8Lossy(text);
        if (kind == MessageBoxKind::Error) {
            if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                                         window_) != 0)
                std::fprintf(stderr, "[%s] %s\n", title.c_str(), message.c_str());
            return MessageBoxAnswer::Ok;
        }
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        };
        SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION,
                                window_,
                                title.c_str(),
                                message.c_str(),
                                2,
                                buttons,
                                nullptr};
        int chosen = 0;
        if (SDL_ShowMessageBox(&data, &chosen) != 0) return MessageBoxAnswer::No;
        return chosen == 1 ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
    }

    bool IsKeyDown(int vk) const override {
        if (overlay_.IsKeyDown(vk)) return true;
        if (!window_) return false;
        if (vk == 0x01 || vk == 0x02 || vk == 0x04) {
            Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
            Uint32 mask = vk == 0x01   ? SDL_BUTTON_LMASK
                          : vk == 0x02 ? SDL_BUTTON_RMASK
                                       : SDL_BUTTON_MMASK;
            return (buttons & mask) != 0;
        }
        int numKeys = 0;
        const Uint8* keyboard = SDL_GetKeyboardState(&numKeys);
        return SdlVirtualKeyDown(keyboard, numKeys, vk);
    }

    Point GetCursorPosition() const override {
        if (overlay_.mouse && overlay_.mouseMoves > movesAtRealMotion_)
            return {overlay_.mouse->first, overlay_.mouse->second};
        if (!window_) return {-1, -1};
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetMouseState(&x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        SDL_Rect box = Letterbox(w, h);
        if (box.w <= 0 || box.h <= 0) return {-1, -1};
        // Floor division so points left of or above the picture stay negative.
        auto map = [](int v, int origin, int size, int game) {
            long long d = static_cast<long long>(v - origin) * game;
            return static_cast<int>(d >= 0 ? d / size : -((-d + size - 1) / size));
        };
        return {map(x, box.x, box.w, kGameWidth), map(y, box.y, box.h, kGameHeight)};
    }

    bool AreButtonsSwapped() const override {
        // The desktop already delivers the primary button as the left one.
        return false;
    }

    void Present(const uint32_t* pixels, int width, int height,
                 const std::vector<Rect>* rects) override {
        if (!window_) return;
        if (presentation_ == Presentation::Renderer) {
            PresentRenderer(pixels, width, height);
        } else {
            PresentSurface(pixels, width, height, rects);
        }
    }

    CursorHandle LoadSystemCursor(SystemCursor cursor) override {
        static const SDL_SystemCursor kMap[] = {
            SDL_SYSTEM_CURSOR_ARROW,   SDL_SYSTEM_CURSOR_WAIT,      SDL_SYSTEM_CURSOR_WAITARROW,
            SDL_SYSTEM_CURSOR_ARROW,   SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_HAND,
            SDL_SYSTEM_CURSOR_IBEAM,   SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_NO,
            SDL_SYSTEM_CURSOR_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL,   SDL_SYSTEM_CURSOR_SIZENESW,
            SDL_SYSTEM_CURSOR_SIZENS,  SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZEWE,
            SDL_SYSTEM_CURSOR_ARROW,
        };
        auto index = static_cast<size_t>(cursor);
        if (index >= std::size(kMap)) return nullptr;
        SDL_Cursor* c = SDL_CreateSystemCursor(kMap[index]);
        if (!c) return nullptr;
        return CursorHandle(c, [](void* p) { SDL_FreeCursor(static_cast<SDL_Cursor*>(p)); });
    }

    CursorHandle LoadCursorImage(const CursorImage& image) override {
        if (image.pixels.empty()) return nullptr;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(image.pixels.data()), image.width, image.height, 32,
            image.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (!surface) return nullptr;
        SDL_Cursor* c = SDL_CreateColorCursor(surface, image.hotX, image.hotY);
        SDL_FreeSurface(surface);
        if (!c) return nullptr;
        return CursorHandle(c, [](void* p) { SDL_FreeCursor(static_cast<SDL_Cursor*>(p)); });
    }

    void SetCursor(const CursorHandle& cursor) override {
        if (cursor) SDL_SetCursor(static_cast<SDL_Cursor*>(cursor.get()));
    }

private:
    bool CreateRenderer() {
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) return false;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, kGameWidth, kGameHeight);
        if (!texture_) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            return false;
        }
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        return true;
    }

    void RebuildRenderer() {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        texture_ = nullptr;
        renderer_ = nullptr;
        CreateRenderer();
    }

    void PresentRenderer(const uint32_t* pixels, int width, int height) {
        if (!renderer_ || !texture_) {
            RebuildRenderer(); // the device was lost: try again each tick until it returns
            if (!renderer_) return;
        }
        SDL_UpdateTexture(texture_, nullptr, pixels, width * 4);
        int outW = 0, outH = 0;
        SDL_GetRendererOutputSize(renderer_, &outW, &outH);
        SDL_Rect dest = Letterbox(outW, outH);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_Rect src{0, 0, width, height};
        SDL_RenderCopy(renderer_, texture_, &src, &dest);
        SDL_RenderPresent(renderer_);
    }

    void PresentSurface(const uint32_t* pixels, int width, int height,
                        const std::vector<Rect>* rects) {
        SDL_Surface* target = SDL_GetWindowSurface(window_);
        if (!target) return;
        if (frameSurface_ && (frameSurface_->pixels != pixels || frameSurface_->w != width)) {
            SDL_FreeSurface(frameSurface_);
            frameSurface_ = nullptr;
        }
        if (!frameSurface_) {
            frameSurface_ =
                SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                   width * 4, SDL_PIXELFORMAT_ARGB8888);
            if (!frameSurface_) return;
            SDL_SetSurfaceBlendMode(frameSurface_, SDL_BLENDMODE_NONE);
        }
        if (target->w == width && target->h == height) {
            std::vector<SDL_Rect> updated;
            if (rects) {
                for (const Rect& r : *rects) {
                    SDL_Rect sr{r.left, r.top, r.right - r.left, r.bottom - r.top};
                    if (sr.w <= 0 || sr.h <= 0) continue;
                    SDL_Rect dr = sr;
                    SDL_BlitSurface(frameSurface_, &sr, target, &dr);
                    updated.push_back(sr);
                }
            } else {
                SDL_BlitSurface(frameSurface_, nullptr, target, nullptr);
                updated.push_back({0, 0, width, height});
            }
            if (!updated.empty())
                SDL_UpdateWindowSurfaceRects(window_, updated.data(),
                                             static_cast<int>(updated.size()));
            return;
        }
        // Scaled (full screen): the whole picture, letterboxed.
        SDL_Rect dest = Letterbox(target->w, target->h);
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        SDL_BlitScaled(frameSurface_, nullptr, target, &dest);
        SDL_UpdateWindowSurface(window_);
    }

    bool Translate(const SDL_Event& e, WindowEvent& out) {
        switch (e.type) {
        case SDL_QUIT:
            out = {WindowEvent::Type::CloseRequest};
            return true;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                out = {WindowEvent::Type::CloseRequest};
                return true;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                out = {WindowEvent::Type::Activate, 1, IsMinimized() ? 1 : 0};
                return true;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                out = {WindowEvent::Type::Activate, 0, IsMinimized() ? 1 : 0};
                return true;
            case SDL_WINDOWEVENT_MINIMIZED:
                out = {WindowEvent::Type::Activate, 0, 1};
                return true;
            case SDL_WINDOWEVENT_MOVED:
                if (!fullscreen_) windowedPos_ = OuterPosition();
                out = {WindowEvent::Type::Moved};
                return true;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                if (frameSurface_) { // the window surface changes with the size
                    SDL_FreeSurface(frameSurface_);
                    frameSurface_ = nullptr;
                }
                out = {WindowEvent::Type::Expose};
                return true;
            default:
                return false;
            }
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            if (e.type == SDL_RENDER_DEVICE_RESET) RebuildRenderer();
            out = {WindowEvent::Type::DeviceReset};
            return true;
        case SDL_TEXTINPUT:
            // Only single-byte characters matter to the engine's character ring.
            for (const char* p = e.text.text; *p; ++p)
                if (static_cast<unsigned char>(*p) < 0x80)
                    pendingChars_.push_back(static_cast<unsigned char>(*p));
            if (pendingChars_.empty()) return false;
            out = {WindowEvent::Type::Char, pendingChars_.front()};
            pendingChars_.erase(pendingChars_.begin());
            return true;
        case SDL_KEYDOWN:
            // Backspace, Enter and Escape reach the character ring as control characters.
            if (e.key.keysym.sym == SDLK_BACKSPACE || e.key.keysym.sym == SDLK_ESCAPE) {
                out = {WindowEvent::Type::Char, static_cast<int>(e.key.keysym.sym)};
                return true;
            }
            return false;
        case SDL_MOUSEMOTION:
            // The real mouse takes over from a scripted position until the script moves again.
            movesAtRealMotion_ = overlay_.mouseMoves;
            return false;
        case SDL_MOUSEWHEEL: {
            Point p = GetCursorPosition();
            int delta =
                (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
            if (delta == 0) return false;
            out = {WindowEvent::Type::MouseWheel, delta, p.x, p.y, 0};
            return true;
        }
        default:
            return false;
        }
    }

    bool IsMinimized() const {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED);
    }

    Point OuterPosition() const {
        int x = 0, y = 0, top = 0, left = 0;
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr);
        return {x - left, y - top};
    }

    void MoveOuterTo(Point p) {
        int top = 0, left = 0;
        SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr);
        if (!fullscreen_) SDL_SetWindowPosition(window_, p.x + left, p.y + top);
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Surface* frameSurface_ = nullptr;
    Presentation presentation_ = Presentation::Renderer;
    bool fullscreen_ = false;
    bool ownsVideo_ = false;
    bool hasPosition_ = false;
    int movesAtRealMotion_ = 0;
    Point windowedPos_;
    std::vector<int> pendingChars_;
};

} // namespace

std::unique_ptr<Window> CreateSdlWindow() {
    return std::make_unique<SdlWindow>();
}

} // namespace qw::platform
