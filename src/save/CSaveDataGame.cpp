// CSaveData: the numbered saved games — writing the last load point's snapshot, loading a file
// all or nothing, the captions of the save/load screen and the thumbnail.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/CBGMBuffer.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "common/ExecLog.h"
#include "common/Result.h"
#include "common/Text.h"
#include "files/TitleKeyStream.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "platform/FileSystem.h"
#include "save/CSaveData.h"

namespace qw {

namespace {

// A name that does not fit its field with its terminator is stored empty: a cut name would
// name another file.
template <size_t N>
void PutName(std::array<char, N>& field, std::string_view name) {
    field.fill(0);
    if (name.size() < N) std::memcpy(field.data(), name.data(), name.size());
}

template <size_t N>
std::array<char, N> Terminated(std::array<char, N> field) {
    field[N - 1] = 0;
    return field;
}

template <size_t N>
std::string_view NameOf(const std::array<char, N>& field) {
    return std::string_view(field.data(), strnlen(field.data(), N));
}

} // namespace

std::string CSaveData::SaveFileName(int slot) {
    if (slot < 0 || slot > kMaxSlot) return {};
    char name[16];
    std::snprintf(name, sizeof name, "GAME%02d.SAV", slot);
    return name;
}

std::string CSaveData::SaveFilePath(int slot) const {
    const std::string name = SaveFileName(slot);
    if (name.empty()) return {};
    const std::string dir = SaveDirectory();
    auto found = platform::FindEntryNoCase(dir, name);
    return dir + kPathSeparator + found.value_or(name);
}

bool CSaveData::IsExistFile(const std::string& path) {
    AddExecLog("CSaveData::IsExistFile");
    return platform::GetPathKind(path) == platform::PathKind::Directory;
}

bool CSaveData::CreateDirectoryA(const std::string& path) {
    AddExecLog("CSaveData::CreateDirectoryA");
    return platform::CreateDirectories(path);
}

// The component state stays in the component buffer, which only load points and loads write: a
// save takes it from there.
void CSaveData::TakeSnapshot() {
    AddExecLog("CSaveData::TakeSnapshot");
    auto c = std::make_unique<savefile::Contents>();
    c->locals = localVars;
    PutName(c->scenario, snrFileName_);
    for (size_t i = 0; i < c->strings.size(); ++i)
        c->strings[i] = stringVars[i];
    for (int i = 0; i < ImageSlots::kCount; ++i)
        PutName(c->imageNames[static_cast<size_t>(i)], imageSlots.Name(i));
    for (size_t i = 0; i < c->musicList.size(); ++i)
        c->musicList[i] = bgmList[i];
    if (sound_.music) {
        PutName(c->music, sound_.music->GetName());
        if (c->music[0]) {
            c->musicPlaying = sound_.music->IsPlaying() ? 1 : 0;
            c->musicLoop = sound_.music->IsLooping() ? 1 : 0;
        }
    }
    if (sound_.effects) {
        for (size_t i = 0; i < seSlots.size(); ++i) {
            if (seSlots[i] == 0) continue;
            SESlotRecord r = sound_.effects->GetSlotRecord(seSlots[i]);
            // Through a copy: the view is of the field PutName clears.
            PutName(r.name, std::string(NameOf(r.name)));
            if (r.name[0]) CSEBuffer::WriteSlotRecord(r, c->effects[i].data());
        }
    }
    for (size_t i = 0; i < c->voices.size(); ++i)
        c->voices[i] = voiceList[i];
    snapshot_ = std::move(c);
}

bool CSaveData::SaveGame(int slot) {
    AddExecLog("CSaveData::SaveGame");
    const std::string name = SaveFileName(slot);
    if (name.empty()) {
        NoteRefusal("SaveGame", "slot " + std::to_string(slot) + " is outside 0-999");
        return false;
    }
    // Before the first load point there is nothing a load could resume: the old file stays.
    if (!snapshot_) {
        NoteRefusal(name, "no load point reached yet; nothing to save");
        return false;
    }
    const std::string dir = SaveDirectory();
    if (!IsExistFile(dir) && !CreateDirectoryA(dir)) return false;

    savefile::Summary head;
    head.header = savefile::Header(ProductTitle());
    head.subtitle = Terminated(subtitle);
    ByteSpan pixels;
    if (thumbnail && thumbnail->IsCreated()) {
        head.thumbWidth = thumbnail->GetWidth();
        head.thumbHeight = thumbnail->GetHeight();
        pixels = ByteSpan(reinterpret_cast<const uint8_t*>(thumbnail->GetPixels()),
                          size_t(head.thumbWidth) * size_t(head.thumbHeight) * 4);
    }
    const size_t used =
        std::min<size_t>(static_cast<size_t>(std::max(componentLength, 0)), componentBuffer.size());
    // The file is built in a buffer kept from save to save (no clearing, no new pages).
    savefile::WriteInto(fileBuffer_, head, pixels, *snapshot_,
                        ByteSpan(componentBuffer).first(used), ProductTitle(), SaveKeyCache());
    const std::string path = SaveFilePath(slot);
    if (!platform::WriteFileAtomic(path, fileBuffer_)) {
        NoteRefusal(name, "could not be written; the previous file is kept");
        return false;
    }
    return true;
}

bool CSaveData::LoadGame(int slot, const StateCheck& check) {
    AddExecLog("CSaveData::LoadGame");
    const std::string name = SaveFileName(slot);
    if (name.empty()) {
        NoteRefusal("LoadGame", "slot " + std::to_string(slot) + " is outside 0-999");
        return false;
    }
    if (!IsExistFile(SaveDirectory())) {
        NoteRefusal(name, "there is no save directory");
        return false;
    }
    const std::string path = SaveFilePath(slot);
    platform::FileHandle f;
    if (!f.Open(path, platform::FileHandle::Mode::Read)) {
        NoteRefusal(name, "cannot be opened");
        return false;
    }
    const auto size = f.Size();
    // Larger than any saved game (an 800 × 600 thumbnail and a full state): not read at all.
    if (!size || *size > savefile::kMaxFileSize) {
        NoteRefusal(name, "larger than any saved game: " + std::to_string(size.value_or(0)) +
                              " bytes (at most " + std::to_string(savefile::kMaxFileSize) + ")");
        return false;
    }
    // Read into the buffer kept from load to load; only its size changes.
    Bytes& data = fileBuffer_;
    data.resize(static_cast<size_t>(*size));
    if (f.ReadAt(0, data.data(), data.size()) != data.size()) {
        NoteRefusal(name, "cannot be read");
        return false;
    }
    f.Close();
    Result<std::unique_ptr<savefile::Contents>> contents =
        savefile::ParseNew(data, ProductTitle(), SaveKeyCache());
    if (!contents) {
        NoteRefusal(name, contents.Reason());
        return false;
    }
    if (check) {
        std::string why;
        if (!check((*contents)->state, why)) {
            NoteRefusal(name, why.empty() ? "the component state is refused" : why);
            return false;
        }
    }
    ApplySaveContents(std::move(*contents));
    return true;
}

void CSaveData::ApplySaveContents(std::unique_ptr<savefile::Contents> c) {
    AddExecLog("CSaveData::ApplySaveContents");
    // Strings and names end at their last byte at the latest.
    c->summary.subtitle = Terminated(c->summary.subtitle);
    c->scenario = Terminated(c->scenario);
    for (auto* list : {&c->strings, &c->imageNames, &c->musicList, &c->voices})
        for (auto& n : *list)
            n.back() = 0;
    c->music = Terminated(c->music);

    subtitle = c->summary.subtitle;
    if (c->summary.thumbBytes != 0) {
        // A surface of the same size is reused; another size is made anew.
        if (thumbnail && thumbnail->IsCreated() && thumbnail->GetWidth() == c->summary.thumbWidth &&
            thumbnail->GetHeight() == c->summary.thumbHeight) {
            std::memcpy(thumbnail->GetPixels(), c->pixels.data(), c->pixels.size());
        } else if (auto image = std::make_unique<CDIBImage>();
                   image->Create(c->summary.thumbWidth, c->summary.thumbHeight)) {
            std::memcpy(image->GetPixels(), c->pixels.data(), c->pixels.size());
            thumbnail = std::move(image);
        }
    }
    localVars = c->locals;
    SetSnrFileName(NameOf(c->scenario));
    static_assert(sizeof stringVars == sizeof c->strings);
    std::memcpy(stringVars.data(), c->strings.data(), sizeof stringVars);

    // The new pictures are read before the old ones are given back, so a picture kept from one
    // game to the next is not decoded again. One that cannot be read leaves its slot empty.
    std::array<CDIBSprite*, ImageSlots::kCount> pictures{};
    if (CSpriteCache* cache = imageSlots.GetCache())
        for (size_t i = 0; i < pictures.size(); ++i)
            if (std::string_view n = NameOf(c->imageNames[i]); !n.empty())
                pictures[i] = cache->Read(n);
    for (int i = 0; i < ImageSlots::kCount; ++i)
        imageSlots.Exchange(i, pictures[static_cast<size_t>(i)]);

    static_assert(sizeof bgmList == sizeof c->musicList);
    std::memcpy(bgmList.data(), c->musicList.data(), sizeof bgmList);
    if (sound_.music) {
        sound_.music->Stop(0);
        if (std::string_view music = NameOf(c->music); !music.empty())
            if (sound_.music->Read(music) && c->musicPlaying)
                sound_.music->Play(0, c->musicLoop != 0);
    }

    if (sound_.effects) {
        for (int32_t& channel : seSlots) {
            if (channel == 0) continue;
            sound_.effects->Stop(channel, 0);
            sound_.effects->Free(channel);
            channel = 0;
        }
        for (size_t i = 0; i < seSlots.size(); ++i)
            seSlots[i] =
                sound_.effects->RestoreSlot(0, CSEBuffer::ReadSlotRecord(c->effects[i].data()));
    } else {
        seSlots.fill(0);
    }

    static_assert(sizeof voiceList == sizeof c->voices);
    std::memcpy(voiceList.data(), c->voices.data(), sizeof voiceList);
    if (sound_.voice) sound_.voice->Stop(0);

    if (componentBuffer.size() < kComponentBufferSize)
        componentBuffer.assign(kComponentBufferSize, 0);
    std::copy(c->state.begin(), c->state.end(), componentBuffer.begin());
    componentLength = static_cast<int32_t>(c->state.size());
    Bytes().swap(c->state); // the component buffer holds it
    Bytes().swap(c->pixels);
    snapshot_ = std::move(c);
}

bool CSaveData::GetSubTitle(int slot, std::array<char, 64>& out,
                            std::unique_ptr<CDIBImage>* thumbnailOut, int64_t* time) {
    AddExecLog("CSaveData::GetSubTitle");
    out[0] = 0;
    if (thumbnailOut) thumbnailOut->reset();
    if (time) *time = 0;
    if (SaveFileName(slot).empty() || !IsExistFile(SaveDirectory())) return false;
    const std::string path = SaveFilePath(slot);
    platform::FileHandle f;
    if (!f.Open(path, platform::FileHandle::Mode::Read)) return false;
    uint8_t head[savefile::kSummarySize];
    const size_t got = f.ReadAt(0, head, sizeof head);
    Result<savefile::Summary> s = savefile::ParseSummary(ByteSpan(head, got), ProductTitle());
    if (!s) return false;
    out = Terminated(s->subtitle);
    if (thumbnailOut && s->thumbBytes != 0) {
        auto image = std::make_unique<CDIBImage>();
        if (!image->Create(s->thumbWidth, s->thumbHeight)) return false;
        if (f.ReadAt(savefile::kPixelsOffset, image->GetPixels(), s->thumbBytes) != s->thumbBytes)
            return false;
        *thumbnailOut = std::move(image);
    }
    if (time) *time = platform::GetLastWriteTime(path).value_or(0);
    return true;
}

bool CSaveData::CreateSaveSum(CDIBImage& source) {
    AddExecLog("CSaveData::CreateSaveSum");
    if (!thumbnail || !thumbnail->IsCreated()) return false;
    CDIBImage& thumb = *thumbnail;
    const int w = thumb.GetWidth(), h = thumb.GetHeight();
    thumb.FillFull(0);
    VertexQuad quad;
    // The stretches sample smoothly: a 800 × 600 picture shrunk five times keeps its detail
    // better blended than picked.
    auto stretchCopy = [&](CDIBImage& from) {
        from.SetStretchVertex(quad, 0, 0, w, h, 0xFFFFFFFFu);
        from.StretchBltCopy(&thumb, quad, true);
    };
    switch (thumbnailMode) {
    case 0:
        source.SetStretchVertex(quad, 0, 0, w, h, static_cast<uint32_t>(thumbnailParam));
        source.StretchBltBlend(&thumb, quad, true);
        break;
    case 10:
        stretchCopy(source);
        thumb.Mozaiku(thumbnailParam, true, true);
        break;
    case 20:
        stretchCopy(source);
        // Each pass blurs the whole thumbnail; past 255 passes it is one flat colour anyway, and
        // a huge number would hold the game for minutes.
        thumb.Befog(std::clamp(thumbnailParam, 0, 255));
        break;
    case 30:
        thumb.FillFull(static_cast<uint32_t>(thumbnailParam));
        break;
    case 40: {
        CSpriteCache* cache = imageSlots.GetCache();
        CDIBSprite* picture = cache ? cache->Read(NameOf(Terminated(thumbnailName))) : nullptr;
        if (!picture) return false;
        stretchCopy(*picture);
        cache->Free(picture);
        break;
    }
    default:
        break;
    }
    thumb.FillAlpha(255);
    return true;
}

} // namespace qw
