// Commands that set game state: the integer variables, and what the save data keeps for the
// player (subtitle, thumbnail setting, CG and scene flags, replay state) and the cursor list.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "app/CMainWindow.h"
#include "common/ExecLog.h"
#include "common/Random.h"
#include "common/Text.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrBaseScreen.h"

namespace qw {

namespace {

CSaveData* SaveData() {
    CMainWindow* main = GetMainWindow();
    return main ? main->GetSaveData() : nullptr;
}

// At most `limit` bytes of `text`, cut before a double-byte character that would not fit whole.
std::string_view CutOnCharacter(std::string_view text, size_t limit) {
    size_t end = 0;
    while (end < text.size()) {
        size_t width = IsLeadByte(static_cast<uint8_t>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return text.substr(0, end);
}

// A zero-terminated copy into a fixed field (the rest of the field is cleared).
template <size_t N>
void StoreText(std::array<char, N>& field, std::string_view text) {
    field.fill(0);
    std::string_view cut = CutOnCharacter(text, N - 1);
    std::memcpy(field.data(), cut.data(), cut.size());
}

uint32_t Colour(int32_t red, int32_t green, int32_t blue) {
    return 0xFF000000u + (static_cast<uint32_t>(red & 0xFF) << 16) +
           (static_cast<uint32_t>(green & 0xFF) << 8) + static_cast<uint32_t>(blue & 0xFF);
}

} // namespace

void CDIBSnrBaseScreen::MoveCmdMOV() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdMOV");
    if (!CheckVariable(Value(0), 0)) return;
    SetVariable(Value(0), Value(1));
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdRANDOM() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdRANDOM");
    const int32_t number = Value(0);
    if (!CheckVariable(number, 0)) return;
    const int32_t a = Value(1);
    const int32_t b = Value(2);
    int32_t value = a;
    if (a != b) {
        // The span is taken in 64 bits, so the widest range (the whole int32) does not overflow.
        int64_t low = a < b ? a : b;
        int64_t high = a < b ? b : a;
        value = static_cast<int32_t>(low + NextRandom() % (high - low + 1));
    }
    // RANDOM does not report to the debug hook.
    if (CSaveData* save = SaveData()) save->localVars[static_cast<size_t>(number)] = value;
    Advance();
}

// CURSOR number, then a cursor file name (text) or a system cursor kind (value).
void CDIBSnrBaseScreen::MoveCmdCURSOR() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCURSOR");
    if (CMainWindow* main = GetMainWindow()) {
        if (IsText(1))
            main->SetCursorList(Value(0), Text(1));
        else
            main->SetCursorList(Value(0), Value(1));
    }
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdCHKSCEXEC() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCHKSCEXEC");
    if (!CheckVariable(Value(0), 0)) return;
    CSaveData* save = SaveData();
    SetVariable(Value(0), save && save->replay ? 1 : 0);
    Advance();
}

// The subtitle field holds 63 bytes and its terminator; a longer text is cut before the first
// character that does not fit whole.
void CDIBSnrBaseScreen::MoveCmdSUBTITLE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSUBTITLE");
    if (CSaveData* save = SaveData()) StoreText(save->subtitle, Text(0));
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdSETCGFLAG() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSETCGFLAG");
    if (CSaveData* save = SaveData()) save->SetCGFlag(std::string_view(Text(0)).substr(0, 255));
    Advance();
}

void CDIBSnrBaseScreen::MoveCmdSETSCENEFLAG() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSETSCENEFLAG");
    if (CSaveData* save = SaveData()) save->SetSceneFlag(std::string_view(Text(0)).substr(0, 255));
    Advance();
}

// SAVESAM mode, … sets the thumbnail of the next saved game:
//   0 / 30  red, green, blue   the screen tinted by / filled with the colour
//   10 / 20 number             the screen pixelated / blurred by the number
//   40      name               a picture
// Other modes change nothing. A wrong count for the mode is reported (which ends the game), and
// the setting is still made from the parameters that are there (a missing one counts as 0 or an
// empty name; nothing is read past the command); the tick then ends.
void CDIBSnrBaseScreen::MoveCmdSAVESAM() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSAVESAM");
    const int count = ParamCount();
    const int32_t mode = Value(0);
    int expected = 0;
    bool text = false;
    switch (mode) {
    case 0:
    case 30:
        expected = 4;
        break;
    case 10:
    case 20:
        expected = 2;
        break;
    case 40:
        expected = 2;
        text = true;
        break;
    default:
        Advance();
        return;
    }
    const bool countRight = count == expected;
    if (!countRight) CountError();
    if (countRight) {
        for (int i = 1; i < expected; ++i)
            if (!(text ? CheckText(i) : CheckValue(i))) return;
    }
    auto value = [&](int i) { return i < count && !IsText(i) ? Value(i) : 0; };
    std::string name = text && count > 1 && IsText(1) ? Text(1) : std::string();
    int32_t v1 = value(1), v2 = value(2), v3 = value(3);
    if (countRight && !CheckFault()) return;
    if (CSaveData* save = SaveData()) {
        save->thumbnailMode = mode;
        if (text)
            StoreText(save->thumbnailName, name);
        else if (expected == 4)
            save->thumbnailParam = static_cast<int32_t>(Colour(v1, v2, v3));
        else
            save->thumbnailParam = v1;
    }
    if (countRight)
        Advance();
    else
        AdvanceAndYield();
}

} // namespace qw
