#include "app/StateDump.h"

#include <cstdio>

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "audio/CBGMBuffer.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"

namespace qw {

std::string DumpStateJson(const CMainWindow& main) {
    std::string out = "{\n";
    out += "  \"ticks\": " + std::to_string(main.GetTickCount()) + ",\n";
    const CRootFlow* flow = main.GetRootFlow();
    const CDIBBaseScreen* screen = flow ? flow->GetCurrentScreen() : nullptr;
    out += "  \"screen\": " + (screen ? JsonString(screen->ScreenName()) : std::string("null")) +
           ",\n";
    out += "  \"stacked_screens\": " + std::to_string(flow ? flow->GetStackCount() : 0) + ",\n";
    // The running scenario: the current screen's, else that of the nearest suspended screen
    // (a screen opened over the story), else the last file the save data was told of.
    ScenarioStateForDump scenario;
    bool found = screen && screen->GetDumpState(scenario);
    for (int i = flow ? flow->GetStackCount() - 1 : -1; !found && i >= 0; --i)
        if (const CDIBBaseScreen* stacked = flow->GetStackedScreen(i))
            found = stacked->GetDumpState(scenario);
    if (!found) {
        scenario = {};
        if (const CSaveData* save = main.GetSaveData()) scenario.file = save->GetSnrFileName();
    }
    out += "  \"scenario\": {\"file\": " + GameText(scenario.file) +
           ", \"position\": " + std::to_string(scenario.position) + "},\n";
    const CBGMBuffer* bgm = main.GetBGMBuffer();
    bool playing = bgm && bgm->IsPlaying();
    out += "  \"music\": " + (playing ? GameText(bgm->GetName()) : std::string("null")) + ",\n";
    if (const CSaveData* save = main.GetSaveData()) {
        out += "  \"local_variables\": " + IntArray(save->localVars) + ",\n";
        out += "  \"global_variables\": " + IntArray(save->globalVars) + ",\n";
        out += "  \"string_variables\": [";
        for (size_t i = 0; i < save->stringVars.size(); ++i) {
            const auto& s = save->stringVars[i];
            // Two appends: gcc 12 at -O3 takes prepending to the temporary for an overlap
            // (-Wrestrict) and the release build stops.
            if (i) out += ",";
            out += GameTextField(std::string_view(s.data(), s.size()));
        }
        out += "],\n";
        out += "  \"subtitle\": " +
               GameTextField(std::string_view(save->subtitle.data(), save->subtitle.size())) +
               ",\n";
        // The 256 image slots: the cache name of each slot's picture, null when empty.
        out += "  \"image_slots\": [";
        for (int i = 0; i < ImageSlots::kCount; ++i) {
            if (i) out += ",";
            out += save->imageSlots.Get(i) ? GameText(save->imageSlots.Name(i)) : "null";
        }
        out += "],\n";
    }
    if (const CInput* input = main.GetInput()) {
        std::string typed;
        const auto& ring = input->GetCharRing();
        for (int i = 0; i < input->GetCharWriteIndex(); ++i)
            typed += static_cast<char>(ring[static_cast<size_t>(i)]);
        out += "  \"input\": {\"mouse\": [" + std::to_string(input->GetMouseX()) + "," +
               std::to_string(input->GetMouseY()) + "], \"mode\": " +
               (input->GetInputMode() == CInput::kMouseMode ? "\"mouse\"" : "\"keyboard\"") +
               ", \"typed\": " + JsonString(typed) + "},\n";
    }
    // Subsystem sections: each is written by a function in its own StateDump<Section>.cpp
    // (declared in StateDump.h) and adds one line here, as `"  \"name\": " + text + ",\n"`.
    out += "  \"controls\": " + DumpControlsJson(main) + ",\n";
    out += "  \"system_sounds\": " + DumpSystemSoundsJson(main) + ",\n";
    out += "  \"screen_transition\": " + DumpScreenTransitionJson(main) + ",\n";
    out += "  \"audio\": " + DumpAudioJson(main) + ",\n";
    out += "  \"vvram\": " + DumpVVramJson(main) + ",\n";
    out += "  \"text_style\": " + DumpTextStyleJson(main) + ",\n";
    out += DumpExtraFieldsJson(main);
    out += "  \"full_screen\": " + std::string(JsonBool(main.IsFullScreen())) + "\n";
    out += "}\n";
    return out;
}

bool WriteStateDump(const CMainWindow& main, const std::string& path) {
    std::string json = DumpStateJson(main);
    return platform::WriteFileAtomic(
        path, std::span(reinterpret_cast<const uint8_t*>(json.data()), json.size()));
}

} // namespace qw
