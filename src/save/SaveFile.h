#pragma once
// The numbered save file "GAME%02d.SAV": a 32-character header, the main block (subtitle,
// thumbnail, variables, scenario name, lists and sound state) and the scrambled component state
// of the scenario screen. All integers are 32-bit little-endian.
//
//   offset (160 × 120 thumbnail)   field
//   0        header: lower-case hex MD5 of the title + "SaveData" (compared without case)
//   32       main block length (this field included): 78642 + thumbnail byte count
//   36       subtitle (64)
//   100      thumbnail byte count (0: no picture), 104 width, 108 height
//   112      thumbnail pixels (byte count)
//   +0       1000 local variables          76912
//   +4000    scenario file name (256)      80912
//   +4256    256 string variables × 64     81168
//   +20640   256 image slot names × 64     97552
//   +37024   256 music list names × 64     113936
//   +53408   music name (64), playing, loop 130320 / 130384 / 130385
//   +53474   256 effect slots × 34         130386
//   +62178   256 voice list names × 64     139090
//   +78562   component length N            155474
//   +78566   component state (N bytes, scrambled per 32-byte block)   155478
//
// The parser and the writer work on byte spans; a file parsed and written again gives the same
// bytes up to the end of its state (trailing bytes are ignored).

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "audio/CSEBuffer.h"
#include "common/Bytes.h"
#include "common/Result.h"

namespace qw {

class TitleKeyCache;

namespace savefile {

constexpr size_t kHeaderSize = 32;
constexpr size_t kMainFixedSize = 78642; // main block without thumbnail pixels
constexpr size_t kSummarySize = 112;     // header up to the thumbnail pixels
constexpr size_t kPixelsOffset = 112;
constexpr int kMaxThumbWidth = 800;
constexpr int kMaxThumbHeight = 600;
constexpr size_t kMaxState = 1048576;
// The largest file anything could have written: an 800 × 600 thumbnail and a full state.
constexpr size_t kMaxFileSize = kHeaderSize + kMainFixedSize + 800 * 600 * 4 + 4 + kMaxState;
constexpr size_t kNameSize = 64;

using Name = std::array<char, kNameSize>;
using NameList = std::array<Name, 256>;

// The 32 header characters of `title`.
std::array<char, kHeaderSize> Header(std::string_view title);

// What the header and the thumbnail fields say (enough for a caption in the save/load screen).
struct Summary {
    std::array<char, kHeaderSize> header{};
    uint32_t mainLength = 0;
    Name subtitle{};
    uint32_t thumbBytes = 0;
    int32_t thumbWidth = 0;
    int32_t thumbHeight = 0;
};

// Checks and reads the first 112 bytes: the header of `title` (without regard to case), then the
// thumbnail fields (a byte count of 0 is a save without picture; otherwise it must be width ×
// height × 4 with width 1–800 and height 1–600) and the main block length (78642 + byte count).
Result<Summary> ParseSummary(ByteSpan data, std::string_view title);

struct Contents {
    Summary summary;
    Bytes pixels; // thumbBytes bytes, as the surface holds them
    std::array<int32_t, 1000> locals{};
    std::array<char, 256> scenario{};
    NameList strings{};
    NameList imageNames{};
    NameList musicList{};
    Name music{};
    uint8_t musicPlaying = 0;
    uint8_t musicLoop = 0;
    std::array<std::array<uint8_t, SESlotRecord::kSize>, 256> effects{};
    NameList voices{};
    Bytes state; // unscrambled
};

// The whole file. Refused with the reason: a header or thumbnail as for ParseSummary, a file cut
// short ("cut short: 1200 of 214862 bytes"), or a state over 1 MiB. The state comes back
// unscrambled through `keys`.
Result<Contents> Parse(ByteSpan data, std::string_view title, TitleKeyCache& keys);
// The same on the heap, for a caller that keeps the contents (no copy of the 80 KB of fields).
Result<std::unique_ptr<Contents>> ParseNew(ByteSpan data, std::string_view title,
                                           TitleKeyCache& keys);

// The file bytes of `contents`: the main block length is computed from the thumbnail byte count
// (the summary's value is not used) and the state scrambled through `keys`.
Bytes Write(const Contents& contents, std::string_view title, TitleKeyCache& keys);
// The same with the header fields, the pixels and the state given apart from the body's
// scenario fields (a save writes its snapshot's body with the current subtitle and thumbnail).
Bytes Write(const Summary& summary, ByteSpan pixels, const Contents& body, ByteSpan state,
            std::string_view title, TitleKeyCache& keys);
// The same into `out`, resized to the file's size; every byte is written, so a buffer kept from
// one save to the next is neither cleared nor allocated again.
void WriteInto(Bytes& out, const Summary& summary, ByteSpan pixels, const Contents& body,
               ByteSpan state, std::string_view title, TitleKeyCache& keys);

} // namespace savefile
} // namespace qw
