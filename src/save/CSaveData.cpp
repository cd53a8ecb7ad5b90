#include "save/CSaveData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/ExecLog.h"
#include "common/Result.h"
#include "common/Text.h"
#include "graphics/CDIBImage.h"
#include "platform/FileSystem.h"
#include "platform/IniProfile.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

namespace {

#if defined(QW_CODEPAGE_GBK)
constexpr const char* kSaveDirName = "SAVS";
#else
constexpr const char* kSaveDirName = "SAVE";
#endif
constexpr const char* kConfigFileName = "CONFIG.SAV";
constexpr size_t kSettingsSize = 32;

std::string_view CutAtDot(std::string_view name) {
    size_t dot = name.find('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// "%d" of the value, as the ini reader parses it (a leading integer, else 0).
int ParseLeadingInt(const std::string& s) {
    int value = 0;
    if (std::sscanf(s.c_str(), "%d", &value) != 1) return 0;
    return value;
}

// Walks the definition records (id 0) of `file` in the scenario archive, handing each one whose
// parameters can all be stepped over to `take`.
template <typename Take>
bool WalkDefinitionRecords(const char* file, Take take) {
    CSnrBuffer reader;
    reader.Initialize();
    if (!reader.Read(file)) return false;
    std::vector<SnrParam> params;
    while (!reader.IsFinish()) {
        reader.ClearFault();
        uint16_t id = reader.GetCmdID();
        if (id == CSnrBuffer::kNoCommand) break;
        if (id == 0) {
            params.clear();
            for (SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p))
                params.push_back(p);
            if (!reader.HasFault()) take(reader, params);
        }
        reader.NextCommand();
    }
    return true;
}

// True when `p` is a value parameter equal to `expected`.
bool IsNumber(CSnrBuffer& reader, SnrParam p, int32_t expected) {
    return !reader.IsStringParam(p) && reader.GetValueParam(p) == expected && !reader.HasFault();
}

} // namespace

void GameSettings::Write(ByteWriter& out) const {
    out.Put<uint8_t>(fullScreen);
    out.PutZeros(3);
    out.Put<int32_t>(skipMode);
    out.Put<int32_t>(textSpeed);
    out.Put<int32_t>(autoSpeed);
    out.Put<uint8_t>(musicOn);
    out.Put<uint8_t>(effectsOn);
    out.Put<uint8_t>(voiceOn);
    out.Put<uint8_t>(0);
    out.Put<int32_t>(musicVolume);
    out.Put<int32_t>(effectsVolume);
    out.Put<int32_t>(voiceVolume);
}

// Values from the file are kept in range: a speed or volume outside 0-255 would index past the
// volume and speed tables, so it is clamped; a switch is on for any value but 0.
GameSettings GameSettings::Read(ByteSpan b) {
    GameSettings s;
    auto level = [&](size_t at, int32_t dflt) {
        return std::clamp<int32_t>(LoadLE<int32_t>(b, at).value_or(dflt), 0, 255);
    };
    auto flag = [&](size_t at, uint8_t dflt) -> uint8_t {
        return LoadLE<uint8_t>(b, at).value_or(dflt) != 0;
    };
    s.fullScreen = flag(0, s.fullScreen);
    s.skipMode = LoadLE<int32_t>(b, 4).value_or(s.skipMode) != 0;
    s.textSpeed = level(8, s.textSpeed);
    s.autoSpeed = level(12, s.autoSpeed);
    s.musicOn = flag(16, s.musicOn);
    s.effectsOn = flag(17, s.effectsOn);
    s.voiceOn = flag(18, s.voiceOn);
    s.musicVolume = level(20, s.musicVolume);
    s.effectsVolume = level(24, s.effectsVolume);
    s.voiceVolume = level(28, s.voiceVolume);
    return s;
}

CSaveData::CSaveData(std::string installDir)
    : installDir_(std::move(installDir)), iniPath_(installDir_ + "Novel.ini") {
    kidoku_.resize(kKidokuRecords);
    cgNames_.resize(static_cast<size_t>(kCGGroups * kCGEntries * kCGNames));
    sceneNames_.resize(static_cast<size_t>(kSceneGroups * kScenes));
}

CSaveData::~CSaveData() {
    CSaveData::Release();
}

// The save directory keeps the spelling it has on disk ("save", "Save" …); a new one is
// created as "SAVE".
std::string CSaveData::SaveDirectory() const {
    std::string parent = installDir_;
    while (parent.size() > 1 && parent.back() == kPathSeparator)
        parent.pop_back();
    auto found = platform::FindEntryNoCase(parent, kSaveDirName);
    return installDir_ + (found ? *found : std::string(kSaveDirName));
}

bool CSaveData::Initialize() {
    AddExecLog("CSaveData::Initialize");
    Release();
    ReadCGList();
    ReadSceneList();
    componentBuffer.assign(kComponentBufferSize, 0);
    componentLength = 0;
    thumbnail = std::make_unique<CDIBImage>();
    if (!thumbnail->Create(160, 120)) return false;
    thumbnailMode = 0;
    thumbnailParam = -1;
    if (!LoadConfig()) settings = GameSettings{};
    characterCount = 256;
    currentCharacter = 0;
    return true;
}

void CSaveData::Release() {
    AddExecLog("CSaveData::Release");
    imageSlots.FreeAll();
    std::vector<uint8_t>().swap(componentBuffer);
    componentLength = 0;
    snapshot_.reset();
    thumbnail.reset();
    for (auto& record : kidoku_)
        record = {};
}

bool CSaveData::LoadConfigEx() {
    AddExecLog("CSaveData::LoadConfigEx");
    platform::IniDocument ini(iniPath_);
    auto number = [&](const char* section, const char* key, const char* dflt) {
        return ParseLeadingInt(ini.GetString(section, key, dflt));
    };
    configEx.noneEffect = number("ConfigEx", "NoneEffect", "0") != 0;
    configEx.frameSpeed = number("ConfigEx", "FrameSpeed", "1");
    if (configEx.frameSpeed < 1) configEx.frameSpeed = 1;
    configEx.altAndEnter = number("ConfigEx", "AltAndEnter", "0") != 0;
    configEx.systemSE = number("ConfigEx", "SystemSE", "1") != 0;
    configEx.nonePause = number("ConfigEx", "NonePause", "0") != 0;
    configEx.bgmSmallVolume = number("ConfigEx", "BGMSmallVolume", "0") != 0;
    for (int n = 0; n < 256; ++n) {
        char section[16];
        std::snprintf(section, sizeof section, "char%03d", n);
        CharacterOption& c = configEx.characters[static_cast<size_t>(n)];
        c.voice = number(section, "voice", "1") != 0;
        std::string color = ini.GetString(section, "color", "255,255,255,255");
        int a = 255, r = 255, g = 255, b = 255;
        std::sscanf(color.c_str(), "%d,%d,%d,%d", &a, &r, &g, &b);
        c.alpha = static_cast<uint8_t>(a);
        c.red = static_cast<uint8_t>(r);
        c.green = static_cast<uint8_t>(g);
        c.blue = static_cast<uint8_t>(b);
    }
    return true;
}

bool CSaveData::SaveConfigEx() {
    AddExecLog("CSaveData::SaveConfigEx");
    platform::IniDocument ini(iniPath_);
    auto put = [&](const char* section, const char* key, int value) {
        ini.SetString(section, key, std::to_string(value));
    };
    put("ConfigEx", "NoneEffect", configEx.noneEffect != 0);
    put("ConfigEx", "FrameSpeed", configEx.frameSpeed);
    put("ConfigEx", "AltAndEnter", configEx.altAndEnter != 0);
    put("ConfigEx", "SystemSE", configEx.systemSE != 0);
    put("ConfigEx", "NonePause", configEx.nonePause != 0);
    put("ConfigEx", "BGMSmallVolume", configEx.bgmSmallVolume != 0);
    int count = characterCount < 0 ? 0 : characterCount > 256 ? 256 : characterCount;
    for (int n = 0; n < count; ++n) {
        char section[16];
        std::snprintf(section, sizeof section, "char%03d", n);
        const CharacterOption& c = configEx.characters[static_cast<size_t>(n)];
        put(section, "voice", c.voice != 0);
        char color[48];
        std::snprintf(color, sizeof color, "%d,%d,%d,%d", c.alpha, c.red, c.green, c.blue);
        ini.SetString(section, "color", color);
    }
    ini.Save();
    return true;
}

bool CSaveData::SaveConfig() {
    AddExecLog("CSaveData::SaveConfig");
    std::string dir = SaveDirectory();
    if (platform::GetPathKind(dir) != platform::PathKind::Directory &&
        !platform::CreateDirectories(dir))
        return false;
    ByteWriter out;
    for (int32_t v : globalVars)
        out.Put<int32_t>(v);
    int32_t used = 0;
    for (const auto& r : kidoku_)
        used += !r.flags.empty();
    out.Put<int32_t>(used);
    for (const auto& r : kidoku_) {
        if (r.flags.empty()) continue;
        out.PutFixedString(r.name.substr(0, 255), 256);
        out.Put<int32_t>(static_cast<int32_t>(r.flags.size()));
        out.PutBytes(r.flags);
    }
    out.PutBytes(cgFlags);
    out.PutBytes(sceneFlags);
    settings.Write(out);
    auto name = platform::FindEntryNoCase(dir, kConfigFileName);
    return platform::WriteFileAtomic(dir + kPathSeparator + name.value_or(kConfigFileName),
                                     out.Data());
}

bool CSaveData::LoadConfig() {
    AddExecLog("CSaveData::LoadConfig");
    const std::string dir = SaveDirectory();
    auto name = platform::FindEntryNoCase(dir, kConfigFileName);
    const std::string path = dir + kPathSeparator + name.value_or(kConfigFileName);
    auto file = platform::ReadWholeFile(path);
    if (!file) return false;
    if (ParseConfig(*file)) return true;
    // A file that is refused is put aside before the defaults apply, so the next load point
    // (which writes the configuration) cannot erase the read flags it may still hold.
    NoteRefusal(name.value_or(kConfigFileName),
                "refused; kept as " + name.value_or(kConfigFileName) + ".bad");
    std::rename(path.c_str(), (path + ".bad").c_str());
    return false;
}

bool CSaveData::ParseConfig(ByteSpan data) {
    // A file shorter than its own counts claim is refused whole; nothing changes.
    size_t pos = kGlobalVariables * 4;
    auto count = LoadLE<int32_t>(data, pos);
    if (!count || *count < 0 || *count > kKidokuRecords) return false;
    pos += 4;
    std::vector<KidokuRecord> records(kKidokuRecords);
    for (int i = 0; i < *count; ++i) {
        auto name = LoadFixedString(data, pos, 256);
        auto size = LoadLE<int32_t>(data, pos + 256);
        if (!name || !size || *size < 0 || static_cast<size_t>(*size) > kMaxKidokuBytes ||
            !FitsIn(data.size(), pos + 260, static_cast<uint64_t>(*size)))
            return false;
        records[static_cast<size_t>(i)].name = std::string(*name);
        records[static_cast<size_t>(i)].flags.assign(
            data.begin() + static_cast<std::ptrdiff_t>(pos + 260),
            data.begin() + static_cast<std::ptrdiff_t>(pos + 260 + static_cast<size_t>(*size)));
        if (records[static_cast<size_t>(i)].flags.empty())
            records[static_cast<size_t>(i)].flags.resize(1024);
        pos += 260 + static_cast<size_t>(*size);
    }
    if (!FitsIn(data.size(), pos, cgFlags.size() + sceneFlags.size() + kSettingsSize)) return false;
    for (int i = 0; i < kGlobalVariables; ++i)
        globalVars[static_cast<size_t>(i)] = *LoadLE<int32_t>(data, static_cast<size_t>(i) * 4);
    kidoku_ = std::move(records);
    std::memcpy(cgFlags.data(), data.data() + pos, cgFlags.size());
    pos += cgFlags.size();
    std::memcpy(sceneFlags.data(), data.data() + pos, sceneFlags.size());
    pos += sceneFlags.size();
    settings = GameSettings::Read(data.subspan(pos, kSettingsSize));
    return true;
}

CSaveData::KidokuRecord* CSaveData::SearchKidokuBuff(std::string_view scenarioName) {
    AddExecLog("CSaveData::SearchKidokuBuff");
    std::string_view name = CutAtDot(scenarioName).substr(0, 63);
    for (auto& r : kidoku_)
        if (!r.flags.empty() && EqualsNoCase(r.name, name)) return &r;
    for (auto& r : kidoku_) {
        if (r.flags.empty()) {
            r.name = std::string(name);
            return &r;
        }
    }
    return nullptr; // all records in use: the message counts as unread and is not recorded
}

void CSaveData::SetupKidoku(KidokuRecord& record, int message) {
    AddExecLog("CSaveData::SetupKidoku");
    if (record.flags.empty()) record.flags.assign(1024, 0);
    size_t need = static_cast<size_t>(message) / 8 + 1;
    if (record.flags.size() < need) record.flags.resize((need + 1023) / 1024 * 1024 + 1024, 0);
}

bool CSaveData::CheckKidokuFlag(int message) {
    AddExecLog("CSaveData::CheckKidokuFlag");
    if (message < 0 || message >= kMaxKidokuMessage) return false;
    KidokuRecord* r = SearchKidokuBuff(snrFileName_);
    if (!r) return false;
    SetupKidoku(*r, message);
    return (r->flags[static_cast<size_t>(message) / 8] >> (message % 8)) & 1;
}

void CSaveData::SetKidokuFlag(int message) {
    AddExecLog("CSaveData::SetKidokuFlag");
    if (message < 0 || message >= kMaxKidokuMessage) return;
    KidokuRecord* r = SearchKidokuBuff(snrFileName_);
    if (!r) return;
    SetupKidoku(*r, message);
    r->flags[static_cast<size_t>(message) / 8] |= static_cast<uint8_t>(1u << (message % 8));
}

bool CSaveData::ReadCGList() {
    AddExecLog("CSaveData::ReadCGList");
    for (auto& name : cgNames_)
        name.clear();
    cgCounts_.fill(0);
    return WalkDefinitionRecords(
        "CGLIST", [this](CSnrBuffer& reader, const std::vector<SnrParam>& p) {
            // 100, 0, name count, group, names (24 parameters at most)
            if (p.size() < 4 || p.size() > 24 || !IsNumber(reader, p[0], 100) ||
                !IsNumber(reader, p[1], 0))
                return;
            if (reader.IsStringParam(p[2]) || reader.IsStringParam(p[3])) return;
            int32_t count = reader.GetValueParam(p[2]);
            int32_t group = reader.GetValueParam(p[3]);
            if (reader.HasFault() || group < 0 || group >= kCGGroups) return;
            int32_t& entries = cgCounts_[static_cast<size_t>(group)];
            if (entries >= kCGEntries) return;
            for (int32_t i = 0; i < count && i < kCGNames && static_cast<size_t>(i) + 4 < p.size();
                 ++i) {
                std::string_view name = reader.GetStringParam(p[static_cast<size_t>(i) + 4]);
                if (!reader.HasFault()) SetCGName(group, entries, i, name);
            }
            ++entries;
        });
}

bool CSaveData::ReadSceneList() {
    AddExecLog("CSaveData::ReadSceneList");
    for (auto& name : sceneNames_)
        name.clear();
    sceneCounts_.fill(0);
    return WalkDefinitionRecords(
        "SCENELIST", [this](CSnrBuffer& reader, const std::vector<SnrParam>& p) {
            // 101, 0, group, name
            if (p.size() != 4 || !IsNumber(reader, p[0], 101) || !IsNumber(reader, p[1], 0)) return;
            if (reader.IsStringParam(p[2]) || !reader.IsStringParam(p[3])) return;
            int32_t group = reader.GetValueParam(p[2]);
            if (reader.HasFault() || group < 0 || group >= kSceneGroups) return;
            int32_t& scenes = sceneCounts_[static_cast<size_t>(group)];
            if (scenes >= kScenes) return;
            std::string_view name = reader.GetStringParam(p[3]);
            if (reader.HasFault()) return;
            SetSceneName(group, scenes, name);
            ++scenes;
        });
}

int CSaveData::GetCGCount(int group) const {
    return group >= 0 && group < kCGGroups ? cgCounts_[static_cast<size_t>(group)] : 0;
}

int CSaveData::GetSceneCount(int group) const {
    return group >= 0 && group < kSceneGroups ? sceneCounts_[static_cast<size_t>(group)] : 0;
}

const std::string& CSaveData::GetCGName(int group, int entry, int index) const {
    static const std::string kNone;
    if (group < 0 || group >= kCGGroups || entry < 0 || entry >= kCGEntries || index < 0 ||
        index >= kCGNames)
        return kNone;
    return cgNames_[static_cast<size_t>((group * kCGEntries + entry) * kCGNames + index)];
}

const std::string& CSaveData::GetSceneName(int group, int scene) const {
    static const std::string kNone;
    if (group < 0 || group >= kSceneGroups || scene < 0 || scene >= kScenes) return kNone;
    return sceneNames_[static_cast<size_t>(group * kScenes + scene)];
}

void CSaveData::SetCGName(int group, int entry, int index, std::string_view name) {
    if (group < 0 || group >= kCGGroups || entry < 0 || entry >= kCGEntries || index < 0 ||
        index >= kCGNames)
        return;
    cgNames_[static_cast<size_t>((group * kCGEntries + entry) * kCGNames + index)] =
        std::string(name.substr(0, 63));
}

void CSaveData::SetSceneName(int group, int scene, std::string_view name) {
    if (group < 0 || group >= kSceneGroups || scene < 0 || scene >= kScenes) return;
    sceneNames_[static_cast<size_t>(group * kScenes + scene)] = std::string(name.substr(0, 63));
}

void CSaveData::SetCGFlag(std::string_view name) {
    AddExecLog("CSaveData::SetCGFlag");
    std::string_view key = CutAtDot(name);
    for (size_t i = 0; i < cgNames_.size(); ++i) {
        if (!cgNames_[i].empty() && EqualsNoCase(cgNames_[i], key)) {
            cgFlags[i] = 1;
            return;
        }
    }
}

void CSaveData::SetSceneFlag(std::string_view name) {
    AddExecLog("CSaveData::SetSceneFlag");
    std::string_view key = CutAtDot(name);
    for (int g = 0; g < kSceneGroups; ++g) {
        for (int s = 0; s < kScenes; ++s) {
            const std::string& scene = sceneNames_[static_cast<size_t>(g * kScenes + s)];
            if (scene.empty()) break;
            if (EqualsNoCase(scene, key)) {
                sceneFlags[static_cast<size_t>(g * kScenes + s)] = 1;
                return;
            }
        }
    }
}

void CSaveData::SetSnrFileName(std::string_view name) {
    AddExecLog("CSaveData::SetSnrFileName");
    snrFileName_ = std::string(name.substr(0, 255));
}

} // namespace qw
