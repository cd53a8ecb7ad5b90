#include "platform/sdl/SdlKeys.h"

namespace qw::platform {
namespace {

bool Held(const Uint8* keyboard, int numKeys, SDL_Scancode code) {
    return static_cast<int>(code) < numKeys && keyboard[code];
}

} // namespace

bool SdlVirtualKeyDown(const Uint8* keyboard, int numKeys, int vk) {
    auto held = [&](SDL_Scancode code) { return Held(keyboard, numKeys, code); };
    if (vk >= 'A' && vk <= 'Z') return held(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (vk - 'A')));
    if (vk >= '1' && vk <= '9') return held(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1')));
    if (vk >= 0x70 && vk <= 0x7B)
        return held(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (vk - 0x70)));
    switch (vk) {
    case '0':
        return held(SDL_SCANCODE_0);
    case 0x08:
        return held(SDL_SCANCODE_BACKSPACE);
    case 0x09:
        return held(SDL_SCANCODE_TAB);
    case 0x0D:
        return held(SDL_SCANCODE_RETURN) || held(SDL_SCANCODE_KP_ENTER);
    case 0x10:
        return held(SDL_SCANCODE_LSHIFT) || held(SDL_SCANCODE_RSHIFT);
    case 0x11:
        return held(SDL_SCANCODE_LCTRL) || held(SDL_SCANCODE_RCTRL);
    case 0x12:
        return held(SDL_SCANCODE_LALT) || held(SDL_SCANCODE_RALT);
    case 0x1B:
        return held(SDL_SCANCODE_ESCAPE);
    case 0x20:
        return held(SDL_SCANCODE_SPACE);
    case 0x21:
        return held(SDL_SCANCODE_PAGEUP);
    case 0x22:
        return held(SDL_SCANCODE_PAGEDOWN);
    case 0x23:
        return held(SDL_SCANCODE_END);
    case 0x24:
        return held(SDL_SCANCODE_HOME);
    case 0x25:
        return held(SDL_SCANCODE_LEFT);
    case 0x26:
        return held(SDL_SCANCODE_UP);
    case 0x27:
        return held(SDL_SCANCODE_RIGHT);
    case 0x28:
        return held(SDL_SCANCODE_DOWN);
    case 0x2D:
        return held(SDL_SCANCODE_INSERT);
    case 0x2E:
        return held(SDL_SCANCODE_DELETE);
    case 0xA0:
        return held(SDL_SCANCODE_LSHIFT);
    case 0xA1:
        return held(SDL_SCANCODE_RSHIFT);
    case 0xA2:
        return held(SDL_SCANCODE_LCTRL);
    case 0xA3:
        return held(SDL_SCANCODE_RCTRL);
    case 0xA4:
        return held(SDL_SCANCODE_LALT);
    case 0xA5:
        return held(SDL_SCANCODE_RALT);
    default:
        return false;
    }
}

} // namespace qw::platform
