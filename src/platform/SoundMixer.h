#pragma once
// The software mixer that stands in for the sound card's secondary buffers. Each SoundBuffer is
// a ring of 16-bit mono or stereo samples at its own rate with a play cursor, a volume and a pan
// in hundredths of a decibel, and position notifications; the mixer sums every playing buffer
// into 44100 Hz stereo for a sink (the audio device's callback, or a null sink).
//
// Mixing is integer and exact: Q15 gains, products shifted down by 15, one 32-bit sum per output
// sample saturated once, and fixed-point linear interpolation for buffers at other rates. The
// gains are read once per block, so a volume set between two blocks holds for the whole next
// block. Writers never touch what the mixer reads: Lock hands out a staging copy and Unlock
// publishes it under the mixer's lock.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qw::platform {

constexpr int kMixRate = 44100;

// Who hears a buffer's position notifications. Signal runs on the mixing thread after the mixer
// has dropped its lock; WaitHandled (headless pulls only) returns once the listener has dealt
// with every signal, so what it writes lands before the next block is mixed.
class SoundNotify {
public:
    virtual ~SoundNotify() = default;
    virtual void Signal(int index) = 0;
    virtual void WaitHandled() = 0;
};

struct SoundFormat {
    int rate = kMixRate; // 8000-192000
    int channels = 2;    // 1 or 2, 16-bit samples
    int BlockAlign() const { return channels * 2; }
    int BytesPerSecond() const { return rate * BlockAlign(); }
    bool operator==(const SoundFormat&) const = default;
};

// Q15 gain of an attenuation in hundredths of a decibel: round(32768 * 10^(a / 2000)), at most
// 32767; -10000 and below are exact silence.
int32_t GainQ15(int32_t attenuation);

class SoundMixer;

class SoundBuffer {
public:
    static constexpr uint32_t kStatusPlaying = 1;
    static constexpr uint32_t kStatusLost = 2;
    static constexpr uint32_t kStatusLooping = 4;
    static constexpr int32_t kVolumeMin = -10000;
    static constexpr int32_t kPanLeft = -10000;
    static constexpr int32_t kPanRight = 10000;

    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    const SoundFormat& Format() const { return format_; }
    uint32_t Size() const { return bytes_; }

    // Hands out `bytes` from `offset` (or the whole buffer) as up to two parts, the second one
    // after the wrap. The parts are a copy of the samples; Unlock publishes what was written.
    // One lock at a time; false for a range outside the buffer or a second lock.
    bool Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
              uint32_t* bytes2, bool whole = false);
    bool Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

    // On a playing buffer only the looping flag changes.
    void Play(bool loop);
    void Stop();
    uint32_t GetCurrentPosition() const; // bytes, on a sample frame
    void SetCurrentPosition(uint32_t bytes);
    uint32_t GetStatus() const;
    // Nothing is lost here on its own; after MarkLost the buffer is playable again, its samples
    // still the zeros the loss left.
    bool Restore();
    // Tests: the buffer behaves as a lost one (stopped, samples gone, status kStatusLost) until
    // Restore. Duplicates share the samples, so they hear the loss too.
    void MarkLost();
    void SetVolume(int32_t volume); // clamped to -10000..0
    int32_t GetVolume() const;
    void SetPan(int32_t pan); // clamped to -10000..10000; > 0 lowers the left side
    int32_t GetPan() const;
    // Notification `i` fires when the play cursor has passed the sample frame at offsets[i].
    void SetNotificationPositions(std::vector<uint32_t> offsets,
                                  std::shared_ptr<SoundNotify> target);
    // A buffer sharing these samples with its own cursor, volume and pan, stopped.
    std::shared_ptr<SoundBuffer> Duplicate();

private:
    friend class SoundMixer;
    struct Samples {
        std::vector<int16_t> data;
    };
    SoundBuffer(std::shared_ptr<SoundMixer> mixer, const SoundFormat& format,
                std::shared_ptr<Samples> samples, uint32_t bytes);

    std::shared_ptr<SoundMixer> mixer_;
    SoundFormat format_;
    std::shared_ptr<Samples> samples_;
    uint32_t bytes_ = 0;
    uint32_t frames_ = 0;
    // Below: guarded by the mixer's lock.
    uint64_t position_ = 0; // sample frames in 32.32 fixed point
    bool playing_ = false;
    bool looping_ = false;
    bool lost_ = false;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    std::vector<uint32_t> notifyFrames_;
    std::shared_ptr<SoundNotify> notify_;
    // The staging copy of the current lock.
    std::vector<uint8_t> staging_;
    uint32_t lockOffset_ = 0;
    uint32_t lockBytes_ = 0;
    bool locked_ = false;
};

class SoundMixer : public std::enable_shared_from_this<SoundMixer> {
public:
    enum class Handover {
        Signal,      // real-time devices: signal and go on
        WaitHandled, // headless pulls: signal, then wait until each listener is idle
    };

    static std::shared_ptr<SoundMixer> Create();

    // A silent, stopped buffer; null for a format or size out of range.
    std::shared_ptr<SoundBuffer> MakeBuffer(const SoundFormat& format, uint32_t bytes);
    // A stopped buffer that takes over `samples` (interleaved, whole frames) without copying
    // them; null as for MakeBuffer.
    std::shared_ptr<SoundBuffer> AdoptBuffer(const SoundFormat& format,
                                             std::vector<int16_t>&& samples);

    // Mixes `frames` of 44100 Hz interleaved stereo into `out` and advances every playing
    // buffer; then hands over the notifications crossed.
    void Mix(int16_t* out, int frames, Handover handover);

    int PlayingCount() const;
    // Tests: mix every buffer through the per-frame rule, without the fast paths.
    void SetReferenceOnly(bool on) { referenceOnly_ = on; }

private:
    friend class SoundBuffer;
    SoundMixer() = default;
    struct Crossed {
        std::shared_ptr<SoundNotify> target;
        int index;
    };
    void MixBuffer(SoundBuffer& b, int32_t* acc, int frames, std::vector<Crossed>& crossed);

    mutable std::mutex mutex_;
    std::vector<SoundBuffer*> buffers_;
    std::vector<int32_t> acc_;
    bool referenceOnly_ = false;
};

} // namespace qw::platform
