#include "graphics/CDIBSprite.h"

#include <bit>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/ExecLog.h"
#include "common/Result.h"
#include "files/MemberSource.h"
#include "graphics/ImageLimits.h"
#include "graphics/MgdRunLength.h"
#include "graphics/PngCodec.h"

namespace qw {

// Raw picture data and the pixel words share one byte order: B, G, R, A.
static_assert(std::endian::native == std::endian::little, "pixel words are stored little-endian");

CDIBSprite::~CDIBSprite() {
    CDIBSprite::Release();
}

void CDIBSprite::Release() {
    AddExecLog("CDIBSprite::Release");
    std::vector<SpriteElement>().swap(elements_);
    elementWords_ = 0;
}

bool CDIBSprite::Create(int width, int height) {
    AddExecLog("CDIBSprite::Create");
    if (!CDIBImage::Create(width, height)) return false;
    if (!InitSprtInfo(1, 4)) return false;
    elements_[0] = {0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height), 0, 0};
    return true;
}

const char* CDIBSprite::GetTypeName() const {
    AddExecLog("CDIBSprite::GetTypeName");
    return "CDIBSprite";
}

bool CDIBSprite::InitSprtInfo(int count, int words) {
    AddExecLog("CDIBSprite::InitSprtInfo");
    std::vector<SpriteElement>().swap(elements_);
    elementWords_ = 0;
    if (words <= 3 || count < 0) return false;
    try {
        elements_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    elementWords_ = words;
    return true;
}

void CDIBSprite::MakeUniqueName() {
    AddExecLog("CDIBSprite::MakeUniqueName");
    char text[32];
    std::snprintf(text, sizeof text, "QW%08" PRIxPTR, reinterpret_cast<uintptr_t>(this));
    name_ = text;
}

namespace {

// Whether the picture data after the header can possibly fill a surface of the header's size,
// checked before that surface is allocated.
bool DataCanFill(ByteSpan data, const MgdHeader& header) {
    const size_t pixels = size_t{header.width} * size_t{header.height};
    // Partly covered run-length pictures and pictures of an unknown encoding are blank where
    // their data says nothing; up to this many pixels (256 KB) may be blank beyond what the data
    // could reach.
    constexpr size_t kBlankAllowance = 65536;
    switch (static_cast<MgdEncoding>(header.encoding)) {
    case MgdEncoding::Raw:
        return header.dataSize >= pixels * 4 && data.size() >= pixels * 4;
    case MgdEncoding::RunLength:
        return pixels <= RunLengthPlanesReach(data) + kBlankAllowance;
    case MgdEncoding::Png:
        return PngCanFill(data, header.width, header.height);
    default:
        return pixels <= kBlankAllowance;
    }
}
} // namespace

VertexQuad& CDIBSprite::SetVertex(VertexQuad& quad, int index, int x, int y, uint32_t colour) {
    AddExecLog("CDIBSprite::SetVertex");
    const SpriteElement* e = GetElement(index);
    if (!e) return SetNowhereQuad(quad, colour);
    return CDIBImage::SetVertex(quad, x, y, e->x, e->y, e->w, e->h, colour);
}

VertexQuad& CDIBSprite::SetStretchVertex(VertexQuad& quad, int index, int x, int y, int w, int h,
                                         uint32_t colour) {
    AddExecLog("CDIBSprite::SetStretchVertex");
    const SpriteElement* e = GetElement(index);
    if (!e) return SetNowhereQuad(quad, colour);
    const auto i16 = [](int v) { return static_cast<int16_t>(v); };
    quad.corner[0] = {i16(x), i16(y), 0};
    quad.corner[1] = {i16(x + w - 1), i16(y), 0};
    quad.corner[2] = {i16(x + w - 1), i16(y + h - 1), 0};
    quad.corner[3] = {i16(x), i16(y + h - 1), 0};
    quad.source[0] = {e->x, e->y};
    quad.source[1] = {i16(e->x + e->w - 1), e->y};
    quad.source[2] = {i16(e->x + e->w - 1), i16(e->y + e->h - 1)};
    quad.source[3] = {e->x, i16(e->y + e->h - 1)};
    quad.colour = colour;
    return quad;
}

const SpriteElement* CDIBSprite::GetElement(int index) const {
    if (index < 0 || index >= GetElementCount()) return nullptr;
    return &elements_[static_cast<size_t>(index)];
}

SpriteElement* CDIBSprite::GetElementForWrite(int index) {
    if (index < 0 || index >= GetElementCount()) return nullptr;
    return &elements_[static_cast<size_t>(index)];
}

bool CDIBSprite::Fail(const char* text, std::string reason) {
    AddExecLog(text);
    lastError_ = text;
    lastReason_ = std::move(reason);
    return false;
}

bool CDIBSprite::Read(IMemberSource* archive, std::string_view name) {
    AddExecLog("CDIBSprite::Read");
    name_.assign(name);
    std::optional<Bytes> file;
    bool ok = false;
    try {
        if (archive) file = archive->ReadMember(name);
        ok = file ? Decode(*file) : Fail("オープンエラー", "no such member");
    } catch (const std::bad_alloc&) {
        ok = Fail("メモリ確保失敗", "out of memory");
    }
    // A missing picture is reported by its caller; the reason is noted for a file that is there.
    if (!ok && file) NoteRefusal(name_, lastReason_);
    return ok;
}

namespace {
const char* EncodingText(uint16_t encoding) {
    switch (static_cast<MgdEncoding>(encoding)) {
    case MgdEncoding::Raw:
        return "raw";
    case MgdEncoding::RunLength:
        return "run-length";
    case MgdEncoding::Png:
        return "PNG";
    }
    return "unknown";
}
} // namespace

bool CDIBSprite::Decode(ByteSpan file) {
    AddExecLog("CDIBSprite::Decode");
    lastError_ = nullptr;
    lastReason_.clear();
    // A file too short to hold the header cannot be any known layout.
    const std::optional<MgdHeader> header = ParseMgdHeader(file);
    if (!header)
        return Fail("フォーマットエラー", Refuse("%zu bytes, shorter than the %zu-byte header",
                                                 file.size(), kMgdHeaderSize)
                                              .reason);
    if (IsRefusedMgdFormat(header->format))
        return Fail(
            "フォーマットエラー",
            Refuse("format number %u is not read (2 to 5 are other layouts)", header->format)
                .reason);
    const unsigned w = header->width, h = header->height;
    // Zero sizes and sizes beyond what a surface can hold are refused here.
    if (!IsCreatableImageSize(header->width, header->height))
        return Fail(
            "イメージ作成失敗",
            Refuse("size %u x %u: a picture is 1 to %d pixels wide and high", w, h, kMaxImageSide)
                .reason);
    // A few bytes must not make the reader allocate a surface they cannot fill (16384 × 16384
    // is a gigabyte): data that cannot hold the picture is refused before the allocation.
    const char* encoding = EncodingText(header->encoding);
    if (!DataCanFill(file.subspan(kMgdHeaderSize), *header))
        return Fail("デコード失敗",
                    Refuse("the %s data (block of %u bytes, %zu bytes after the header) cannot "
                           "fill a %u x %u picture",
                           encoding, header->dataSize, file.size() - kMgdHeaderSize, w, h)
                        .reason);
    if (!Create(header->width, header->height))
        return Fail("イメージ作成失敗", Refuse("no memory for a %u x %u picture", w, h).reason);
    const std::optional<size_t> end = DecodeMain(file, *header);
    if (!end)
        return Fail(
            "デコード失敗",
            Refuse("the %s data is damaged (it does not decode to %u x %u pixels)", encoding, w, h)
                .reason);
    return ReadElementTable(file, *end);
}

bool CDIBSprite::ReadElementTable(ByteSpan file, size_t position) {
    // A table that is missing, cut short, or not of 4 or 6 words per element is refused.
    const size_t at = position + kMgdSpareAfterData;
    const auto count = LoadLE<uint16_t>(file, at);
    const auto words = LoadLE<uint16_t>(file, at + 2);
    if (!count || !words)
        return Fail("スプライト要素数エラー",
                    Refuse("the element table's count is missing: the file ends at byte %zu, "
                           "the count lies at %zu",
                           file.size(), at)
                        .reason);
    if (*words != 4 && *words != 6)
        return Fail("スプライト要素数エラー",
                    Refuse("elements of %u words (4 or 6)", *words).reason);
    const size_t table = at + 4;
    const size_t tableBytes = size_t{*count} * *words * 2;
    if (!FitsIn(file.size(), table, tableBytes))
        return Fail("スプライト要素数エラー",
                    Refuse("%u elements of %u words need %zu bytes at offset %zu; the file has "
                           "%zu bytes",
                           *count, *words, tableBytes, table, file.size())
                        .reason);
    if (!InitSprtInfo(*count, *words))
        return Fail("メモリ確保失敗", Refuse("no memory for %u elements", *count).reason);
    const uint8_t* p = file.data() + table;
    for (SpriteElement& e : elements_) {
        int16_t v[6] = {};
        for (int i = 0; i < *words; ++i, p += 2)
            v[i] = LoadLEUnchecked<int16_t>(p);
        e = {v[0], v[1], v[2], v[3], v[4], v[5]};
    }
    return true;
}

std::optional<size_t> CDIBSprite::DecodeMain(ByteSpan file, const MgdHeader& header) {
    AddExecLog("CDIBSprite::DecodeMain");
    if (file.size() < kMgdHeaderSize) return std::nullopt;
    // The run-length and PNG decoders may read up to the end of the file: the element table
    // follows wherever their data ends.
    const ByteSpan data = file.subspan(kMgdHeaderSize);
    std::optional<size_t> used;
    switch (static_cast<MgdEncoding>(header.encoding)) {
    case MgdEncoding::Raw:
        if (!DecodeNone(data, header)) return std::nullopt;
        return kMgdHeaderSize + size_t{header.dataSize};
    case MgdEncoding::RunLength:
        used = DecodeSGD(data);
        break;
    case MgdEncoding::Png:
        used = DecodePNG(data);
        break;
    default: // unknown encodings leave the picture blank
        return kMgdHeaderSize;
    }
    if (!used) return std::nullopt;
    return kMgdHeaderSize + *used;
}

bool CDIBSprite::DecodeNone(ByteSpan data, const MgdHeader& header) {
    AddExecLog("CDIBSprite::DecodeNone");
    // The block must hold every pixel; bytes beyond the last pixel are ignored.
    const size_t need = GetByteSize();
    if (header.dataSize < need || data.size() < need) return false;
    std::memcpy(GetPixels(), data.data(), need);
    return true;
}

std::optional<size_t> CDIBSprite::DecodeSGD(ByteSpan data) {
    AddExecLog("CDIBSprite::DecodeSGD");
    return ExecDecodeSGD(data);
}

std::optional<size_t> CDIBSprite::ExecDecodeSGD(ByteSpan data) {
    AddExecLog("CDIBSprite::ExecDecodeSGD");
    return DecodeRunLengthPlanes(data, GetPixels(), GetByteSize() / 4);
}

std::optional<size_t> CDIBSprite::DecodePNG(ByteSpan data) {
    AddExecLog("CDIBSprite::DecodePNG");
    return ExecDecodePNG(data);
}

std::optional<size_t> CDIBSprite::ExecDecodePNG(ByteSpan data) {
    AddExecLog("CDIBSprite::ExecDecodePNG");
    return DecodePng(data, GetPixels(), GetWidth(), GetHeight());
}

} // namespace qw
