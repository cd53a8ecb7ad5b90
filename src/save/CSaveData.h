#pragma once
// Everything that outlives a screen: the scenario's variables, the player's settings, the
// extended settings in "Novel.ini", read flags, CG and scene flags, and the configuration file
// "CONFIG.SAV" in the save directory.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bytes.h"
#include "save/ImageSlots.h"
#include "save/SaveFile.h"

namespace qw {

class CBGMBuffer;
class CDIBImage;
class CSEBuffer;
class CVoiceBuffer;

// The sound buffers whose state a saved game keeps (each may be null).
struct SaveSound {
    CBGMBuffer* music = nullptr;
    CSEBuffer* effects = nullptr;
    CVoiceBuffer* voice = nullptr;
};

// The 32-byte settings block, stored whole in the configuration file.
struct GameSettings {
    uint8_t fullScreen = 0;
    int32_t skipMode = 1; // 1: skip stops at unread messages
    int32_t textSpeed = 128;
    int32_t autoSpeed = 128;
    uint8_t musicOn = 1, effectsOn = 1, voiceOn = 1;
    int32_t musicVolume = 128, effectsVolume = 128, voiceVolume = 128;

    void Write(ByteWriter& out) const;
    static GameSettings Read(ByteSpan block); // block of 32 bytes
};

struct CharacterOption {
    uint8_t voice = 1;
    uint8_t alpha = 255, red = 255, green = 255, blue = 255;
};

// The extended settings, section [ConfigEx] and "char%03d" of "Novel.ini".
struct ExtendedSettings {
    uint8_t noneEffect = 0;
    int32_t frameSpeed = 1; // at least 1 once read
    uint8_t altAndEnter = 0;
    uint8_t systemSE = 1;
    uint8_t nonePause = 0;
    uint8_t bgmSmallVolume = 0;
    std::array<CharacterOption, 256> characters{};
};

class CSaveData {
public:
    static constexpr int kLocalVariables = 1000;
    static constexpr int kGlobalVariables = 1000;
    static constexpr int kStringVariables = 256;
    static constexpr int kStringSize = 64;
    static constexpr int kCGGroups = 20, kCGEntries = 100, kCGNames = 20;
    static constexpr int kSceneGroups = 20, kScenes = 20;
    static constexpr int kKidokuRecords = 1000;
    // Read flags are kept for message numbers below 2^24 (2 MiB of flags per file at most); a
    // higher number reads as unread and is not recorded, so a stray message number cannot take
    // hundreds of megabytes. A configuration file with a larger record is refused.
    static constexpr int kMaxKidokuMessage = 1 << 24;
    static constexpr size_t kMaxKidokuBytes =
        (size_t(kMaxKidokuMessage) / 8 + 1023) / 1024 * 1024 + 1024;
    static constexpr size_t kComponentBufferSize = 1048576;

    // `installDir` ends with a separator; the save directory and ini path derive from it.
    explicit CSaveData(std::string installDir = {});
    virtual ~CSaveData();

    virtual bool Initialize();
    virtual void Release();

    bool LoadConfig();
    bool SaveConfig();
    // The configuration file's contents: false (nothing changed) when it is cut short or its
    // counts do not fit.
    bool ParseConfig(ByteSpan data);
    bool LoadConfigEx();
    bool SaveConfigEx();

    // Read flags of the current scenario file; message numbers below 0 are never recorded.
    bool CheckKidokuFlag(int message);
    void SetKidokuFlag(int message);

    void SetCGFlag(std::string_view name);
    void SetSceneFlag(std::string_view name);
    // The names the extras screen shows, read by Initialize from the definition files "CGLIST"
    // (records 100, 0: name count, group, names) and "SCENELIST" (records 101, 0: group, name) in
    // the scenario archive. Each list is cleared first; false when its file cannot be read.
    // Records that do not fit the tables are skipped.
    bool ReadCGList();
    bool ReadSceneList();
    void SetCGName(int group, int entry, int index, std::string_view name);
    void SetSceneName(int group, int scene, std::string_view name);
    int GetCGCount(int group) const;
    int GetSceneCount(int group) const;
    // Empty for names outside the tables or not set.
    const std::string& GetCGName(int group, int entry, int index) const;
    const std::string& GetSceneName(int group, int scene) const;

    // Saved games (CSaveDataGame.cpp). Slots are 0-999, stored as "GAME%02d.SAV" in the save
    // directory (found without regard to case, like the directory itself).
    static constexpr int kMaxSlot = 999;
    void SetSound(const SaveSound& sound) { sound_ = sound; }
    // Writes the last load point's snapshot with the current subtitle and thumbnail. False, with
    // the old file kept, for a slot outside 0-999, before any load point, or when the directory
    // or the file cannot be written.
    bool SaveGame(int slot);
    // Checks the component state's records (the scenario screen's checking load): false with the
    // reason refuses the saved game.
    using StateCheck = std::function<bool(ByteSpan state, std::string& why)>;
    // Reads a saved game, all or nothing: the file and, through `check`, the component state are
    // checked before anything changes; a refusal goes to stderr with its reason and leaves every
    // field, picture and sound as it was. Then the fields, the image slots (new pictures read
    // before the old ones are given back), the music, the effects and the voice are restored,
    // the component buffer filled and the snapshot set to what was loaded.
    bool LoadGame(int slot, const StateCheck& check = {});
    // The subtitle (terminated), optionally the thumbnail (a new surface; null for a save
    // without picture) and the file's last-write time (seconds since the epoch) of a slot. Reads
    // only the header, the subtitle and the thumbnail.
    bool GetSubTitle(int slot, std::array<char, 64>& subtitle,
                     std::unique_ptr<CDIBImage>* thumbnail = nullptr, int64_t* time = nullptr);
    // Makes the thumbnail of the next save from `source` by the thumbnail mode (SAVESAM).
    bool CreateSaveSum(CDIBImage& source);
    // Whether `path` exists as a directory; creating it with its parents.
    static bool IsExistFile(const std::string& path);
    static bool CreateDirectoryA(const std::string& path);
    // The path of a slot's file ("" outside 0-999), spelled as on disk when it exists.
    std::string SaveFilePath(int slot) const;
    static std::string SaveFileName(int slot);

    // The snapshot a load point takes: the main block's scenario state (variables, scenario
    // name, lists, image names, music, effects, voices); the component state beside it stays in
    // the component buffer (only load points and loads write it). SaveGame writes both; a new
    // scenario screen clears the snapshot.
    void TakeSnapshot();
    void ClearSnapshot() { snapshot_.reset(); }
    const savefile::Contents* GetSnapshot() const { return snapshot_.get(); }

    // The read-flag records in use, in table order: name and flag bytes.
    template <typename Visit>
    void ForEachReadFlagRecord(Visit visit) const {
        for (const KidokuRecord& r : kidoku_)
            if (!r.flags.empty()) visit(r.name, r.flags);
    }

    void SetSnrFileName(std::string_view name);
    const std::string& GetSnrFileName() const { return snrFileName_; }

    std::string SaveDirectory() const;
    const std::string& IniPath() const { return iniPath_; }

    // Scenario state, read and written directly by the interpreter and the screens.
    GameSettings settings;
    ExtendedSettings configEx;
    std::array<int32_t, kLocalVariables> localVars{};
    std::array<int32_t, kGlobalVariables> globalVars{};
    std::array<std::array<char, kStringSize>, kStringVariables> stringVars{};
    std::array<char, 64> subtitle{};
    // The pictures IMREAD holds ahead; Release gives them back (the owner releases the save data
    // before the sprite cache).
    ImageSlots imageSlots;
    // The music list BGMLIST fills: file names by number.
    std::array<std::array<char, kStringSize>, 256> bgmList{};
    // The sound-effect slots SEREAD fills: channels of the effects buffer (0: empty).
    std::array<int32_t, 256> seSlots{};
    // The voice list VOICELIST fills: file name prefixes by number.
    std::array<std::array<char, kStringSize>, 256> voiceList{};
    int32_t thumbnailMode = 0;
    int32_t thumbnailParam = -1;
    std::array<char, 64> thumbnailName{}; // thumbnail mode 40: the picture's name
    std::vector<uint8_t> cgFlags = std::vector<uint8_t>(kCGGroups * kCGEntries * kCGNames);
    std::vector<uint8_t> sceneFlags = std::vector<uint8_t>(kSceneGroups * kScenes);
    uint8_t replay = 0;
    int32_t characterCount = 256;
    int32_t currentCharacter = 0;
    std::unique_ptr<CDIBImage> thumbnail;
    std::vector<uint8_t> componentBuffer;
    int32_t componentLength = 0;

private:
    struct KidokuRecord {
        std::string name;
        std::vector<uint8_t> flags; // empty: record unused
    };
    KidokuRecord* SearchKidokuBuff(std::string_view scenarioName);
    static void SetupKidoku(KidokuRecord& record, int message);

    // The file's contents applied to the fields (LoadGame after its checks).
    void ApplySaveContents(std::unique_ptr<savefile::Contents> contents);

    SaveSound sound_;
    // The last saved or loaded file's bytes, kept so the next save or load reuses the memory
    // (up to the largest file, about 3 MiB).
    Bytes fileBuffer_;
    std::unique_ptr<savefile::Contents> snapshot_;
    std::string installDir_;
    std::string iniPath_;
    std::string snrFileName_;
    std::vector<KidokuRecord> kidoku_;
    // CG names: group × entry × name, and scene names: group × scene (empty = none).
    std::vector<std::string> cgNames_;
    std::vector<std::string> sceneNames_;
    std::array<int32_t, kCGGroups> cgCounts_{};
    std::array<int32_t, kSceneGroups> sceneCounts_{};
};

} // namespace qw
