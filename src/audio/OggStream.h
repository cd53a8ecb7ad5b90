#pragma once
// Ogg Vorbis streams for music, effects and voices: the decoder's callbacks over a memory image
// or an archive member on its own handle, and the one loader every sound goes through.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/SoundMixer.h"

struct OggVorbis_File;

namespace qw {

struct MemberStream;

// What the callbacks read: the memory form (begin, current, end) or the member form (a stream
// and the offset in it).
struct OggSource {
    const uint8_t* begin = nullptr;
    const uint8_t* current = nullptr;
    const uint8_t* end = nullptr;
    const MemberStream* stream = nullptr;
    uint64_t offset = 0;
};

size_t OggCallbackRead(void* buffer, size_t size, size_t count, void* source);
// 0, or -1 for an offset outside the data or a bad origin.
int OggCallbackSeek(void* source, int64_t offset, int whence);
// The owner closes the source; nothing to do here.
int OggCallbackClose(void* source);
long OggCallbackFell(void* source);

// The largest sound file the engine takes in.
constexpr uint64_t kMaxOggBytes = uint64_t{256} << 20;

class OggStream {
public:
    OggStream();
    ~OggStream();
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    // Opens over bytes that stay alive while the stream is open. False with the reason in `why`:
    // fewer than 4 bytes, no "OggS", a refusal of the decoder, other than 1-2 channels, a rate
    // outside 8000-192000 Hz, or more than 256 MiB.
    bool OpenMemory(std::span<const uint8_t> bytes, std::string& why);
    bool OpenMember(const MemberStream& stream, std::string& why);
    bool IsOpen() const { return open_; }
    const platform::SoundFormat& Format() const { return format_; }

    // Sample frames of the whole stream (ov_pcm_total), or a negative value when the decoder
    // cannot tell (an unseekable stream, or none open).
    int64_t PcmTotal() const;
    // Back to the first sample (ov_raw_seek to 0); false when the decoder refuses.
    bool Rewind();
    // Fills `bytes` with 16-bit samples, starting over at the end when `loop` is set. False when
    // the piece ends inside this call, the rest being zeros: its end without looping, a decode
    // error or a failed rewind (both close the decoder), a chained link in another format, or a
    // whole pass through the stream without a sample. A closed stream gives zeros.
    bool Decode(uint8_t* out, size_t bytes, bool loop);
    void Clear();

private:
    bool Open(std::string& why);

    OggSource source_;
    std::unique_ptr<OggVorbis_File> file_;
    bool open_ = false;
    platform::SoundFormat format_;
    int link_ = 0;
    bool sampleSinceRewind_ = false;
};

} // namespace qw
