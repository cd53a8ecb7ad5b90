#include "app/CInput.h"

#include "app/HitMap.h"
#include "common/ExecLog.h"
#include "common/Result.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "platform/Window.h"

namespace qw {

namespace keytable {
const KeyTableEntry kDecide[] = {{vk::kReturn, kKeyPressed}, {vk::kLButton, kKeyPressed}, {0, 0}};
const KeyTableEntry kDecideMouseFirst[] = {
    {vk::kLButton, kKeyPressed}, {vk::kReturn, kKeyPressed}, {0, 0}};
const KeyTableEntry kCancel[] = {{vk::kRButton, kKeyPressed}, {vk::kEscape, kKeyPressed}, {0, 0}};
const KeyTableEntry kSkip[] = {{vk::kControl, kKeyDown}, {0, 0}};
const KeyTableEntry kShift[] = {{vk::kShift, kKeyDown}, {0, 0}};
const KeyTableEntry kOpenClose[] = {{vk::kLButton, kKeyPressed},
                                    {vk::kReturn, kKeyPressed},
                                    {vk::kControl, kKeyDown},
                                    {vk::kShift, kKeyDown},
                                    {0, 0}};
const KeyTableEntry kMovieSkip[] = {{vk::kLButton, kKeyPressed},
                                    {vk::kRButton, kKeyPressed},
                                    {vk::kEscape, kKeyPressed},
                                    {vk::kControl, kKeyDown},
                                    {0, 0}};
const KeyTableEntry kScreenSkip[] = {{vk::kLButton, kKeyPressed},
                                     {vk::kRButton, kKeyPressed},
                                     {vk::kControl, kKeyDown},
                                     {vk::kReturn, kKeyPressed},
                                     {0, 0}};
} // namespace keytable

namespace {
constexpr uint32_t kActivationGuardMs = 500;
constexpr uint32_t kRepeatDelayMs = 500;
constexpr uint32_t kRepeatIntervalMs = 100;
constexpr size_t kHitMapSlots = 256;
} // namespace

CInput::CInput() {
    hitMaps_.resize(kHitMapSlots);
}

CInput::~CInput() {
    CInput::Release();
}

bool CInput::Initialize(platform::Window* window, IMemberSource* archive) {
    AddExecLog("CInput::Initialize");
    window_ = window;
    archive_ = archive;
    active_ = true;
    activationTime_ = platform::NowMs();
    keys_ = {};
    previous_ = {};
    wheel_ = pendingWheel_ = {};
    for (auto& map : hitMaps_)
        map = {};
    chars_ = {};
    charWrite_ = 0;
    buttonsSwapped_ = window_ && window_->AreButtonsSwapped();
    return true;
}

void CInput::Release() {
    AddExecLog("CInput::Release");
    for (auto& map : hitMaps_)
        map = {};
}

void CInput::Clear() {
    AddExecLog("CInput::Clear");
    keys_ = {};
    previous_ = {};
    wheel_ = {};
    mouseMoved_ = false;
}

void CInput::SetActive(bool active, uint32_t now) {
    AddExecLog("CInput::SetActive");
    active_ = active;
    if (active) activationTime_ = now;
}

void CInput::Poll() {
    AddExecLog("CInput::Poll");
    uint32_t now = platform::NowMs();
    if (!active_ || !window_ || now - activationTime_ < kActivationGuardMs) {
        Clear();
        return;
    }
    previous_ = keys_;
    // With swapped buttons the physical right button is the primary one: sample it into the
    // left-button record.
    auto swapButtons = [&] {
        std::swap(keys_[vk::kLButton], keys_[vk::kRButton]);
        std::swap(previous_[vk::kLButton], previous_[vk::kRButton]);
    };
    if (buttonsSwapped_) swapButtons();
    keyboardUsed_ = false;
    for (int key : kPolledKeys) {
        KeyState& k = keys_[static_cast<size_t>(key)];
        if (window_->IsKeyDown(key)) {
            if (key != vk::kLButton && key != vk::kRButton) keyboardUsed_ = true;
            if (k.down) {
                k.pressed = 0;
                k.repeat = 0;
            } else {
                k.pressed = 1;
                k.repeat = 1;
                k.nextRepeat = now + kRepeatDelayMs;
            }
            k.down = 1;
            if (static_cast<int32_t>(now - k.nextRepeat) >= 0) {
                k.repeat = 1;
                k.nextRepeat = now + kRepeatIntervalMs;
            }
        } else {
            k.down = k.pressed = k.repeat = 0;
            k.nextRepeat = 0;
        }
        const KeyState& before = previous_[static_cast<size_t>(key)];
        k.downEdge = k.down && !before.down;
        k.upEdge = !k.down && before.down;
    }
    if (buttonsSwapped_) swapButtons();

    platform::Point p = window_->GetCursorPosition();
    const bool moved = p.x != mouseX_ || p.y != mouseY_;
    mouseMoved_ = moved;
    mouseX_ = p.x;
    mouseY_ = p.y;
    if (mouseX_ < 0 || mouseX_ > 799 || mouseY_ < 0 || mouseY_ > 599) {
        // Clicks outside the game area do not count.
        keys_[vk::kLButton] = {};
        keys_[vk::kRButton] = {};
    }
    wheel_ = pendingWheel_;
    pendingWheel_ = {};

    auto buttonChanged = [&](int key) {
        const KeyState& a = keys_[static_cast<size_t>(key)];
        const KeyState& b = previous_[static_cast<size_t>(key)];
        return a.down != b.down || a.pressed != b.pressed || a.repeat != b.repeat ||
               a.downEdge != b.downEdge || a.upEdge != b.upEdge;
    };
    mouseActivity_ = moved || wheel_.delta != 0 || buttonChanged(vk::kLButton) ||
                     buttonChanged(vk::kRButton) || keys_[vk::kLButton].down ||
                     keys_[vk::kRButton].down;
    if (inputMode_ == kKeyboardMode && mouseActivity_)
        inputMode_ = kMouseMode;
    else if (inputMode_ == kMouseMode && keyboardUsed_)
        inputMode_ = kKeyboardMode;
}

void CInput::OnChar(int c) {
    AddExecLog("CInput::OnChar");
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 32 && c <= 47) ||
                (c >= 58 && c <= 64) || (c >= 91 && c <= 95) || (c >= 123 && c <= 125);
    if (!keep) return;
    chars_[static_cast<size_t>(charWrite_)] = c;
    charWrite_ = (charWrite_ + 1) % 256;
}

void CInput::OnMouseWheel(int keyFlags, int delta, int x, int y) {
    AddExecLog("CInput::OnMouseWheel");
    pendingWheel_ = {keyFlags, static_cast<int16_t>(delta), x, y};
}

bool CInput::CheckKey(const KeyTableEntry& entry) const {
    AddExecLog("CInput::CheckKey");
    const KeyState& k = keys_[static_cast<uint8_t>(entry.key)];
    switch (entry.test) {
    case kKeyPressed:
        return k.pressed;
    case kKeyDown:
        return k.down ||
               (entry.key == static_cast<uint32_t>(vk::kControl) && keys_[vk::kMButton].down);
    case kKeyDownEdge:
        return k.downEdge;
    case kKeyUpEdge:
        return k.upEdge;
    case kKeyRepeat:
        return k.repeat;
    default:
        return false;
    }
}

bool CInput::CheckKeyTbl(const KeyTableEntry* table) const {
    AddExecLog("CInput::CheckKeyTbl");
    for (; table && table->key != 0; ++table)
        if (CheckKey(*table)) return true;
    return false;
}

bool CInput::IsAltEnter() const {
    return (keys_[vk::kLMenu].down || keys_[vk::kRMenu].down) && keys_[vk::kReturn].pressed;
}

int CInput::FindHitMap(std::string_view name) const {
    for (size_t i = 0; i < hitMaps_.size(); ++i)
        if (!hitMaps_[i].pixels.empty() && hitMaps_[i].name == name) return static_cast<int>(i);
    return -1;
}

bool CInput::ReadHitMap(std::string_view name) {
    AddExecLog("CInput::ReadHitMap");
    // Names are 32-byte zero-padded fields: at most 31 characters.
    if (name.empty() || name.size() > 31 || !archive_) return false;
    if (FindHitMap(name) >= 0) return true;
    for (auto& slot : hitMaps_) {
        if (!slot.pixels.empty()) continue;
        auto file = archive_->ReadMember(name);
        if (!file) return false;
        auto pixels = DecodeHitMap(*file);
        if (!pixels) {
            NoteRefusal(std::string(name), pixels.Reason());
            return false;
        }
        slot.name = std::string(name);
        slot.pixels = std::move(*pixels);
        return true;
    }
    return false;
}

int CInput::GetHitMapNo(std::string_view name, int x, int y) {
    AddExecLog("CInput::GetHitMapNo");
    if (x < 0 || x > 799 || y < 0 || y > 599) return -1;
    if (!ReadHitMap(name)) return -1;
    int index = FindHitMap(name);
    // Only the map in use stays in memory.
    for (size_t i = 0; i < hitMaps_.size(); ++i)
        if (static_cast<int>(i) != index) hitMaps_[i] = {};
    return hitMaps_[static_cast<size_t>(index)]
        .pixels[static_cast<size_t>(y) * kHitMapWidth + static_cast<size_t>(x)];
}

} // namespace qw
