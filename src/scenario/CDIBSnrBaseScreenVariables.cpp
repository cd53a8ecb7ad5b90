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
#include "scenario/SnrCommandArgs.h"

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
    // MOV reports its errors as "MOVE".
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("MOVE", args) || !CheckCount("MOVE", args, 2) || !CheckValue("MOVE", args, 0) ||
        !CheckValue("MOVE", args, 1))
        return;
    int32_t number = args.Value(0);
    int32_t value = args.Value(1);
    if (!CheckFault("MOVE", args) || !CheckVariable("MOVE", number, 0)) return;
    SetVariable(number, value);
    Next();
}

void CDIBSnrBaseScreen::MoveCmdRANDOM() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdRANDOM");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("RANDOM", args) || !CheckCount("RANDOM", args, 3)) return;
    for (int i = 0; i < 3; ++i)
        if (!CheckValue("RANDOM", args, i)) return;
    int32_t number = args.Value(0);
    int32_t a = args.Value(1);
    int32_t b = args.Value(2);
    if (!CheckFault("RANDOM", args) || !CheckVariable("RANDOM", number, 0)) return;
    int32_t value = a;
    if (a != b) {
        // The span is taken in 64 bits, so the widest range (the whole int32) does not overflow.
        int64_t low = a < b ? a : b;
        int64_t high = a < b ? b : a;
        value = static_cast<int32_t>(low + NextRandom() % (high - low + 1));
    }
    // RANDOM does not report to the debug hook.
    if (CSaveData* save = SaveData()) save->localVars[static_cast<size_t>(number)] = value;
    Next();
}

// CURSOR number, then a cursor file name (text) or a system cursor kind (value).
void CDIBSnrBaseScreen::MoveCmdCURSOR() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCURSOR");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("CURSOR", args) || !CheckCount("CURSOR", args, 2) ||
        !CheckValue("CURSOR", args, 0))
        return;
    int32_t number = args.Value(0);
    if (args.IsString(1)) {
        std::string file = args.Text(1);
        if (!CheckFault("CURSOR", args)) return;
        if (CMainWindow* main = GetMainWindow()) main->SetCursorList(number, file);
    } else {
        int32_t kind = args.Value(1);
        if (!CheckFault("CURSOR", args)) return;
        if (CMainWindow* main = GetMainWindow()) main->SetCursorList(number, kind);
    }
    Next();
}

void CDIBSnrBaseScreen::MoveCmdCHKSCEXEC() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdCHKSCEXEC");
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("CHKSCEXEC", args) || !CheckCount("CHKSCEXEC", args, 1) ||
        !CheckValue("CHKSCEXEC", args, 0))
        return;
    int32_t number = args.Value(0);
    if (!CheckFault("CHKSCEXEC", args) || !CheckVariable("CHKSCEXEC", number, 0)) return;
    CSaveData* save = SaveData();
    SetVariable(number, save && save->replay ? 1 : 0);
    Next();
}

// The subtitle field holds 63 bytes and its terminator; a longer text is cut before the first
// character that does not fit whole.
void CDIBSnrBaseScreen::MoveCmdSUBTITLE() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSUBTITLE");
    auto text = SingleTextParam("SUBTITLE");
    if (!text) return;
    if (CSaveData* save = SaveData()) StoreText(save->subtitle, *text);
    Next();
}

void CDIBSnrBaseScreen::MoveCmdSETCGFLAG() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSETCGFLAG");
    auto text = SingleTextParam("SETCGFLAG");
    if (!text) return;
    if (CSaveData* save = SaveData()) save->SetCGFlag(std::string_view(*text).substr(0, 255));
    Next();
}

void CDIBSnrBaseScreen::MoveCmdSETSCENEFLAG() {
    AddExecLog("CDIBSnrBaseScreen::MoveCmdSETSCENEFLAG");
    auto text = SingleTextParam("SETSCENEFLAG");
    if (!text) return;
    if (CSaveData* save = SaveData()) save->SetSceneFlag(std::string_view(*text).substr(0, 255));
    Next();
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
    SnrCommandArgs args(*buffer_);
    if (!CheckFault("SAVESAM", args)) return;
    const int count = args.Count();
    if (count < 1) {
        ErrorNumParam("SAVESAM", count);
        return;
    }
    if (!CheckValue("SAVESAM", args, 0)) return;
    const int32_t mode = args.Value(0);
    if (!CheckFault("SAVESAM", args)) return;
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
        Next();
        return;
    }
    const bool countRight = count == expected;
    if (!countRight) ErrorNumParam("SAVESAM", count);
    if (countRight) {
        for (int i = 1; i < expected; ++i)
            if (!(text ? CheckString("SAVESAM", args, i) : CheckValue("SAVESAM", args, i))) return;
    }
    auto value = [&](int i) { return i < count && !args.IsString(i) ? args.Value(i) : 0; };
    std::string name = text && count > 1 && args.IsString(1) ? args.Text(1) : std::string();
    int32_t v1 = value(1), v2 = value(2), v3 = value(3);
    if (countRight && !CheckFault("SAVESAM", args)) return;
    if (CSaveData* save = SaveData()) {
        save->thumbnailMode = mode;
        if (text)
            StoreText(save->thumbnailName, name);
        else if (expected == 4)
            save->thumbnailParam = static_cast<int32_t>(Colour(v1, v2, v3));
        else
            save->thumbnailParam = v1;
    }
    Next(countRight);
}

} // namespace qw
