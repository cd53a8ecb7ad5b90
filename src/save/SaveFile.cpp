#include "save/SaveFile.h"

#include <cstring>

#include "common/ExecLog.h"
#include "common/Text.h"
#include "files/CMD5.h"
#include "files/TitleKeyStream.h"

namespace qw::savefile {

namespace {

constexpr size_t kLocalsOffset = 0; // from the end of the pixels
constexpr size_t kScenarioOffset = kLocalsOffset + 4000;
constexpr size_t kStringsOffset = kScenarioOffset + 256;
constexpr size_t kImagesOffset = kStringsOffset + 256 * kNameSize;
constexpr size_t kMusicListOffset = kImagesOffset + 256 * kNameSize;
constexpr size_t kMusicOffset = kMusicListOffset + 256 * kNameSize;
constexpr size_t kEffectsOffset = kMusicOffset + kNameSize + 2;
constexpr size_t kVoicesOffset = kEffectsOffset + 256 * SESlotRecord::kSize;
constexpr size_t kStateLengthOffset = kVoicesOffset + 256 * kNameSize;
static_assert(kHeaderSize + 4 + kNameSize + 12 + kStateLengthOffset ==
              kHeaderSize + kMainFixedSize);

template <size_t N>
void Take(std::array<char, N>& out, const uint8_t* p) {
    std::memcpy(out.data(), p, N);
}

void TakeList(NameList& out, const uint8_t* p) {
    std::memcpy(out.data(), p, sizeof out);
}

} // namespace

std::array<char, kHeaderSize> Header(std::string_view title) {
    std::string text(title);
    text += "SaveData";
    const std::string hex = CMD5::Hex(text);
    std::array<char, kHeaderSize> header{};
    std::memcpy(header.data(), hex.data(), kHeaderSize);
    return header;
}

Result<Summary> ParseSummary(ByteSpan data, std::string_view title) {
    if (data.size() < kSummarySize)
        return Refuse("cut short: %zu of %zu bytes", data.size(), kSummarySize);
    Summary s;
    std::memcpy(s.header.data(), data.data(), kHeaderSize);
    const auto want = Header(title);
    if (!EqualsNoCase(std::string_view(s.header.data(), kHeaderSize),
                      std::string_view(want.data(), kHeaderSize)))
        return Refuse("not a saved game of this title (header differs)");
    s.mainLength = LoadLEUnchecked<uint32_t>(data.data() + 32);
    std::memcpy(s.subtitle.data(), data.data() + 36, kNameSize);
    s.thumbBytes = LoadLEUnchecked<uint32_t>(data.data() + 100);
    s.thumbWidth = LoadLEUnchecked<int32_t>(data.data() + 104);
    s.thumbHeight = LoadLEUnchecked<int32_t>(data.data() + 108);
    // A byte count of 0 is a save without picture: the width and height mean nothing then.
    if (s.thumbBytes != 0) {
        if (s.thumbWidth < 1 || s.thumbWidth > kMaxThumbWidth || s.thumbHeight < 1 ||
            s.thumbHeight > kMaxThumbHeight)
            return Refuse("thumbnail of %d x %d pixels (1-800 x 1-600)", s.thumbWidth,
                          s.thumbHeight);
        const uint64_t expect = uint64_t(s.thumbWidth) * uint64_t(s.thumbHeight) * 4;
        if (s.thumbBytes != expect)
            return Refuse("thumbnail byte count %u for %d x %d pixels (%llu)", s.thumbBytes,
                          s.thumbWidth, s.thumbHeight, static_cast<unsigned long long>(expect));
    }
    if (uint64_t(s.mainLength) != kMainFixedSize + uint64_t(s.thumbBytes))
        return Refuse("main block length %u for a thumbnail of %u bytes (%llu)", s.mainLength,
                      s.thumbBytes,
                      static_cast<unsigned long long>(kMainFixedSize + uint64_t(s.thumbBytes)));
    return s;
}

Result<std::unique_ptr<Contents>> ParseNew(ByteSpan data, std::string_view title,
                                           TitleKeyCache& keys) {
    AddExecLog("savefile::ParseNew");
    Result<Summary> summary = ParseSummary(data, title);
    if (!summary) return Refusal{summary.Reason()};
    const size_t mainEnd = kHeaderSize + summary->mainLength; // ≤ 32 + 78642 + 1920000
    const size_t lengthEnd = mainEnd + 4;
    if (data.size() < lengthEnd)
        return Refuse("cut short: %zu of %zu bytes", data.size(), lengthEnd);
    const uint32_t stateLength = LoadLEUnchecked<uint32_t>(data.data() + mainEnd);
    if (stateLength > kMaxState)
        return Refuse("component state of %u bytes (at most %zu)", stateLength, kMaxState);
    if (data.size() - lengthEnd < stateLength)
        return Refuse("cut short: %zu of %zu bytes", data.size(), lengthEnd + stateLength);

    auto owned = std::make_unique<Contents>();
    Contents& c = *owned;
    c.summary = *summary;
    const uint8_t* pixels = data.data() + kPixelsOffset;
    c.pixels.assign(pixels, pixels + c.summary.thumbBytes);
    const uint8_t* p = pixels + c.summary.thumbBytes;
    for (size_t i = 0; i < c.locals.size(); ++i)
        c.locals[i] = LoadLEUnchecked<int32_t>(p + kLocalsOffset + 4 * i);
    Take(c.scenario, p + kScenarioOffset);
    TakeList(c.strings, p + kStringsOffset);
    TakeList(c.imageNames, p + kImagesOffset);
    TakeList(c.musicList, p + kMusicListOffset);
    Take(c.music, p + kMusicOffset);
    c.musicPlaying = p[kMusicOffset + kNameSize];
    c.musicLoop = p[kMusicOffset + kNameSize + 1];
    std::memcpy(c.effects.data(), p + kEffectsOffset, sizeof c.effects);
    TakeList(c.voices, p + kVoicesOffset);
    c.state.resize(stateLength);
    keys.XorInto(c.state, data.subspan(lengthEnd, stateLength), title);
    return owned;
}

Result<Contents> Parse(ByteSpan data, std::string_view title, TitleKeyCache& keys) {
    Result<std::unique_ptr<Contents>> parsed = ParseNew(data, title, keys);
    if (!parsed) return Refusal{parsed.Reason()};
    return std::move(**parsed);
}

Bytes Write(const Contents& c, std::string_view title, TitleKeyCache& keys) {
    return Write(c.summary, c.pixels, c, c.state, title, keys);
}

Bytes Write(const Summary& s, ByteSpan pixels, const Contents& c, ByteSpan state,
            std::string_view title, TitleKeyCache& keys) {
    Bytes out;
    WriteInto(out, s, pixels, c, state, title, keys);
    return out;
}

void WriteInto(Bytes& out, const Summary& s, ByteSpan pixels, const Contents& c, ByteSpan state,
               std::string_view title, TitleKeyCache& keys) {
    AddExecLog("savefile::WriteInto");
    const size_t thumbBytes = pixels.size();
    const size_t mainEnd = kHeaderSize + kMainFixedSize + thumbBytes;
    out.resize(mainEnd + 4 + state.size());
    uint8_t* o = out.data();
    std::memcpy(o, s.header.data(), kHeaderSize);
    StoreLEUnchecked<uint32_t>(o + 32, static_cast<uint32_t>(kMainFixedSize + thumbBytes));
    std::memcpy(o + 36, s.subtitle.data(), kNameSize);
    StoreLEUnchecked<uint32_t>(o + 100, static_cast<uint32_t>(thumbBytes));
    StoreLEUnchecked<int32_t>(o + 104, s.thumbWidth);
    StoreLEUnchecked<int32_t>(o + 108, s.thumbHeight);
    if (thumbBytes) std::memcpy(o + kPixelsOffset, pixels.data(), thumbBytes);
    uint8_t* p = o + kPixelsOffset + thumbBytes;
    for (size_t i = 0; i < c.locals.size(); ++i)
        StoreLEUnchecked<int32_t>(p + kLocalsOffset + 4 * i, c.locals[i]);
    std::memcpy(p + kScenarioOffset, c.scenario.data(), c.scenario.size());
    std::memcpy(p + kStringsOffset, c.strings.data(), sizeof c.strings);
    std::memcpy(p + kImagesOffset, c.imageNames.data(), sizeof c.imageNames);
    std::memcpy(p + kMusicListOffset, c.musicList.data(), sizeof c.musicList);
    std::memcpy(p + kMusicOffset, c.music.data(), kNameSize);
    p[kMusicOffset + kNameSize] = c.musicPlaying;
    p[kMusicOffset + kNameSize + 1] = c.musicLoop;
    std::memcpy(p + kEffectsOffset, c.effects.data(), sizeof c.effects);
    std::memcpy(p + kVoicesOffset, c.voices.data(), sizeof c.voices);
    StoreLEUnchecked<uint32_t>(o + mainEnd, static_cast<uint32_t>(state.size()));
    if (!state.empty())
        keys.XorInto(std::span<uint8_t>(o + mainEnd + 4, state.size()), state, title);
}

} // namespace qw::savefile
