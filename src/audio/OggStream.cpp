#include "audio/OggStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "files/CFileJoin.h"

namespace qw {

namespace {

uint64_t SourceSize(const OggSource& s) {
    return s.stream ? s.stream->size : static_cast<uint64_t>(s.end - s.begin);
}
uint64_t SourceTell(const OggSource& s) {
    return s.stream ? s.offset : static_cast<uint64_t>(s.current - s.begin);
}

} // namespace

size_t OggCallbackRead(void* buffer, size_t size, size_t count, void* source) {
    auto& s = *static_cast<OggSource*>(source);
    if (size == 0 || count == 0) return 0;
    uint64_t left = SourceSize(s) - std::min(SourceSize(s), SourceTell(s));
    size_t want = count > SIZE_MAX / size ? SIZE_MAX : size * count;
    size_t n = static_cast<size_t>(std::min<uint64_t>(want, left));
    if (s.stream) {
        n = s.stream->Read(s.offset, buffer, n);
        s.offset += n;
    } else {
        if (n) std::memcpy(buffer, s.current, n);
        s.current += n;
    }
    return n / size;
}

int OggCallbackSeek(void* source, int64_t offset, int whence) {
    auto& s = *static_cast<OggSource*>(source);
    int64_t size = static_cast<int64_t>(SourceSize(s));
    int64_t base;
    switch (whence) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = static_cast<int64_t>(SourceTell(s));
        break;
    case SEEK_END:
        base = size;
        break;
    default:
        return -1;
    }
    // Outside the data is refused rather than left pointing past the image.
    if ((offset < 0 && -offset > base) || (offset > 0 && offset > size - base)) return -1;
    int64_t at = base + offset;
    if (s.stream)
        s.offset = static_cast<uint64_t>(at);
    else
        s.current = s.begin + at;
    return 0;
}

int OggCallbackClose(void*) {
    return 0;
}

long OggCallbackFell(void* source) {
    return static_cast<long>(SourceTell(*static_cast<OggSource*>(source)));
}

OggStream::OggStream() = default;
OggStream::~OggStream() {
    Clear();
}

bool OggStream::OpenMemory(std::span<const uint8_t> bytes, std::string& why) {
    Clear();
    source_ = {};
    source_.begin = source_.current = bytes.data();
    source_.end = bytes.data() + bytes.size();
    return Open(why);
}

bool OggStream::OpenMember(const MemberStream& stream, std::string& why) {
    Clear();
    source_ = {};
    source_.stream = &stream;
    return Open(why);
}

bool OggStream::Open(std::string& why) {
    uint64_t size = SourceSize(source_);
    if (size > kMaxOggBytes) {
        why = "larger than 256 MiB";
        return false;
    }
    uint8_t magic[4] = {};
    OggSource peek = source_;
    if (size < 4 || OggCallbackRead(magic, 1, 4, &peek) != 4) {
        why = "shorter than an Ogg page header";
        return false;
    }
    if (std::memcmp(magic, "OggS", 4) != 0) {
        why = "not an Ogg stream (no \"OggS\")";
        return false;
    }
    ov_callbacks callbacks{};
    callbacks.read_func = &OggCallbackRead;
    callbacks.seek_func = [](void* s, ogg_int64_t o, int w) { return OggCallbackSeek(s, o, w); };
    callbacks.close_func = &OggCallbackClose;
    callbacks.tell_func = &OggCallbackFell;
    file_ = std::make_unique<OggVorbis_File>();
    if (int e = ov_open_callbacks(&source_, file_.get(), nullptr, 0, callbacks); e != 0) {
        file_.reset();
        why = "refused by the Vorbis decoder (" + std::to_string(e) + ")";
        return false;
    }
    open_ = true;
    const vorbis_info* info = ov_info(file_.get(), -1);
    if (!info || info->channels < 1 || info->channels > 2) {
        why = "has " + std::to_string(info ? info->channels : 0) + " channels (1 or 2 play)";
        Clear();
        return false;
    }
    if (info->rate < 8000 || info->rate > 192000) {
        why = "has a rate of " + std::to_string(info->rate) + " Hz (8000-192000 play)";
        Clear();
        return false;
    }
    format_ = {static_cast<int>(info->rate), info->channels};
    link_ = ov_seekable(file_.get()) ? 0 : -1;
    sampleSinceRewind_ = false;
    return true;
}

int64_t OggStream::PcmTotal() const {
    return open_ ? ov_pcm_total(file_.get(), -1) : -1;
}

bool OggStream::Rewind() {
    if (!open_) return false;
    sampleSinceRewind_ = false;
    link_ = 0;
    return ov_raw_seek(file_.get(), 0) == 0;
}

bool OggStream::Decode(uint8_t* out, size_t bytes, bool loop) {
    size_t filled = 0;
    auto end = [&](bool close) {
        std::memset(out + filled, 0, bytes - filled);
        if (close) Clear();
        return false;
    };
    if (!open_) return end(false);
    while (filled < bytes) {
        int link = 0;
        int want = static_cast<int>(std::min<size_t>(bytes - filled, 4096));
        long got =
            ov_read(file_.get(), reinterpret_cast<char*>(out + filled), want, 0, 2, 1, &link);
        if (got == 0) {
            // A pass through the whole stream with no sample would loop for ever.
            if (!loop || !sampleSinceRewind_) return end(false);
            if (!Rewind()) return end(true);
            continue;
        }
        if (got < 0) return end(true);
        if (link != link_) {
            const vorbis_info* info = ov_info(file_.get(), link);
            if (!info || info->channels != format_.channels || info->rate != format_.rate)
                return end(true);
            link_ = link;
        }
        sampleSinceRewind_ = true;
        filled += static_cast<size_t>(got);
    }
    return true;
}

void OggStream::Clear() {
    if (open_) ov_clear(file_.get());
    file_.reset();
    open_ = false;
}

} // namespace qw
