#pragma once
// Keyboard and mouse, sampled once per tick so every screen, control and scenario command sees
// the same input for the whole tick: per-key state with press and release edges and auto-repeat,
// the mouse position in the 800 × 600 area, the last wheel event, a ring of typed characters,
// the device the player used last, and hit maps (8-bit pictures whose pixel values number the
// clickable regions).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qw {

namespace platform {
class Window;
}
class IMemberSource;

// Windows virtual-key codes used by the engine.
namespace vk {
inline constexpr int kLButton = 0x01, kRButton = 0x02, kMButton = 0x04, kTab = 0x09, kReturn = 0x0D,
                     kShift = 0x10, kControl = 0x11, kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21,
                     kNext = 0x22, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kX = 0x58,
                     kZ = 0x5A, kLMenu = 0xA4, kRMenu = 0xA5;
}

// Tests of a key-table entry.
enum KeyTest : uint32_t {
    kKeyPressed = 1, // pressed at this poll
    kKeyDown = 2,    // held (Control also counts the middle button)
    kKeyDownEdge = 3,
    kKeyUpEdge = 4,
    kKeyRepeat = 5,
};

struct KeyTableEntry {
    uint32_t key;  // virtual key; 0 ends the table
    uint32_t test; // KeyTest
};

// The engine's key tables, each ended by a {0, 0} entry.
namespace keytable {
extern const KeyTableEntry kDecide[];           // Enter, left button
extern const KeyTableEntry kDecideMouseFirst[]; // left button, Enter
extern const KeyTableEntry kCancel[];           // right button, Escape
extern const KeyTableEntry kSkip[];             // Control held
extern const KeyTableEntry kShift[];            // Shift held
extern const KeyTableEntry kOpenClose[];        // left button, Enter, Control, Shift
extern const KeyTableEntry kMovieSkip[];        // left, right, Escape, Control
extern const KeyTableEntry kScreenSkip[];       // left, right, Control, Enter
} // namespace keytable

class CInput {
public:
    struct KeyState {
        uint8_t down = 0;
        uint8_t pressed = 0;
        uint8_t repeat = 0;
        uint32_t nextRepeat = 0;
        uint8_t downEdge = 0;
        uint8_t upEdge = 0;
    };
    struct Wheel {
        int keyFlags = 0;
        int16_t delta = 0;
        int x = 0, y = 0;
    };
    enum InputMode { kKeyboardMode = 0, kMouseMode = 1 };

    // Keys sampled by Poll, in order. Shift is sampled too, so the Shift tables work.
    static constexpr int kPolledKeys[] = {
        vk::kLButton, vk::kRButton, vk::kReturn, vk::kEscape,  vk::kControl, vk::kSpace, vk::kTab,
        vk::kUp,      vk::kDown,    vk::kLeft,   vk::kRight,   vk::kPrior,   vk::kNext,  vk::kZ,
        vk::kX,       vk::kLMenu,   vk::kRMenu,  vk::kMButton, vk::kShift};

    CInput();
    virtual ~CInput();

    bool Initialize(platform::Window* window, IMemberSource* archive);
    void Release();
    void Clear();
    void Poll();

    // Activation, from the main window: while inactive, and for 500 ms after activation, no
    // input counts.
    void SetActive(bool active, uint32_t now);
    bool IsActive() const { return active_; }

    void OnChar(int character);
    void OnMouseWheel(int keyFlags, int delta, int x, int y);

    bool CheckKey(const KeyTableEntry& entry) const;
    bool CheckKeyTbl(const KeyTableEntry* table) const;

    bool ReadHitMap(std::string_view name);
    int GetHitMapNo(std::string_view name, int x, int y);
    int GetHitMapNo(std::string_view name) { return GetHitMapNo(name, mouseX_, mouseY_); }

    const KeyState& Key(int virtualKey) const { return keys_[static_cast<uint8_t>(virtualKey)]; }
    int GetMouseX() const { return mouseX_; }
    int GetMouseY() const { return mouseY_; }
    const Wheel& GetWheel() const { return wheel_; }
    bool IsMouseActive() const { return mouseActivity_; }
    // The pointer's position differs from the one of the previous poll.
    bool IsMouseMoved() const { return mouseMoved_; }
    bool IsKeyboardUsed() const { return keyboardUsed_; }
    int GetInputMode() const { return inputMode_; }
    void SetInputMode(int mode) { inputMode_ = mode; }
    // Typed characters: the ring of 256 and the index the next one goes to.
    const std::array<int, 256>& GetCharRing() const { return chars_; }
    int GetCharWriteIndex() const { return charWrite_; }
    bool IsAltEnter() const;

private:
    struct HitMap {
        std::string name;
        std::vector<uint8_t> pixels; // 800 × 600, top row first; empty: slot free
    };
    int FindHitMap(std::string_view name) const;

    platform::Window* window_ = nullptr;
    IMemberSource* archive_ = nullptr;
    bool active_ = false;
    uint32_t activationTime_ = 0;
    bool buttonsSwapped_ = false;
    std::array<KeyState, 256> keys_{};
    std::array<KeyState, 256> previous_{};
    int mouseX_ = -1, mouseY_ = -1;
    Wheel wheel_{};
    Wheel pendingWheel_{};
    bool mouseActivity_ = false;
    bool mouseMoved_ = false;
    bool keyboardUsed_ = false;
    std::array<int, 256> chars_{};
    int charWrite_ = 0;
    int inputMode_ = kKeyboardMode;
    std::vector<HitMap> hitMaps_; // 256 slots
};

} // namespace qw
