// The sound loader: an Ogg Vorbis stream opened from memory or from an archive member on its own
// handle, then decoded for a few quarters, looping or not.
//
// Byte 0: bit 0 loops, bit 1 reads through a member (at an offset inside a file), bits 2-3 the
// number of quarters decoded after the first half. The rest is the file.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/OggStream.h"
#include "files/CFileJoin.h"
#include "platform/FileSystem.h"

namespace {

constexpr size_t kMaxInput = 1 << 20;
constexpr size_t kQuarter = 8192; // bytes: the decoder is asked for real quarters' worth in pieces

void Exercise(qw::OggStream& stream, bool loop, int quarters) {
    const qw::platform::SoundFormat format = stream.Format();
    if (format.channels < 1 || format.channels > 2 || format.rate < 8000 || format.rate > 192000)
        __builtin_trap();
    std::vector<uint8_t> out(kQuarter * 2);
    if (!stream.Rewind()) return;
    stream.Decode(out.data(), out.size(), loop);
    for (int q = 0; q < quarters; ++q)
        stream.Decode(out.data(), kQuarter, loop);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > kMaxInput) return 0;
    const bool loop = data[0] & 1;
    const bool member = data[0] & 2;
    const int quarters = 1 + ((data[0] >> 2) & 3);
    std::span<const uint8_t> bytes(data + 1, size - 1);
    std::string why;
    qw::OggStream stream;
    if (!member) {
        if (stream.OpenMemory(bytes, why))
            Exercise(stream, loop, quarters);
        else if (why.empty())
            __builtin_trap(); // a refusal carries its reason
        return 0;
    }
    static const std::string path = "/tmp/qw_fuzz_ogg_" + std::to_string(getpid());
    const uint8_t pad[7] = {'O', 'g', 'g', 'S', 0, 0, 0};
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(pad, 1, sizeof pad, f);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fwrite(pad, 1, sizeof pad, f); // bytes after the member are not its own
        std::fclose(f);
    }
    qw::MemberStream source;
    if (!source.file.Open(path, qw::platform::FileHandle::Mode::Read)) return 0;
    source.offset = sizeof pad;
    source.size = bytes.size();
    if (stream.OpenMember(source, why))
        Exercise(stream, loop, quarters);
    else if (why.empty())
        __builtin_trap();
    return 0;
}
