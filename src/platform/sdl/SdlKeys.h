#pragma once
// Windows virtual-key codes of the SDL keyboard, for the asynchronous key-state query.

#include <SDL.h>

namespace qw::platform {

// True when the key with Windows virtual-key code `vk` is held, by the SDL keyboard state.
bool SdlVirtualKeyDown(const Uint8* keyboard, int numKeys, int vk);

} // namespace qw::platform
