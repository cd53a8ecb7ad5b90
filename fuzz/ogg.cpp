// The sound loader: an Ogg Vorbis stream opened from memory or from an archive member on its own
// handle, then decoded for a few quarters, looping or not; or the same file decoded whole as a
// sound effect; or played as a voice, its stream thread refilling while the mixer pulls.
//
// Byte 0: bit 0 loops, bit 1 reads through a member (at an offset inside a file), bits 2-3 the
// number of quarters decoded after the first half (for a voice: seconds mixed, 1-4), bits 4-5
// the user: 0 or 3 the stream alone, 1 the effects' whole-file decode, 2 the voice. The rest is
// the file.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "audio/OggStream.h"
#include "files/CFileJoin.h"
#include "platform/FileSystem.h"
#include "platform/SoundMixer.h"
#include "support/FakeWindow.h"

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

// The input as the one member of an archive: whole, or on a handle of its own.
class OneMember : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view) override {
        return qw::Bytes(bytes.begin(), bytes.end());
    }
    std::optional<qw::MemberStream> OpenStream(std::string_view) override {
        qw::MemberStream stream;
        if (!stream.file.Open(path, qw::platform::FileHandle::Mode::Read)) return std::nullopt;
        stream.offset = offset;
        stream.size = bytes.size();
        return stream;
    }
    std::span<const uint8_t> bytes;
    std::string path;
    uint64_t offset = 0;
};

// One device, effects and voice buffer for the whole run (the voice's thread lives on).
struct Sound {
    Sound() {
        device.Initialize(&window, 44100, 2, 16);
        effects.Initialize(&device, &member);
        voice.Initialize(&device, &member);
    }
    qw::test::FakeWindow window;
    qw::CDSound device;
    OneMember member;
    qw::CSEBuffer effects;
    qw::CVoiceBuffer voice;
};

Sound& Shared() {
    static Sound* sound = new Sound; // never destroyed: the thread outlives the last input
    return *sound;
}

void DecodeWhole(std::span<const uint8_t> bytes) {
    std::string why;
    std::shared_ptr<qw::platform::SoundBuffer> buffer = Shared().effects.OggDecode(bytes, why);
    if (!buffer && why.empty()) __builtin_trap(); // a refusal carries its reason
    if (buffer && (buffer->Size() == 0 || buffer->Size() > 0x0FFFFFFF)) __builtin_trap();
}

void PlayVoice(bool fromFile, bool loop, int seconds) {
    qw::CVoiceBuffer& voice = Shared().voice;
    if (!voice.Read("V", fromFile) || !voice.Play(0, loop)) return;
    std::vector<int16_t> out(4410 * 2);
    for (int block = 0; block < seconds * 10 && voice.IsPlaying(); ++block) {
        voice.Move(100);
        Shared().device.GetMixer()->Mix(out.data(), 4410,
                                        qw::platform::SoundMixer::Handover::WaitHandled);
    }
    voice.Stop(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > kMaxInput) return 0;
    const bool loop = data[0] & 1;
    const bool member = data[0] & 2;
    const int quarters = 1 + ((data[0] >> 2) & 3);
    const int user = (data[0] >> 4) & 3;
    std::span<const uint8_t> bytes(data + 1, size - 1);
    std::string why;
    qw::OggStream stream;
    if (user == 1) {
        DecodeWhole(bytes);
        return 0;
    }
    if (user == 2 && !member) {
        Shared().member.bytes = bytes;
        PlayVoice(false, loop, quarters);
        return 0;
    }
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
    if (user == 2) {
        Shared().member.bytes = bytes;
        Shared().member.path = path;
        Shared().member.offset = sizeof pad;
        PlayVoice(true, loop, quarters);
        return 0;
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
