#pragma once
// Input laid over the real devices by an input script: keys and buttons held down, a mouse
// position, and typed characters and wheel turns waiting to be delivered as window events.

#include <array>
#include <deque>
#include <optional>

namespace qw::platform {

struct OverlayEvent {
    enum class Type { Char, Wheel, Close };
    Type type = Type::Char;
    int value = 0; // character code, or wheel delta
};

struct InputOverlay {
    std::array<bool, 256> keys{};
    std::optional<std::pair<int, int>> mouse; // client coordinates; nullopt: the real mouse
    int mouseMoves = 0;                       // counts scripted moves
    std::deque<OverlayEvent> events;

    bool IsKeyDown(int virtualKey) const {
        return virtualKey >= 0 && virtualKey < 256 && keys[static_cast<size_t>(virtualKey)];
    }
};

} // namespace qw::platform
