// The save data in the state dump: the slots on disk, the load point's snapshot, the thumbnail
// setting, the flags, the settings and the command line's saves and loads.

#include <algorithm>
#include <cstring>

#include "app/CMainWindow.h"
#include "app/HeadlessSaves.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "common/Bytes.h"
#include "common/Text.h"
#include "files/TitleKeyStream.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"
#include "save/SaveFile.h"

namespace qw {

namespace {

template <typename Flags>
std::string SetIndices(const Flags& flags) {
    std::string out = "[";
    bool first = true;
    for (size_t i = 0; i < flags.size(); ++i) {
        if (!flags[i]) continue;
        if (!first) out += ",";
        out += std::to_string(i);
        first = false;
    }
    return out + "]";
}

// The slot number of a saved game's file name ("GAME07.SAV" → 7), or -1.
int SlotOfName(const std::string& name) {
    if (name.size() < 10 || !EqualsNoCase(name.substr(0, 4), "GAME")) return -1;
    int slot = 0;
    for (size_t i = 4; i < name.size() - 4; ++i) {
        if (name[i] < '0' || name[i] > '9' || slot > CSaveData::kMaxSlot) return -1;
        slot = slot * 10 + (name[i] - '0');
    }
    return EqualsNoCase(name, CSaveData::SaveFileName(slot)) ? slot : -1;
}

std::string SlotsJson(const CSaveData& save) {
    const std::string dir = save.SaveDirectory();
    std::vector<std::pair<int, std::string>> found;
    for (const std::string& name : platform::ListDirectory(dir))
        if (int slot = SlotOfName(name); slot >= 0) found.emplace_back(slot, name);
    std::sort(found.begin(), found.end());
    std::string out = "[";
    for (const auto& [slot, name] : found) {
        const std::string path = dir + kPathSeparator + name;
        platform::FileHandle f;
        if (!f.Open(path, platform::FileHandle::Mode::Read)) continue;
        uint8_t head[savefile::kSummarySize];
        const size_t got = f.ReadAt(0, head, sizeof head);
        auto summary = savefile::ParseSummary(ByteSpan(head, got), ProductTitle());
        if (!summary) continue;
        if (out.size() > 1) out += ", ";
        out += "{\"slot\": " + std::to_string(slot) +
               ", \"subtitle\": " + GameTextField(std::string_view(summary->subtitle.data(), 64)) +
               ", \"thumbnail\": [" + std::to_string(summary->thumbWidth) + "," +
               std::to_string(summary->thumbHeight) +
               "], \"bytes\": " + std::to_string(f.Size().value_or(0)) + "}";
    }
    return out + "]";
}

std::string SnapshotJson(const CSaveData& save) {
    const savefile::Contents* snap = save.GetSnapshot();
    if (!snap) return "null";
    // The screen's record closes the state; its first field is the load point.
    const size_t used = std::min<size_t>(static_cast<size_t>(std::max(save.componentLength, 0)),
                                         save.componentBuffer.size());
    const int64_t position =
        used >= 56 ? int64_t(*LoadLE<uint32_t>(save.componentBuffer, used - 56)) : -1;
    return "{\"bytes\": " + std::to_string(used) +
           ", \"scenario\": " + GameTextField(std::string_view(snap->scenario.data(), 256)) +
           ", \"position\": " + std::to_string(position) + "}";
}

std::string SettingsJson(const GameSettings& s) {
    return "{\"full_screen\": " + std::to_string(s.fullScreen) +
           ", \"skip_mode\": " + std::to_string(s.skipMode) +
           ", \"text_speed\": " + std::to_string(s.textSpeed) +
           ", \"auto_speed\": " + std::to_string(s.autoSpeed) +
           ", \"music_on\": " + std::to_string(s.musicOn) +
           ", \"effects_on\": " + std::to_string(s.effectsOn) +
           ", \"voice_on\": " + std::to_string(s.voiceOn) +
           ", \"music_volume\": " + std::to_string(s.musicVolume) +
           ", \"effects_volume\": " + std::to_string(s.effectsVolume) +
           ", \"voice_volume\": " + std::to_string(s.voiceVolume) + "}";
}

std::string ConfigExJson(const ExtendedSettings& e) {
    std::string out = "{\"none_effect\": " + std::to_string(e.noneEffect) +
                      ", \"frame_speed\": " + std::to_string(e.frameSpeed) +
                      ", \"alt_and_enter\": " + std::to_string(e.altAndEnter) +
                      ", \"system_se\": " + std::to_string(e.systemSE) +
                      ", \"none_pause\": " + std::to_string(e.nonePause) +
                      ", \"bgm_small_volume\": " + std::to_string(e.bgmSmallVolume) +
                      ", \"characters\": [";
    for (size_t i = 0; i < e.characters.size(); ++i) {
        const CharacterOption& c = e.characters[i];
        if (i) out += ",";
        out += "[" + std::to_string(c.voice) + "," + std::to_string(c.alpha) + "," +
               std::to_string(c.red) + "," + std::to_string(c.green) + "," +
               std::to_string(c.blue) + "]";
    }
    return out + "]}";
}

} // namespace

std::string DumpSaveDataJson(const CMainWindow& main) {
    const CSaveData* save = main.GetSaveData();
    if (!save) return "null";
    const std::string dir = save->SaveDirectory();
    const size_t slash = dir.rfind(kPathSeparator);
    std::string out =
        "{\"directory\": " + GameText(slash == std::string::npos ? dir : dir.substr(slash + 1));
    out += ", \"slots\": " + SlotsJson(*save);
    out += ", \"snapshot\": " + SnapshotJson(*save);
    out += ", \"thumbnail\": {\"mode\": " + std::to_string(save->thumbnailMode) +
           ", \"param\": " + std::to_string(save->thumbnailParam) +
           ", \"name\": " + GameTextField(std::string_view(save->thumbnailName.data(), 64)) + "}";
    out += ", \"replay\": " + std::string(JsonBool(save->replay != 0));
    out += ", \"read_flags\": {";
    bool first = true;
    save->ForEachReadFlagRecord([&](const std::string& name, const std::vector<uint8_t>& flags) {
        std::string set = "[";
        for (size_t i = 0; i < flags.size() * 8; ++i) {
            if (!((flags[i / 8] >> (i % 8)) & 1)) continue;
            if (set.size() > 1) set += ",";
            set += std::to_string(i);
        }
        if (!first) out += ", ";
        out += GameText(name) + ": " + set + "]";
        first = false;
    });
    out += "}";
    out += ", \"cg_flags\": " + SetIndices(save->cgFlags);
    out += ", \"scene_flags\": " + SetIndices(save->sceneFlags);
    out += ", \"settings\": " + SettingsJson(save->settings);
    out += ", \"config_ex\": " + ConfigExJson(save->configEx);
    out += ", \"events\": [";
    for (size_t i = 0; i < GetSaveEvents().size(); ++i) {
        const SaveEventForDump& e = GetSaveEvents()[i];
        if (i) out += ", ";
        out += "{\"tick\": " + std::to_string(e.tick) + ", \"op\": \"" +
               (e.save ? "save" : "load") + "\", \"slot\": " + std::to_string(e.slot) +
               ", \"ok\": " + JsonBool(e.ok) + "}";
    }
    return out + "]}";
}

} // namespace qw
